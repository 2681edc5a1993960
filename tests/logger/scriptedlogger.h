#pragma once
// A device whose logger is a script: record reads answer from a queue, pages are made
// from their number, and every call is recorded. Lets the reader's rules be tried
// without a line.
#include "ostradevice.h"

#include <deque>
#include <map>
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

    // Record mode
    std::deque<Read> reads;
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
        return FRERR_OK;
    }
    TFrameError Log_RdRecord(TTXRXInfo&, THART_PAS_LOG_RdRecord& r) override
    {
        calls.push_back(QString("read %1").arg(r.mode));
        if (duringCall) duringCall();
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

    int count(const QString& prefix) const
    {
        int n = 0;
        for (const QString& c : calls) n += c.startsWith(prefix);
        return n;
    }
};

} // namespace quentry::test
