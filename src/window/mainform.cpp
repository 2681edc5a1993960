#include "mainform.h"

#include "comsetupdlg.h"
#include "controlsheet.h"
#include "detectionpage.h"
#include "headercaption.h"
#include "logform.h"
#include "loggersettingspage.h"
#include "messageservice.h"
#include "numberformat.h"
#include "servicereportaction.h"
#include "simuform.h"
#include "trendform.h"
#include "waiting.h"
#include "yesnodlg.h"

#include <QAbstractEventDispatcher>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

namespace quentry {
namespace {

const char* const kCaption = "Quentry V1.21 by VOSSEC";
const char* const kPageCaptions[TMainForm::kPageCount] = {"Device Detection", "Logger Settings",
                                                           "Logger Control Sheet"};
constexpr int kClientWidth = 392;
constexpr int kClientHeight = 304;
constexpr int kHoldPollMs = 20; // how often a holding close step looks again
constexpr int kPanel1ProblemWidth = 262; // what the port state and the gauge leave of the bar

// The port as status panel 0 shows it: "COM3", or the device name a number cannot express.
QString PortStateText(const TCOMEngine& engine)
{
    const QString name = engine.PortName();
    if (name == QStringLiteral("COM%1").arg(engine.Port())) return name;
    return name.startsWith(QLatin1String("/dev/")) ? name.mid(5) : name;
}

} // namespace

TMainForm::TMainForm(TMessageService& messages, const TSettingsLocation& settings, const QStringList& arguments,
                     QWidget* parent)
    : TMainForm(messages, settings, arguments, nullptr, parent)
{
}

TMainForm::TMainForm(TMessageService& messages, const TSettingsLocation& settings, const QStringList& arguments,
                     std::unique_ptr<TSerialPort> port, QWidget* parent)
    : QMainWindow(parent), FMessages(messages), FSettingsLocation(settings), FArguments(arguments),
      FPort(std::move(port))
{
    FormCreate();
}

TMainForm::~TMainForm()
{
    // Page 2 goes before the reader, the store and the table it works on (children of the
    // window would otherwise outlive the members).
    delete FControlSheet;
    FControlSheet = nullptr;
    // FormDestroy. A window freed without its close sequence (tests) still leaves the
    // reader, the device object and the engine unhooked from each other and from it.
    detach();
    if (FCOMEngine->Connected()) FCOMEngine->CloseCom(true);
}

void TMainForm::AttachWindows(TLogForm* logForm, TComSetupDlgForm* comSetup, TYesNoBottomDlgForm* yesNo)
{
    FLogForm = logForm;
    FComSetup = comSetup;
    FYesNo = yesNo;
}

// ---- creation and first show -------------------------------------------------------------

void TMainForm::FormCreate()
{
    FFullLog = false;
    buildWindow();
    setWindowTitle(QString::fromLatin1(kCaption));
    UseDotDecimalSeparator();
    FCloseActionEvent = cla_None;

    FOstraDevice = std::make_unique<TOstraDevice>();
    FCOMEngine = std::make_unique<TCOMEngine>(nullptr, std::move(FPort));
    FLOGGEREngine = std::make_unique<TLOGGEREngine>();
    FAccess = std::make_unique<TDeviceAccess>(*FCOMEngine, *FOstraDevice, FMessages);
    FLoggerSettings = std::make_unique<TLoggerSettings>(*FAccess);
    FDetection = std::make_unique<TDetection>(*FAccess, *FLoggerSettings, *FLOGGEREngine);
    FAccess->DeviceFound = false;
    FMessages.setMainWindow(this);
    FCOMEngine->SetFeedback(&FMessages);
    FOstraDevice->SetFeedback(&FMessages);

    FLOGGEREngine->SetOstraDevice(FOstraDevice.get());
    FLOGGEREngine->OnMessage = [this](TLOGGEREngine*, const QString& classstr, const QString& str) {
        if (FLogForm) FLogForm->Elog_Add(classstr, str);
    };

    // The idle handler: the event dispatcher is about to wait, so the queue is empty.
    FIdleConnection = connect(QAbstractEventDispatcher::instance(thread()), &QAbstractEventDispatcher::aboutToBlock,
                              this, &TMainForm::ApplicationIdle);
    FIdleConnected = true;

    FOstraDevice->SetComEngine(FCOMEngine.get());
    FCOMEngine->OnComLogEvent = [this](TCOMEngine*, const QDateTime& when, const QString& cls, const QString& text) {
        if (FLogForm) FLogForm->Add(when, cls, text);
    };
    FCOMEngine->OnComStateChangedEvent = [](TCOMEngine*, TComState) {};

    // In this order: each setter limits its value against the other's current one.
    FCOMEngine->SetTime_WaitAnswer(200);
    FCOMEngine->SetTime_ByteGap(100);

    FSettingsPage = new TLoggerSettingsPage(*FLoggerSettings, FMessages);
    FSettingsPage->OnBusy = [this](bool busy) {
        if (busy) {
            BeginOperation();
            DisableMainMenu();
        } else {
            EnableMainMenu();
            EndOperation();
        }
    };
    FPages->insertWidget(kPageLoggerSettings, FSettingsPage);

    makeControlSheet();
    FGates.Wrap(*this);
    setAcceptDrops(true);
}

void TMainForm::makeControlSheet()
{
    FLogStore = std::make_unique<TLogStore>(&FMessages);
    FLogTable = std::make_unique<TLogTable>();
    FReport = std::make_unique<TServiceReportAction>(FMessages, *FLogStore);
    TControlSheetHooks hooks;
    hooks.setMenuEnabled = [this](bool on) { on ? EnableMainMenu() : DisableMainMenu(); };
    hooks.setBackEnabled = [this](bool on) { SetBackEnabled(on); };
    hooks.setNextEnabled = [this](bool on) { SetNextEnabled(on); };
    hooks.setGauge = [this](int percent) { SetGaugePercent(percent); };
    hooks.readingChanged = [this](bool active) {
        if (active) FReport->RowsRead(*FAccess, *FDetection, *FLoggerSettings, *FCOMEngine, FDetectedAt);
        updatePortState(); // the rows gates follow at once, not a turn later
        emit ReadingChanged(active);
    };
    hooks.confirm = [this](const QString& title, const QString& text) { return confirm(title, text); };
    hooks.imageLoadStarting = [this] { imageLoadStarting(); };
    hooks.imageLoadFinished = [this](const QString& memoLine, const QString& path, bool loaded) {
        imageLoadFinished(memoLine, path, loaded);
    };
    hooks.showTrend = [this](TLogTableModel& table) { showTrend(table); };
    hooks.simulate = [this] { showSimulator(); };
    hooks.serviceReport = [this] { FReport->Run(); };
    FControlSheet = new TLoggerControlSheet({*FAccess, *FLOGGEREngine, *FLogStore, *FLogTable, FMessages},
                                            std::move(hooks));
    SetControlSheetPage(FControlSheet);

    TLoggerControlSheet* sheet = FControlSheet;
    connect(this, &TMainForm::StartClearGroupEnable, sheet, &TLoggerControlSheet::SetStartClearGroupEnabled);
    connect(this, &TMainForm::ExportGroupEnable, sheet, &TLoggerControlSheet::SetExportGroupEnabled);
    connect(this, &TMainForm::LoadImageClicked, sheet, &TLoggerControlSheet::ButtonLImageClick);
    // A detection starts from no rows, and the title no longer names a loaded image.
    connect(this, &TMainForm::DetectionStarted, this, [this] {
        FLogTable->SetStale();
        FLogStore->Clear();
        FReport->Forget();
        setWindowTitle(QString::fromLatin1(kCaption));
    });
    sheet->SetStartClearGroupEnabled(false);
    sheet->SetExportGroupEnabled(false);
}

bool TMainForm::confirm(const QString& title, const QString& text)
{
    if (FYesNo) return FYesNo->ShowModal(title, text) == TYesNoBottomDlgForm::mrYes;
    TMessage question{QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No};
    return FMessages.show(question) == QMessageBox::Yes;
}

void TMainForm::showTrend(TLogTableModel& table)
{
    // "/d" in the first argument shows the table view; the form reads it with the
    // program's name in front.
    TTrendForm form(FMessages, TTrendForm::TableRequested(QStringList{QString()} + FArguments), this);
    // Filtered through the form's own proxy: the table itself keeps every row.
    form.SetDataSet(&table);
    form.OnServiceReport = [this](TDateTime begin, TDateTime end) { FReport->Run(std::make_pair(begin, end)); };
    FMessages.exec(form, TCentre::MainWindow);
}

// ---- the simulator hand-off ----------------------------------------------------------------
void TMainForm::showSimulator()
{
    // The form works on the store in place and writes its row count back however it closes.
    TSimuForm form(FMessages, *FLogStore, this);
    FMessages.exec(form, TCentre::MainWindow);
    updatePortState();
    FReport->RowsGenerated();
}

void TMainForm::SetSimulatorEnabled(bool on)
{
    if (FControlSheet) FControlSheet->SetSimulateVisible(on);
    // The button sits on page 2, which otherwise opens only after a detection or a load.
    if (on) SetPageEnabled(kPageControlSheet, true);
}

void TMainForm::imageLoadStarting()
{
    FDetectionPage->ClearMemo();
    FDetectionPage->ButtonRefresh->setEnabled(false);
    FDetectionPage->ButtonLImage->setEnabled(false);
    SetPageEnabled(kPageLoggerSettings, false);
}

void TMainForm::imageLoadFinished(const QString& memoLine, const QString& path, bool loaded)
{
    FDetectionPage->AddMemoLine(memoLine);
    FDetectionPage->ButtonRefresh->setEnabled(true);
    FDetectionPage->ButtonLImage->setEnabled(true);
    updatePortState();
    if (!loaded) return;
    // The rows of a file need no detection: the page opens even after a detection failed.
    SetPageEnabled(kPageControlSheet, true);
    FReport->ImageLoaded(path);
    ShowPage(kPageControlSheet);
    setWindowTitle(QStringLiteral("%1 - %2").arg(QString::fromLatin1(kCaption), QFileInfo(path).fileName()));
}

bool TMainForm::LoadImageFile(const QString& path)
{
    if (!FControlSheet || FCloseActionEvent != cla_None || OperationRunning()) return false;
    return FControlSheet->LoadImageFile(path);
}

QString TMainForm::ImageArgument(const QStringList& arguments)
{
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (i == 0 && (a.compare(QLatin1String("/l"), Qt::CaseInsensitive) == 0 || a == QLatin1String("/d")))
            continue;
        if (a.endsWith(QLatin1String(".img"), Qt::CaseInsensitive) || QFileInfo(a).isFile()) return a;
    }
    return {};
}

