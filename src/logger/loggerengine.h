#pragma once
// TLOGGEREngine reads the whole logger of the detected transmitter through the device
// object and hands the decoded rows to its owner one by one: record by record on a 20 ms
// timer (HART), or page by page of six rows, on the timer or in one blocking loop (FAST).
// Three events report each row, each message worth showing, and the end of the read,
// which comes exactly once for every read that started.
#include "loggerrecords.h"
#include "operationrecords.h"
#include "ostradevice.h"

#include <QList>
#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>

namespace quentry {

class TLOGGEREngine;

using TRdLoggerEvent = std::function<void(TLOGGEREngine* Sender, const THART_PAS_LOG_Row& f_Row)>;
using TMessageEvent = std::function<void(TLOGGEREngine* Sender, const QString& classstr, const QString& str)>;
using TFinishEvent = std::function<void(TLOGGEREngine* Sender)>;

// How the last read ended: to the end of the logger, stopped by its owner, or cut short
// (line or adapter lost, logger not opened or not moving on, device detached).
enum class TReadEnd { None, Completed, Stopped, Aborted };

// Why rows were not delivered: the logger has no row with those indexes, or rows it has
// never came back readable (given up on after their re-reads, or failing their check).
enum class TRowLoss { MissingFromLogger, Unreadable };
using TLostEvent = std::function<void(TLOGGEREngine* Sender, int count, TRowLoss cause)>;

// Where a read starts instead of at the oldest row: a record position counted from the
// oldest row (record mode), or a page and the row on it (page mode). The row there is the
// first one delivered.
struct TReadStart
{
    int position = 0;
    quint16 page = 0;
    int row = 0;
};

// Moves the logger's record pointer to `position` rows after the oldest. A seek offset
// has 16 signed bits, so a position beyond 32767 is reached in steps from the current row.
TFrameError SeekLoggerTo(TOstraDevice& device, TTXRXInfo& addressing, int position, THART_PAS_LOG_Seek& seek);

class TLOGGEREngine : public QObject
{
    Q_OBJECT
public:
    // Reads of one page that fail their row check before the good rows are taken anyway.
    static constexpr int kPageCheckRetries = 5;
    // Times the same forward index jump is seen, with a seek back between, before the
    // missing indexes are taken as missing from the logger itself.
    static constexpr int kJumpSightings = 3;
    // Logger answers in a row that bring no new row and move the pointer no further;
    // past this the logger is not moving on and the read ends.
    static constexpr int kMaxStalls = 24;

    explicit TLOGGEREngine(QObject* AOwner = nullptr);
    ~TLOGGEREngine() override;

    // Setting none detaches the device: a read in progress ends at once, without traffic.
    TOstraDevice* OstraDevice() const { return FOstraDevice; }
    void SetOstraDevice(TOstraDevice* device);
    int LoopInterval() const { return TimerLogRead.interval(); }
    void SetLoopInterval(int ms) { TimerLogRead.setInterval(ms); }
    const TTestedDevice& TestedDevice() const { return FTestedDevice; }
    void SetTestedDevice(const TTestedDevice& d) { FTestedDevice = d; }
    bool LoopEnabled() const { return FLoopEnabled; }
    bool Active() const { return FActive; }
    TReadEnd ReadEnd() const { return FEnd; }
    quint16 LastReadedPage() const { return FLastReadedPage; }
    // Rows the read did not deliver: missing indexes, rows given up on, rows left out of pages.
    int LostRecordCount() const { return FLostRecordCount; }
    int ReadErrorCount() const { return LoggerReadErrorCount; }
    quint16 TotalRecordCount() const { return FTotalRecordCount; }
    void SetTotalRecordCount(quint16 v) { FTotalRecordCount = v; }
    quint16 FilePointerPos() const { return FFilePointerPos; }
    void SetFilePointerPos(quint16 v) { FFilePointerPos = v; }

