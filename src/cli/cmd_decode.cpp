// decode: a reply frame or a logger row pasted from the communication log, taken apart
// with the same codecs the link uses.
#include "commands.h"
#include "fastframe.h"
#include "hartframe.h"
#include "ostradevice.h"
#include "output.h"
#include "rowdecode.h"
#include "statusdecode.h"
#include "wire/logrowcheck.h"
#include "wire/wireconv.h"

#include <QJsonArray>
#include <algorithm>
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

// Command 0's reply data: the identity a master addresses the device by.
void printIdentityData(TOutput& out, const QByteArray& data)
{
    if (data.size() < 12) return;
    THART_UniqueID raw{};
    std::memcpy(&raw, data.constData(), std::min(sizeof raw, std::size_t(data.size())));
    const THART_PAS_UniqueID id = UniqueIDFromRaw(raw);
    out.field("Manufacturer", "manufacturer", id.FactoryID);
    out.field("Device type", "deviceType", id.DeviceTypeID);
    out.field("Preambles wanted", "preambles", id.Preemables);
    out.field("Universal command revision", "universalRevision", id.UniversalCmdRev);
    out.field("Device command revision", "deviceRevision", id.DevspecCmdRev);
    out.field("Software revision", "softwareRevision", id.SwRev);
    out.field("Hardware revision", "hardwareRevision", id.HwRev);
    out.field("Flags", "flags", id.Function_flag,
              QStringLiteral("0x%1").arg(id.Function_flag, 2, 16, QLatin1Char('0')));
    out.field("Device id", "deviceId", qint64(id.DeviceID));
    out.field("Long address", "longAddress",
              hex(QByteArray(1, char(id.FactoryID & 0x3F)) + data.mid(2, 1) + data.mid(9, 3)));
}

// A master's request (pasted from an STX line, say): its fields, and plainly that it is one.
int decodeHartRequest(const QByteArray& b, int delimiter, TOutput& out)
{
    const auto* p = reinterpret_cast<const quint8*>(b.constData());
    out.object().insert("frameType", "request");
    out.line(QStringLiteral("This is a request frame (master to device), not a reply."));
    const bool isLong = p[delimiter] & 0x80;
    const int countAt = delimiter + (isLong ? 5 : 1) + 2;
    const int end = countAt < b.size() ? countAt + 1 + p[countAt] + 1 : -1;
    quint8 x = 0;
    for (int i = delimiter; i < end && end <= b.size(); ++i) x ^= p[i];
    const TFrameError e = end < 0 || end > b.size() ? FRERR_INVALIDFRAME : x != 0 ? FRERR_CHKSUM : FRERR_OK;
    out.field("Frame", "frame", FrameErrorMessage(e));
    if (e != FRERR_OK) {
        out.finish();
        return 1;
    }
    out.field("Delimiter", "delimiter", p[delimiter],
              QStringLiteral("%1 (%2 frame, request)").arg(p[delimiter], 2, 16, QLatin1Char('0')).arg(isLong ? "long" : "short"));
    if (isLong)
        out.field("Address", "address", hex(b.mid(delimiter + 1, 5)));
    else
        out.field("Polling address", "pollingAddress", p[delimiter + 1] & 0x0F);
    out.field("Master", "primaryMaster", bool(p[delimiter + 1] & 0x80), (p[delimiter + 1] & 0x80) ? "primary" : "secondary");
    out.field("Command", "command", p[countAt - 1]);
    out.field("Byte count", "byteCount", p[countAt]);
    const QByteArray data = b.mid(countAt + 1, p[countAt]);
    out.field("Data", "data", hex(data), data.isEmpty() ? QStringLiteral("(none)") : QString());
    if (end < b.size())
        out.field("Trailing bytes", "trailing", hex(b.mid(end)),
                  hex(b.mid(end)) + QStringLiteral(" (after the checksum; not part of the frame)"));
    out.finish();
    return 0;
}