bool TMainForm::OperationRunning() const { return FBusy > 0 || (FControlSheet && !FControlSheet->Idle()); }

namespace {

// The local file a drag carries, when it carries exactly one.
QString DroppedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1) return {};
    const QUrl url = data->urls().constFirst();
    return url.isLocalFile() ? url.toLocalFile() : QString();
}

} // namespace

void TMainForm::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DroppedFile(event->mimeData()).isEmpty() && FCloseActionEvent == cla_None && !OperationRunning())
        event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event)
{
    const QString path = DroppedFile(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    // Loaded after the drop has returned to the system: the load shows its own progress.
    QMetaObject::invokeMethod(this, [this, path] { LoadImageFile(path); }, Qt::QueuedConnection);
}

void TMainForm::buildWindow()
{
    setObjectName(QStringLiteral("MainForm"));

    FProgramMenu = menuBar()->addMenu(QStringLiteral("Program"));
    FProgramMenu->setObjectName(QStringLiteral("Program1"));
    FExit = FProgramMenu->addAction(QStringLiteral("Exit"));
    FExit->setObjectName(QStringLiteral("Exit1"));
    // Exit asks to close like the close box does, so it walks the same close sequence.
    connect(FExit, &QAction::triggered, this, &QWidget::close);
    FSetupMenu = menuBar()->addMenu(QStringLiteral("Setup"));
    FSetupMenu->setObjectName(QStringLiteral("Setup1"));
    FCommunication = FSetupMenu->addAction(QStringLiteral("Communication"));
    FCommunication->setObjectName(QStringLiteral("Communication1"));
    connect(FCommunication, &QAction::triggered, this, &TMainForm::Communication1Click);

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientArea"));
    FHeader = new THeaderCaption(central);
    FPages = new QStackedWidget(central);
    FPages->setObjectName(QStringLiteral("PageControl1"));
    FDetectionPage = new TDetectionPage(FPages);
    FPages->addWidget(FDetectionPage);
    // The Logger Settings page is inserted at index 1 and the Logger Control Sheet after it
    // once the session objects exist; until then an empty page keeps index 2.
    FControlSheetPage = new QWidget(FPages);
    FPages->addWidget(FControlSheetPage);

    FBack = new QPushButton(QStringLiteral("Back"), central);
    FBack->setObjectName(QStringLiteral("ButtonBack"));
    FNext = new QPushButton(QStringLiteral("Next"), central);
    FNext->setObjectName(QStringLiteral("ButtonNext"));
    connect(FBack, &QPushButton::clicked, this, &TMainForm::ButtonBackClick);
    connect(FNext, &QPushButton::clicked, this, &TMainForm::ButtonNextClick);
    connect(FDetectionPage->ButtonRefresh, &QPushButton::clicked, this, &TMainForm::ButtonRefreshClick);
    connect(FDetectionPage->ButtonLImage, &QPushButton::clicked, this, &TMainForm::LoadImageClicked);

    auto* navigation = new QHBoxLayout;
    navigation->setContentsMargins(6, 0, 6, 4);
    navigation->addStretch();
    navigation->addWidget(FBack);
    navigation->addWidget(FNext);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(FHeader);
    layout->addWidget(FPages, 1);
    layout->addLayout(navigation);
    setCentralWidget(central);

    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("JvStatusBar1"));
    bar->setSizeGripEnabled(false);
    FPanel0 = new QLabel(bar);
    FPanel0->setObjectName(QStringLiteral("StatusPanel0"));
    FPanel0->setFixedWidth(70);
    FPanel0->setAlignment(Qt::AlignCenter);
    FPanel0->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    FPanel1 = new QLabel(bar);
    FPanel1->setObjectName(QStringLiteral("StatusPanel1"));
    FPanel1->setFixedWidth(0);
    FGauge = new QProgressBar(bar);
    FGauge->setObjectName(QStringLiteral("Gauge1"));
    FGauge->setFixedWidth(50);
    FGauge->setRange(0, 100);
    FGauge->setTextVisible(false);
    FGauge->setStyleSheet(QStringLiteral("QProgressBar { border: 1px solid gray; background: white; }"
                                         "QProgressBar::chunk { background: navy; }"));
    bar->addWidget(FPanel0);
    bar->addWidget(FPanel1);
    bar->addWidget(FGauge);

    setFixedSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
}

