// The main window against the virtual transmitter: start-up from the settings file,
// Detect, the clock and the logger configuration, Setup > Communication, navigation and
// the close sequence. Modal boxes are answered by the message service.
#include "comsetupdlg.h"
#include "controlsheet.h"
#include "detectionpage.h"
#include "logentrymodel.h"
#include "logform.h"
#include "loggersettingspage.h"
#include "mainform.h"
#include "pdftext.h"
#include "reportvisit.h"
#include "messageservice.h"
#include "ptypair.h"
#include "simuform.h"
#include "quentrywindows.h"
#include "adapters.h"
#include "fakeserialport.h"
#include "imagefile.h"
#include "logsimulator.h"
#include "trendform.h"
#include "virtualtransmitter.h"
#include "waiting.h"
#include "yesnodlg.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCheckBox>
#include <QDropEvent>
#include <QMimeData>
#include <QTableView>
#include <QTimer>
#include <QRegularExpression>
#include <QUrl>
#include <QStatusBar>
#include <QComboBox>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimeEdit>
#include <gtest/gtest.h>
#include <cmath>

using namespace quentry;
using namespace quentry::emulator;

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

const QString kCmdError = QStringLiteral("CMD error in reply\r\nPlease Detect Again!");

class MainWindowTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        windows.reset();
        transmitter.reset();
    }

    TSettingsLocation location() const
    {
        TSettingsLocation l;
        l.fallbackDir = dir.path();
        return l;
    }
    QString settingsPath() const { return location().ReadPath(); }

    void writeSettings(const QString& port, int protocol = prt_HART, int adapter = 0)
    {
        QFile f(settingsPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Text));
        f.write(QStringLiteral("[Main]\nComPortName=%1\nProtocol=%2\nAdapter=%3\nTimeOut=20\n")
                    .arg(port)
                    .arg(protocol)
                    .arg(adapter)
                    .toUtf8());
    }

    // A transmitter with a short logger, and a settings file that opens its port.
    void startTransmitter(TEmulatorConfig c = {}, int adapter = 0, int rows = 30)
    {
        c.rows = rows;
        c.turnaroundMs = 0;
        transmitter = std::make_unique<TVirtualTransmitter>(c);
        const QString port = transmitter->start();
        ASSERT_FALSE(port.isEmpty()) << qPrintable(transmitter->errorString());
        writeSettings(port, c.protocol == TEmuProtocol::Fast ? prt_MODE3 : prt_HART, adapter);
    }

    void open(const QStringList& arguments = {})
    {
        windows = std::make_unique<TQuentryWindows>(location(), arguments);
        messages().setScripted(true);
        main().show();
        idle();
        // The least the engine allows: 20 ms byte gap, 30 ms answer wait.
        if (main().COMEngine().Connected()) main().COMEngine().SetTime_ByteGap(0);
    }

    // Lets the idle handler run (it runs whenever the event queue has emptied).
    static void idle() { WaitFor(30); }

    TMainForm& main() { return *windows->MainForm; }
    TMessageService& messages() { return *windows->Messages; }
    TLoggerSettingsPage& page1() { return main().LoggerSettingsPage(); }
    template <class T> T* control(const char* name) { return main().findChild<T*>(QLatin1String(name)); }
    QString header() { return main().PageCaption(main().ActivePage()); }

    void detect()
    {
        control<QPushButton>("ButtonRefresh")->click();
        idle();
    }

    // Walks the close sequence from the close box to the end; the steps it went through.
    QList<int> closeAndWait()
    {
        QList<int> steps;
        QObject::connect(&main(), &TMainForm::CloseStepReached, [&steps](quint8 s) { steps << s; });
        main().close();
        EXPECT_TRUE(WaitUntil([this] { return !main().isVisible(); }, 10000)) << "the window did not close";
        return steps;
    }

    // Detect, then "Start Reading" on page 2 until the read has ended.
    void readLogger()
    {
        detect();
        ASSERT_TRUE(main().DeviceFound());
        control<QPushButton>("ButtonNext")->click();
        idle();
        ASSERT_EQ(main().ActivePage(), TMainForm::kPageControlSheet);
        bool ended = false;
        auto c = QObject::connect(&main(), &TMainForm::ReadingChanged, [&ended](bool active) { ended = !active; });
        control<QPushButton>("ButtonStart")->click();
        ASSERT_TRUE(WaitUntil([&ended] { return ended; }, 60000));
        QObject::disconnect(c);
    }

    // Setup > Communication, OK with this port typed in.
    void answerSetup(const QString& port)
    {
        messages().queueDialogAnswer([port](QDialog& d) {
            d.findChild<QComboBox*>("ComboBoxPort")->setEditText(port);
            static_cast<TComSetupDlgForm&>(d).ButtonOKClick();
            return d.result();
        });
    }

    // A log image of generated rows, as the simulator writes one.
    QString generatedImage(const QString& name, int rows)
    {
        TSimulationInputs in;
        in.TotalIndex = rows;
        in.StartDate = QDate(2015, 3, 1);
        TLogStore store;
        store.SetLogCount(TLogSimulator(in).Generate(store.LogRows()));
        const QString path = dir.filePath(name);
        EXPECT_TRUE(SaveImage(path, store, {}).ok);
        return path;
    }

    QString saveImage(const QString& name)
    {
        const QString path = dir.filePath(name);
        messages().queueFileName(path);
        control<QPushButton>("ButtonSImage")->click();
        return path;
    }

    QTemporaryDir dir;
    std::unique_ptr<TVirtualTransmitter> transmitter;
    std::unique_ptr<TQuentryWindows> windows;
};

const QList<int> kAllCloseSteps = {cla_Stop, cla_WaitForStop, cla_ComClose, cla_WaitForComClose, cla_Enabled};

// A port that opens but never reports closed again (a driver that hangs in its close).
class TStuckPort final : public TSerialPort
{
public:
    bool Open() override
    {
        FOpen = true;
        notifyAfterOpen();
        return true;
    }
    void Close() override { ++closes; }
    bool Connected() const override { return FOpen; }
    bool Write(const quint8*, int count) override { return count >= 0; }
    int Read(quint8*, int) override { return 0; }
    void ClearBuffer(bool, bool) override {}
    void SetDTR(bool) override {}
    void SetRTS(bool) override {}
    void AbortAllAsync() override {}
    int closes = 0;

protected:
    void ApplySettings() override {}

private:
    bool FOpen = false;
};

} // namespace

