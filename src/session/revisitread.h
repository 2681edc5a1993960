#pragma once
// TRevisitRead: a logger read whose rows join the site history, of everything the logger
// holds or only of what the history lacks. A read of new rows starts at the newest row the
// history holds for the transmitter and proves the join before it trusts a position: that
// row must come back from the logger with the same time, index and content. Its place is
// worked out from the logger's layout and the index distance to the newest row the logger
// holds (never from fields whose meaning the transmitter does not state), looked for again
// nearby when an index gap moved it, and when it cannot be found everything is read, saying
// so. Driven like the reader it uses: rows one by one with the count still to come, Stop,
// Abort, and a result once.
#include "deviceaccess.h"
#include "historyfeed.h"
#include "historytexts.h"
#include "loggerengine.h"

#include <functional>
#include <memory>

namespace quentry {

class TRevisitRead
{
public:
    enum class TKind { All, NewRows };
    // Probes for the join row before everything is read instead.
    static constexpr int kMaxProbes = 8;

    struct TOptions
    {
        TKind kind = TKind::All;
        THistoryStore* history = nullptr; // none: the rows go to the caller only
        TVisitStart visit;                // device, protocol, adapter, version, clock check
        // Asked at the end: true when a terminal interrupt stopped the read.
        std::function<bool()> interrupted;
    };

    struct TResult
    {
        TReadEnd end = TReadEnd::None;
        int rowsRead = 0;
        int lost = 0;                  // rows the reader could not deliver
        bool joined = false;           // a new-rows read found and proved its join row
        bool historyKept = false;      // the rows went into the history
        QString historyError;          // why the history did not take (all of) them
        TJoinSummary join;
        QString line;                  // the result line for the window and the terminal
    };

    TRevisitRead(TDeviceAccess& access, TLOGGEREngine& reader);
    ~TRevisitRead();

    // Each row read, with the rows still to come after it.
    std::function<void(const THART_PAS_LOG_Row& row, int rowsToCome)> OnRow;
    // How the read goes ("where it starts and why"), beside the reader's own messages.
    std::function<void(const QString& text)> OnNote;
    std::function<void(const TResult& result)> OnFinish;

    // Over FAST returns once the read has ended; over HART once it runs (OnFinish comes
    // later). False when nothing was started (the history did not take the visit).
    bool Start(const TOptions& options);
    void Stop();
    void Abort();
    bool Active() const { return FActive; }
    const TResult& Result() const { return FResult; }

private:
    struct TPlan
    {
        std::optional<TReadStart> start; // where the join row is; none: from the oldest row
        QString note;                    // why everything is read, when a new-rows read does
    };
    TPlan locate();
    TPlan locateInPages(const TStoredRow& known);
    TPlan locateInRecords(const TStoredRow& known);
    bool beginFeed(THistoryFeed::TStartsAt from);
    void run(const TPlan& plan);
    void onRow(const THART_PAS_LOG_Row& row);
    void onFinish();
    void finish();
    bool page(quint16 number, TFAST_PAS_LOG_RdPage& out);
    bool stopAsked() const { return FStopAsked; }

    TDeviceAccess& FAccess;
    TLOGGEREngine& FReader;
    TOptions FOptions;
    TResult FResult;
    std::unique_ptr<THistoryFeed> FFeed;
    std::optional<TStoredRow> FKnown;  // the join row, when the read starts at it
    bool FActive = false;
    bool FStopAsked = false;
    bool FFirstRow = true;
    bool FRestart = false;             // the join row did not come back: read everything instead
    QString FNote;
    TTXRXInfo FAddressing;
};

// The result line of a read without the history: "Result: %d record(s) readed." as ever.
QString PlainReadResultLine(int rows);

} // namespace quentry