void TMainForm::SetControlSheetPage(QWidget* page)
{
    const bool enabled = PageEnabled(kPageControlSheet);
    const bool active = ActivePage() == kPageControlSheet;
    QWidget* old = FControlSheetPage;
    FPages->removeWidget(old);
    if (old == FControlSheet) {
        delete FControlSheet; // it lets go of the reader's events at once
        FControlSheet = nullptr;
    } else {
        old->deleteLater();
    }
    FControlSheetPage = page;
    FPages->insertWidget(kPageControlSheet, page);
    FGates.Wrap(*page);
    page->setEnabled(enabled);
    if (active) FPages->setCurrentIndex(kPageControlSheet);
}

void TMainForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (FShown) return;
    FShown = true;
    FormShow();
}

void TMainForm::FormShow()
{
    FMessages.centre(*this, TCentre::Screen);
    Init();
    LoadSettings();
    FFullLog = !FArguments.isEmpty() && FArguments.constFirst().toLower() == QLatin1String("/l");
    FPanel1->setFixedWidth(0);
    if (FLogForm) {
        FLogForm->IsFullLog = FFullLog;
        const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
        const QRect work = screen ? screen->availableGeometry() : QRect();
        FLogForm->move(0, work.isEmpty() ? 0 : work.bottom() + 1 - FLogForm->frameGeometry().height());
        FLogForm->HideErrorView();
        FLogForm->ShowErrorView();
    }
    FDetectionPage->ClearMemo();
    // At start-up the reason goes to the memo and the status bar only: no box before the
    // window is even up.
    reportPortState(false);
    if (FComSetup) FComSetup->InitComSetupDlg(FCOMEngine.get());
    ShowPage(kPageDetection);
    FBack->setEnabled(false);
    FPanel1->setText(QStringLiteral(" "));
    SetGaugePercent(0);
    if (FFullLog && FLogForm) FLogForm->show();
    // A log image named on the command line loads once the window is up.
    const QString image = ImageArgument(FArguments);
    if (!image.isEmpty())
        QMetaObject::invokeMethod(this, [this, image] { LoadImageFile(image); }, Qt::QueuedConnection);
}