TEST_F(MainWindowTest, StartsWithoutSettingsFileClosedAndClosesThroughEveryStep)
{
    open();
    EXPECT_EQ(main().windowTitle(), "Quentry V1.21 by VOSSEC");
    EXPECT_EQ(main().centralWidget()->size() + QSize(0, main().statusBar()->height()), QSize(392, 304));
    EXPECT_EQ(main().StatusPanelText(0), "Closed");
    // What needs the transmitter waits for a port; saved data does not, and the memo says
    // what to do next.
    EXPECT_TRUE(control<QWidget>("PageControl1")->isEnabled());
    EXPECT_FALSE(control<QPushButton>("ButtonRefresh")->isEnabled());
    EXPECT_TRUE(control<QPushButton>("ButtonLImage")->isEnabled());
    const QStringList memo = main().DetectionPage().MemoLines();
    ASSERT_EQ(memo.size(), 2);
    EXPECT_TRUE(memo[0].startsWith("COM1 is not present; ")) << qPrintable(memo[0]);
    EXPECT_EQ(memo[1], "No serial port is open: choose one under Setup > Communication.");
    EXPECT_EQ(control<QLabel>("StatusPanel1")->toolTip(), memo[0]) << "the status bar says why too";
    EXPECT_TRUE(messages().shownMessages().isEmpty()) << "no box at start-up";
    // Tab goes through the controls as they are laid out, gates or not.
    const auto tabOrder = [this](const char* from, int count) {
        QStringList order;
        QWidget* w = control<QWidget>(from);
        while (w && order.size() < count) {
            if (w->focusPolicy() & Qt::TabFocus) order << w->objectName();
            w = w->nextInFocusChain();
        }
        return order;
    };
    EXPECT_EQ(tabOrder("ButtonRefresh", 3), QStringList({"ButtonRefresh", "ButtonLImage", "MemoInfo"}));
    EXPECT_EQ(tabOrder("ButtonStart", 7), QStringList({"ButtonStart", "Buttonstop", "ButtonClear", "ButtonSImage",
                                                       "ButtonASC", "ButtonDBase", "ButtonTrend"}));
    EXPECT_EQ(tabOrder("Button2", 4), QStringList({"Button2", "Button1", "Button3", "ComboBoxMode"}));
    EXPECT_EQ(header(), "Device Detection");
    EXPECT_FALSE(control<QPushButton>("ButtonBack")->isEnabled());
    EXPECT_FALSE(control<QPushButton>("ButtonNext")->isEnabled());
    EXPECT_EQ(main().COMEngine().Protokoll(), prt_HART);
    EXPECT_EQ(main().COMEngine().Adapter(), adt_None);
    EXPECT_EQ(main().COMEngine().PortName(), "COM1") << "port 1 is opened at start by default";
    EXPECT_EQ(windows->ComSetupDlgForm->CycleTime(), 150);
    EXPECT_FALSE(main().FullLog());
    EXPECT_FALSE(windows->LogForm->isVisible());

    // The close box: refused at first, then one step per idle turn; no wait for a port
    // that is closed already.
    EXPECT_EQ(closeAndWait(), kAllCloseSteps);
    QSettings saved(settingsPath(), QSettings::IniFormat);
    EXPECT_EQ(saved.value("Main/ComPort").toInt(), 1);
    EXPECT_EQ(saved.value("Main/Protocol").toInt(), 0);
    EXPECT_EQ(saved.value("Main/Adapter").toInt(), 0);
    EXPECT_EQ(main().OstraDevice().COMEngine(), nullptr) << "detached at the last step";
    EXPECT_EQ(main().LOGGEREngine().OstraDevice(), nullptr);
}

TEST_F(MainWindowTest, FirstArgumentSlashLShowsTheLogWindow)
{
    const struct { QStringList args; bool fullLog; } cases[] = {
        {{"/L"}, true}, {{"/l", "x"}, true}, {{"x", "/l"}, false}, {{"/list"}, false}};
    for (const auto& c : cases) {
        open(c.args);
        EXPECT_EQ(main().FullLog(), c.fullLog) << qPrintable(c.args.join(' '));
        EXPECT_EQ(windows->LogForm->isVisible(), c.fullLog) << qPrintable(c.args.join(' '));
        windows.reset();
    }
}

TEST_F(MainWindowTest, IdleWindowDoesNotSpin)
{
    open();
    int turns = 0;
    QObject scope; // the counter goes with the test
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &scope,
                     [&turns] { ++turns; });
    WaitFor(500);
    EXPECT_LT(turns, 25) << "the idle handler must not keep the event loop busy";
}

