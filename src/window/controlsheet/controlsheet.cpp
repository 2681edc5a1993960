#include "controlsheet.h"

#include "asciiexport.h"
#include "dbaseexport.h"
#include "deviceaccess.h"
#include "imagefile.h"
#include "loggercommands.h"
#include "loggerengine.h"
#include "logstore.h"
#include "logtable.h"
#include "logtexts.h"
#include "messageservice.h"
#include "waiting.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quentry {
namespace {

const QString kImageFilter = QStringLiteral("Logger Image files (*.img);;All files (*.*)");
const QString kTextFilter = QStringLiteral("Text files (*.txt);;All files (*.*)");
const QString kDbaseFilter = QStringLiteral("DBase files (*.dbf);;All files (*.*)");
const QString kExportProposal = QStringLiteral("Export");
// The port reports connected at once on a good open; this only bounds a port that never does.
constexpr int kReopenWaitMs = 3000;

TFileDialogRequest fileRequest(TFileDialogRequest::TMode mode, const QString& caption, const QString& filter,
                               const QString& suffix)
{
    TFileDialogRequest r;
    r.caption = caption;
    r.filter = filter;
    r.defaultSuffix = suffix;
    r.confirmOverwrite = mode == TFileDialogRequest::TMode::Save;
    r.mode = mode;
    return r;
}

QPushButton* makeButton(const QString& text, const char* name, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

QLabel* makeLabel(const char* name, QWidget* parent)
{
    auto* l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setMinimumHeight(l->fontMetrics().height());
    return l;
}

} // namespace

TLoggerControlSheet::TLoggerControlSheet(const TControlSheetParts& parts, TControlSheetHooks hooks, QWidget* parent)
    : QWidget(parent), FParts(parts), FHooks(std::move(hooks))
{
    setObjectName(QStringLiteral("LoggerControlSheet"));
    buildControls();
    FParts.reader.OnRdLogger = [this](TLOGGEREngine*, const THART_PAS_LOG_Row& row) { Log_Add(row); };
    FParts.reader.OnFinish = [this](TLOGGEREngine*) { ReadFinished(); };
    Buttonstop->setEnabled(false);
    SetStartClearGroupEnabled(true);
    SetExportGroupEnabled(false);
}

TLoggerControlSheet::~TLoggerControlSheet()
{
    // A read still running ends at its next step and must not reach this page any more.
    FParts.reader.OnRdLogger = nullptr;
    FParts.reader.OnFinish = nullptr;
    FParts.reader.Stop();
}

void TLoggerControlSheet::buildControls()
{
    FCommands = new QGroupBox(QStringLiteral("Logger Commands"), this);
    FCommands->setObjectName(QStringLiteral("GroupLoggerCommands"));
    ButtonStart = makeButton(QStringLiteral("Start Reading"), "ButtonStart", FCommands);
    Buttonstop = makeButton(QStringLiteral("Stop Reading"), "Buttonstop", FCommands);
    ButtonClear = makeButton(QStringLiteral("Clear Logger"), "ButtonClear", FCommands);
    LabelTotalRec = makeLabel("LabelTotalRec", FCommands);
    LabelTime = makeLabel("LabelTime", FCommands);
    auto* commands = new QGridLayout(FCommands);
    commands->setContentsMargins(6, 4, 6, 4);
    commands->setVerticalSpacing(2);
    commands->addWidget(ButtonStart, 0, 0);
    commands->addWidget(Buttonstop, 0, 1);
    commands->addWidget(ButtonClear, 0, 2);
    commands->addWidget(LabelTotalRec, 1, 0, 1, 3);
    commands->addWidget(LabelTime, 2, 0, 1, 3);

    FExport = new QGroupBox(QStringLiteral("Export"), this);
    FExport->setObjectName(QStringLiteral("GroupExport"));
    ButtonSImage = makeButton(QStringLiteral("Save Image"), "ButtonSImage", FExport);
    ButtonASC = makeButton(QStringLiteral("To ASCII File"), "ButtonASC", FExport);
    ButtonDBase = makeButton(QStringLiteral("To DBASE Table"), "ButtonDBase", FExport);
    ButtonTrend = makeButton(QStringLiteral("Show Trend"), "ButtonTrend", FExport);
    ButtonReport = makeButton(QStringLiteral("Service Report..."), "ButtonReport", FExport);
    ButtonSimulate = makeButton(QStringLiteral("Simulate Image"), "ButtonSimulate", FExport);
    ButtonSimulate->hide(); // shown only when the program is started for the simulator
    Label4 = makeLabel("Label4", FExport);
    auto* exports = new QGridLayout(FExport);
    exports->setContentsMargins(6, 4, 6, 4);
    exports->setVerticalSpacing(2);
    exports->addWidget(ButtonSImage, 0, 0);
    exports->addWidget(ButtonASC, 0, 1);
    exports->addWidget(ButtonDBase, 0, 2);
    exports->addWidget(ButtonTrend, 1, 0);
    exports->addWidget(ButtonReport, 1, 1);
    exports->addWidget(ButtonSimulate, 1, 2);
    exports->addWidget(Label4, 2, 0, 1, 3);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(4, 4, 4, 4);
    page->setSpacing(4);
    page->addWidget(FCommands);
    page->addWidget(FExport);
    page->addStretch(1);

    connect(ButtonStart, &QPushButton::clicked, this, &TLoggerControlSheet::ButtonStartClick);
    connect(Buttonstop, &QPushButton::clicked, this, &TLoggerControlSheet::ButtonstopClick);
    connect(ButtonClear, &QPushButton::clicked, this, &TLoggerControlSheet::ButtonClearClick);
    connect(ButtonSImage, &QPushButton::clicked, this, &TLoggerControlSheet::ButtonSImageClick);
    connect(ButtonASC, &QPushButton::clicked, this, &TLoggerControlSheet::ButtonASCClick);
    connect(ButtonDBase, &QPushButton::clicked, this, &TLoggerControlSheet::ButtonDBaseClick);
    connect(ButtonTrend, &QPushButton::clicked, this, &TLoggerControlSheet::ButtonTrendClick);
    connect(ButtonSimulate, &QPushButton::clicked, this, &TLoggerControlSheet::ButtonSimulateClick);
    connect(ButtonReport, &QPushButton::clicked, this, &TLoggerControlSheet::ButtonReportClick);
}

// ---- the window's switches -------------------------------------------------------------

void TLoggerControlSheet::SetSimulateVisible(bool on) { ButtonSimulate->setVisible(on); }

void TLoggerControlSheet::SetExportGroupEnabled(bool on)
{
    for (QPushButton* b : {ButtonASC, ButtonDBase, ButtonTrend, ButtonReport, ButtonSImage}) b->setEnabled(on);
}

void TLoggerControlSheet::SetStartClearGroupEnabled(bool on)
{
    const bool enabled = on && FParts.access.DeviceFound;
    ButtonStart->setEnabled(enabled);
    ButtonClear->setEnabled(enabled);
}

void TLoggerControlSheet::setActivity(TActivity a)
{
    const bool wasReading = ReadingActive();
    FActivity = a;
    if (wasReading != ReadingActive() && FHooks.readingChanged) FHooks.readingChanged(ReadingActive());
}

void TLoggerControlSheet::setMenu(bool on)
{
    if (FHooks.setMenuEnabled) FHooks.setMenuEnabled(on);
}

void TLoggerControlSheet::setBack(bool on)
{
    if (FHooks.setBackEnabled) FHooks.setBackEnabled(on);
}

void TLoggerControlSheet::setNext(bool on)
{
    if (FHooks.setNextEnabled) FHooks.setNextEnabled(on);
}

void TLoggerControlSheet::setGauge(int percent)
{
    if (FHooks.setGauge) FHooks.setGauge(percent);
}

TOperationContext TLoggerControlSheet::context()
{
    TOperationContext c;
    c.Feedback = &FParts.messages;
    c.Clock = &FClock;
    c.FullLog = FFullLog;
    return c;
}

// ---- reading ---------------------------------------------------------------------------

void TLoggerControlSheet::ButtonStartClick()
{
    if (!Idle() || !FParts.access.DeviceFound || FParts.reader.Active()) return;
    FParts.table.SetStale();
    FParts.store.Clear();
    FRowCounter = 0;

    setMenu(false);
    ButtonStart->setEnabled(false);
    Buttonstop->setEnabled(true);
    ButtonClear->setEnabled(false);
    setBack(false);
    SetExportGroupEnabled(false);

    TCOMEngine& engine = FParts.access.engine();
    engine.SetHeartBeatActive(false);
    setActivity(TActivity::Reading);
    FClock.Start();
    // The page read blocks until the read has ended (the engine keeps the window alive
    // meanwhile); the record read runs on the reader's timer. Both end in ReadFinished.
    if (engine.Protokoll() == prt_MODE3) FParts.reader.AssyReadByPage();
    else FParts.reader.InitReadByRecord();
}

void TLoggerControlSheet::ButtonstopClick()
{
    if (ReadingActive()) FParts.reader.Stop();
}

void TLoggerControlSheet::Log_Add(const THART_PAS_LOG_Row& Row)
{
    FParts.store.Log_AddToArray(Row);
    const TLOGGEREngine& reader = FParts.reader;
    // Page reads refresh the display once per 24 rows.
    if (FParts.access.engine().Protokoll() != prt_MODE3 || reader.FilePointerPos() % 24 == 0) {
        LabelTotalRec->setText(TotalRecText(reader.TotalRecordCount(), reader.FilePointerPos(), Row.index));
        if (const std::optional<int> p = ReadGaugePercent(reader.FilePointerPos(), reader.TotalRecordCount())) {
            LabelTime->setText(FClock.FormatElapsed(*p));
            setGauge(*p);
        } else {
            LabelTime->setText(FClock.FormatElapsed(0));
        }
    }
    ++FRowCounter;
}

void TLoggerControlSheet::ReadFinished()
{
    if (!ReadingActive()) return;
    setActivity(TActivity::Idle);
    SetStartClearGroupEnabled(true);
    Buttonstop->setEnabled(false);
    setBack(true);
    setMenu(true);

    TCOMEngine& engine = FParts.access.engine();
    // An adapter that aborted the link stays without its heartbeat.
    if (engine.LastTXRXInfo().FrameError != FERR_ADAPTERABORT) engine.SetHeartBeatActive(true);

    const TLOGGEREngine& reader = FParts.reader;
    LabelTotalRec->setText(ResultRecText(ReadResultRecords(reader.FilePointerPos(), FRowCounter)));
    LabelTime->setText(FClock.FormatElapsed(ReadFinishedPercent(reader.FilePointerPos(), reader.TotalRecordCount())));
    setGauge(0);
    if (reader.TotalRecordCount() > 0) SetExportGroupEnabled(true);
    // The files of these rows are named after the transmitter they came from and the day.
    if (FParts.store.LogCount() > 0)
        FStem = QStringLiteral("%1_%2")
                    .arg(FParts.access.DeviceUniqueID.DeviceID)
                    .arg(QDate::currentDate().toString(Qt::ISODate));
}

// ---- clearing --------------------------------------------------------------------------

bool TLoggerControlSheet::confirm(const QString& title, const QString& text)
{
    if (FHooks.confirm) return FHooks.confirm(title, text);
    TMessage question;
    question.icon = QMessageBox::Question;
    question.caption = title;
    question.text = text;
    question.buttons = QMessageBox::Yes | QMessageBox::No;
    question.defaultButton = QMessageBox::No;
    question.centre = TCentre::Screen;
    return FParts.messages.show(question) == QMessageBox::Yes;
}

void TLoggerControlSheet::ButtonClearClick()
{
    if (!Idle() || !FParts.access.DeviceFound) return;
    if (!confirm(QStringLiteral("Confirmation"), ClearLoggerQuestion())) return;
    // The clear keeps the window alive between its requests: no other command may start.
    setActivity(TActivity::Clearing);
    ClearLogger(FParts.access, FParts.reader); // its outcome is not shown; the store is not touched
    setActivity(TActivity::Idle);
}

// ---- the single file dialog --------------------------------------------------------------

QString TLoggerControlSheet::proposedName(const TFileDialogRequest& request) const
{
    // A file name always: with none the dialog would show the name of the folder it starts in.
    QString name = FStem.isEmpty() ? kExportProposal : FStem;
    if (request.mode == TFileDialogRequest::TMode::Save && !request.defaultSuffix.isEmpty())
        name += QLatin1Char('.') + request.defaultSuffix;
    return QDir(request.directory).filePath(name);
}

void TLoggerControlSheet::rememberName(const QString& path)
{
    FStem = QFileInfo(path).completeBaseName();
    FParts.messages.noteFileUsed(path);
}

QString TLoggerControlSheet::askFileName(TFileDialogRequest request)
{
    request.directory = FParts.messages.fileDialogFolder();
    request.fileName = proposedName(request);
    const QString path = request.mode == TFileDialogRequest::TMode::Save ? FParts.messages.getSaveFileName(request)
                                                                          : FParts.messages.getOpenFileName(request);
    if (!path.isEmpty()) rememberName(path);
    return path;
}

// ---- images ----------------------------------------------------------------------------

void TLoggerControlSheet::ButtonSImageClick()
{
    if (!Idle() || FParts.store.LogCount() == 0) return;
    setActivity(TActivity::Saving);
    setMenu(false);
    SetStartClearGroupEnabled(false);
    SaveImage();
    SetStartClearGroupEnabled(true);
    setMenu(true);
    setActivity(TActivity::Idle);
}

void TLoggerControlSheet::SaveImage()
{
    Label4->clear();
    const TFileDialogRequest r =
        fileRequest(TFileDialogRequest::TMode::Save, QStringLiteral("Saving Logger Image File"), kImageFilter,
                    QStringLiteral("img"));
    const QString path = askFileName(r);
    if (path.isEmpty()) return;
    const TOperationContext c = context();
    // Written aside and put in place whole: a cancel, a full disk or a refused target
    // leaves any earlier file of that name as it was.
    const TFileResult result = quentry::SaveImage(path, FParts.store, c);
    Label4->setText(result.label4);
}

void TLoggerControlSheet::ButtonLImageClick()
{
    if (!Idle()) return;
    const TFileDialogRequest r =
        fileRequest(TFileDialogRequest::TMode::Open, QStringLiteral("Loading Logger Image File"),
                    kImageFilter, QStringLiteral("img"));
    beginImageLoad();
    Label4->clear();
    const QString path = askFileName(r);
    finishImageLoad(path, LoadImage(path));
}

bool TLoggerControlSheet::LoadImageFile(const QString& path)
{
    if (!Idle()) return false;
    beginImageLoad();
    Label4->clear();
    if (!path.isEmpty()) rememberName(QFileInfo(path).absoluteFilePath());
    return finishImageLoad(path, LoadImage(path));
}

void TLoggerControlSheet::beginImageLoad()
{
    setActivity(TActivity::Loading);
    TCOMEngine& engine = FParts.access.engine();
    FBeforeLoad = {FParts.access.DeviceFound, engine.HeartBeatActive(), ButtonSImage->isEnabled()};
    if (FHooks.imageLoadStarting) FHooks.imageLoadStarting();
    FParts.access.DeviceFound = false;
    engine.SetHeartBeatActive(false);
    setMenu(false);
    SetStartClearGroupEnabled(false);
    SetExportGroupEnabled(false);
    setBack(false);
    setNext(false);
}

bool TLoggerControlSheet::LoadImage(const QString& path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile()) return false;
    // Loaded aside: a file that turns out unusable leaves the rows in hand as they were.
    TLogStore loaded(&FParts.messages);
    const TOperationContext c = context();
    const TFileResult result = quentry::LoadImage(path, loaded, c);
    Label4->setText(result.label4);
    if (!result.ok) return false;
    FParts.store.LogRows() = loaded.LogRows();
    FParts.store.SetLogCount(loaded.LogCount());
    return true;
}