void TMainForm::Init()
{
    // The page area stays usable without a port: the controls that need one wait on their own.
    ShowPage(kPageDetection);
    FBack->setEnabled(false);
    FNext->setEnabled(false);
    FDetectionPage->ClearMemo();
}

void TMainForm::LoadSettings()
{
    const TComSetupValues v = quentry::LoadSettings(*FCOMEngine, FSettingsLocation);
    if (!FComSetup) return;
    FComSetup->SetProtokoll(v.Protokoll);
    FComSetup->SetAdapter(quint8(v.AdapterCode));
    FComSetup->IrDAAdapterType = TIrDAAdapterType(v.IrDAAdapter);
    FComSetup->SetCycleTime(v.CycleTime);
    FComSetup->SetQuickReplies(v.QuickReplies);
}

bool TMainForm::SaveSettings() { return quentry::SaveSettings(*FCOMEngine, FSettingsLocation, FMessages); }

// ---- pages, navigation, menu, status bar ---------------------------------------------------

void TMainForm::ShowPage(int Index)
{
    FPages->setCurrentIndex(Index);
    FHeader->setCaption(PageCaption(FPages->currentIndex()));
}

int TMainForm::ActivePage() const { return FPages->currentIndex(); }

QString TMainForm::PageCaption(int Index) const
{
    return Index >= 0 && Index < kPageCount ? QString::fromLatin1(kPageCaptions[Index]) : QString();
}