TEST_F(MainWindowTest, DetectWithLoggerFillsTheSettingsPageAndNavigates)
{
    TEmulatorConfig c;
    c.pollingAddress = 3;
    startTransmitter(c);
    open({"/l"});
    ASSERT_TRUE(main().COMEngine().Connected());
    EXPECT_TRUE(main().StatusPanelText(0).startsWith("pts/")) << qPrintable(main().StatusPanelText(0));
    EXPECT_TRUE(control<QWidget>("PageControl1")->isEnabled());
    bool startClear = false;
    QObject::connect(&main(), &TMainForm::StartClearGroupEnable, [&startClear](bool on) { startClear = on; });

    detect();
    EXPECT_TRUE(main().DeviceFound());
    EXPECT_TRUE(main().LoggerDetected());
    EXPECT_TRUE(startClear);
    EXPECT_EQ(main().PollingAddress(), 3);
    EXPECT_EQ(main().TestedDevice().UniqueID.DeviceID, c.deviceId);
    EXPECT_EQ(main().ActivePage(), TMainForm::kPageLoggerSettings);
    EXPECT_EQ(header(), "Logger Settings");
    const QStringList memo = main().DetectionPage().MemoLines();
    EXPECT_EQ(memo.mid(0, 4), QStringList({"Polling Address: 3", QString("FactoryID: %1").arg(c.factoryId),
                                           QString("DeviceTypeID: %1").arg(c.deviceTypeId),
                                           QString("DeviceID: %1").arg(c.deviceId)}));
    EXPECT_TRUE(memo.contains("On-board logger detected!"));
    EXPECT_TRUE(memo.contains("RTC Initialized!"));
    EXPECT_EQ(memo.filter("Date on RTC: ").size(), 1);
    EXPECT_EQ(page1().JvDatePickerEdit1->date(), transmitter->clock().date());
    // The transmitter starts with configuration 111.
    EXPECT_EQ(page1().ComboBoxMode->currentText(), "Linear Mode (Scheduled Mode)");
    EXPECT_EQ(page1().ComboBoxExtEvent->currentText(), "Errors And Warnings");
    EXPECT_EQ(page1().ComboBoxStatusEvent->currentText(), "Internal Status change");
    EXPECT_EQ(page1().LabelVal1->text(), "Cycle Time (sec):");
    EXPECT_TRUE(page1().LabelVal2->isHidden());
    EXPECT_TRUE(control<QPushButton>("ButtonRefresh")->isEnabled());
    EXPECT_TRUE(main().menuBar()->actions().constFirst()->isEnabled());
    EXPECT_TRUE(messages().shownMessages().isEmpty());
    // The log window took the frames.
    EXPECT_GT(windows->LogForm->CommunicationList().count(), 10);

    // Back and Next are requests that the idle handler carries out.
    control<QPushButton>("ButtonBack")->click();
    EXPECT_EQ(main().ActivePage(), TMainForm::kPageLoggerSettings);
    idle();
    EXPECT_EQ(main().ActivePage(), TMainForm::kPageDetection);
    EXPECT_FALSE(control<QPushButton>("ButtonBack")->isEnabled());
    control<QPushButton>("ButtonNext")->click();
    idle();
    control<QPushButton>("ButtonNext")->click();
    idle();
    EXPECT_EQ(main().ActivePage(), TMainForm::kPageControlSheet);
    EXPECT_EQ(header(), "Logger Control Sheet");
    EXPECT_FALSE(control<QPushButton>("ButtonNext")->isEnabled());
    main().ButtonNextClick();
    idle();
    EXPECT_EQ(main().ActivePage(), TMainForm::kPageControlSheet) << "Next on the last page stays";
}

TEST_F(MainWindowTest, DetectWithoutLoggerStaysOnTheFirstPage)
{
    TEmulatorConfig c;
    c.featureId = 12145; // third digit 1: no logger
    startTransmitter(c);
    open();
    bool startClear = false;
    QObject::connect(&main(), &TMainForm::StartClearGroupEnable, [&startClear](bool on) { startClear |= on; });
    detect();
    EXPECT_TRUE(main().DeviceFound());
    EXPECT_FALSE(main().LoggerDetected());
    EXPECT_FALSE(startClear);
    EXPECT_EQ(main().ActivePage(), TMainForm::kPageDetection);
    ASSERT_EQ(messages().shownMessages().size(), 1);
    EXPECT_EQ(messages().shownMessages()[0].text, "On-board logger is NOT detected!\r\nPlease try with other device!");
    EXPECT_TRUE(main().DetectionPage().MemoLines().contains("On-board logger NOT detected!"));
    EXPECT_TRUE(control<QPushButton>("ButtonRefresh")->isEnabled());
    EXPECT_TRUE(main().menuBar()->actions().constFirst()->isEnabled());
    EXPECT_FALSE(main().PageEnabled(TMainForm::kPageLoggerSettings));
}

TEST_F(MainWindowTest, DetectWithNoDeviceOnTheLine)
{
    test::TPtyPair silent; // a port nobody answers on
    ASSERT_TRUE(silent.isValid());
    writeSettings(silent.slavePath());
    open();
    ASSERT_TRUE(main().COMEngine().Connected());
    detect();
    EXPECT_FALSE(main().DeviceFound());
    EXPECT_EQ(main().ActivePage(), TMainForm::kPageDetection);
    ASSERT_EQ(messages().shownMessages().size(), 1);
    EXPECT_EQ(messages().shownMessages()[0].text, "Device Not Found!\r\nPlease Detect Again!");
    EXPECT_EQ(main().DetectionPage().MemoLines(), QStringList{"Device is not found."});
    EXPECT_FALSE(control<QPushButton>("ButtonNext")->isEnabled());
    EXPECT_TRUE(control<QPushButton>("ButtonRefresh")->isEnabled());
}

TEST_F(MainWindowTest, DetectWithTheAdapterNotAnswering)
{
    startTransmitter({}, 1); // the settings ask for the USB link adapter; the line has none
    open();
    main().COMEngine().Tavix().SetTimeScale(0.02);
    detect();
    EXPECT_EQ(main().DetectionPage().MemoLines(), QStringList{"Communication Adapter is not found."});
    EXPECT_FALSE(main().DeviceFound());
    // Back and Next are enabled, but the pages behind them are not: nothing moves.
    EXPECT_TRUE(control<QPushButton>("ButtonNext")->isEnabled());
    main().ButtonNextClick();
    idle();
    EXPECT_EQ(main().ActivePage(), TMainForm::kPageDetection);
}

TEST_F(MainWindowTest, ClockWriteSyncAndReadInRemoteMode)
{
    startTransmitter();
    open();
    detect();
    ASSERT_EQ(main().ActivePage(), TMainForm::kPageLoggerSettings);

    page1().JvDatePickerEdit1->setDate(QDate(2015, 6, 30));
    page1().JvSpinEditHour->setValue(23);
    page1().JvSpinEditMin->setValue(59);
    page1().Button1->click();
    EXPECT_EQ(transmitter->clock().date(), QDate(2015, 6, 30));
    EXPECT_EQ(transmitter->clock().time().hour(), 23);
    EXPECT_EQ(transmitter->clock().time().minute(), 59);
    EXPECT_FALSE(transmitter->remoteMode()) << "remote mode is left after the write";
    EXPECT_TRUE(messages().shownMessages().isEmpty());

    // Sync. takes the PC's date and time, read one after the other.
    page1().CurrentDate = [] { return QDate(2024, 2, 29); };
    page1().CurrentTime = [] { return QTime(7, 5); };
    page1().Button3->click();
    EXPECT_EQ(transmitter->clock().date(), QDate(2024, 2, 29));
    EXPECT_EQ(transmitter->clock().time().hour(), 7);

    page1().JvDatePickerEdit1->setDate(QDate(2000, 1, 1));
    page1().Button2->click(); // Read
    EXPECT_EQ(page1().JvDatePickerEdit1->date(), QDate(2024, 2, 29));
    EXPECT_EQ(page1().JvSpinEditHour->value(), 7);
    EXPECT_EQ(page1().JvSpinEditMin->value(), 5);

    // Remote mode refused: the write fails and says so.
    transmitter->setFaults(*TFaultPlan::parse("rc/130=*:16"));
    page1().Button1->click();
    ASSERT_EQ(messages().shownMessages().size(), 1);
    EXPECT_EQ(messages().shownMessages()[0].text, "RTC Write Failed!\r\nPlease try with other device!");
    EXPECT_EQ(transmitter->clock().date(), QDate(2024, 2, 29));
    EXPECT_TRUE(page1().Button1->isEnabled()) << "the page is usable again after the request";
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the hourglass is gone";
}

