#pragma once
// A device whose logger is a script: record reads answer from a queue, pages are made
// from their number, and every call is recorded. Lets the reader's rules be tried
// without a line.
#include "ostradevice.h"

#include <deque>
#include <map>
#include <optional>
#include <vector>

namespace quentry::test {

class TScriptedLogger final : public TOstraDevice
{
public:
    struct Read
    {
        TFrameError result = FRERR_OK;
        quint8 errorcode = 0;
        quint16 index = 0;
        bool TOF = false;
        quint16 total = 100;
    };
    struct Call
    {
        QString what; // "open", "close", "seek W O", "read M", "layout", "page P"
    };

    // Record mode: answers from the queue, or, when `table` is set, from a logger that
    // holds these indexes oldest first (kReadErrorRow: a row that always reads as
    // READERROR) with a read pointer that moves as a real one does.
    static constexpr int kReadErrorRow = -1;
    std::deque<Read> reads;
    std::optional<std::vector<int>> table;
    int pointer = 0;
    // Page mode
    THART_PAS_LOG_RdLFData layout;
    TFrameError layoutResult = FRERR_OK;
    std::map<quint16, int> badReadsOfPage;  // page -> reads that still come back with row 3 bad
    int pageFailuresLeft = 0;
    TFrameError pageFailure = FRERR_NOFRAME;
    TFrameError openResult = FRERR_OK;

    std::vector<QString> calls;
    std::function<void()> duringCall; // runs inside each call, as the event loop would

    TFrameError Log_OpenClose(TTXRXInfo&, THART_PAS_LOG_OpenClose& r) override
    {
        calls.push_back(r.mode ? "open" : "close");
        if (duringCall) duringCall();
        return r.mode ? openResult : FRERR_OK;
    }
    TFrameError Log_Seek(TTXRXInfo&, THART_PAS_LOG_Seek& r) override
    {
        calls.push_back(QString("seek %1 %2").arg(r.Whence).arg(r.Offset));
        if (duringCall) duringCall();
        if (table) {
            const int top = qMax(0, int(table->size()) - 1);
            pointer = qBound(0, (r.Whence == 0 ? 0 : r.Whence == 1 ? top : pointer) + r.Offset, top);
        }
        return FRERR_OK;
    }
    TFrameError Log_RdRecord(TTXRXInfo&, THART_PAS_LOG_RdRecord& r) override
    {
        calls.push_back(QString("read %1").arg(r.mode));
        if (duringCall) duringCall();
        if (table) return readTable(r);
        Read next = reads.empty() ? Read{FRERR_OK, 0, 0, true} : reads.front();
        if (!reads.empty()) reads.pop_front();
        if (next.result != FRERR_OK) return next.result;
        r.lstat.errorcode = next.errorcode;
        r.lstat.TOF = next.TOF;
        r.lstat.total = next.total;
        r.lstat.pos = next.index;
        if (next.errorcode == 0) {
            r.row = THART_PAS_LOG_Row();
            r.row.index = next.index;
        }
        return FRERR_OK;
    }
    TFrameError Log_RdLFData(TTXRXInfo&, THART_PAS_LOG_RdLFData& r) override
    {
        calls.push_back("layout");
        if (duringCall) duringCall();
        if (layoutResult == FRERR_OK) r = layout;
        return layoutResult;
    }
    TFrameError FastLog_RdPage(TTXRXInfo&, TFAST_PAS_LOG_RdPage& r) override
    {
        calls.push_back(QString("page %1").arg(r.pageindex));
        if (duringCall) duringCall();
        if (pageFailuresLeft > 0) {
            --pageFailuresLeft;
            return pageFailure;
        }
        for (int i = 0; i < kRowsPerPage; ++i) {
            r.rows[size_t(i)] = THART_PAS_LOG_Row();
            r.rows[size_t(i)].index = quint16(r.pageindex * kRowsPerPage + i);
        }
        auto bad = badReadsOfPage.find(r.pageindex);
        if (bad != badReadsOfPage.end() && bad->second != 0) {
            if (bad->second > 0) --bad->second;
            r.rows[3].event = kChecksumErrorEvent;
        }
        return FRERR_OK;
    }

    TFrameError readTable(THART_PAS_LOG_RdRecord& r)
    {
        const int total = int(table->size());
        r.lstat = THART_PAS_LOG_Status();
        r.lstat.total = quint16(total);
        if (total == 0) {
            r.lstat.errorcode = 2;
            r.lstat.TOF = true;
            return FRERR_OK;
        }
        if (r.mode == 1) pointer = qMin(pointer + 1, total - 1);
        r.lstat.pos = quint16(pointer);
        r.lstat.TOF = pointer == total - 1;
        const int index = (*table)[size_t(pointer)];
        if (index == kReadErrorRow) {
            r.lstat.errorcode = 2;
            return FRERR_OK;
        }
        r.row = THART_PAS_LOG_Row();
        r.row.index = quint16(index);
        return FRERR_OK;
    }

    int count(const QString& prefix) const
    {
        int n = 0;
        for (const QString& c : calls) n += c.startsWith(prefix);
        return n;
    }
};

} // namespace quentry::test
