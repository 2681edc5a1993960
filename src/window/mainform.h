#pragma once
// TMainForm: the program's working window and the owner of the communication stack
// (engine, device object, logger reader). Three pages behind a gradient header, moved
// between with Back/Next; a status bar with the port state and a progress gauge; the
// menus Program and Setup; and the staged close sequence that shuts the port down before
// the program ends.
#include "controlneeds.h"
#include "detection.h"
#include "deviceaccess.h"
#include "loggerengine.h"
#include "loggersettings.h"
#include "ostradevice.h"
#include "settingsfile.h"
#include "logstore.h"
#include "logtable.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QStackedWidget;

namespace quentry {

class TComSetupDlgForm;
class TDetectionPage;
class THeaderCaption;
class TLogForm;
class TLoggerControlSheet;
class TLoggerSettingsPage;
class TMessageService;
class TProgress;
class TServiceReportAction;
class TYesNoBottomDlgForm;

enum TCloseActionEvent : quint8 {
    cla_None,
    cla_Stop,
    cla_WaitForStop,
    cla_ComClose,
    cla_WaitForComClose,
    cla_Enabled,
};

class TMainForm final : public QMainWindow
{
    Q_OBJECT
public:
    static constexpr int kPageDetection = 0;
    static constexpr int kPageLoggerSettings = 1;
    static constexpr int kPageControlSheet = 2;
    static constexpr int kPageCount = 3;
    // Bounds of the waits the close sequence and Setup > Communication make.
    static constexpr int kPortCloseWaitMs = 3000;
    static constexpr int kReaderStopWaitMs = 5000;
    static constexpr int kOperationEndWaitMs = 60000;

    // arguments: the command line without the program name (and without --demo).
    TMainForm(TMessageService& messages, const TSettingsLocation& settings, const QStringList& arguments,
              QWidget* parent = nullptr);
    // The same on a serial port of the caller's (tests: a port that misbehaves).
    TMainForm(TMessageService& messages, const TSettingsLocation& settings, const QStringList& arguments,
              std::unique_ptr<TSerialPort> port, QWidget* parent = nullptr);
    ~TMainForm() override;

    // The windows created after this one; the main window uses them from its first show on.
    void AttachWindows(TLogForm* logForm, TComSetupDlgForm* comSetup, TYesNoBottomDlgForm* yesNo);

    // ---- the communication stack -------------------------------------------------------
    TCOMEngine& COMEngine() { return *FCOMEngine; }
    TOstraDevice& OstraDevice() { return *FOstraDevice; }
    TLOGGEREngine& LOGGEREngine() { return *FLOGGEREngine; }
    TDeviceAccess& DeviceAccess() { return *FAccess; }
    TLoggerSettings& LoggerSettings() { return *FLoggerSettings; }
    TDetection& Detection() { return *FDetection; }
    TMessageService& Messages() { return FMessages; }
    TLogForm* LogForm() const { return FLogForm; }
    TComSetupDlgForm* ComSetupDlgForm() const { return FComSetup; }
    TYesNoBottomDlgForm* YesNoBottomDlgForm() const { return FYesNo; }

    // ---- what the last detection found -------------------------------------------------
    const THART_PAS_UniqueID& DeviceUniqueID() const { return FAccess->DeviceUniqueID; }
    bool DeviceFound() const { return FAccess->DeviceFound; }
    void SetDeviceFound(bool found) { FAccess->DeviceFound = found; }
    bool LoggerDetected() const { return FAccess->LoggerDetected; }
    quint8 PollingAddress() const { return FDetection->PollingAddress; }
    // The identity the logger reader reads from.
    TTestedDevice TestedDevice() const { return FLOGGEREngine->TestedDevice(); }
    bool FullLog() const { return FFullLog; }

    // ---- pages, buttons, menu, status bar ----------------------------------------------
    void Init();
    void ShowPage(int Index);
    int ActivePage() const;
    QString PageCaption(int Index) const;
    void SetPageEnabled(int Index, bool enabled);
    bool PageEnabled(int Index) const;
    void DisableMainMenu();
    void EnableMainMenu();
    void SetBackEnabled(bool enabled);
    void SetNextEnabled(bool enabled);
    void ButtonBackClick();
    void ButtonNextClick();
    void DoNavigation();
    // The gauge in status panel 2 (navy bar, no text).
    void SetGaugePercent(int percent);
    int GaugePercent() const;
    void SetGaugeVisible(bool visible);
    QString StatusPanelText(int panel) const;
    void SetStatusPanelText(int panel, const QString& text);
    // Puts another widget where the Logger Control Sheet page is (the page made by the
    // window is freed).
    void SetControlSheetPage(QWidget* page);
    TDetectionPage& DetectionPage() { return *FDetectionPage; }
    // Page 2 as the window made it; null once SetControlSheetPage replaced it.
    TLoggerControlSheet* ControlSheet() const { return FControlSheet; }
    TLogStore& LogStore() { return *FLogStore; }
    TLogTable& LogTable() { return *FLogTable; }

    // "Simulate Image" is shown (the --simulator switch); hidden unless asked for.
    void SetSimulatorEnabled(bool on);
    // Loads a log image as "Load Image" would (program argument, a dropped file); the
    // window's title then names the file.
    bool LoadImageFile(const QString& path);
    // The log image a command line names: the first argument that is an existing file or
    // ends in ".img", not being the first argument's "/l" or "/d" switch. Empty: none.
    static QString ImageArgument(const QStringList& arguments);
    TLoggerSettingsPage& LoggerSettingsPage() { return *FSettingsPage; }