TEST_F(MainWindowTest, LoggerConfigurationRoundTrip)
{
    startTransmitter();
    open();
    detect();
    // 2113 names every digit; 2117 has a mode this program has no entry for.
    const struct { int stored; QString mode; QString value1Label; } cases[] = {
        {2113, "Event Mode (PV changed precent)", "Limit Value (%):"},
        {2117, "", "Limit Value (%):"},
    };
    for (const auto& c : cases) {
        main().LoggerSettings().LoggerConfig.digits = SplitDigits(float(c.stored));
        ASSERT_TRUE(main().LoggerSettings().WriteLoggerConfig());
        page1().Button4->click(); // Read
        EXPECT_EQ(page1().ComboBoxMode->currentText(), c.mode) << c.stored;
        EXPECT_EQ(page1().ComboBoxExtEvent->currentText(), "Errors And Warnings") << c.stored;
        EXPECT_EQ(page1().ComboBoxStatusEvent->currentText(), "Internal Status change") << c.stored;
        page1().JvSpinEditVal1->setValue(42.5);
        page1().Button5->click(); // Write, the lists unchanged
        EXPECT_EQ(transmitter->parameter(34).value_or(NAN), float(c.stored)) << c.stored;
        EXPECT_EQ(transmitter->parameter(35).value_or(NAN), 42.5f) << c.stored;
    }
    EXPECT_EQ(page1().LabelVal1->text(), "Limit Value (%):") << "kept from the last mode with an entry";

    // The mode list relabels the values when the user picks an entry.
    page1().ComboBoxMode->setCurrentIndex(0);
    emit page1().ComboBoxMode->activated(0);
    EXPECT_EQ(page1().LabelVal1->text(), "-");
    EXPECT_TRUE(page1().JvSpinEditVal1->isHidden());
    EXPECT_TRUE(page1().LabelExtEvent->isHidden());
    page1().ComboBoxMode->setCurrentIndex(4);
    emit page1().ComboBoxMode->activated(4);
    EXPECT_EQ(page1().LabelVal1->text(), "Limit Value 1:");
    EXPECT_FALSE(page1().JvSpinEditVal2->isHidden());
}

TEST_F(MainWindowTest, SetupCommunicationAppliesTheTamboAdapter)
{
    startTransmitter();
    open();
    const QString port = transmitter->slavePath();
    const quint32 gapBefore = main().COMEngine().Time_ByteGap();

    // Cancel changes nothing.
    messages().queueDialogAnswer([](QDialog&) { return int(QDialog::Rejected); });
    main().Communication1Click();
    EXPECT_EQ(main().COMEngine().Adapter(), adt_None);
    EXPECT_EQ(main().COMEngine().Time_ByteGap(), gapBefore);

    messages().queueDialogAnswer([&port](QDialog& d) {
        auto* adapter = d.findChild<QComboBox*>("ComboBoxAdapter");
        adapter->setCurrentIndex(3);
        emit adapter->activated(3);
        d.findChild<QComboBox*>("ComboBoxPort")->setEditText(port);
        d.findChild<QSpinBox*>("JvSpinEditTimeOut")->setValue(40);
        d.findChild<QCheckBox*>("CheckBoxQuickReplies")->setChecked(true);
        static_cast<TComSetupDlgForm&>(d).ButtonOKClick();
        return d.result();
    });
    main().Communication1Click();
    TComSetupDlgForm& setup = *windows->ComSetupDlgForm;
    EXPECT_EQ(setup.Adapter(), 3);
    EXPECT_EQ(setup.findChild<QComboBox*>("ComboBoxProtokol")->currentText(), "FAST (MODE3)");
    TCOMEngine& engine = main().COMEngine();
    EXPECT_EQ(engine.Adapter(), adt_IrDA);
    EXPECT_EQ(engine.IrDAAdapterType, iratype_TAMBO);
    EXPECT_EQ(engine.Protokoll(), prt_MODE3);
    EXPECT_EQ(engine.Time_ByteGap(), 40u);
    EXPECT_TRUE(engine.QuickReplies());
    EXPECT_TRUE(engine.Connected());
    EXPECT_EQ(engine.PortName(), port);
    EXPECT_EQ(main().ActivePage(), TMainForm::kPageDetection);

    // Written at close, not before.
    EXPECT_EQ(QSettings(settingsPath(), QSettings::IniFormat).value("Main/Adapter").toInt(), 0);
    EXPECT_EQ(closeAndWait(), kAllCloseSteps);
    EXPECT_FALSE(engine.Connected());
    QSettings saved(settingsPath(), QSettings::IniFormat);
    EXPECT_EQ(saved.value("Main/Adapter").toInt(), 3);
    EXPECT_EQ(saved.value("Main/Protocol").toInt(), 1);
    EXPECT_EQ(saved.value("Main/ComPortName").toString(), port);
    EXPECT_EQ(saved.value("Main/TimeOut").toInt(), 40);
    EXPECT_EQ(saved.value("Main/QuickReplies").toInt(), 1);

    // The next start shows them on in the dialog and has them on in the engine.
    windows.reset();
    open();
    EXPECT_TRUE(windows->ComSetupDlgForm->QuickReplies());
    EXPECT_TRUE(main().COMEngine().QuickReplies());
}

