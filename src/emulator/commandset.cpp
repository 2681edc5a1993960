#include "commandset.h"

#include "loggercontent.h"
#include "wire/wireconv.h"

#include <cmath>

namespace quentry::emulator {
namespace {

constexpr quint8 uLitrePerSecond = 24, uMetre = 45, uCubicMetre = 43, uDegC = 32;
constexpr int kEchoMapItems = 8;

// Builds reply data field by field, numbers most significant byte first.
class TReplyData
{
public:
    TReplyData& u8(int v) { FBytes.append(char(quint8(v))); return *this; }
    TReplyData& be16(quint16 v) { return u8(v >> 8).u8(v); }
    TReplyData& be24(quint32 v) { return u8(v >> 16).u8(v >> 8).u8(v); }
    TReplyData& be32(quint32 v) { return be16(quint16(v >> 16)).be16(quint16(v)); }
    TReplyData& single(float v)
    {
        quint8 w[4];
        SingleToWire(v, w);
        FBytes.append(reinterpret_cast<const char*>(w), 4);
        return *this;
    }
    TReplyData& bytes(const QByteArray& b) { FBytes.append(b); return *this; }
    operator QByteArray() const { return FBytes; }

private:
    QByteArray FBytes;
};

quint8 byteAt(const QByteArray& b, int i) { return quint8(b[i]); }
float singleAt(const QByteArray& b, int i) { return SwapSingle(reinterpret_cast<const quint8*>(b.constData()) + i); }
quint16 be16At(const QByteArray& b, int i) { return readBE16(reinterpret_cast<const quint8*>(b.constData()) + i); }
qint8 percentByte(float v) { return qint8(qBound(-128L, std::lround(v), 127L)); }

// Request data bytes each command needs.
int requestBytesNeeded(quint8 cmd)
{
    switch (cmd) {
    case 6: case 131: case 133: case 135: case 136: case 160: case 164: return 1;
    case 138: case 139: case 190: return 2;
    case 19: case 130: case 163: case 191: return 3;
    case 34: case 40: case 45: case 46: case 181: return 4;
    case 132: case 140: return 5;
    case 11: case 170: return 6;
    case 166: return 7;
    case 35: case 134: return 9;
    case 18: return 21;
    case 17: return 24;
    default: return 0;
    }
}

// The family's commands that change the configuration: remote programming only.
bool needsRemote(quint8 cmd)
{
    switch (cmd) {
    case 132: case 134: case 135: case 139: case 140: case 170: case 181: case 190: case 191: return true;
    default: return false;
    }
}

TCommandOutcome refused(quint8 code) { return {true, code, {}}; }
TCommandOutcome ok(QByteArray data) { return {true, rc_OK, std::move(data)}; }

} // namespace

int TCommandSet::hartEquivalent(quint8 fastCmd)
{
    switch (fastCmd) {
    case 0: return 141;
    case 2: return 130;
    case 3: return 131;
    case 4: return 132;
    case 5: return 133;
    case 6: return 134;
    case 7: return 136;
    case 8: return 137;
    case 9: return 138;
    case 10: return 135;
    case 11: return 140;
    case 12: return 139;
    case 100: return 160;
    case 101: return 161;
    case 102: return 163;
    case 103: return 164;
    case 104: return 162;
    case 105: return 169;
    default: return -1;
    }
}

TRequestFacts TCommandSet::hartFacts(quint8 cmd, const QByteArray& request)
{
    TRequestFacts f;
    f.command = cmd;
    f.recordRead = cmd == 164;
    f.readNext = f.recordRead && !request.isEmpty() && byteAt(request, 0) == 1;
    return f;
}

TRequestFacts TCommandSet::fastFacts(quint8 cmd, const QByteArray& request)
{
    TRequestFacts f;
    f.command = cmd;
    f.recordRead = cmd == 103;
    f.readNext = f.recordRead && !request.isEmpty() && byteAt(request, 0) == 1;
    f.pageRead = cmd == 106;
    return f;
}

QByteArray TCommandSet::es() const { return FModel.errStat(FLogger.isOpen()); }

QByteArray TCommandSet::logStatus(quint8 error) const { return es() + FLogger.statusBlock(error); }

QByteArray TCommandSet::paramReply(int number) const
{
    const TParameter p = FModel.parameter(number);
    return TReplyData().bytes(es()).u8(number).u8(p.attribute).u8(p.unit).single(p.value);
}

QByteArray TCommandSet::linReply(int index) const
{
    const TLinItem item = FModel.linItem(index);
    return TReplyData()
        .bytes(es())
        .u8(FModel.linItemCount())
        .u8(index)
        .u8(uMetre)
        .single(item.level)
        .u8(uLitrePerSecond)
        .single(item.primary);
}

QByteArray TCommandSet::clockBytes() const
{
    const QDateTime c = FModel.clock();
    return TReplyData()
        .be16(quint16(c.date().year()))
        .u8(c.date().month())
        .u8(c.date().day())
        .u8(c.time().hour())
        .u8(c.time().minute())
        .u8(c.time().second());
}

TCommandOutcome TCommandSet::hart(quint8 cmd, const QByteArray& request, const TFaultHits& hits)
{
    if (hits.responseCode) return refused(quint8(hits.responseCode));
    return execute(cmd, request, hits);
}

TCommandOutcome TCommandSet::fast(quint8 cmd, const QByteArray& request, const TFaultHits& hits)
{
    if (hits.responseCode) return refused(quint8(hits.responseCode));
    if (cmd == 1) { // reset: leaves remote programming
        FModel.enterExit(0, 0);
        return ok(es());
    }
    if (cmd == 106) return readPage(request, hits);
    const int hartCmd = hartEquivalent(cmd);
    if (hartCmd < 0) return refused(rc_NotImplemented);
    return execute(quint8(hartCmd), request, hits);
}

TCommandOutcome TCommandSet::readPage(const QByteArray& request, const TFaultHits& hits)
{
    if (request.size() < 2) return refused(rc_TooFewBytes);
    const int delivered = be16At(request, 0) % FLogger.pages();
    TReplyData d;
    d.bytes(es()).be16(quint16(delivered));
    const std::vector<TLogRowBytes> rows = FLogger.pageRows(delivered);
    for (size_t i = 0; i < rows.size(); ++i) {
        TLogRowBytes row = rows[i];
        if (hits.spoiledRows & (1u << i)) row[43] = quint8(row[43] ^ 0x5A);
        d.bytes(QByteArray(reinterpret_cast<const char*>(row.data()), int(row.size())));
    }
    return ok(d);
}

TCommandOutcome TCommandSet::execute(quint8 cmd, const QByteArray& q, const TFaultHits& hits)
{
    if (q.size() < requestBytesNeeded(cmd)) return refused(rc_TooFewBytes);
    if (needsRemote(cmd) && !FModel.remote()) return refused(rc_WriteProtect);
    const TLiveValues v = FModel.live();
    switch (cmd) {
    // ---- published commands
    case 0: return ok(FModel.uniqueIdentifier());
    case 1: return ok(TReplyData().u8(uLitrePerSecond).single(v.flow));
    case 2: {
        const float span = FModel.upperRange() - FModel.lowerRange();
        const float percent = span != 0.0f ? (v.flow - FModel.lowerRange()) / span * 100.0f : 0.0f;
        return ok(TReplyData().single(v.current).single(percent));
    }
    case 3:
        return ok(TReplyData()
                      .single(v.current)
                      .u8(uLitrePerSecond).single(v.flow)
                      .u8(uMetre).single(v.level)
                      .u8(uMetre).single(v.distance)
                      .u8(uDegC).single(v.temperature));
    case 6: {
        const quint8 a = byteAt(q, 0);
        if (a > 15) return refused(rc_InvalidSelection);
        FModel.setPollingAddress(a);
        FModel.markConfigChanged();
        return ok(TReplyData().u8(a));
    }
    case 11: {
        // Only the transmitter whose tag it is answers, the tag last written included.
        if (q.left(6) != FModel.packedTag()) return {false, rc_OK, {}};
        return ok(FModel.uniqueIdentifier());
    }
    case 12: return ok(FModel.messagePacked());
    case 13: return ok(FModel.tagDescriptorDate());
    case 14:
        return ok(TReplyData().be24(Bytes3ToInt(reinterpret_cast<const quint8*>(FModel.uniqueIdentifier().constData()) + 9))
                      .u8(uMetre).single(3.0f).single(0.3f).single(0.1f));
    case 15:
        return ok(TReplyData()
                      .u8(0).u8(0).u8(uLitrePerSecond)
                      .single(FModel.upperRange()).single(FModel.lowerRange()).single(FModel.damping())
                      .u8(0).u8(byteAt(FModel.uniqueIdentifier(), 1)));
    case 16: return ok(TReplyData().be24(FModel.finalAssemblyNumber()));
    case 17:
        FModel.setMessagePacked(q.left(24));
        FModel.markConfigChanged();
        return ok(q.left(24));
    case 18:
        FModel.setTagDescriptorDate(q.left(21));
        FModel.markConfigChanged();
        return ok(q.left(21));
    case 19:
        FModel.setFinalAssemblyNumber(Bytes3ToInt(reinterpret_cast<const quint8*>(q.constData())));
        FModel.markConfigChanged();
        return ok(q.left(3));
    case 34:
        FModel.setDamping(singleAt(q, 0));
        FModel.markConfigChanged();
        return ok(q.left(4));
    case 35:
        // The range keeps the transmitter's own unit, whatever code came with the values;
        // the reply tells which it is.
        FModel.setRange(singleAt(q, 1), singleAt(q, 5));
        FModel.markConfigChanged();
        return ok(TReplyData().u8(uLitrePerSecond).single(FModel.upperRange()).single(FModel.lowerRange()));
    case 36: FModel.setRange(v.flow, FModel.lowerRange()); FModel.markConfigChanged(); return ok({});
    case 37: FModel.setRange(FModel.upperRange(), v.flow); FModel.markConfigChanged(); return ok({});
    case 38: FModel.resetConfigChanged(); return ok({});
    case 40: case 45: case 46: return ok(q.left(4));
    case 42: FModel.enterExit(0, 0); return ok({});

    // ---- the family's commands
    case 128:
        return ok(TReplyData().bytes(es())
                      .u8(uLitrePerSecond).single(v.flow)
                      .u8(uMetre).single(v.level)
                      .single(v.levelPercent).single(v.current));
    case 129:
        return ok(TReplyData().bytes(es())
                      .u8(uLitrePerSecond).single(v.flow)
                      .u8(uMetre).single(v.level)
                      .u8(uCubicMetre).single(v.tot1).single(v.tot2));
    case 130: {
        const TResponseCode rc = FModel.enterExit(be16At(q, 0), byteAt(q, 2));
        return rc == rc_OK ? ok(es()) : refused(rc);
    }
    case 131: {
        const int n = byteAt(q, 0);
        if (!FModel.hasParameter(n)) return refused(rc_InvalidSelection);
        return ok(paramReply(n));
    }
    case 132: {
        const int n = byteAt(q, 0);
        const TResponseCode rc = FModel.writeParameter(n, singleAt(q, 1));
        return rc == rc_OK ? ok(paramReply(n)) : refused(rc);
    }
    case 133: {
        const int i = byteAt(q, 0);
        if (i >= FModel.linItemCount()) return refused(rc_InvalidSelection);
        return ok(linReply(i));
    }
    case 134: {
        const int i = byteAt(q, 0);
        if (i >= FModel.linItemCount()) return refused(rc_InvalidSelection);
        FModel.setLinItem(i, {singleAt(q, 1), singleAt(q, 5)});
        FModel.markConfigChanged();
        return ok(linReply(i));
    }
    case 135: FModel.loadDefaults(byteAt(q, 0)); return ok(es());
    case 136: {
        const int i = byteAt(q, 0);
        if (i >= kEchoMapItems) return refused(rc_InvalidSelection);
        // The echoes the sensor sees: the selected one is the water surface.
        const float dist = i == 1 ? v.distance : 0.3f + 0.45f * float(i);
        const float ampl = i == 1 ? 48.0f : 30.0f - 3.0f * float(i);
        return ok(TReplyData().bytes(es()).u8(kEchoMapItems).u8(i).u8(1).u8(uMetre).single(dist).single(ampl));
    }
    case 137:
    case 138: {
        FModel.clearTotaliser(cmd == 137 ? 1 : 2);
        const TLiveValues after = FModel.live();
        return ok(TReplyData().bytes(es()).u8(uCubicMetre).single(after.tot1).single(after.tot2));
    }
    case 139: {
        const TResponseCode rc = FModel.setUserPassword(be16At(q, 0));
        return rc == rc_OK ? ok(es()) : refused(rc);
    }
    case 140:
        FModel.setFinalAssemblyNumber(Bytes3ToInt(reinterpret_cast<const quint8*>(q.constData()) + 2));
        FModel.markConfigChanged();
        return ok(q.mid(2, 3));
    case 141:
        return ok(TReplyData().bytes(es()).be16(0)
                      .u8(uLitrePerSecond).single(v.flow)
                      .u8(uMetre).single(v.level)
                      .u8(uMetre).single(v.level).single(v.distance)
                      .u8(uCubicMetre).single(v.tot1).single(v.tot2)
                      .u8(uDegC).single(v.temperature)
                      .single(v.current)
                      .u8(percentByte(v.levelPercent)).u8(percentByte(v.currentPercent)));
    case 142:
        return ok(TReplyData().bytes(es()).be16(0x0102).be16(0x0112).be16(0x0203)
                      .u8(FModel.pollingAddress()).be16(0x0005).u8(FModel.longAddress()[1]).u8(1));
    case 149:
        return ok(TReplyData().bytes(es())
                      .u8(uLitrePerSecond).single(v.flow)
                      .u8(uMetre).single(v.level)
                      .u8(uCubicMetre).be32(quint32(std::lround(qMax(0.0f, v.tot1))))
                      .be32(quint32(std::lround(qMax(0.0f, v.tot2)))));

    // ---- logger
    case 160: {
        const quint8 mode = byteAt(q, 0);
        if (mode > 1) return refused(rc_InvalidSelection);
        FLogger.open(mode == 1);
        return ok(logStatus(FLogger.errorNow()));
    }
    case 161: return ok(logStatus(FLogger.errorNow()));
    case 162:
        FLogger.clear();
        return ok(logStatus(FLogger.errorNow()));
    case 163: {
        quint8 error = 0;
        if (!FLogger.seek(byteAt(q, 0), qint16(be16At(q, 1)), error)) return refused(rc_InvalidSelection);
        return ok(logStatus(error));
    }
    case 164: {
        const quint8 mode = byteAt(q, 0);
        if (mode > 1) return refused(rc_InvalidSelection);
        const TRecordRead r = FLogger.read(mode == 1, hits.jumpRows, hits.repeat, hits.readError, hits.loggerBusy);
        QByteArray d(1, char(r.status));
        d.append(FLogger.statusBlock(0).mid(1));
        d.append(reinterpret_cast<const char*>(r.row.data()), int(r.row.size()));
        return ok(d);
    }
    case 165: return ok(clockBytes());
    case 166: {
        const QDate d(be16At(q, 0), byteAt(q, 2), byteAt(q, 3));
        const QTime t(byteAt(q, 4), byteAt(q, 5), byteAt(q, 6));
        if (!d.isValid() || !t.isValid()) return refused(rc_TooLarge);
        FModel.setClock(QDateTime(d, t));
        return ok(clockBytes());
    }
    case 169: return ok(es() + FLogger.layoutData());
    case 170: FModel.markConfigChanged(); return ok({});
    case 181: return ok(es() + q.left(4));
    case 190: return ok(TReplyData().bytes(es()).u8(0));
    case 191:
        FModel.loadDefaults(byteAt(q, 2));
        return ok(TReplyData().bytes(es()).u8(0));
    default: return refused(rc_NotImplemented);
    }
}

} // namespace quentry::emulator
