// Any bytes a logger can deliver, decoded as a row read alone (high byte first), as a row
// of a page (low byte first) and as a whole page reply, with the status block and the
// logger status of the same bytes. Every value must decode to something defined.
#include "rowdecode.h"
#include "statusdecode.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace quentry;

namespace {

template <int N> void checkText(const TShortString<N>& s)
{
    if (s.length > N) std::abort();
}

void checkRow(const THART_PAS_LOG_Row& row)
{
    checkText(row.eventstr);
    checkText(row.DISTLEVunitstr);
    checkText(row.PVunitstr);
    checkText(row.TOTunitstr);
    checkText(row.temperatureunitstr);
    checkText(row.es.Errorstr);
    checkText(row.es.Warningstr);
    checkText(row.es.PVmodestr);
    checkText(row.es.MenuStateStr);
    if (row.peakinfo_amp > 0 || row.peakinfo_amp < -63 || row.peakinfo_index > 31 || row.peakinfo_total > 31)
        std::abort();
    if (!(row.temperature >= 0.0 && row.temperature <= 3276.7)) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < sizeof(THART_LOG_Row)) return 0;

    THART_LOG_Row raw;
    std::memcpy(&raw, data, sizeof raw);
    THART_PAS_LOG_Row row;
    LogConvertRowAndSwap(raw, row);
    _CrackErrStat(data[0], row.es);
    checkRow(row);
    LogConvertRow(raw, row);
    _CrackErrStat(0, row.es);
    checkRow(row);

    THART_LOG_Status status;
    std::memcpy(&status, data, sizeof status);
    THART_PAS_LOG_Status s;
    CrackLOGStat(TTXRXInfo{}, status, s);
    (void)Log_ConvertDate3ToDateTime(data + 1);

    TFAST_LOG_RdPage page{};
    std::memcpy(&page, data, std::min(size, sizeof page));
    TFAST_PAS_LOG_RdPage decoded;
    LogDecodePage(page, decoded);
    for (int i = 0; i < kRowsPerPage; ++i) {
        const THART_PAS_LOG_Row& r = decoded.rows[size_t(i)];
        checkRow(r);
        // A good row is decoded, a bad one marked.
        const bool marked = r.event == kChecksumErrorEvent && r.eventstr.str() == QLatin1String("CHECKSUM ERROR");
        if (LogCheckRecord(page.rows[i]) ? r.event != page.rows[i].event : !marked) std::abort();
    }
    return 0;
}