TEST_F(MainWindowTest, ClosingDuringAReadStopsTheReaderFirst)
{
    TEmulatorConfig c;
    c.rows = 30;
    startTransmitter(c);
    open();
    detect();
    ASSERT_TRUE(main().DeviceFound());
    TLOGGEREngine& reader = main().LOGGEREngine();
    int rows = 0;
    bool finished = false, finishedWhileOpen = false;
    reader.OnRdLogger = [&rows](TLOGGEREngine*, const THART_PAS_LOG_Row&) { ++rows; };
    reader.OnFinish = [&](TLOGGEREngine*) {
        finished = true;
        finishedWhileOpen = main().COMEngine().Connected();
    };
    reader.InitReadByRecord();
    ASSERT_TRUE(WaitUntil([&] { return rows >= 3; }, 5000));
    ASSERT_TRUE(reader.Active());

    EXPECT_EQ(closeAndWait(), kAllCloseSteps);
    EXPECT_TRUE(finished);
    EXPECT_TRUE(finishedWhileOpen) << "the read ended before the port was closed";
    EXPECT_FALSE(reader.Active());
    EXPECT_LT(rows, 30);
    EXPECT_FALSE(transmitter->loggerState().open) << "the reader closed the logger on its way out";
}

// ---- page 2 in the window --------------------------------------------------------------

TEST_F(MainWindowTest, ReadingOnPageTwoHoldsTheWindowAndClosingStopsTheReadFirst)
{
    startTransmitter();
    open();
    detect();
    control<QPushButton>("ButtonNext")->click();
    idle();
    ASSERT_EQ(header(), "Logger Control Sheet");
    EXPECT_TRUE(control<QPushButton>("ButtonSimulate")->isHidden());

    bool endedWhileOpen = false;
    QObject::connect(&main(), &TMainForm::ReadingChanged, [&](bool active) {
        if (!active) endedWhileOpen = main().COMEngine().Connected();
    });
    control<QPushButton>("ButtonStart")->click();
    ASSERT_TRUE(WaitUntil([&] { return main().LogStore().LogCount() >= 5; }, 10000));
    EXPECT_TRUE(main().ControlSheet()->ReadingActive());
    EXPECT_TRUE(main().OperationRunning());
    EXPECT_FALSE(control<QPushButton>("ButtonBack")->isEnabled());
    EXPECT_FALSE(control<QAction>("Exit1")->isEnabled()) << "the menu is off during a read";
    EXPECT_TRUE(control<QPushButton>("Buttonstop")->isEnabled());
    EXPECT_GT(main().GaugePercent(), 0);
    EXPECT_FALSE(control<QLabel>("LabelTime")->text().trimmed().isEmpty());

    EXPECT_EQ(closeAndWait(), kAllCloseSteps);
    EXPECT_TRUE(endedWhileOpen) << "the read ended before the port was closed";
    EXPECT_FALSE(main().LOGGEREngine().Active());
    EXPECT_LT(main().LogStore().LogCount(), 30);
    EXPECT_FALSE(transmitter->loggerState().open) << "the reader closed the logger on its way out";
}

TEST_F(MainWindowTest, ClosingDuringAFastPageReadStopsItBeforeThePortCloses)
{
    TEmulatorConfig c;
    c.protocol = TEmuProtocol::Fast;
    startTransmitter(c, 0, 600);
    open();
    detect();
    ASSERT_TRUE(main().DeviceFound());
    control<QPushButton>("ButtonNext")->click();
    idle();

    QList<int> steps;
    QObject::connect(&main(), &TMainForm::CloseStepReached, [&steps](quint8 s) { steps << s; });
    bool endedWhileOpen = false;
    QObject::connect(&main(), &TMainForm::ReadingChanged, [&](bool active) {
        if (!active) endedWhileOpen = main().COMEngine().Connected();
    });
    // The page read holds the click until it ends: the close box is pressed from inside it.
    bool closeAsked = false;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (closeAsked || main().LogStore().LogCount() < 48) return;
        closeAsked = true;
        main().close();
    });
    poll.start();
    control<QPushButton>("ButtonStart")->click();
    poll.stop();
    ASSERT_TRUE(closeAsked);
    EXPECT_TRUE(WaitUntil([this] { return !main().isVisible(); }, 10000));
    EXPECT_EQ(steps, kAllCloseSteps);
    EXPECT_TRUE(endedWhileOpen) << "the read ended before the port was closed";
    EXPECT_LT(main().LogStore().LogCount(), 600);
    EXPECT_FALSE(transmitter->loggerState().open);
}

TEST_F(MainWindowTest, ClearLoggerOnlyAfterYesInTheYesNoDialog)
{
    startTransmitter();
    open();
    detect();
    ASSERT_TRUE(main().DeviceFound());
    QString title, text;
    for (const int answer : {TYesNoBottomDlgForm::mrNo, TYesNoBottomDlgForm::mrYes}) {
        messages().queueDialogAnswer([&, answer](QDialog& d) {
            title = d.windowTitle();
            text = static_cast<TYesNoBottomDlgForm&>(d).Message();
            return answer;
        });
        main().ControlSheet()->ButtonClearClick();
        EXPECT_EQ(title, "Confirmation");
        EXPECT_EQ(text, "Are You sure to delete all records from the Device?");
        EXPECT_EQ(transmitter->loggerState().total, answer == TYesNoBottomDlgForm::mrYes ? 0 : 30);
    }
}

TEST_F(MainWindowTest, ImageFromTheCommandLineOrADropLoadsAsLoadImageWould)
{
    startTransmitter();
    open();
    readLogger();
    ASSERT_EQ(main().LogStore().LogCount(), 30);
    EXPECT_TRUE(control<QAction>("Exit1")->isEnabled());
    EXPECT_EQ(main().GaugePercent(), 0);
    const QString image = saveImage("site.img");
    ASSERT_TRUE(QFileInfo(image).isFile());
    windows.reset();

    const struct { QStringList args; bool loaded; } cases[] = {
        {{image}, true}, {{"/l", image}, true}, {{dir.filePath("missing.img")}, false}};
    for (const auto& c : cases) {
        open(c.args);
        const bool done = WaitUntil([this] { return main().LogStore().LogCount() > 0; }, 3000);
        EXPECT_EQ(done, c.loaded) << qPrintable(c.args.join(' '));
        EXPECT_EQ(main().ActivePage(), c.loaded ? TMainForm::kPageControlSheet : TMainForm::kPageDetection);
        EXPECT_EQ(main().windowTitle(),
                  c.loaded ? QStringLiteral("Quentry V1.21 by VOSSEC - site.img") : QStringLiteral("Quentry V1.21 by VOSSEC"));
        const QString path = QFileInfo(c.args.constLast()).absoluteFilePath();
        EXPECT_EQ(main().DetectionPage().MemoLines(),
                  QStringList{QStringLiteral("Image File: %1 %2").arg(path, c.loaded ? "Loaded." : "Canceled.")});
        windows.reset();
    }

    open();
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(image)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&main(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&main(), &drop);
    EXPECT_TRUE(WaitUntil([this] { return main().LogStore().LogCount() == 30; }, 3000));
    EXPECT_EQ(main().windowTitle(), "Quentry V1.21 by VOSSEC - site.img");
    delete data;

    // Detect starts from no rows; page 0's "Load Image" brings them back.
    detect();
    EXPECT_EQ(main().LogStore().LogCount(), 0);
    EXPECT_EQ(main().windowTitle(), "Quentry V1.21 by VOSSEC");
    EXPECT_FALSE(control<QPushButton>("ButtonSImage")->isEnabled());
    main().ShowPage(TMainForm::kPageDetection);
    messages().queueFileName(image);
    control<QPushButton>("ButtonLImage")->click();
    EXPECT_EQ(main().LogStore().LogCount(), 30);
    EXPECT_EQ(main().ActivePage(), TMainForm::kPageControlSheet);
    EXPECT_TRUE(control<QPushButton>("ButtonSImage")->isEnabled());
    EXPECT_FALSE(control<QPushButton>("ButtonStart")->isEnabled()) << "file data only until the next Detect";
    EXPECT_FALSE(main().PageEnabled(TMainForm::kPageLoggerSettings));
}