    TRdLoggerEvent OnRdLogger;
    TMessageEvent OnMessage;
    TFinishEvent OnFinish;
    // Every time rows are given up as not delivered (they are also in LostRecordCount).
    TLostEvent OnLost;

    // The next read (record or page mode, whichever is started) begins there instead of at
    // the oldest row; the read after it starts at the oldest row again.
    void StartNextReadAt(const TReadStart& start) { FStart = start; }

    void InitReadByRecord();
    void InitReadByPage();
    // Reads page by page to the end; returns when the read has ended.
    void AssyReadByPage();
    void ReadLoopByRecord();
    void ReadLoopByRecord_OK();
    void ReadLoopByPage();
    // The next step closes the logger and ends the read (also when asked while the read is
    // still opening the logger).
    void Stop()
    {
        FLoopEnabled = false;
        FStopAsked = FActive;
    }
    // Ends a running read at once, sending nothing more (the logger is not closed): the
    // read ends Aborted. The transaction under way runs out by itself.
    void Abort();

    // Whether a table's record indexes rise by one from row to row (wrapping after 65535).
    static bool TestIntegrity(const QList<quint16>& f_indexes);

private:
    enum class TStart { Open, Failed };
    TStart commonStart(quint8 pagemode);
    bool readLayout();
    bool startPageRead();
    void pageStep();
    void endRead(bool closeLogger, TReadEnd how);
    void acceptRow(int lost, int unreadable);
    void reportLost(quint16 first, quint16 last);
    void lose(int count, TRowLoss cause);
    bool applyStart(int pages, int current);
    void noteLoggerAnswer();
    void deliver(const THART_PAS_LOG_Row& row);
    void message(const QString& cls, const QString& text);
    bool linkLost(TFrameError e);
    void onTimer();
    int rowsPerPage() const;
    int rowsOnPage(quint16 page) const;
    bool wrapped() const { return last_log_RdLFData.status & 0x10; }

    TOstraDevice* FOstraDevice = nullptr;
    QTimer TimerLogRead;
    TTestedDevice FTestedDevice;
    bool FLoopEnabled = false;
    bool FActive = false;
    quint16 FLastReadedPage = 0;
    TTXRXInfo last_device;
    THART_PAS_LOG_RdRecord Flast_log_RdRecord;
    quint16 last_BDIndex = 65535;
    bool previous_DBReadFailed = false;
    int previous_DBReadFailedCount = 0;
    THART_PAS_LOG_RdLFData last_log_RdLFData;
    quint8 log_pagemode = 0;
    quint16 log_pgindex = 0;
    int FLostRecordCount = 0;
    int LoggerReadErrorCount = 0;
    quint16 FTotalRecordCount = 0;
    quint16 FFilePointerPos = 0;

    TReadEnd FEnd = TReadEnd::None;
    bool FEnding = false;           // the closing transaction of a read is under way
    bool FStopAsked = false;        // Stop came during this read, perhaps before its loop began
    bool FHaveFirstRow = false;     // record mode: a row has been delivered, so indexes can be checked
    int FSkipped = 0;               // record mode: rows given up on since the last delivered one
    bool FLoggerRefusedRow = false; // record mode: the last failed read was a logger error, not the line
    quint16 FJumpTarget = 0;        // record mode: the index a forward jump landed on
    int FJumpSeen = 0;              // record mode: times that jump has been seen
    int FStalls = 0;                // record mode: logger answers in a row without progress
    int FFurthestPos = -1;          // record mode: the furthest position a read has reported
    int FPageCheckFailures = 0;     // page mode: failed row checks of the current page in a row
    bool FAllPagesRead = false;     // page mode: the page being written has been delivered
    int FSkipOnPage = 0;            // page mode: rows of the first page before the start row
    std::optional<TReadStart> FStart; // where the next read begins, when not at the oldest row
    TFAST_PAS_LOG_RdPage FPage;
};

} // namespace quentry