void TMainForm::SetPageEnabled(int Index, bool enabled)
{
    if (QWidget* page = FPages->widget(Index)) page->setEnabled(enabled);
}

bool TMainForm::PageEnabled(int Index) const
{
    const QWidget* page = FPages->widget(Index);
    return page && page->isEnabledTo(FPages);
}

void TMainForm::DisableMainMenu()
{
    for (QAction* a : menuBar()->actions()) a->setEnabled(false);
    for (QAction* a : {FExit, FCommunication}) a->setEnabled(false);
}

void TMainForm::EnableMainMenu()
{
    for (QAction* a : menuBar()->actions()) a->setEnabled(true);
    for (QAction* a : {FExit, FCommunication}) a->setEnabled(true);
}

void TMainForm::SetBackEnabled(bool enabled) { FBack->setEnabled(enabled); }

void TMainForm::SetNextEnabled(bool enabled) { FNext->setEnabled(enabled); }

void TMainForm::ButtonBackClick()
{
    FNavigationRequested = true;
    FNavigateForward = false;
}

void TMainForm::ButtonNextClick()
{
    FNavigationRequested = true;
    FNavigateForward = true;
}

void TMainForm::DoNavigation()
{
    if (!FNavigationRequested) return;
    int index = ActivePage();
    if (!FNavigateForward && index > 0) {
        for (int j = index - 1; j >= 0; --j)
            if (PageEnabled(j)) {
                index = j;
                break;
            }
    } else if (FNavigateForward && index < kPageCount - 1) {
        for (int j = index + 1; j < kPageCount; ++j)
            if (PageEnabled(j)) {
                index = j;
                break;
            }
    }
    FPages->setCurrentIndex(index);
    FBack->setEnabled(index >= 1);
    FNext->setEnabled(index < kPageCount - 1);
    FNavigationRequested = false;
    FHeader->setCaption(PageCaption(index));
}