TEST_F(MainWindowTest, ShowTrendOpensTheTrendWindowAndTheTableKeepsEveryRow)
{
    startTransmitter();
    open();
    readLogger();
    const QString image = saveImage("trend.img");
    windows.reset();

    for (const bool slashD : {false, true}) {
        open(slashD ? QStringList{"/d", image} : QStringList{image});
        ASSERT_TRUE(WaitUntil([this] { return main().LogStore().LogCount() == 30; }, 3000));
        int shownRows = -1;
        bool tableShown = !slashD;
        messages().queueDialogAnswer([&](QDialog& d) {
            auto* trend = qobject_cast<TTrendForm*>(&d);
            if (!trend) return int(QDialog::Rejected);
            trend->show(); // what a modal run does first: its filters reset on show
            shownRows = trend->Proxy() ? trend->Proxy()->rowCount() : -1;
            tableShown = trend->findChild<QTableView*>("DBGrid1")->isVisibleTo(trend);
            trend->hide();
            return int(QDialog::Accepted);
        });
        control<QPushButton>("ButtonTrend")->click();
        EXPECT_EQ(shownRows, 30);
        EXPECT_EQ(tableShown, slashD) << "\"/d\" shows the table view";
        EXPECT_EQ(main().LogTable().Model().rowCount(), 30) << "the table shows every row again";
        EXPECT_TRUE(control<QPushButton>("ButtonTrend")->isEnabled());
        EXPECT_TRUE(control<QAction>("Exit1")->isEnabled());
        windows.reset();
    }
}

TEST_F(MainWindowTest, ServiceReportNamesWhatTheSessionKnowsOfTheRows)
{
    startTransmitter();
    open();
    readLogger();
    auto* report = control<QPushButton>("ButtonReport");
    ASSERT_TRUE(report->isEnabled());

    // After a read: the detected transmitter, the link, the clock and the configuration.
    const QString afterRead = dir.filePath("read.pdf");
    messages().queueFileName(afterRead);
    report->click();
    EXPECT_TRUE(messages().shownMessages().isEmpty());
    auto text = test::PdfText(afterRead, {"-layout"});
    if (!text) GTEST_SKIP() << test::PdfTextMissing().toStdString();
    QString t = text->simplified();
    const THART_PAS_UniqueID& id = main().DeviceUniqueID();
    for (const QString& s : {QStringLiteral("Manufacturer id %1").arg(id.FactoryID),
                             QStringLiteral("Device id %1").arg(id.DeviceID), QStringLiteral("Protocol HART"),
                             QStringLiteral("Adapter HART MODEM"), QStringLiteral("Clock offset"),
                             QStringLiteral("Logger mode"), QStringLiteral("Source read from the transmitter"),
                             QStringLiteral("Rows 30")})
        EXPECT_TRUE(t.contains(s)) << s.toStdString();
    // The hash it names is the one of the image Save Image then writes.
    const QString image = saveImage("site.img");
    EXPECT_TRUE(t.contains("SHA-256 " + FileSha256(image) + " of these rows as Save Image writes them"));
    EXPECT_TRUE(report->isEnabled() && control<QAction>("Exit1")->isEnabled()) << "all enabled again";

    // A loaded image: the file and its hash; what the file cannot say, it says so.
    main().ShowPage(TMainForm::kPageDetection);
    messages().queueFileName(image);
    control<QPushButton>("ButtonLImage")->click();
    const QString afterLoad = dir.filePath("loaded.pdf");
    messages().queueFileName(afterLoad);
    report->click();
    t = test::PdfText(afterLoad, {"-layout"})->simplified();
    EXPECT_TRUE(t.contains("Identity not recorded in this file"));
    EXPECT_TRUE(t.contains("Clock check not read"));
    EXPECT_TRUE(t.contains("Source image file site.img SHA-256 " + FileSha256(image)));

    // The trend window's Main menu: the rows of the filter's period.
    const QString period = dir.filePath("period.pdf");
    bool enabled = false;
    messages().queueDialogAnswer([&](QDialog& d) {
        auto* trend = qobject_cast<TTrendForm*>(&d);
        if (!trend) return int(QDialog::Rejected);
        trend->show();
        auto* item = trend->findChild<QAction*>("ServiceReport1");
        enabled = item && item->isEnabled();
        auto* begin = trend->findChild<QTimeEdit*>("BeginTime");
        begin->setTime(begin->time().addSecs(10 * 300)); // the first ten rows left out
        trend->ApplyFilter();
        messages().queueFileName(period);
        if (item) item->trigger();
        trend->hide();
        return int(QDialog::Accepted);
    });
    control<QPushButton>("ButtonTrend")->click();
    EXPECT_TRUE(enabled);
    const auto periodText = test::PdfText(period, {"-layout"});
    ASSERT_TRUE(periodText);
    t = periodText->simplified();
    EXPECT_TRUE(t.contains("Rows 20")) << t.left(1500).toStdString();
    EXPECT_TRUE(t.contains("of the whole image file"));

    // No rows, no report.
    detect();
    EXPECT_FALSE(report->isEnabled());
}