bool TLoggerControlSheet::finishImageLoad(const QString& path, bool loaded)
{
    const QString shownPath = path.isEmpty() ? path : QFileInfo(path).absoluteFilePath();
    if (loaded) {
        // The window now works on file data only, until the next detection.
        setNext(true);
        setBack(true);
        FParts.table.SetStale();
        SetExportGroupEnabled(true);
        SetStartClearGroupEnabled(false);
    } else {
        // Nothing was replaced: the detection and the rows in hand stay usable.
        FParts.access.DeviceFound = FBeforeLoad.deviceFound;
        if (FBeforeLoad.heartBeat) FParts.access.engine().SetHeartBeatActive(true);
        setNext(true);
        setBack(true);
        SetStartClearGroupEnabled(true);
        SetExportGroupEnabled(FBeforeLoad.exportEnabled && FParts.store.LogCount() > 0);
    }
    setMenu(true);
    setActivity(TActivity::Idle);
    if (FHooks.imageLoadFinished) FHooks.imageLoadFinished(ImageMemoLine(shownPath, loaded), shownPath, loaded);
    return loaded;
}

// ---- the log table and the exports --------------------------------------------------------

bool TLoggerControlSheet::ConvertToTable()
{
    TWaitCursor hourglass;
    const TOperationContext c = context();
    return FParts.table.ConvertToTable(FParts.store, c, [this](const QString& text) { LabelTotalRec->setText(text); });
}

