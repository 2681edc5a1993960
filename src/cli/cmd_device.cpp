// ports, detect, clear, rtc and config: the commands that talk to the transmitter
// without reading its logger.
#include "clihistory.h"
#include "clilink.h"
#include "commands.h"
#include "historytexts.h"
#include "loggercommands.h"
#include "output.h"

#include <QJsonArray>
#include <QSerialPortInfo>
#include <QTextStream>
#include <cstdio>
#include <unistd.h>

namespace quentry::cli {

int Fail(TTerminalFeedback& f, const QString& reason)
{
    f.note(QStringLiteral("quentry-cli: ") + reason);
    return 1;
}

int FailOrInterrupted(TTerminalFeedback& f, const QString& reason)
{
    if (!TTerminalFeedback::interrupted()) return Fail(f, reason);
    f.note(QStringLiteral("quentry-cli: ") + reason);
    return TTerminalFeedback::interruptedExitStatus();
}

int UsageError(TTerminalFeedback& f, const QString& reason)
{
    f.note(QStringLiteral("quentry-cli: ") + reason);
    return 2;
}

namespace {

QString rtcText(const TRtcValue& r)
{
    return QString::asprintf("%.4d-%.2d-%.2d %.2d:%.2d", r.year, r.month, r.day, r.hour, r.minute);
}

// The clock as read; a reading that is no date is never shown as one.
void printClock(TOutput& out, const TRtcValue& r, bool read)
{
    if (!read) {
        out.field("Clock", "clock", QJsonValue::Null, QStringLiteral("not read"));
        return;
    }
    const QString problem = RtcValueProblem(r);
    if (problem.isEmpty()) {
        out.field("Clock", "clock", rtcText(r));
        return;
    }
    out.field("Clock", "clock", QJsonValue::Null, QStringLiteral("invalid: ") + problem);
    out.object().insert("clockProblem", QStringLiteral("invalid: ") + problem);
}

QString listEntry(const QStringList& names, int digit)
{
    return digit >= 0 && digit < names.size() ? names[digit] : QStringLiteral("(no entry %1)").arg(digit);
}

void printConfig(TOutput& out, const TLoggerConfig& c)
{
    out.field("Logger mode (P34a)", "loggerMode", c.digits.units,
              QStringLiteral("%1 %2").arg(c.digits.units).arg(listEntry(LoggerModeNames(), c.digits.units)));
    out.field("Extended events (P34b)", "extendedEvents", c.digits.tens,
              QStringLiteral("%1 %2").arg(c.digits.tens).arg(listEntry(ExtendedEventNames(), c.digits.tens)));
    out.field("Status handling (P34c)", "statusHandling", c.digits.hundreds,
              QStringLiteral("%1 %2").arg(c.digits.hundreds).arg(listEntry(StatusHandlingNames(), c.digits.hundreds)));
    out.field("Value 1 (P35)", "value1", double(c.value1));
    out.field("Value 2 (P36)", "value2", double(c.value2));
}

void printConfigNotRead(TOutput& out)
{
    out.line(QStringLiteral("Logger configuration: not read"));
    for (const char* key : {"loggerMode", "extendedEvents", "statusHandling", "value1", "value2"})
        out.object().insert(QLatin1String(key), QJsonValue::Null);
}

void printIdentity(TOutput& out, const TCliLink& link)
{
    const THART_PAS_UniqueID& id = link.access.DeviceUniqueID;
    const bool known = link.detection.IdentityRead;
    auto field = [&](const char* label, const char* key, double v) {
        out.field(QLatin1String(label), QLatin1String(key), known ? QJsonValue(v) : QJsonValue::Null,
                  known ? QString() : QStringLiteral("not read"));
    };
    field("Polling address", "pollingAddress", link.detection.PollingAddress);
    field("Factory id", "factoryId", id.FactoryID);
    field("Device type id", "deviceTypeId", id.DeviceTypeID);
    field("Device id", "deviceId", double(id.DeviceID));
    field("Preambles", "preambles", id.Preemables);
}

// What detection learnt after the identity; what it did not learn is "not read" (null).
void printDetected(TOutput& out, const TCliLink& link)
{
    const TDetection& d = link.detection;
    auto fact = [&](const char* label, const char* key, bool read, const QJsonValue& v) {
        out.field(QLatin1String(label), QLatin1String(key), read ? v : QJsonValue::Null,
                  read ? QString() : QStringLiteral("not read"));
    };
    fact("Hardware feature id", "featureId", d.FeatureIdRead, d.FeatureId);
    fact("On-board logger", "loggerPresent", d.FeatureIdRead, TDetection::LoggerPresentIn(d.FeatureId));
    fact("Logger status", "loggerStatus", d.LoggerStatusRead, d.LoggerStatus);
    fact("RTC initialized", "rtcInitialized", d.LoggerStatusRead, d.RtcInitialized);
    printClock(out, link.settings.RtcValue, d.RtcRead);
    if (d.ConfigRead) printConfig(out, link.settings.LoggerConfig);
    else printConfigNotRead(out);
}

// The clock against this PC's, and what the site history knows of the transmitter (a
// history that does not exist yet is not made by looking).
void printSiteFacts(TOutput& out, TCliLink& link, const TCommonOptions& options, TTerminalFeedback& f)
{
    std::unique_ptr<THistoryStore> db;
    TCliHistory history(options);
    if (!options.noHistory) {
        QString why;
        db = history.open(false, why);
        if (!why.isEmpty()) f.note(QStringLiteral("quentry-cli: ") + why);
    }
    const std::optional<TDeviceKey> key = link.deviceKey();
    const TCliClock clock = CheckClockOf(link, db.get(), key);
    const std::optional<TClockReading>& r = clock.reading;
    out.field("Clock check", "clockOffset", r ? QJsonValue(r->offsetSeconds) : QJsonValue(),
              r ? clock.line.mid(7) : QStringLiteral("not read"));
    out.object().insert("clockResolution", r ? QJsonValue(r->resolutionSeconds) : QJsonValue());
    out.object().insert("clockDrift", clock.drift ? QJsonValue(*clock.drift) : QJsonValue());
    out.object().insert("clockWarning", clock.warning.isEmpty() ? QJsonValue() : QJsonValue(clock.warning));
    if (!clock.warning.isEmpty()) out.line(clock.warning);
    out.field("Device key", "device", key ? QJsonValue(key->text()) : QJsonValue(),
              key ? QString() : QStringLiteral("not known (FAST does not tell it)"));
    TTransmitterSummary s;
    const bool known = db && key && db->Transmitter(*key, s);
    const QString memo = key && !options.noHistory ? HistoryMemoLine(known ? &s : nullptr) : QString();
    out.field("Site history", "history", memo.isEmpty() ? QJsonValue() : QJsonValue(memo.mid(14)),
              memo.isEmpty() ? QStringLiteral("-") : memo.mid(14));
}

// Port, detection; the reason is printed when either fails.
bool openAndDetect(TCliLink& link, TTerminalFeedback& f, int& status)
{
    QString error;
    if (!link.open(error) || !link.detect(error)) {
        status = FailOrInterrupted(f, error);
        return false;
    }
    return true;
}

} // namespace

int RunPorts(const TCommandLine& c, TTerminalFeedback&)
{
    TOutput out(c.common.json);
    QJsonArray ports;
    for (const QSerialPortInfo& p : QSerialPortInfo::availablePorts()) {
        ports.append(p.portName());
        out.line(p.portName() + (p.description().isEmpty() ? QString() : QStringLiteral("  ") + p.description()));
    }
    out.object().insert("ports", ports);
    out.line(QStringLiteral("(a virtual port such as a pseudo-terminal is not listed; give it by path: --port /dev/pts/N)"));
    out.finish();
    return 0;
}

int RunDetect(const TCommandLine& c, TTerminalFeedback& f)
{
    TCliLink link(c.common, f);
    QString error;
    if (!link.open(error)) return Fail(f, error);
    TOutput out(c.common.json);
    out.field("Port", "port", link.portName());
    out.field("Protocol", "protocol", link.protocolName());
    out.field("Adapter", "adapter", link.adapterName());
    const bool hart = link.engine.Protokoll() == prt_HART;
    // The identity is shown as soon as the transmitter has told it: the later steps take a while.
    if (hart) link.detection.OnIdentified = [&] { printIdentity(out, link); };
    const bool found = link.detect(error);
    if (hart && !link.detection.IdentityRead) printIdentity(out, link);
    if (link.detection.IdentityRead || !hart) printDetected(out, link);
    out.object().insert("memo", QJsonArray::fromStringList(link.detection.memo));
    if (!found) {
        out.object().insert("error", error);
        out.finish();
        return FailOrInterrupted(f, error);
    }
    printSiteFacts(out, link, c.common, f);
    out.object().insert("error", QJsonValue::Null);
    out.finish();
    if (TTerminalFeedback::interrupted())
        return FailOrInterrupted(f, QStringLiteral("interrupted (%1) during detection").arg(TTerminalFeedback::interruptName()));
    if (!link.detection.Failure.isEmpty()) f.note(QStringLiteral("quentry-cli: not everything was read: ") + link.detection.Failure);
    return 0;
}

int RunClear(const TCommandLine& c, TTerminalFeedback& f)
{
    if (!c.yes) {
        if (::isatty(STDIN_FILENO) != 1)
            return UsageError(f, QStringLiteral("clearing the logger needs --yes when there is no terminal to ask"));
        std::fprintf(stderr, "%s [y/N] ", ClearLoggerQuestion().toLocal8Bit().constData());
        std::fflush(stderr);
        QTextStream in(stdin);
        const QString answer = in.readLine().trimmed().toLower();
        if (answer != "y" && answer != "yes") return Fail(f, QStringLiteral("not cleared"));
    }
    TCliLink link(c.common, f);
    int status = 0;
    if (!openAndDetect(link, f, status)) return status;
    if (!ClearLogger(link.access, link.reader)) return Fail(f, QStringLiteral("the logger was not cleared"));
    TOutput out(c.common.json);
    out.field("Logger", "cleared", true, QStringLiteral("cleared"));
    out.finish();
    return 0;
}

int RunRtc(const TCommandLine& c, TTerminalFeedback& f)
{
    const QString action = c.arguments.value(0);
    QDate date;
    int hour = 0, minute = 0;
    if (action == "set") {
        const QString text = c.arguments.value(1);
        QDateTime when = QDateTime::fromString(text, Qt::ISODate);
        if (!when.isValid()) when = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm"));
        if (!when.isValid() || c.arguments.size() != 2)
            return UsageError(f, QStringLiteral("rtc set wants a date and time such as 2026-12-10T14:05"));
        date = when.date();
        hour = when.time().hour();
        minute = when.time().minute();
    } else if ((action != "get" && action != "sync") || c.arguments.size() != 1) {
        return UsageError(f, QStringLiteral("rtc wants get, set YYYY-MM-DDTHH:MM or sync"));
    }
    TCliLink link(c.common, f);
    int status = 0;
    if (!openAndDetect(link, f, status)) return status;
    if (action != "get") {
        if (action == "sync") {
            // The date and the time come from two readings of the clock, as the window takes them.
            date = QDate::currentDate();
            const QTime now = QTime::currentTime();
            hour = now.hour();
            minute = now.minute();
        }
        if (!link.settings.WriteRtc(date, hour, minute))
            return Fail(f, QStringLiteral("RTC Write Failed! Please try with other device!"));
        if (!link.settings.ReadRtc()) return Fail(f, QStringLiteral("the clock could not be read back"));
    }
    TOutput out(c.common.json);
    // Detection reads the clock; with a failure there, rtc get reads it once more.
    const bool read = link.detection.RtcRead || action != "get" || link.settings.ReadRtc();
    printClock(out, link.settings.RtcValue, read);
    out.finish();
    if (!read) return Fail(f, QStringLiteral("the clock could not be read: ") + link.access.LastFailure.text());
    return RtcValueProblem(link.settings.RtcValue).isEmpty() ? 0 : 1;
}

int RunConfig(const TCommandLine& c, TTerminalFeedback& f)
{
    const QString action = c.arguments.value(0);
    TLoggerConfig wanted;
    if (action == "set") {
        if (c.arguments.size() != 6) return UsageError(f, QStringLiteral("config set wants MODE EXT STATUS V1 V2"));
        const int limits[5] = {5, 3, 1, 9999, 9999};
        int v[5];
        for (int i = 0; i < 5; ++i) {
            bool ok = false;
            v[i] = c.arguments[i + 1].toInt(&ok);
            if (!ok || v[i] < 0 || v[i] > limits[i])
                return UsageError(f, QStringLiteral("config set: argument %1 must be a whole number from 0 to %2")
                                         .arg(i + 1)
                                         .arg(limits[i]));
        }
        wanted.digits.units = quint8(v[0]);
        wanted.digits.tens = quint8(v[1]);
        wanted.digits.hundreds = quint8(v[2]);
        wanted.value1 = float(v[3]);
        wanted.value2 = float(v[4]);
    } else if (action != "get" || c.arguments.size() != 1) {
        return UsageError(f, QStringLiteral("config wants get or set MODE EXT STATUS V1 V2"));
    }
    TCliLink link(c.common, f);
    int status = 0;
    if (!openAndDetect(link, f, status)) return status;
    if (!link.detection.ConfigRead && !link.settings.ReadLoggerConfig())
        return Fail(f, QStringLiteral("the logger configuration could not be read"));
    if (action == "set") {
        wanted.digits.thousands = link.settings.LoggerConfig.digits.thousands; // carried through
        link.settings.LoggerConfig = wanted;
        if (!link.settings.WriteLoggerConfig()) return Fail(f, QStringLiteral("the logger configuration was not written"));
    }
    TOutput out(c.common.json);
    printConfig(out, link.settings.LoggerConfig);
    out.finish();
    return 0;
}

} // namespace quentry::cli