TEST_F(MainWindowTest, SimulateImageIsHiddenUnlessAskedFor)
{
    startTransmitter(); // the pages are enabled only while a port is open
    open();
    auto* simulate = control<QPushButton>("ButtonSimulate");
    EXPECT_TRUE(simulate->isHidden());
    main().SetSimulatorEnabled(true);
    EXPECT_FALSE(simulate->isHidden());
    EXPECT_TRUE(main().PageEnabled(TMainForm::kPageControlSheet)) << "the way to the button";
    // The simulator generates into the window's store; its rows then save and export like read ones.
    messages().queueDialogAnswer([](QDialog& dialog) {
        auto* form = qobject_cast<TSimuForm*>(&dialog);
        if (!form) return int(QDialog::Rejected);
        TSimulationInputs in = form->Inputs();
        in.TotalIndex = 300;
        form->SetInputs(in);
        form->findChild<QPushButton*>("ButtonGenerate")->click();
        form->findChild<QPushButton*>("ButtonOk")->click();
        return form->result();
    });
    main().ControlSheet()->ButtonSimulateClick();
    EXPECT_TRUE(messages().shownMessages().isEmpty());
    EXPECT_EQ(main().LogStore().LogCount(), 300);
    EXPECT_TRUE(control<QPushButton>("ButtonSImage")->isEnabled());
    EXPECT_TRUE(control<QPushButton>("ButtonASC")->isEnabled());
    EXPECT_TRUE(control<QPushButton>("ButtonTrend")->isEnabled());
}

TEST(MainWindowArguments, TheImageArgumentIsAFileOrAnImgNameButNotTheSwitch)
{
    QTemporaryDir d;
    const QString existing = d.filePath("site.bin");
    QFile(existing).open(QIODevice::WriteOnly);
    const struct { QStringList args; QString image; } cases[] = {
        {{}, ""}, {{"/l"}, ""}, {{"/d"}, ""}, {{"/l", "a.IMG"}, "a.IMG"}, {{existing}, existing},
        {{"x", "b.img", "c.img"}, "b.img"}, {{"nothing"}, ""}};
    for (const auto& c : cases) EXPECT_EQ(TMainForm::ImageArgument(c.args), c.image) << qPrintable(c.args.join(' '));
}

TEST_F(MainWindowTest, APortThatNeverReportsClosedDoesNotHangTheWindow)
{
    writeSettings(QStringLiteral("COM4"));
    auto port = std::make_unique<TStuckPort>();
    TStuckPort& stuck = *port;
    TMessageService service;
    service.setScripted(true);
    TLogForm log;
    log.show();
    TMainForm form(service, location(), {}, std::move(port));
    form.AttachWindows(&log, nullptr, nullptr);
    form.show();
    idle();
    ASSERT_TRUE(form.COMEngine().Connected());

    QList<int> steps;
    QObject::connect(&form, &TMainForm::CloseStepReached, [&steps](quint8 s) { steps << s; });
    QElapsedTimer clock;
    clock.start();
    form.close();
    ASSERT_TRUE(WaitUntil([&form] { return !form.isVisible(); }, 15000)) << "the close sequence hung";
    EXPECT_EQ(steps, kAllCloseSteps);
    EXPECT_GE(stuck.closes, 1);
    EXPECT_GE(clock.elapsed(), TMainForm::kPortCloseWaitMs) << "it waited its bound first";
    bool logged = false;
    for (int i = 0; i < log.ErrorList().count(); ++i)
        logged |= log.ErrorList().entry(i).message.contains("did not report closed");
    EXPECT_TRUE(logged);
}

TEST_F(MainWindowTest, SetupCommunicationDoesNotHangOnAPortThatNeverReportsClosed)
{
    writeSettings(QStringLiteral("COM4"));
    auto port = std::make_unique<TStuckPort>();
    TStuckPort& stuck = *port;
    TMessageService service;
    service.setScripted(true);
    TLogForm log;
    log.show(); // a hidden log window drops its entries
    TComSetupDlgForm setup;
    TMainForm form(service, location(), {}, std::move(port));
    form.AttachWindows(&log, &setup, nullptr);
    form.show();
    idle();
    ASSERT_TRUE(form.COMEngine().Connected());

    service.queueDialogAnswer([](QDialog& d) {
        static_cast<TComSetupDlgForm&>(d).ButtonOKClick();
        return d.result();
    });
    QElapsedTimer clock;
    clock.start();
    form.Communication1Click();
    EXPECT_GE(stuck.closes, 1);
    EXPECT_GE(clock.elapsed(), TMainForm::kPortCloseWaitMs) << "it waited its bound first";
    EXPECT_LT(clock.elapsed(), 15000) << "and then went on";
    bool logged = false;
    for (int i = 0; i < log.ErrorList().count(); ++i)
        logged |= log.ErrorList().entry(i).message.contains("opening the new one anyway");
    EXPECT_TRUE(logged);
}

// ---- a port that cannot be opened, and the desk without one ------------------------------------

const QString kNoPortLine = QStringLiteral("No serial port is open: choose one under Setup > Communication.");

TEST_F(MainWindowTest, SetupWithAMissingPortSaysWhyAndWhatToDo)
{
    startTransmitter();
    open();
    ASSERT_TRUE(main().COMEngine().Connected());
    answerSetup("/dev/ttyQuentry9");
    main().Communication1Click();
    idle();
    EXPECT_FALSE(main().COMEngine().Connected());
    ASSERT_EQ(messages().shownMessages().size(), 1);
    const QString why = messages().shownMessages()[0].text;
    EXPECT_TRUE(QRegularExpression("^/dev/ttyQuentry9 is not present; (ports found: .+|no serial ports found)$")
                    .match(why)
                    .hasMatch())
        << qPrintable(why);
    EXPECT_EQ(main().DetectionPage().MemoLines(), QStringList({why, kNoPortLine}));
    EXPECT_EQ(main().StatusPanelText(0), "Closed");
    EXPECT_EQ(control<QLabel>("StatusPanel1")->toolTip(), why);
    EXPECT_FALSE(control<QPushButton>("ButtonRefresh")->isEnabled());

    // The right port again: the reason goes, Detect comes back.
    answerSetup(transmitter->slavePath());
    main().Communication1Click();
    idle();
    EXPECT_TRUE(main().COMEngine().Connected());
    EXPECT_EQ(messages().shownMessages().size(), 1);
    EXPECT_TRUE(main().DetectionPage().MemoLines().isEmpty());
    EXPECT_TRUE(control<QLabel>("StatusPanel1")->toolTip().isEmpty());
    EXPECT_TRUE(control<QPushButton>("ButtonRefresh")->isEnabled());
}

