// decode: a reply frame or a logger row pasted from the communication log, taken apart
// with the same codecs the link uses.
#include "commands.h"
#include "fastframe.h"
#include "hartframe.h"
#include "output.h"
#include "rowdecode.h"
#include "statusdecode.h"
#include "wire/logrowcheck.h"
#include "wire/wireconv.h"

#include <QJsonArray>
#include <cstring>

namespace quentry::cli {
namespace {

// Hex digits with any blanks, brackets or commas between them (an ACK dump pastes as is).
bool parseHex(const QStringList& parts, QByteArray& out)
{
    QByteArray digits;
    for (const QString& p : parts)
        for (QChar ch : p) {
            if (ch.isSpace() || ch == '[' || ch == ']' || ch == ',' || ch == ':') continue;
            if (!isxdigit(ch.toLatin1())) return false;
            digits.append(ch.toLatin1());
        }
    if (digits.isEmpty() || digits.size() % 2) return false;
    out = QByteArray::fromHex(digits);
    return true;
}

QString hex(const QByteArray& b) { return QString::fromLatin1(b.toHex(' ').toUpper()); }

QJsonObject rowObject(const THART_PAS_LOG_Row& r, bool checkOk)
{
    const QDateTime t = toQDateTime(r.datetime);
    QJsonObject o{{"checksumOk", checkOk},
                  {"datetime", t.toString(Qt::ISODate)},
                  {"index", r.index},
                  {"event", r.event},
                  {"eventstr", r.eventstr.str()},
                  {"PV", r.PV},
                  {"PVunit", r.PVunitstr.str()},
                  {"DIST", r.DIST},
                  {"LEV", r.LEV},
                  {"DISTLEVunit", r.DISTLEVunitstr.str()},
                  {"TOT1", r.TOT1},
                  {"TOT2", r.TOT2},
                  {"TOTunit", r.TOTunitstr.str()},
                  {"temperature", r.temperature},
                  {"temperatureunit", r.temperatureunitstr.str()},
                  {"current", r.current},
                  {"error", r.es.error},
                  {"status", r.es.status},
                  {"Errorstr", r.es.Errorstr.str()},
                  {"Warningstr", r.es.Warningstr.str()},
                  {"PVmodestr", r.es.PVmodestr.str()},
                  {"MenuStateStr", r.es.MenuStateStr.str()},
                  {"peakinfo_amp", r.peakinfo_amp},
                  {"peakinfo_index", r.peakinfo_index},
                  {"peakinfo_total", r.peakinfo_total},
                  {"SNratio", r.SNratio},
                  {"pchk", r.pchk},
                  {"debug1_gain", r.debug1_gain},
                  {"debug1_phase", r.debug1_phase},
                  {"debug1_sensorindex", r.debug1_sensorindex},
                  {"debug2", r.debug2},
                  {"chk", r.chk}};
    return o;
}

void printRow(TOutput& out, const QString& title, const THART_PAS_LOG_Row& r, bool checkOk)
{
    out.line(title + (checkOk ? QStringLiteral(" (check byte OK)") : QStringLiteral(" (CHECK BYTE WRONG)")));
    out.line(QStringLiteral("  %1  index %2  event %3 %4")
                 .arg(toQDateTime(r.datetime).toString(QStringLiteral("yyyy-MM-dd HH:mm")))
                 .arg(r.index)
                 .arg(r.event)
                 .arg(r.eventstr.str()));
    out.line(QStringLiteral("  PV %1 %2  DIST %3 %4  LEV %5 %4")
                 .arg(r.PV)
                 .arg(r.PVunitstr.str())
                 .arg(r.DIST)
                 .arg(r.DISTLEVunitstr.str())
                 .arg(r.LEV));
    out.line(QStringLiteral("  TOT1 %1  TOT2 %2 %3  temperature %4 %5  current %6 mA")
                 .arg(r.TOT1)
                 .arg(r.TOT2)
                 .arg(r.TOTunitstr.str())
                 .arg(r.temperature)
                 .arg(r.temperatureunitstr.str())
                 .arg(r.current));
    out.line(QStringLiteral("  error %1 (%2, %3)  status %4 (%5, %6)")
                 .arg(r.es.error, 4, 16, QLatin1Char('0'))
                 .arg(r.es.Errorstr.str(), r.es.Warningstr.str())
                 .arg(r.es.status, 4, 16, QLatin1Char('0'))
                 .arg(r.es.PVmodestr.str(), r.es.MenuStateStr.str()));
    out.line(QStringLiteral("  peaks %1 of %2, amplitude %3 dB  S/N %4  gain %5 phase %6 sensor %7  pchk %8 debug2 %9")
                 .arg(r.peakinfo_index)
                 .arg(r.peakinfo_total)
                 .arg(r.peakinfo_amp)
                 .arg(r.SNratio)
                 .arg(r.debug1_gain)
                 .arg(r.debug1_phase)
                 .arg(r.debug1_sensorindex)
                 .arg(r.pchk)
                 .arg(r.debug2));
}

THART_PAS_LOG_Row decodeRow(const quint8* bytes, bool pageOrder, bool& checkOk)
{
    THART_LOG_Row raw;
    std::memcpy(&raw, bytes, sizeof raw);
    checkOk = LogCheckRecord(raw);
    THART_PAS_LOG_Row row;
    if (pageOrder) LogConvertRow(raw, row);
    else LogConvertRowAndSwap(raw, row);
    _CrackErrStat(0, row.es);
    return row;
}

int decodeRowCommand(const QByteArray& b, bool pageOrder, TOutput& out, TTerminalFeedback& f)
{
    if (b.size() != kLogRowSize)
        return UsageError(f, QStringLiteral("a logger row has 44 bytes, not %1").arg(b.size()));
    bool ok = false;
    const THART_PAS_LOG_Row r = decodeRow(reinterpret_cast<const quint8*>(b.constData()), pageOrder, ok);
    out.object() = rowObject(r, ok);
    out.object().insert("byteOrder", pageOrder ? "page (low byte first)" : "record (high byte first)");
    printRow(out, pageOrder ? QStringLiteral("Page row") : QStringLiteral("Record row"), r, ok);
    out.finish();
    return 0;
}

void printStatus(TOutput& out, const THART_LOG_Status& s)
{
    THART_PAS_LOG_Status p;
    CrackLOGStat(TTXRXInfo(), s, p);
    out.field("Logger status", "loggerStatus", p.status,
              QStringLiteral("0x%1 %2 %3, total %4, pos %5")
                  .arg(p.status, 2, 16, QLatin1Char('0'))
                  .arg(p.errorstr, p.boftofstr)
                  .arg(p.total)
                  .arg(p.pos));
}

// The data of a record read (HART 164, FAST 103): logger status, then one row high byte first.
void printRecordReply(TOutput& out, const QByteArray& data)
{
    THART_LOG_Status s;
    std::memcpy(&s, data.constData(), sizeof s);
    printStatus(out, s);
    bool ok = false;
    const THART_PAS_LOG_Row r = decodeRow(reinterpret_cast<const quint8*>(data.constData()) + sizeof s, false, ok);
    out.object().insert("row", rowObject(r, ok));
    printRow(out, QStringLiteral("Record row"), r, ok);
}

int decodeHart(const QByteArray& b, TOutput& out)
{
    // Take the address from the frame itself, so any reply decodes.
    TTXRXInfo request;
    int delimiter = -1;
    for (int i = 1; i + 1 < b.size(); ++i)
        if (quint8(b[i - 1]) == 0xFF && quint8(b[i]) == 0xFF && quint8(b[i + 1]) != 0xFF) {
            delimiter = i + 1;
            break;
        }
    const auto* p = reinterpret_cast<const quint8*>(b.constData());
    if (delimiter >= 0 && delimiter + 5 < b.size()) {
        request.Saddress = p[delimiter + 1] & 0x0F;
        request.FactoryID = p[delimiter + 1];
        request.DeviceTypeID = p[delimiter + 2];
        request.DeviceID_HI = p[delimiter + 3];
        request.DeviceID_MID = p[delimiter + 4];
        request.DeviceID_LO = p[delimiter + 5];
    }
    TTXRXInfo reply = request;
    int offset = 0;
    const TFrameError e = HartParseReply(p, int(b.size()), reply, offset);
    out.field("Frame", "frame", FrameErrorMessage(e));
    if (e != FRERR_OK) {
        out.finish();
        return 1;
    }
    THART_RESPONSE_STR texts;
    const bool refused = HartDecodeResponse(reply.ApiError, texts);
    out.field("Delimiter", "delimiter", reply.start, QStringLiteral("%1 (%2 frame)").arg(reply.start, 2, 16, QLatin1Char('0')).arg(reply.IsLongAddress ? "long" : "short"));
    if (reply.IsLongAddress)
        out.field("Address", "address", hex(b.mid(delimiter + 1, 5)));
    else
        out.field("Polling address", "pollingAddress", reply.Saddress);
    out.field("Master", "primaryMaster", reply.IsPrimary);
    out.field("Command", "command", reply.cmd);
    out.field("Byte count", "byteCount", reply.bcnt);
    out.field("Response", "response", texts.FirstByte);
    out.field("Device status", "deviceStatus", texts.SecondByte);
    out.field("Refused", "refused", refused);
    const QByteArray data = b.mid(offset + 2, qMax(0, int(b.size()) - offset - 3));
    out.field("Data", "data", hex(data));
    if (reply.cmd == 164 && data.size() >= 49) printRecordReply(out, data);
    out.finish();
    return 0;
}

int decodeFast(const QByteArray& b, TOutput& out)
{
    TTXRXInfo reply;
    int length = 0;
    const TFrameError e = FastParseReply(reinterpret_cast<const quint8*>(b.constData()), int(b.size()), reply, length);
    out.field("Frame", "frame", FrameErrorMessage(e),
              FrameErrorMessage(e) + QStringLiteral(" -- Size (H/R): %1/%2").arg(length).arg(b.size() - 5));
    if (e != FRERR_OK) {
        out.finish();
        return 1;
    }
    out.field("Command", "command", reply.cmd);
    out.field("Status", "status", reply.ApiError);
    const QByteArray data = b.mid(kFastReplyDataOffset, b.size() - kFastReplyDataOffset - 2);
    out.field("Data", "data", hex(data));
    if (reply.cmd == 106 && data.size() >= 270) {
        TFAST_LOG_RdPage raw{};
        std::memcpy(reinterpret_cast<quint8*>(&raw) + 2, data.constData(), 270);
        out.field("Page delivered", "page", readBE16(raw.rdpageindex));
        QJsonArray rows;
        for (int i = 0; i < kRowsPerPage; ++i) {
            bool ok = false;
            const THART_PAS_LOG_Row r = decodeRow(reinterpret_cast<const quint8*>(&raw.rows[i]), true, ok);
            rows.append(rowObject(r, ok));
            printRow(out, QStringLiteral("Row %1").arg(i + 1), r, ok);
        }
        out.object().insert("rows", rows);
    } else if (reply.cmd == 103 && data.size() >= 49) {
        printRecordReply(out, data);
    }
    out.finish();
    return 0;
}

} // namespace

int RunDecode(const TCommandLine& c, TTerminalFeedback& f)
{
    const QString kind = c.arguments.value(0);
    if (kind != "hart" && kind != "fast" && kind != "row")
        return UsageError(f, QStringLiteral("decode wants hart, fast or row and the bytes in hex"));
    QByteArray bytes;
    if (!parseHex(c.arguments.mid(1), bytes)) return UsageError(f, QStringLiteral("decode wants the bytes as hex digits"));
    TOutput out(c.common.json);
    if (kind == "row") return decodeRowCommand(bytes, c.pageOrder, out, f);
    if (c.pageOrder) return UsageError(f, QStringLiteral("--page belongs to decode row"));
    const int status = kind == "hart" ? decodeHart(bytes, out) : decodeFast(bytes, out);
    if (status != 0) f.note(QStringLiteral("quentry-cli: the frame does not pass its checks"));
    return status;
}

} // namespace quentry::cli
