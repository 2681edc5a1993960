#include "imagerow.h"

#include "wire/wireconv.h"

#include <cstring>

namespace quentry {
namespace {

class TRowWriter
{
public:
    explicit TRowWriter(quint8* p) : FStart(p), FP(p) {}
    void U8(quint8 v) { *FP++ = v; }
    void Bool(bool v) { U8(v ? 1 : 0); }
    void U16(quint16 v)
    {
        writeLE16(FP, v);
        FP += 2;
    }
    void I32(qint32 v)
    {
        writeLE32(FP, quint32(v));
        FP += 4;
    }
    void F64(double v)
    {
        quint64 bits;
        std::memcpy(&bits, &v, sizeof bits);
        writeLE32(FP, quint32(bits));
        writeLE32(FP + 4, quint32(bits >> 32));
        FP += 8;
    }
    template <int N> void Str(const TShortString<N>& s)
    {
        U8(s.length);
        std::memcpy(FP, s.chars.data(), N);
        FP += N;
    }
    int Offset() const { return int(FP - FStart); }

private:
    quint8* FStart;
    quint8* FP;
};

class TRowReader
{
public:
    explicit TRowReader(const quint8* p) : FStart(p), FP(p) {}
    quint8 U8() { return *FP++; }
    bool Bool() { return U8() != 0; }
    quint16 U16()
    {
        const quint16 v = readLE16(FP);
        FP += 2;
        return v;
    }
    qint32 I32()
    {
        const quint32 v = readLE32(FP);
        FP += 4;
        return qint32(v);
    }
    double F64()
    {
        const quint64 bits = quint64(readLE32(FP)) | quint64(readLE32(FP + 4)) << 32;
        FP += 8;
        double v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }
    template <int N> void Str(TShortString<N>& s)
    {
        s.length = U8();
        std::memcpy(s.chars.data(), FP, N);
        FP += N;
    }
    int Offset() const { return int(FP - FStart); }

private:
    const quint8* FStart;
    const quint8* FP;
};

// Put and Get walk the fields in the same order; the offset checks pin the layout.
void Put(TRowWriter& w, const THART_PAS_LOG_Row& r)
{
    w.F64(r.datetime);
    w.U16(r.index);
    w.U8(r.event);
    w.Str(r.eventstr);
    w.F64(r.PV);
    w.F64(r.DIST);
    w.F64(r.LEV);
    w.Str(r.DISTLEVunitstr);
    w.Str(r.PVunitstr);
    w.F64(r.TOT1);
    w.F64(r.TOT2);
    w.Str(r.TOTunitstr);
    w.F64(r.temperature);
    w.Str(r.temperatureunitstr);
    w.F64(r.current);
    Q_ASSERT(w.Offset() == kImageErrStatOffset);
    const THART_PAS_ERRSTAT& es = r.es;
    w.U16(es.error);
    w.U16(es.status);
    w.Str(es.Errorstr);
    w.Str(es.Warningstr);
    w.U8(es.PVmode);
    w.Str(es.PVmodestr);
    w.U8(es.MenuState);
    w.Str(es.MenuStateStr);
    w.Bool(es.SimulationActive);
    w.Bool(es.UPSWPresent);
    w.Bool(es.Relay);
    w.Bool(es.ULockActive);
    w.Bool(es.FLocked);
    w.Bool(es.DiagBurstActive);
    w.Bool(es.LoggerOpened);
    w.Bool(es.CalibrationActive);
    w.Bool(es.PVValid);
    w.U8(es.fill);
    Q_ASSERT(w.Offset() == kImageErrStatOffset + kImageErrStatSize);
    w.I32(r.peakinfo_amp);
    w.U8(r.peakinfo_index);
    w.U8(r.peakinfo_total);
    w.U8(r.SNratio);
    w.U8(r.pchk);
    w.U8(r.debug1_gain);
    w.U8(r.debug1_phase);
    w.U8(r.debug1_sensorindex);
    w.U8(r.debug2);
    w.U8(r.chk);
    Q_ASSERT(w.Offset() == kImageRowSize);
}

void Get(TRowReader& g, THART_PAS_LOG_Row& r)
{
    r.datetime = g.F64();
    r.index = g.U16();
    r.event = g.U8();
    g.Str(r.eventstr);
    r.PV = g.F64();
    r.DIST = g.F64();
    r.LEV = g.F64();
    g.Str(r.DISTLEVunitstr);
    g.Str(r.PVunitstr);
    r.TOT1 = g.F64();
    r.TOT2 = g.F64();
    g.Str(r.TOTunitstr);
    r.temperature = g.F64();
    g.Str(r.temperatureunitstr);
    r.current = g.F64();
    THART_PAS_ERRSTAT& es = r.es;
    es.error = g.U16();
    es.status = g.U16();
    g.Str(es.Errorstr);
    g.Str(es.Warningstr);
    es.PVmode = g.U8();
    g.Str(es.PVmodestr);
    es.MenuState = g.U8();
    g.Str(es.MenuStateStr);
    es.SimulationActive = g.Bool();
    es.UPSWPresent = g.Bool();
    es.Relay = g.Bool();
    es.ULockActive = g.Bool();
    es.FLocked = g.Bool();
    es.DiagBurstActive = g.Bool();
    es.LoggerOpened = g.Bool();
    es.CalibrationActive = g.Bool();
    es.PVValid = g.Bool();
    es.fill = g.U8();
    r.peakinfo_amp = g.I32();
    r.peakinfo_index = g.U8();
    r.peakinfo_total = g.U8();
    r.SNratio = g.U8();
    r.pchk = g.U8();
    r.debug1_gain = g.U8();
    r.debug1_phase = g.U8();
    r.debug1_sensorindex = g.U8();
    r.debug2 = g.U8();
    r.chk = g.U8();
    Q_ASSERT(g.Offset() == kImageRowSize);
}

} // namespace

void EncodeImageRow(const THART_PAS_LOG_Row& row, quint8* out)
{
    TRowWriter w(out);
    Put(w, row);
}

THART_PAS_LOG_Row DecodeImageRow(const quint8* in)
{
    THART_PAS_LOG_Row row;
    TRowReader g(in);
    Get(g, row);
    return row;
}

} // namespace quentry
