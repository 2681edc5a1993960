#include "settingsfile.h"

#include "comengine.h"
#include "profileini.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <cmath>

namespace quentry {
namespace {

const QString kGroup = QStringLiteral("Main");

int IntValue(const QSettings& s, const char* key, int fallback)
{
    const QVariant v = s.value(QLatin1String(key));
    if (!v.isValid()) return fallback;
    bool ok = false;
    const int n = v.toString().trimmed().toInt(&ok);
    return ok ? n : fallback;
}

QString FileIn(const QString& dir) { return QDir(dir).filePath(QLatin1String(TSettingsLocation::kFileName)); }

} // namespace

TSettingsLocation TSettingsLocation::Default()
{
    TSettingsLocation l;
#ifdef Q_OS_WIN
    l.siteDir = QStringLiteral("c:\\meres\\");
#else
    l.siteDir = qEnvironmentVariable(kSiteDirVariable);
#endif
    // Never the executable's directory: an installed program cannot write there.
    l.fallbackDir = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
                        .filePath(QStringLiteral("Quentry"));
    return l;
}

QString TSettingsLocation::ReadPath() const
{
    if (!siteDir.isEmpty() && QFileInfo(FileIn(siteDir)).isFile()) return FileIn(siteDir);
    return FileIn(fallbackDir);
}

QString TSettingsLocation::WritePath() const
{
    if (!siteDir.isEmpty() && QFileInfo(siteDir).isDir()) return FileIn(siteDir);
    return FileIn(fallbackDir);
}

TStoredSettings ReadSettingsFile(const QString& path)
{
    TStoredSettings r;
    if (!QFileInfo(path).isFile()) return r;
    QSettings s(path, ProfileIniFormat());
    s.beginGroup(kGroup);
    r.OpenComAtStart = IntValue(s, "OpenComAtStart", 1) != 0;
    r.ComPort = IntValue(s, "ComPort", r.ComPort);
    r.ComPortName = s.value(QStringLiteral("ComPortName")).toString().trimmed();
    r.Protocol = IntValue(s, "Protocol", r.Protocol);
    if (r.Protocol < prt_HART || r.Protocol > prt_FASTLINK_IRDA) r.Protocol = prt_HART;
    r.Adapter = IntValue(s, "Adapter", r.Adapter);
    if (r.Adapter < 0 || r.Adapter > 3) r.Adapter = 0;
    r.IrDAAdapter = IntValue(s, "IrDAAdapter", r.IrDAAdapter);
    if (r.IrDAAdapter < iratype_RS232 || r.IrDAAdapter > iratype_TAMBO) r.IrDAAdapter = iratype_RS232;
    r.TimeOut = IntValue(s, "TimeOut", r.TimeOut);
    r.QuickReplies = IntValue(s, "QuickReplies", 0) != 0;
    r.HistoryFile = s.value(QStringLiteral("HistoryFile")).toString().trimmed();
    r.ClockWarnSeconds = IntValue(s, "ClockWarnSeconds", r.ClockWarnSeconds);
    if (r.ClockWarnSeconds < 1) r.ClockWarnSeconds = 60;
    return r;
}

int AdapterCodeOf(const TCOMEngine& engine)
{
    if (engine.IrDAAdapterType == iratype_TAMBO) return 3;
    return engine.AdapterCode();
}

void ApplyAdapterCode(TCOMEngine& engine, int code)
{
    if (code == 3) {
        engine.IrDAAdapterType = iratype_TAMBO;
        engine.SetAdapter(adt_IrDA);
    } else {
        engine.IrDAAdapterType = iratype_RS232;
        engine.SetAdapter(quint8(code));
    }
}

TComSetupValues LoadSettings(TCOMEngine& engine, const TSettingsLocation& location, bool openPort)
{
    const TStoredSettings s = ReadSettingsFile(location.ReadPath());
    engine.SetProtokoll(TProtokoll(s.Protocol));
    engine.IrDAAdapterType = TIrDAAdapterType(s.IrDAAdapter);
    engine.SetAdapter(quint8(s.Adapter));
    engine.SetTime_ByteGap(quint16(s.TimeOut)); // taken as a 16-bit unsigned number
    engine.SetQuickReplies(s.QuickReplies);

    TComSetupValues dialog;
    dialog.Protokoll = engine.Protokoll();
    dialog.AdapterCode = s.Adapter;
    dialog.IrDAAdapter = s.IrDAAdapter;
    dialog.CycleTime = s.TimeOut;
    dialog.QuickReplies = s.QuickReplies;

    // The engine's IrDA variant follows the adapter code, whatever "IrDAAdapter" holds.
    ApplyAdapterCode(engine, s.Adapter);
    // Every link adapter talks FAST to the engine (the setup dialog sets the protocol from the
    // adapter); a file that says HART beside one would have the adapter told one protocol and
    // the engine speak the other, so the adapter decides.
    if (s.Adapter != 0 && engine.Protokoll() != prt_MODE3) {
        engine.SetProtokoll(prt_MODE3);
        dialog.Protokoll = prt_MODE3;
    }

    if (openPort && s.OpenComAtStart) {
        if (!s.ComPortName.isEmpty())
            engine.OpenComByName(s.ComPortName);
        else
            engine.OpenCom(quint16(quint8(s.ComPort)));
    }
    return dialog;
}

bool SaveSettings(const TCOMEngine& engine, const TSettingsLocation& location, TUserFeedback& feedback)
{
    const QString path = location.WritePath();
    QSettings s(path, ProfileIniFormat());
    s.beginGroup(kGroup);
    s.setValue(QStringLiteral("ComPort"), int(engine.Port()));
    // "ComPort" holds a number; a port it cannot name keeps its whole name beside it.
    if (engine.PortName() == QStringLiteral("COM%1").arg(engine.Port()))
        s.remove(QStringLiteral("ComPortName"));
    else
        s.setValue(QStringLiteral("ComPortName"), engine.PortName());
    s.setValue(QStringLiteral("Protocol"), int(engine.Protokoll()));
    s.setValue(QStringLiteral("Adapter"), AdapterCodeOf(engine));
    s.setValue(QStringLiteral("TimeOut"), int(std::lround(double(engine.Time_ByteGap()))));
    if (engine.QuickReplies())
        s.setValue(QStringLiteral("QuickReplies"), 1);
    else
        s.remove(QStringLiteral("QuickReplies"));
    s.endGroup();
    s.sync();
    if (s.status() == QSettings::NoError) return true;
    feedback.showError(QStringLiteral("Settings could not be saved to %1!").arg(QDir::toNativeSeparators(path)));
    return false;
}

} // namespace quentry