void TMainForm::SetGaugePercent(int percent) { FGauge->setValue(qBound(0, percent, 100)); }

int TMainForm::GaugePercent() const { return FGauge->value(); }

void TMainForm::SetGaugeVisible(bool visible) { FGauge->setVisible(visible); }

QString TMainForm::StatusPanelText(int panel) const
{
    if (panel == 0) return FPanel0->text();
    if (panel == 1) return FPanel1->text();
    return {};
}

void TMainForm::SetStatusPanelText(int panel, const QString& text)
{
    if (panel == 0) FPanel0->setText(text);
    if (panel == 1) FPanel1->setText(text);
}

void TMainForm::WaitMs(int Milliseconds) { FAccess->WaitMs(Milliseconds); }

// ---- Detect ------------------------------------------------------------------------------

void TMainForm::ButtonRefreshClick()
{
    BeginOperation();
    FDetectionPage->ClearMemo();
    emit DetectionStarted();
    DisableMainMenu();
    FDetectionPage->ButtonRefresh->setEnabled(false);
    FBack->setEnabled(false);
    FNext->setEnabled(false);
    SetPageEnabled(kPageControlSheet, false);
    SetPageEnabled(kPageLoggerSettings, false);
    emit StartClearGroupEnable(false);
    emit ExportGroupEnable(false);

    const TProtokoll protocol = FComSetup ? FComSetup->Protokoll() : FCOMEngine->Protokoll();
    const TDetection::TOutcome outcome = FDetection->Detect(protocol);
    FDetectedAt = QDateTime::currentDateTime();
    for (const QString& line : std::as_const(FDetection->memo)) FDetectionPage->AddMemoLine(line);
    FDetectionPage->ScrollMemoToTop();

    switch (outcome) {
    case TDetection::TOutcome::AdapterNotFound:
        FNext->setEnabled(true);
        FBack->setEnabled(true);
        break;
    case TDetection::TOutcome::DeviceNotFound:
    case TDetection::TOutcome::NoLogger: break;
    case TDetection::TOutcome::Found:
        FSettingsPage->ShowLoggerConfig();
        ShowPage(kPageLoggerSettings);
        FSettingsPage->ShowRtc();
        FNext->setEnabled(true);
        FBack->setEnabled(true);
        emit StartClearGroupEnable(DeviceFound());
        SetPageEnabled(kPageControlSheet, true);
        SetPageEnabled(kPageLoggerSettings, true);
        break;
    }
    FDetectionPage->ButtonRefresh->setEnabled(true);
    EnableMainMenu();
    EndOperation();
}

// ---- Setup > Communication ---------------------------------------------------------------