void TLoggerControlSheet::beginExport(TActivity a)
{
    setActivity(a);
    SetExportGroupEnabled(false);
    SetStartClearGroupEnabled(false);
    setMenu(false);
    setNext(false);
    setBack(false);
}

void TLoggerControlSheet::endExport()
{
    setNext(true);
    setBack(true);
    setMenu(true);
    SetStartClearGroupEnabled(true);
    SetExportGroupEnabled(true);
    setActivity(TActivity::Idle);
}

void TLoggerControlSheet::ButtonASCClick()
{
    if (!Idle() || FParts.store.LogCount() == 0) return;
    beginExport(TActivity::Exporting);
    const bool converted = ConvertToTable();
    FRowCounter = 0;
    if (converted) ExportAscii();
    endExport();
}

void TLoggerControlSheet::ExportAscii()
{
    Label4->clear();
    const TFileDialogRequest r =
        fileRequest(TFileDialogRequest::TMode::Save, QStringLiteral("Saving ASCII Text File"), kTextFilter,
                    QStringLiteral("txt"));
    const QString path = askFileName(r);
    if (path.isEmpty()) return;
    TWaitCursor hourglass;
    const TOperationContext c = context();
    const TFileResult result = quentry::ExportAscii(path, FParts.store, c);
    FRowCounter += result.records;
    Label4->setText(result.label4);
}