    // ---- device parameter access -------------------------------------------------------
    bool ReadParam(quint8 Number, float& Value) { return FAccess->ReadParam(Number, Value); }
    bool WriteParam(quint8 Number, float& Value) { return FAccess->WriteParam(Number, Value); }
    bool EnterRemoteMode() { return FAccess->EnterRemoteMode(); }
    bool ExitRemoteMode() { return FAccess->ExitRemoteMode(); }
    bool EscapeRemoteMenu() { return FAccess->EscapeRemoteMenu(); }
    void WaitMs(int Milliseconds);

    // ---- handlers ----------------------------------------------------------------------
    void ButtonRefreshClick(); // "Detect"
    void Communication1Click(); // Setup > Communication
    void LoadSettings();
    bool SaveSettings();

    // ---- idle handler and close sequence ------------------------------------------------
    // Runs whenever the event queue has emptied; never spins by itself.
    void ApplicationIdle();
    TCloseActionEvent CloseActionEvent() const { return FCloseActionEvent; }
    // While an operation runs the close sequence holds before the port is closed.
    void BeginOperation() { ++FBusy; }
    void EndOperation() { FBusy = qMax(0, FBusy - 1); }
    bool OperationRunning() const;

signals:
    // Detect starts: the row count goes back to 0.
    void DetectionStarted();
    // The start/clear group ("Start Reading", "Clear Logger"): enabled only with DeviceFound.
    void StartClearGroupEnable(bool enable);
    // The export group ("To ASCII File", "To DBASE Table", "Show Trend", "Save Image").
    void ExportGroupEnable(bool enable);
    // "Load Image" on page 0.
    void LoadImageClicked();
    // The close sequence moved on to a step.
    void CloseStepReached(quint8 step);
    // A logger read on page 2 started (true) or ended (false).
    void ReadingChanged(bool active);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void buildWindow();
    void makeControlSheet();
    bool confirm(const QString& title, const QString& text);
    void showTrend(TLogTableModel& table);
    void showSimulator();
    void imageLoadStarting();
    void imageLoadFinished(const QString& memoLine, const QString& path, bool loaded);
    void updatePortState();
    // With no port open: why the last open failed (in the memo and, asked for, a box) and
    // what to do, on the detection memo.
    void reportPortState(bool box);
    void closeStep();
    void setCloseStep(TCloseActionEvent step);
    void wakeIdleIn(int ms);
    void closeLog(const QString& text);
    void detach();

    TMessageService& FMessages;
    TSettingsLocation FSettingsLocation;
    QStringList FArguments;
    std::unique_ptr<TSerialPort> FPort; // handed to the engine when it is made

    // Freed in this order: reader, engine, device object (members go in reverse).
    std::unique_ptr<TOstraDevice> FOstraDevice;
    std::unique_ptr<TCOMEngine> FCOMEngine;
    std::unique_ptr<TLOGGEREngine> FLOGGEREngine;
    std::unique_ptr<TDeviceAccess> FAccess;
    std::unique_ptr<TLoggerSettings> FLoggerSettings;
    std::unique_ptr<TDetection> FDetection;
    // The rows read or loaded and their table; page 2 works on them.
    std::unique_ptr<TLogStore> FLogStore;
    std::unique_ptr<TLogTable> FLogTable;
    // What is known about the store's rows, and the "Service Report..." command.
    std::unique_ptr<TServiceReportAction> FReport;
    QDateTime FDetectedAt; // this PC's clock when the last detection read the transmitter's

    TLogForm* FLogForm = nullptr;
    TComSetupDlgForm* FComSetup = nullptr;
    TYesNoBottomDlgForm* FYesNo = nullptr;

    THeaderCaption* FHeader = nullptr;
    QStackedWidget* FPages = nullptr;
    TDetectionPage* FDetectionPage = nullptr;
    TLoggerSettingsPage* FSettingsPage = nullptr;
    QWidget* FControlSheetPage = nullptr;
    TLoggerControlSheet* FControlSheet = nullptr;
    QPushButton* FBack = nullptr;
    QPushButton* FNext = nullptr;
    QLabel* FPanel0 = nullptr;
    QLabel* FPanel1 = nullptr;
    QProgressBar* FGauge = nullptr;
    QMenu* FProgramMenu = nullptr;
    QMenu* FSetupMenu = nullptr;
    QAction* FExit = nullptr;
    QAction* FCommunication = nullptr;

    bool FFullLog = false;
    bool FShown = false;
    bool FNavigationRequested = false;
    bool FNavigateForward = false;
    int FBusy = 0;
    bool FInIdle = false;
    bool FIdleConnected = false;
    QMetaObject::Connection FIdleConnection;

    // The controls that wait for the port or for rows (see ControlNeeds).
    TControlGates FGates;
    QString FPortProblem; // why the port last failed to open; status panel 1 says it while closed

    TCloseActionEvent FCloseActionEvent = cla_None;
    std::unique_ptr<TProgress> FCloseProgress;
    QElapsedTimer FStepClock; // how long the current close step has held
};

} // namespace quentry