int decodeHart(const QByteArray& b, TOutput& out)
{
    const auto* p = reinterpret_cast<const quint8*>(b.constData());
    // At least two 0xFF, then the delimiter (the search the link uses).
    int delimiter = -1;
    for (int i = 1; i + 1 < b.size(); ++i)
        if (p[i - 1] == 0xFF && p[i] == 0xFF && p[i + 1] != 0xFF) {
            delimiter = i + 1;
            break;
        }
    const int frameType = delimiter >= 0 ? (p[delimiter] & 0x07) : 0;
    if (frameType == 2) return decodeHartRequest(b, delimiter, out);
    // The address is taken from the frame itself, so any reply decodes.
    TTXRXInfo reply;
    if (delimiter >= 0 && delimiter + 5 < b.size()) {
        reply.Saddress = p[delimiter + 1] & 0x0F;
        reply.FactoryID = p[delimiter + 1];
        reply.DeviceTypeID = p[delimiter + 2];
        reply.DeviceID_HI = p[delimiter + 3];
        reply.DeviceID_MID = p[delimiter + 4];
        reply.DeviceID_LO = p[delimiter + 5];
    }
    // A frame ends where its byte count says; anything after it is not part of it.
    const int end = HartCompleteFrame(p, int(b.size()));
    int offset = 0;
    TFrameError e = HartParseReply(p, end > 0 ? end : int(b.size()), reply, offset);
    if (e == FRERR_OK && reply.bcnt < 2) e = FRERR_INVALIDFRAME; // no room for response code and status
    out.field("Frame", "frame", FrameErrorMessage(e));
    const QString type = frameType == 1 ? "burst" : frameType == 6 ? "reply" : "unknown";
    out.object().insert("frameType", type);
    if (e != FRERR_OK) {
        out.finish();
        return 1;
    }
    out.field("Delimiter", "delimiter", reply.start,
              QStringLiteral("%1 (%2 frame, %3)").arg(reply.start, 2, 16, QLatin1Char('0')).arg(reply.IsLongAddress ? "long" : "short", type));
    if (reply.IsLongAddress)
        out.field("Address", "address", hex(b.mid(delimiter + 1, 5)));
    else
        out.field("Polling address", "pollingAddress", reply.Saddress);
    out.field("Master", "primaryMaster", reply.IsPrimary, reply.IsPrimary ? "primary" : "secondary");
    out.field("Command", "command", reply.cmd);
    out.field("Byte count", "byteCount", reply.bcnt);
    THART_RESPONSE_STR texts;
    const bool refused = HartDecodeResponse(reply.ApiError, texts);
    const int code = reply.ApiError >> 8;
    if (code & 0x80) {
        // Bit 7: the device got the request garbled; the rest are communication error flags.
        out.field("Response code", "responseCode", code,
                  QStringLiteral("%1 (0x%2) %3").arg(code).arg(code, 2, 16, QLatin1Char('0')).arg(texts.FirstByte.trimmed()));
    } else {
        const QString text = texts.FirstByte.mid(texts.FirstByte.indexOf(':') + 1).trimmed();
        out.field("Response code", "responseCode", code,
                  QStringLiteral("%1 (%2)").arg(code).arg(text.isEmpty() ? QStringLiteral("no text for this code") : text));
    }
    out.object().insert("response", texts.FirstByte);
    const QString flags = texts.SecondByte.mid(texts.SecondByte.indexOf(':') + 1).trimmed();
    out.field("Device status", "deviceStatus", texts.SecondByte,
              QStringLiteral("0x%1 %2")
                  .arg(reply.ApiError & 0xFF, 2, 16, QLatin1Char('0'))
                  .arg(flags.isEmpty() ? QStringLiteral("(no flags)") : flags));
    out.field("Refused", "refused", refused);
    // Data: the byte count's bytes after response code and status, never the checksum.
    const QByteArray data = b.mid(offset + 2, reply.bcnt - 2);
    out.field("Data", "data", hex(data), data.isEmpty() ? QStringLiteral("(none)") : QString());
    if (end > 0 && end < b.size())
        out.field("Trailing bytes", "trailing", hex(b.mid(end)),
                  hex(b.mid(end)) + QStringLiteral(" (after the checksum; not part of the frame)"));
    if (reply.cmd == 0) printIdentityData(out, data);
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