void TLoggerControlSheet::ButtonDBaseClick()
{
    if (!Idle()) return;
    beginExport(TActivity::Exporting);
    Label4->clear();
    const bool converted = ConvertToTable();

    // The port is closed while the table is written, and opened again on the same port.
    TCOMEngine& engine = FParts.access.engine();
    const bool wasOpen = engine.Connected();
    engine.StopHBTimer();
    engine.CloseCom();
    if (converted) ExportDbase();
    if (wasOpen) {
        engine.OpenComByName(engine.PortName());
        WaitUntil([&engine] { return engine.Connected(); }, kReopenWaitMs);
        if (engine.Adapter() == adt_IrDA && engine.SendAdapterMode()) engine.StartHBTimer();
    }
    endExport();
}

void TLoggerControlSheet::ExportDbase()
{
    if (FParts.store.LogCount() == 0) return;
    const TFileDialogRequest r =
        fileRequest(TFileDialogRequest::TMode::Save, QStringLiteral("Saving Database"), kDbaseFilter,
                    QStringLiteral("dbf"));
    const QString path = askFileName(r);
    if (path.isEmpty()) return;
    TWaitCursor hourglass;
    const TOperationContext c = context();
    const TFileResult result = quentry::ExportDbase(path, FParts.table.Model(), c);
    Label4->setText(result.label4);
}