void TMainForm::Communication1Click()
{
    if (!FComSetup) return;
    TCOMEngine& engine = *FCOMEngine;
    if (engine.PortName() == QStringLiteral("COM%1").arg(engine.Port()))
        FComSetup->InitPortComboBoxByComPortNumber(engine.Port());
    else
        FComSetup->InitPortComboBoxByName(engine.PortName());
    if (FMessages.exec(*FComSetup, TCentre::MainWindow) != QDialog::Accepted) return;

    BeginOperation();
    engine.CloseCom();
    // A port that never reports closed must not hang the program.
    if (!WaitUntil([&engine] { return !engine.Connected(); }, kPortCloseWaitMs))
        closeLog(QStringLiteral("The port did not report closed within %1 ms; opening the new one anyway.")
                     .arg(kPortCloseWaitMs));
    engine.SetProtokoll(FComSetup->Protokoll());
    ApplyAdapterCode(engine, FComSetup->Adapter());
    engine.SetTime_ByteGap(quint32(qMax(0, FComSetup->CycleTime())));
    engine.SetQuickReplies(FComSetup->QuickReplies());
    const QString name = FComSetup->PortName();
    // "COM<n>" goes by its number as the settings file keeps it; any other name whole.
    if (name.startsWith(QLatin1String("COM"), Qt::CaseInsensitive))
        engine.OpenCom(quint16(quint8(FComSetup->Port)));
    else
        engine.OpenComByName(name);
    Init();
    reportPortState(true);
    EndOperation();
}

// ---- idle handler and close sequence -----------------------------------------------------

void TMainForm::ApplicationIdle()
{
    // Waits inside a step (closing the port) run the event loop again: no second turn.
    if (FInIdle) return;
    FInIdle = true;
    updatePortState();
    if (FCloseActionEvent == cla_None)
        DoNavigation();
    else
        closeStep();
    FInIdle = false;
}

void TMainForm::updatePortState()
{
    const bool connected = FCOMEngine->Connected();
    FGates.Update(connected, FLogStore->LogCount() > 0);
    const QString state = connected ? PortStateText(*FCOMEngine) : QStringLiteral("Closed");
    if (FPanel0->text() != state) FPanel0->setText(state);
    // Panel 1, empty otherwise, says why the port is closed when an open was refused.
    const QString problem = connected ? QString() : FPortProblem;
    if (FPanel1->toolTip() != problem) {
        FPanel1->setToolTip(problem);
        FPanel1->setFixedWidth(problem.isEmpty() ? 0 : kPanel1ProblemWidth);
        FPanel1->setText(FPanel1->fontMetrics().elidedText(problem, Qt::ElideRight, kPanel1ProblemWidth - 6));
    }
}

void TMainForm::reportPortState(bool box)
{
    if (FCOMEngine->Connected()) {
        FPortProblem.clear();
        return;
    }
    // No reason when no open was tried ("OpenComAtStart=0"): then only what to do.
    FPortProblem = FCOMEngine->ComPort().OpenFailure() == TPortOpenFailure::None
                       ? QString()
                       : PortOpenFailureText(*FCOMEngine);
    if (!FPortProblem.isEmpty()) FDetectionPage->AddMemoLine(FPortProblem);
    FDetectionPage->AddMemoLine(
        QStringLiteral("No serial port is open: choose one under Setup > Communication."));
    if (box && !FPortProblem.isEmpty()) FMessages.error(FPortProblem);
}

void TMainForm::setCloseStep(TCloseActionEvent step)
{
    FCloseActionEvent = step;
    FStepClock.start();
    emit CloseStepReached(step);
}

void TMainForm::wakeIdleIn(int ms)
{
    // The idle handler runs when the queue empties again; a step that moved on or holds
    // gives it that turn, so the sequence never waits for some unrelated event.
    QTimer::singleShot(ms, this, [] {});
}

