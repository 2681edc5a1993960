#include "loggerengine.h"

namespace quentry {
namespace {

constexpr quint8 kOpen = 1;
constexpr quint8 kClose = 0;
constexpr quint8 kReadNext = 1;
constexpr quint8 kReadCurrent = 0;
constexpr quint8 kLoggerReadError = 2;
constexpr int kMaxRereads = 5;

// Distance from the last index to a new one on the 16-bit index circle.
int indexStep(quint16 last, quint16 next) { return quint16(next - last); }

} // namespace

TFrameError SeekLoggerTo(TOstraDevice& device, TTXRXInfo& addressing, int position, THART_PAS_LOG_Seek& seek)
{
    constexpr int kMaxOffset = 32767;
    seek.Whence = 0;
    seek.Offset = qint16(qBound(0, position, kMaxOffset));
    TFrameError e = device.Log_Seek(addressing, seek);
    for (int done = seek.Offset; e == FRERR_OK && done < position;) {
        const int step = qMin(position - done, kMaxOffset);
        seek.Whence = 2;
        seek.Offset = qint16(step);
        e = device.Log_Seek(addressing, seek);
        done += step;
    }
    return e;
}

TLOGGEREngine::TLOGGEREngine(QObject* AOwner) : QObject(AOwner)
{
    TimerLogRead.setSingleShot(true);
    TimerLogRead.setTimerType(Qt::PreciseTimer);
    TimerLogRead.setInterval(20);
    connect(&TimerLogRead, &QTimer::timeout, this, &TLOGGEREngine::onTimer);
}

TLOGGEREngine::~TLOGGEREngine()
{
    TimerLogRead.stop();
    OnRdLogger = nullptr;
    OnMessage = nullptr;
    OnFinish = nullptr;
}

void TLOGGEREngine::SetOstraDevice(TOstraDevice* device)
{
    if (device == FOstraDevice) return;
    if (!device && FActive) {
        // Detached under a running read (the program is closing): no more traffic.
        FOstraDevice = nullptr;
        Abort();
        return;
    }
    FOstraDevice = device;
}

void TLOGGEREngine::Abort() { endRead(false, TReadEnd::Aborted); }

void TLOGGEREngine::message(const QString& cls, const QString& text)
{
    if (OnMessage) OnMessage(this, cls, text);
}

void TLOGGEREngine::deliver(const THART_PAS_LOG_Row& row)
{
    if (OnRdLogger) OnRdLogger(this, row);
}

void TLOGGEREngine::endRead(bool closeLogger, TReadEnd how)
{
    // Every read ends once, also when the device is detached during the closing
    // transaction (the engine runs events while it waits).
    if (!FActive || FEnding) return;
    FEnding = true;
    FStart.reset(); // a start not taken up does not carry over to the next read
    if (closeLogger && FOstraDevice) {
        THART_PAS_LOG_OpenClose close;
        close.mode = kClose;
        FOstraDevice->Log_OpenClose(last_device, close);
    }
    FActive = false;
    FEnding = false;
    FEnd = how;
    FLoopEnabled = false;
    TimerLogRead.stop();
    if (OnFinish) OnFinish(this);
}

// A read cannot go on once the line is gone or the adapter gave up; retrying would only spin.
bool TLOGGEREngine::linkLost(TFrameError e)
{
    if (e == FERR_ADAPTERABORT) {
        message(QStringLiteral("LOG_ABORT"), QStringLiteral("Communication adapter lost; reading stopped."));
        endRead(false, TReadEnd::Aborted);
        return true;
    }
    if (e == FERR_INTERFACE) {
        message(QStringLiteral("LOG_ABORT"), QStringLiteral("No open port; reading stopped."));
        endRead(false, TReadEnd::Aborted);
        return true;
    }
    return false;
}

TLOGGEREngine::TStart TLOGGEREngine::commonStart(quint8 pagemode)
{
    log_pagemode = pagemode;
    FActive = true;
    FStopAsked = false;
    FEnd = TReadEnd::None;
    FLostRecordCount = 0;
    LoggerReadErrorCount = 0;
    last_BDIndex = 65535;
    previous_DBReadFailed = false;
    FLoopEnabled = false;
    previous_DBReadFailedCount = 0;
    FHaveFirstRow = false;
    FSkipped = 0;
    FLoggerRefusedRow = false;
    FJumpSeen = 0;
    FStalls = 0;
    FFurthestPos = -1;
    FPageCheckFailures = 0;
    FAllPagesRead = false;
    FSkipOnPage = 0;
    if (pagemode) {
        FLastReadedPage = 0;
        log_pgindex = 0;
    }
    if (!FOstraDevice) {
        message(QStringLiteral("LOG_OPEN"), QStringLiteral("No device to read from."));
        endRead(false, TReadEnd::Aborted);
        return TStart::Failed;
    }
    last_device = FOstraDevice->BuildTTXRXInfo(FTestedDevice.UniqueID);
    THART_PAS_LOG_OpenClose open;
    open.mode = kOpen;
    const TFrameError e = FOstraDevice->Log_OpenClose(last_device, open);
    if (!FActive) return TStart::Failed; // detached during the open
    if (e != FRERR_OK) {
        // Without an open logger there is nothing to read; say why and end the read.
        message(QStringLiteral("LOG_OPEN"),
                QStringLiteral("Logger could not be opened: %1").arg(FrameErrorMessage(e)));
        endRead(false, TReadEnd::Aborted);
        return TStart::Failed;
    }
    return TStart::Open;
}

// ---- record by record ------------------------------------------------------------------

void TLOGGEREngine::InitReadByRecord()
{
    if (FActive) return;
    if (commonStart(0) != TStart::Open) return;

    THART_PAS_LOG_Seek seek;
    SeekLoggerTo(*FOstraDevice, last_device, FStart ? FStart->position : 0, seek);
    FStart.reset();
    if (!FActive) return; // detached during the seek

    Flast_log_RdRecord = THART_PAS_LOG_RdRecord();
    Flast_log_RdRecord.mode = kReadCurrent;
    const TFrameError e = FOstraDevice->Log_RdRecord(last_device, Flast_log_RdRecord);
    if (!FActive) return; // detached during the read
    if (linkLost(e)) return;
    const quint8 code = e == FRERR_OK ? Flast_log_RdRecord.lstat.errorcode : quint8(0xFF);
    if (code == kLoggerReadError && Flast_log_RdRecord.lstat.total == 0) {
        // An empty logger has no row to read: nothing is missing.
        FTotalRecordCount = 0;
        endRead(true, TReadEnd::Completed);
        return;
    }
    const bool delivered = code == 0;
    if (delivered) {
        FTotalRecordCount = Flast_log_RdRecord.lstat.total;
        FFilePointerPos = Flast_log_RdRecord.lstat.pos;
        FFurthestPos = FFilePointerPos;
        last_BDIndex = Flast_log_RdRecord.row.index;
        FHaveFirstRow = true;
        deliver(Flast_log_RdRecord.row);
        if (!FActive) return;
    }
    // A first read that did not deliver says nothing about the logger's size: keep reading.
    if (!delivered || Flast_log_RdRecord.lstat.total > 1) {
        FLoopEnabled = !FStopAsked; // a Stop during the start ends the read at the first step
        TimerLogRead.start();
    } else {
        endRead(true, TReadEnd::Completed);
        return;
    }
    // The current row is read again when the first read did not deliver it.
    previous_DBReadFailed = !delivered;
}

void TLOGGEREngine::ReadLoopByRecord()
{
    if (!FActive) return;
    if (!FOstraDevice) {
        endRead(false, TReadEnd::Aborted);
        return;
    }
    // The top of the logger is reached once its newest row has been read: a read that
    // failed there (a READERROR moves the pointer on) has not read it yet.
    const bool atTop = Flast_log_RdRecord.lstat.TOF;
    if (!FLoopEnabled || (atTop && !previous_DBReadFailed)) {
        endRead(true, atTop && !previous_DBReadFailed ? TReadEnd::Completed : TReadEnd::Stopped);
        return;
    }
    quint8 mode = kReadNext;
    if (previous_DBReadFailed) {
        if (previous_DBReadFailedCount >= kMaxRereads) {
            message(QStringLiteral("LOG_REPEAT"), QStringLiteral("Repeat number reached. Maybe some Record is lost!"));
            // The row under the pointer is given up on; the read moves past it. Only a row
            // the logger itself refused is known to be passed over: after failed
            // transactions a jump is still checked by seeking back.
            if (FLoggerRefusedRow) ++FSkipped;
            previous_DBReadFailedCount = 0;
            if (atTop) {
                // No row after the newest to move on to: the newest is the one missing.
                FSkipped = qMax(FSkipped, 1);
                lose(FSkipped, TRowLoss::Unreadable);
                if (FHaveFirstRow) reportLost(quint16(last_BDIndex + 1), quint16(last_BDIndex + FSkipped));
                endRead(true, TReadEnd::Completed);
                return;
            }
            mode = kReadNext;
        } else {
            mode = kReadCurrent;
            ++previous_DBReadFailedCount;
        }
    }
    Flast_log_RdRecord.mode = mode;
    const TFrameError e = FOstraDevice->Log_RdRecord(last_device, Flast_log_RdRecord);
    if (!FActive) return;
    if (linkLost(e)) return;
    FLoggerRefusedRow = e == FRERR_OK && Flast_log_RdRecord.lstat.errorcode != 0;
    if (e != FRERR_OK) {
        previous_DBReadFailed = true;
        message(QStringLiteral("LOG_RETRY"), QStringLiteral("Reread: %1").arg(int(last_BDIndex) + 1));
        return;
    }
    noteLoggerAnswer();
    if (!FActive) return;
    const quint8 code = Flast_log_RdRecord.lstat.errorcode;
    if (code == 0) {
        ReadLoopByRecord_OK();
    } else if (code == kLoggerReadError) {
        ++LoggerReadErrorCount;
        message(QStringLiteral("LOG_RDERROR"), QStringLiteral("Last Index: %1").arg(last_BDIndex));
        previous_DBReadFailed = true;
    } else {
        previous_DBReadFailed = true;
        message(QStringLiteral("FRAME"), QStringLiteral("FRAME ERROR, Last Index: %1").arg(last_BDIndex));
    }
}

// A logger that keeps answering without ever moving past the furthest position it has
// reported is not going to deliver more; the read ends rather than spin.
void TLOGGEREngine::noteLoggerAnswer()
{
    const int pos = Flast_log_RdRecord.lstat.pos;
    if (pos > FFurthestPos) {
        FFurthestPos = pos;
        FStalls = 0;
        return;
    }
    if (++FStalls < kMaxStalls) return;
    message(QStringLiteral("LOG_ABORT"),
            QStringLiteral("The logger does not move on past position %1; reading stopped.").arg(FFurthestPos));
    endRead(true, TReadEnd::Aborted);
}

void TLOGGEREngine::lose(int count, TRowLoss cause)
{
    if (count <= 0) return;
    FLostRecordCount += count;
    if (OnLost) OnLost(this, count, cause);
}

void TLOGGEREngine::reportLost(quint16 first, quint16 last)
{
    message(QStringLiteral("LOG_LOST"), first == last ? QStringLiteral("Record lost: index %1").arg(first)
                                                      : QStringLiteral("Records lost: index %1 - %2").arg(first).arg(last));
}

// Delivers the row just read; `lost` rows before it will never be delivered, the first
// `unreadable` of them rows given up on, the rest indexes the logger has no row for.
void TLOGGEREngine::acceptRow(int lost, int unreadable)
{
    unreadable = qBound(0, unreadable, lost);
    lose(unreadable, TRowLoss::Unreadable);
    lose(lost - unreadable, TRowLoss::MissingFromLogger);
    FTotalRecordCount = Flast_log_RdRecord.lstat.total;
    FFilePointerPos = Flast_log_RdRecord.lstat.pos;
    last_BDIndex = Flast_log_RdRecord.row.index;
    FHaveFirstRow = true;
    FSkipped = 0;
    FJumpSeen = 0;
    FStalls = 0;
    previous_DBReadFailed = false;
    previous_DBReadFailedCount = 0;
    deliver(Flast_log_RdRecord.row);
}

void TLOGGEREngine::ReadLoopByRecord_OK()
{
    const quint16 next = Flast_log_RdRecord.row.index;
    const int step = indexStep(last_BDIndex, next);
    if (!FHaveFirstRow) {
        // The first row of a read whose opening reads failed; rows given up on before it
        // cannot be named.
        acceptRow(FSkipped, FSkipped);
    } else if (step == 1) {
        // The next row (after index 65535 comes 0).
        acceptRow(0, 0);
    } else if (step > 1 && step < 0x8000) {
        // Rows seem to be skipped. Rows given up on account for the jump; otherwise step
        // back and read again, until the same jump has been seen often enough to say the
        // logger itself has no row with the indexes between.
        if (FJumpTarget != next) {
            FJumpTarget = next;
            FJumpSeen = 0;
        }
        if (step - 1 <= FSkipped || ++FJumpSeen >= kJumpSightings) {
            reportLost(quint16(last_BDIndex + 1), quint16(next - 1));
            acceptRow(step - 1, FSkipped);
            return;
        }
        message(QStringLiteral("LOG_INDEX"), QStringLiteral("NEW / LAST Index: %1 - %2").arg(next).arg(last_BDIndex));
        THART_PAS_LOG_Seek seek;
        seek.Whence = 2;
        seek.Offset = -1;
        FOstraDevice->Log_Seek(last_device, seek);
        previous_DBReadFailed = true;
        Flast_log_RdRecord.lstat.TOF = false; // the seek moved the logger back
    } else if (Flast_log_RdRecord.lstat.pos > FFilePointerPos) {
        // A row further on in the logger whose index is not above the last: the logger's
        // numbering went back. Read on from it rather than drop the rest of the logger.
        message(QStringLiteral("LOG_INDEX"),
                QStringLiteral("Index went back: NEW / LAST Index: %1 - %2; reading on from %1").arg(next).arg(last_BDIndex));
        acceptRow(0, 0);
    } else {
        // A row already delivered (read again, or the pointer went back): read on.
        previous_DBReadFailed = false;
    }
}

// ---- page by page ----------------------------------------------------------------------

int TLOGGEREngine::rowsPerPage() const
{
    const int r = last_log_RdLFData.rowperpage;
    return r >= 1 && r <= kRowsPerPage ? r : kRowsPerPage;
}

// The page being written holds sor rows (never more than a page); every other page is full.
int TLOGGEREngine::rowsOnPage(quint16 page) const
{
    if (page == last_log_RdLFData.page) return qMin<int>(last_log_RdLFData.sor, rowsPerPage());
    return rowsPerPage();
}

bool TLOGGEREngine::readLayout()
{
    last_log_RdLFData = THART_PAS_LOG_RdLFData();
    const TFrameError e = FOstraDevice->Log_RdLFData(last_device, last_log_RdLFData);
    if (!FActive) return false;
    if (linkLost(e)) return false;
    if (e != FRERR_OK) {
        message(QStringLiteral("LOG_LAYOUT"),
                QStringLiteral("Logger layout could not be read: %1").arg(FrameErrorMessage(e)));
        endRead(true, TReadEnd::Aborted);
        return false;
    }
    const int pages = last_log_RdLFData.totalpagecount;
    if (pages == 0 || last_log_RdLFData.page >= pages) {
        message(QStringLiteral("LOG_LAYOUT"), QStringLiteral("Logger layout makes no sense: page %1 of %2.")
                                                  .arg(last_log_RdLFData.page)
                                                  .arg(pages));
        endRead(true, TReadEnd::Aborted);
        return false;
    }
    const int current = rowsOnPage(last_log_RdLFData.page);
    if (wrapped()) {
        // Oldest first: from the page after the one being written, round to that page.
        FLastReadedPage = quint16((last_log_RdLFData.page + 1) % pages);
        FTotalRecordCount = quint16((pages - 1) * rowsPerPage() + current);
    } else {
        FLastReadedPage = 0;
        FTotalRecordCount = quint16(last_log_RdLFData.page * rowsPerPage() + current);
    }
    FFilePointerPos = 0;
    last_BDIndex = Flast_log_RdRecord.row.index;
    return !FStart || applyStart(pages, current);
}

// A read that starts at a given page and row reads on from there to the page being written.
bool TLOGGEREngine::applyStart(int pages, int current)
{
    const TReadStart start = *FStart;
    FStart.reset();
    const int newest = last_log_RdLFData.page;
    const bool beyond = start.page >= pages || start.row < 0 || start.row >= rowsPerPage() ||
                        (!wrapped() && start.page > newest) || (start.page == newest && start.row >= current);
    if (beyond) {
        message(QStringLiteral("LOG_LAYOUT"), QStringLiteral("The start at page %1, row %2 is not in the logger.")
                                                  .arg(start.page)
                                                  .arg(start.row));
        endRead(true, TReadEnd::Aborted);
        return false;
    }
    const int pagesBefore = (newest - start.page + pages) % pages;
    FLastReadedPage = start.page;
    FSkipOnPage = start.row;
    FTotalRecordCount = quint16(pagesBefore * rowsPerPage() + current - start.row);
    return true;
}

bool TLOGGEREngine::startPageRead()
{
    if (FActive) return false;
    if (commonStart(1) != TStart::Open) return false;
    if (!readLayout()) return false;
    if (FTotalRecordCount == 0) {
        endRead(true, TReadEnd::Completed); // an empty logger
        return false;
    }
    FLoopEnabled = !FStopAsked; // a Stop during the start ends the read at the first step
    previous_DBReadFailed = false;
    return true;
}

void TLOGGEREngine::InitReadByPage()
{
    if (startPageRead()) TimerLogRead.start();
}

void TLOGGEREngine::AssyReadByPage()
{
    if (!startPageRead()) return;
    while (FActive) pageStep();
}

void TLOGGEREngine::ReadLoopByPage() { pageStep(); }

void TLOGGEREngine::pageStep()
{
    if (!FActive) return;
    if (!FOstraDevice) {
        endRead(false, TReadEnd::Aborted);
        return;
    }
    if (!FLoopEnabled || FAllPagesRead) {
        endRead(true, FAllPagesRead ? TReadEnd::Completed : TReadEnd::Stopped);
        return;
    }
    const int pages = last_log_RdLFData.totalpagecount;
    const quint16 page = FLastReadedPage;
    const int rows = rowsOnPage(page);
    const bool lastPage = page == last_log_RdLFData.page; // the page being written comes last
    if (lastPage && rows == 0) {
        endRead(true, TReadEnd::Completed); // nothing written on it yet
        return;
    }

    FPage.pageindex = page;
    const TFrameError e = FOstraDevice->FastLog_RdPage(last_device, FPage);
    if (!FActive) return;
    if (linkLost(e)) return;
    if (e != FRERR_OK) return; // the same page is asked for at the next step

    previous_DBReadFailed = false;
    const int from = log_pgindex == 0 ? FSkipOnPage : 0; // rows before a start row are not this read's
    int bad = 0;
    for (int i = from; i < rows; ++i) {
        if (FPage.rows[size_t(i)].event != kChecksumErrorEvent) continue;
        if (bad++ == 0)
            message(QStringLiteral("LOG_PAGECHK"), QStringLiteral("Page: %1, Index: %2").arg(page).arg(last_BDIndex));
    }
    if (bad > 0 && ++FPageCheckFailures < kPageCheckRetries) {
        previous_DBReadFailed = true;
        return; // nothing of the page is delivered; it is read again
    }
    if (bad > 0) {
        // The same rows keep failing: take the good ones rather than stall the read for ever.
        lose(bad, TRowLoss::Unreadable);
        message(QStringLiteral("LOG_PAGELOST"),
                QStringLiteral("Page: %1, %2 row(s) failed their check %3 times and are left out.")
                    .arg(page)
                    .arg(bad)
                    .arg(kPageCheckRetries));
    }
    FPageCheckFailures = 0;
    for (int i = from; i < rows; ++i) {
        const THART_PAS_LOG_Row& row = FPage.rows[size_t(i)];
        FFilePointerPos = quint16(log_pgindex * rowsPerPage() + i - FSkipOnPage);
        if (row.event == kChecksumErrorEvent) continue;
        last_BDIndex = row.index;
        deliver(row);
        if (!FActive) return;
    }
    ++log_pgindex;
    FLastReadedPage = quint16(page + 1 < pages ? page + 1 : 0);
    if (lastPage || log_pgindex >= pages) FAllPagesRead = true;
}

void TLOGGEREngine::onTimer()
{
    if (!FActive) return;
    if (log_pagemode) ReadLoopByPage();
    else ReadLoopByRecord();
    if (FActive) TimerLogRead.start();
}

bool TLOGGEREngine::TestIntegrity(const QList<quint16>& f_indexes)
{
    for (qsizetype i = 1; i < f_indexes.size(); ++i)
        if (quint16(f_indexes[i - 1] + 1) != f_indexes[i]) return false;
    return true;
}

} // namespace quentry