// ---- hand-offs -------------------------------------------------------------------------

void TLoggerControlSheet::ButtonTrendClick()
{
    if (!Idle() || FParts.store.LogCount() == 0) return;
    beginExport(TActivity::Trend);
    if (ConvertToTable()) {
        if (FHooks.showTrend) {
            FHooks.showTrend(FParts.table.Model());
        } else {
            FParts.messages.show({QMessageBox::Information, QStringLiteral("Show Trend"),
                                  QStringLiteral("The trend window is not available yet.")});
        }
    }
    endExport();
}

void TLoggerControlSheet::ButtonReportClick()
{
    if (!Idle() || FParts.store.LogCount() == 0 || !FHooks.serviceReport) return;
    beginExport(TActivity::Reporting);
    FHooks.serviceReport();
    endExport();
}

void TLoggerControlSheet::ButtonSimulateClick()
{
    if (!Idle()) return;
    if (!FHooks.simulate) {
        FParts.messages.show({QMessageBox::Information, QStringLiteral("Simulate Image"),
                              QStringLiteral("The log image simulator is not available yet.")});
        return;
    }
    setActivity(TActivity::Simulating);
    FHooks.simulate();
    FParts.table.SetStale();
    if (FParts.store.LogCount() > 0)
        FStem = QStringLiteral("Simulated_") + QDate::currentDate().toString(Qt::ISODate);
    setActivity(TActivity::Idle);
    // Generated rows are saved, exported and charted like read ones.
    if (FParts.store.LogCount() > 0) SetExportGroupEnabled(true);
}

} // namespace quentry
