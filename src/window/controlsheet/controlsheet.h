#pragma once
// Page 2 of the main window, "Logger Control Sheet": reading and clearing the logger,
// saving and loading log images, the ASCII and dBASE exports, and the hand-offs to the
// trend window and the simulator. It wires the plain classes (log store and table, image
// file, exports, logger clearing, the logger reader) to its buttons; everything it needs
// of the main window comes in through TControlSheetHooks.
#include "elapsed.h"
#include "operation.h"

#include <QWidget>
#include <functional>

class QLabel;
class QPushButton;
class QGroupBox;

namespace quentry {

class TDeviceAccess;
class TLOGGEREngine;
class TLogStore;
class TLogTable;
class TLogTableModel;
class TMessageService;
struct THART_PAS_LOG_Row;
struct TFileDialogRequest;

// The objects the page works on; all owned by the main window and outliving the page.
struct TControlSheetParts
{
    TDeviceAccess& access;     // engine, device object, detected identity and DeviceFound
    TLOGGEREngine& reader;     // the page installs its OnRdLogger and OnFinish
    TLogStore& store;
    TLogTable& table;
    TMessageService& messages; // every box, progress dialog, cursor and file dialog
};

// What the page asks of the main window. Every member may be left empty.
struct TControlSheetHooks
{
    std::function<void(bool enabled)> setMenuEnabled; // EnableMainMenu / DisableMainMenu
    std::function<void(bool enabled)> setBackEnabled;
    std::function<void(bool enabled)> setNextEnabled;
    std::function<void(int percent)> setGauge;        // the status-bar gauge, 0..100
    std::function<void(bool active)> readingChanged;  // a read started or ended
    // The Yes/No dialog; answers true for Yes. Empty: a question box with No as default.
    std::function<bool(const QString& title, const QString& text)> confirm;
    // Load Image, the parts on page 0. Before: MemoInfo cleared, "Detect", "Load Image"
    // and the "Logger Settings" page disabled.
    std::function<void()> imageLoadStarting;
    // After: memoLine appended to MemoInfo, "Detect" and "Load Image" enabled; when loaded,
    // ShowPage(2) and the file's name in the window title.
    std::function<void(const QString& memoLine, const QString& path, bool loaded)> imageLoadFinished;
    // Shows the trend window modally on the converted log table. Empty: the page says the
    // trend window is not there.
    std::function<void(TLogTableModel& table)> showTrend;
    // Shows the simulator modally on the store; it may change the store's LogCount.
    std::function<void()> simulate;
    // "Service Report...": asks for a file and writes the report of the store's rows.
    std::function<void()> serviceReport;
};

class TLoggerControlSheet : public QWidget
{
    Q_OBJECT
public:
    TLoggerControlSheet(const TControlSheetParts& parts, TControlSheetHooks hooks, QWidget* parent = nullptr);
    ~TLoggerControlSheet() override;

    // The result lines of images and exports are shown only with the full log ("/l").
    void SetFullLog(bool on) { FFullLog = on; }
    // "Simulate Image" is hidden unless the program was asked for the simulator.
    void SetSimulateVisible(bool on);
    bool ReadingActive() const { return FActivity == TActivity::Reading; }
    // Nothing else running on the page (a read, a clear, a file operation, the trend).
    bool Idle() const { return FActivity == TActivity::Idle; }

    // The two button groups the whole window switches. The start/clear group is enabled
    // only while a device was found.
    void SetExportGroupEnabled(bool on);
    void SetStartClearGroupEnabled(bool on);

    // Load Image as page 0's button does it: file dialog, then LoadImageFile's steps.
    void ButtonLImageClick();
    // Loads the image at path as "Load Image" would (program argument, a dropped file).
    bool LoadImageFile(const QString& path);

    // Page buttons, public so the main window can act as a press would (close during a read).
    void ButtonStartClick();
    void ButtonstopClick();
    void ButtonClearClick();
    void ButtonSImageClick();
    void ButtonASCClick();
    void ButtonDBaseClick();
    void ButtonTrendClick();
    void ButtonSimulateClick();
    void ButtonReportClick();

    const TElapsedClock& Clock() const { return FClock; }

private:
    enum class TActivity : quint8 { Idle, Reading, Clearing, Saving, Loading, Exporting, Trend, Simulating, Reporting };

    void buildControls();
    void setActivity(TActivity a);
    void setMenu(bool on);
    void setBack(bool on);
    void setNext(bool on);
    void setGauge(int percent);
    TOperationContext context();
    void beginExport(TActivity a);
    void endExport();

    void Log_Add(const THART_PAS_LOG_Row& Row);
    void ReadFinished();
    bool ConvertToTable();
    void SaveImage();
    bool LoadImage(const QString& path);
    void ExportAscii();
    void ExportDbase();
    void beginImageLoad();
    bool finishImageLoad(const QString& path, bool loaded);
    bool confirm(const QString& title, const QString& text);
    QString proposedName(const TFileDialogRequest& request) const;
    void rememberName(const QString& path);
    // The single file dialog of the window, in the folder last used: proposes the stem of
    // the rows in hand (the transmitter and day of a read, the file loaded, the name last
    // chosen), "Export" before there is one.
    QString askFileName(TFileDialogRequest request);

    TControlSheetParts FParts;
    TControlSheetHooks FHooks;
    TElapsedClock FClock;
    TActivity FActivity = TActivity::Idle;
    bool FFullLog = false;
    int FRowCounter = 0;
    QString FStem; // the name the file dialogs propose, without folder and extension
    struct TBeforeLoad
    {
        bool deviceFound = false;
        bool heartBeat = false;
        bool exportEnabled = false;
    } FBeforeLoad; // what a load that fails gives back

    QGroupBox* FCommands = nullptr;
    QGroupBox* FExport = nullptr;
    QPushButton* ButtonStart = nullptr;
    QPushButton* Buttonstop = nullptr;
    QPushButton* ButtonClear = nullptr;
    QPushButton* ButtonSImage = nullptr;
    QPushButton* ButtonASC = nullptr;
    QPushButton* ButtonDBase = nullptr;
    QPushButton* ButtonTrend = nullptr;
    QPushButton* ButtonReport = nullptr;
    QPushButton* ButtonSimulate = nullptr;
    QLabel* LabelTotalRec = nullptr;
    QLabel* LabelTime = nullptr;
    QLabel* Label4 = nullptr;
};

} // namespace quentry