TEST_F(MainWindowTest, APortRefusedForPermissionNamesTheDialoutGroup)
{
    // Tests run as root, whom no device refuses: the refusal comes from the port layer.
    writeSettings(QStringLiteral("ttyUSB0"));
    auto port = std::make_unique<test::TFakeSerialPort>();
    port->setFailOpen(true, TPortOpenFailure::Permission, "Permission denied");
    TMessageService service;
    service.setScripted(true);
    TComSetupDlgForm setup;
    TMainForm form(service, location(), {}, std::move(port));
    form.AttachWindows(nullptr, &setup, nullptr);
    form.show();
    idle();
    const QString hint = "ttyUSB0 may not be opened by this user: add yourself to the dialout group "
                         "(sudo adduser $USER dialout) and log in again";
    EXPECT_EQ(form.DetectionPage().MemoLines(), QStringList({hint, kNoPortLine})) << "at start-up: the memo";
    EXPECT_TRUE(service.shownMessages().isEmpty()) << "and no box";
    EXPECT_EQ(form.findChild<QLabel*>("StatusPanel1")->toolTip(), hint);

    service.queueDialogAnswer([](QDialog& d) {
        static_cast<TComSetupDlgForm&>(d).ButtonOKClick();
        return d.result();
    });
    form.Communication1Click();
    ASSERT_EQ(service.shownMessages().size(), 1);
    EXPECT_EQ(service.shownMessages()[0].text, hint);
    EXPECT_EQ(form.DetectionPage().MemoLines(), QStringList({hint, kNoPortLine}));
}

TEST_F(MainWindowTest, AtTheOfficeSavedImagesAreUsableWithoutAPort)
{
    const QString image = generatedImage("archive.img", 120);
    open();
    ASSERT_FALSE(main().COMEngine().Connected());
    const QString start = QFileInfo(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)).isDir()
                              ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
                              : QDir::homePath();

    // Load Image, with the dialog starting in the documents folder, not the program's.
    messages().queueFileName(image);
    control<QPushButton>("ButtonLImage")->click();
    idle();
    EXPECT_EQ(messages().shownFileDialogs().last().directory, start);
    EXPECT_NE(messages().shownFileDialogs().last().directory, QCoreApplication::applicationDirPath());
    ASSERT_EQ(main().LogStore().LogCount(), 120);
    EXPECT_EQ(main().ActivePage(), TMainForm::kPageControlSheet);
    for (const char* name : {"ButtonSImage", "ButtonASC", "ButtonDBase", "ButtonTrend"})
        EXPECT_TRUE(control<QPushButton>(name)->isEnabled()) << name;
    for (const char* name : {"ButtonStart", "ButtonClear", "Buttonstop", "ButtonRefresh"})
        EXPECT_FALSE(control<QPushButton>(name)->isEnabled()) << name;

    // Show Trend on the file's rows.
    int trendRows = -1;
    messages().queueDialogAnswer([&](QDialog& d) {
        auto* trend = qobject_cast<TTrendForm*>(&d);
        if (!trend) return int(QDialog::Rejected);
        trend->show(); // what a modal run does first
        trendRows = trend->Proxy() ? trend->Proxy()->rowCount() : -1;
        trend->hide();
        return int(QDialog::Accepted);
    });
    control<QPushButton>("ButtonTrend")->click();
    EXPECT_EQ(trendRows, 120);

    // Both exports, each proposing the loaded file's own name in the folder last used.
    messages().queueFileName(dir.filePath("archive.txt"));
    control<QPushButton>("ButtonASC")->click();
    EXPECT_EQ(messages().shownFileDialogs().last().fileName, dir.filePath("archive.txt"));
    EXPECT_EQ(messages().shownFileDialogs().last().directory, dir.path());
    messages().queueFileName(dir.filePath("archive.dbf"));
    control<QPushButton>("ButtonDBase")->click();
    EXPECT_EQ(messages().shownFileDialogs().last().fileName, dir.filePath("archive.dbf"));
    EXPECT_EQ(QFile(dir.filePath("archive.txt")).size() > 0 && QFile(dir.filePath("archive.dbf")).size() > 0, true);
    messages().queueFileName(QString()); // Cancel
    control<QPushButton>("ButtonSImage")->click();
    EXPECT_EQ(messages().shownFileDialogs().last().fileName, dir.filePath("archive.img"));
    EXPECT_TRUE(messages().shownMessages().isEmpty());
    EXPECT_FALSE(main().COMEngine().Connected());
}

TEST_F(MainWindowTest, ALoadAfterAFailedDetectionReachesTheControlSheet)
{
    test::TPtyPair silent; // a port nobody answers on
    ASSERT_TRUE(silent.isValid());
    writeSettings(silent.slavePath());
    const QString image = generatedImage("after.img", 30);
    open();
    detect();
    ASSERT_FALSE(main().DeviceFound());
    messages().queueFileName(image);
    control<QPushButton>("ButtonLImage")->click();
    idle();
    EXPECT_EQ(main().ActivePage(), TMainForm::kPageControlSheet);
    EXPECT_TRUE(main().PageEnabled(TMainForm::kPageControlSheet)) << "no detection needed for a file's rows";
    EXPECT_TRUE(control<QPushButton>("ButtonTrend")->isEnabled());
}

TEST_F(MainWindowTest, TheSaveDialogProposesTheTransmitterAndTheDay)
{
    TEmulatorConfig c;
    c.deviceId = 4711;
    startTransmitter(c);
    open();
    const QString before = QDate::currentDate().toString(Qt::ISODate);
    readLogger();
    const QString after = QDate::currentDate().toString(Qt::ISODate);
    messages().queueFileName(QString());
    control<QPushButton>("ButtonSImage")->click();
    const QString proposed = QFileInfo(messages().shownFileDialogs().last().fileName).fileName();
    EXPECT_TRUE(proposed == "4711_" + before + ".img" || proposed == "4711_" + after + ".img") << qPrintable(proposed);
    messages().queueFileName(QString());
    control<QPushButton>("ButtonASC")->click();
    EXPECT_EQ(QFileInfo(messages().shownFileDialogs().last().fileName).completeBaseName(),
              QFileInfo(proposed).completeBaseName())
        << "the exports propose the same stem";
}