void TMainForm::closeLog(const QString& text)
{
    FCOMEngine->AddLog(QStringLiteral("SYS"), text);
    if (FLogForm) FLogForm->Elog_Add(QStringLiteral("SYS"), text);
}

void TMainForm::closeStep()
{
    switch (FCloseActionEvent) {
    case cla_None: return;
    case cla_Stop: {
        TProgressOptions o;
        o.caption = QStringLiteral("Closing Application");
        o.text = QStringLiteral("Closing Transactions ...");
        o.maximum = 100;
        FCloseProgress = FMessages.showProgress(o);
        // A logger read still running ends before the port closes and anything is detached.
        if (FLOGGEREngine->Active()) FLOGGEREngine->Stop();
        setCloseStep(cla_WaitForStop);
        wakeIdleIn(0);
        return;
    }
    case cla_WaitForStop: {
        const qint64 held = FStepClock.elapsed();
        if (FLOGGEREngine->Active() && held < kReaderStopWaitMs) {
            FLOGGEREngine->Stop();
            wakeIdleIn(kHoldPollMs);
            return;
        }
        if (OperationRunning() && held < kOperationEndWaitMs) {
            wakeIdleIn(kHoldPollMs);
            return;
        }
        if (FLOGGEREngine->Active()) {
            closeLog(QStringLiteral("The logger read did not end in time; it is detached."));
            FLOGGEREngine->SetOstraDevice(nullptr);
        }
        if (OperationRunning()) closeLog(QStringLiteral("An operation is still running; closing anyway."));
        FCloseProgress->setPosition(25);
        FCloseProgress->setText(QStringLiteral("Closing Transactions. Please Wait ..."));
        setCloseStep(cla_ComClose);
        wakeIdleIn(0);
        return;
    }
    case cla_ComClose:
        FCloseProgress->setPosition(50);
        FCloseProgress->setText(QStringLiteral("Closing Communication Port ..."));
        FCOMEngine->CloseCom();
        setCloseStep(cla_WaitForComClose);
        wakeIdleIn(0);
        return;
    case cla_WaitForComClose:
        if (FCOMEngine->Connected()) {
            if (FStepClock.elapsed() < kPortCloseWaitMs) {
                wakeIdleIn(kHoldPollMs);
                return;
            }
            closeLog(QStringLiteral("The port did not report closed within %1 ms; closing anyway.")
                         .arg(kPortCloseWaitMs));
        }
        FCloseProgress->setPosition(75);
        FCloseProgress->setText(QStringLiteral("Waiting For Communication Port ..."));
        setCloseStep(cla_Enabled);
        wakeIdleIn(0);
        return;
    case cla_Enabled:
        FCloseProgress->setPosition(100);
        FCloseProgress->setText(QStringLiteral("Closing Application ..."));
        // Asked once; the close itself unhooks this handler.
        if (FIdleConnected) {
            disconnect(FIdleConnection);
            FIdleConnected = false;
            QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        }
        return;
    }
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    switch (FCloseActionEvent) {
    case cla_None:
        setCloseStep(cla_Stop);
        event->ignore();
        wakeIdleIn(0);
        return;
    case cla_Enabled:
        SaveSettings();
        detach();
        FCloseProgress.reset();
        event->accept();
        return;
    default: event->ignore(); return;
    }
}

void TMainForm::detach()
{
    if (FIdleConnected) {
        disconnect(FIdleConnection);
        FIdleConnected = false;
    }
    FLOGGEREngine->OnRdLogger = nullptr;
    FLOGGEREngine->OnMessage = nullptr;
    FCOMEngine->OnComLogEvent = nullptr;
    FCOMEngine->OnComStateChangedEvent = nullptr;
    // The reader lets go of the device object before the device lets go of the engine: a
    // read that is somehow still running ends there, without reaching a detached device.
    FLOGGEREngine->SetOstraDevice(nullptr);
    FOstraDevice->SetComEngine(nullptr);
}

} // namespace quentry
