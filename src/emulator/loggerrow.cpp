#include "loggerrow.h"

#include "wire/date3.h"
#include "wire/logrowcheck.h"
#include "wire/wireconv.h"

namespace quentry::emulator {
namespace {

// Multi-byte fields whose byte order differs between record and page rows:
// (offset, width). The time stamp word keeps its order in both.
constexpr int kSwapped[][2] = {{3, 2},  {6, 4},  {10, 4}, {14, 4}, {19, 4}, {23, 4},
                               {28, 2}, {30, 2}, {32, 2}, {34, 2}, {36, 2}, {40, 2}};

void putSingle(quint8* p, float v) { SingleToWire(v, p); }

} // namespace

void SetRowChecksum(TLogRowBytes& row) { row[43] = LogRowChecksum(row.data()); }

TLogRowBytes EncodeRecordRow(const TLogRowValues& v)
{
    TLogRowBytes r{};
    const auto stamp = DateTimeToDate3(v.year, v.month, v.day, v.hour, v.minute);
    if (stamp) std::copy(stamp->begin(), stamp->end(), r.begin());
    quint8* p = r.data();
    writeBE16(p + 3, v.index);
    p[5] = v.event;
    putSingle(p + 6, v.pv);
    putSingle(p + 10, v.distance);
    putSingle(p + 14, v.level);
    p[18] = v.pvUnit;
    putSingle(p + 19, v.tot1);
    putSingle(p + 23, v.tot2);
    p[27] = v.totUnit;
    // The unit of the temperature is told twice: bit 15 of the value (read by page
    // readers) and bit 3 of debug1 (read by record readers).
    writeBE16(p + 28, quint16((v.temperatureTenths & 0x7FFF) | (v.fahrenheit ? 0x8000 : 0)));
    writeBE16(p + 30, v.currentHundredths);
    writeBE16(p + 32, v.error);
    writeBE16(p + 34, v.status);
    writeBE16(p + 36, quint16((v.peakAmplitude & 0x3F) << 10 | (v.peakIndex & 0x1F) << 5 | (v.peakTotal & 0x1F)));
    p[38] = v.snRatio;
    p[39] = v.pchk;
    writeBE16(p + 40, quint16((v.distanceUnit & 3) << 1 | (v.fahrenheit ? 1 << 3 : 0) | (v.gain & 7) << 4 |
                              (v.phase & 3) << 7 | (v.sensorIndex & 15) << 9));
    p[42] = v.debug2;
    SetRowChecksum(r);
    return r;
}

TLogRowBytes ToPageOrder(const TLogRowBytes& recordRow)
{
    TLogRowBytes r = recordRow;
    for (const auto& f : kSwapped)
        for (int i = 0; i < f[1]; ++i) r[size_t(f[0] + i)] = recordRow[size_t(f[0] + f[1] - 1 - i)];
    SetRowChecksum(r);
    return r;
}

TLogRowBytes ErasedRow()
{
    TLogRowBytes r;
    r.fill(0xFF);
    return r;
}

} // namespace quentry::emulator
