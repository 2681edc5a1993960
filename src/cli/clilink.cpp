#include "clilink.h"

#include "clihistory.h"
#include "devicemodel.h"
#include "portopenfailure.h"
#include "settingsfile.h"
#include "virtualtransmitter.h"

#include <QFileInfo>
#include <cstring>

namespace quentry::cli {
namespace {

// The virtual transmitter answers at once; a short byte gap keeps a demo read short.
constexpr int kDemoCycleMs = 20;

} // namespace

TCliLink::TCliLink(const TCommonOptions& options, TTerminalFeedback& feedback)
    : access(engine, device, feedback), settings(access), detection(access, settings, reader), FOptions(options),
      FFeedback(feedback)
{
    engine.SetFeedback(&feedback);
    device.SetComEngine(&engine);
    device.SetFeedback(&feedback);
    reader.SetOstraDevice(&device);
    // As the main window sets them at start; opening the port applies its own times.
    engine.SetTime_WaitAnswer(200);
    engine.SetTime_ByteGap(100);
}

TCliLink::~TCliLink()
{
    reader.SetOstraDevice(nullptr);
    engine.OnComLogEvent = nullptr;
    if (engine.Connected()) engine.CloseCom(true);
    device.SetComEngine(nullptr);
    FDemo.reset();
}

void TCliLink::writeLog(const QString& cls, const QString& text, const QDateTime& when)
{
    if (!FLog.isOpen()) return;
    FLog.write(when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toLatin1() + "  " +
               cls.leftJustified(9).toLatin1() + " " + text.toLocal8Bit() + "\n");
}

bool TCliLink::open(QString& error)
{
    if (!FOptions.logFile.isEmpty()) {
        FLog.setFileName(FOptions.logFile);
        if (!FLog.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
            error = QStringLiteral("cannot write the log file %1: %2").arg(FOptions.logFile, FLog.errorString());
            return false;
        }
        engine.OnComLogEvent = [this](TCOMEngine*, const QDateTime& t, const QString& c, const QString& m) {
            writeLog(c, m, t);
        };
    }
    reader.OnMessage = [this](TLOGGEREngine*, const QString& c, const QString& m) {
        writeLog(c, m, QDateTime::currentDateTime());
        FFeedback.note(QStringLiteral("logger: ") + c + QStringLiteral(": ") + m);
    };

    const QString settingsPath = SettingsFileOf(FOptions);
    if (!FOptions.settings.isEmpty() && !QFileInfo::exists(settingsPath)) {
        error = QStringLiteral("settings file %1 does not exist").arg(settingsPath);
        return false;
    }
    const TStoredSettings stored = ReadSettingsFile(settingsPath);

    int protocol = FOptions.protocol.value_or(FOptions.demo ? int(prt_MODE3) : stored.Protocol);
    FAdapterCode = FOptions.adapter.value_or(FOptions.demo ? 0 : stored.Adapter);
    const int cycle = FOptions.cycleMs.value_or(FOptions.demo ? kDemoCycleMs : stored.TimeOut);
    if (protocol != prt_HART && protocol != prt_MODE3) protocol = prt_HART;

    if (FOptions.demo) {
        emulator::TEmulatorConfig c;
        c.protocol = protocol == prt_MODE3 ? emulator::TEmuProtocol::Fast : emulator::TEmuProtocol::Hart;
        c.adapter = FAdapterCode == 1   ? emulator::TEmuAdapter::Usb
                    : FAdapterCode >= 2 ? emulator::TEmuAdapter::IrDA
                                        : emulator::TEmuAdapter::None;
        FDemo = emulator::StartWithRows(c, FOptions.demoRows, FPortName, error);
        if (!FDemo) return false;
        // FAST tells no identity: the demo knows its transmitter's.
        QByteArray raw;
        FDemo->inspect([&](const emulator::TTransmitterLogic& t) { raw = t.model().uniqueIdentifier(); });
        THART_UniqueID id{};
        std::memcpy(&id, raw.constData(), qMin<size_t>(sizeof id, size_t(raw.size())));
        access.DeviceUniqueID = UniqueIDFromRaw(id);
    } else if (!FOptions.port.isEmpty()) {
        FPortName = FOptions.port;
    } else if (!stored.ComPortName.isEmpty()) {
        FPortName = stored.ComPortName;
    } else {
        FPortName = QStringLiteral("COM%1").arg(quint8(stored.ComPort));
    }

    engine.SetProtokoll(TProtokoll(protocol));
    ApplyAdapterCode(engine, FAdapterCode);
    engine.SetTime_ByteGap(quint32(cycle));
    engine.SetQuickReplies(FOptions.quick || stored.QuickReplies);
    if (!engine.OpenComByName(FPortName)) {
        error = PortOpenFailureText(engine);
        return false;
    }
    return true;
}

std::optional<TDeviceKey> TCliLink::deviceKey() const
{
    if (detection.IdentityRead || FDemo) return TDeviceKey::FromIdentity(access.DeviceUniqueID);
    return std::nullopt;
}

QString TCliLink::identityText() const
{
    const THART_PAS_UniqueID& id = access.DeviceUniqueID;
    return QStringLiteral("the device at polling address %1 (manufacturer %2, device type %3, device id %4)")
        .arg(detection.PollingAddress)
        .arg(id.FactoryID)
        .arg(id.DeviceTypeID)
        .arg(id.DeviceID);
}

bool TCliLink::detect(QString& error)
{
    if (FOptions.address) detection.FixedAddress = quint8(*FOptions.address);
    detection.StopRequested = [] { return TTerminalFeedback::interrupted(); };
    FFeedback.holdErrors();
    const TDetection::TOutcome outcome = detection.Detect(engine.Protokoll());
    // After Ctrl-C the boxes of the steps it cut short ("Device Not Found!") would mislead.
    FFeedback.releaseErrors(!TTerminalFeedback::interrupted());
    if (outcome != TDetection::TOutcome::Found && TTerminalFeedback::interrupted()) {
        error = QStringLiteral("interrupted (%1) during detection").arg(TTerminalFeedback::interruptName());
        return false;
    }
    const bool hart = engine.Protokoll() != prt_MODE3;
    switch (outcome) {
    case TDetection::TOutcome::Found: return true;
    case TDetection::TOutcome::AdapterNotFound:
        error = QStringLiteral("the communication adapter (%1) does not answer on %2").arg(adapterName(), FPortName);
        return false;
    case TDetection::TOutcome::DeviceNotFound:
        if (access.LastFailure.error == FERR_HARTDEVICE)
            error = QStringLiteral("the transmitter on %1 does not answer as expected: %2").arg(FPortName, detection.Failure);
        else if (hart)
            error = QStringLiteral("no transmitter answered on %1 (hart, %2)").arg(FPortName, detection.AddressesTried());
        else
            error = QStringLiteral("no transmitter answered on %1 (fast)").arg(FPortName);
        return false;
    case TDetection::TOutcome::NoLogger:
        if (detection.FeatureIdRead) {
            error = QStringLiteral("the transmitter has no on-board logger (hardware feature id %1)").arg(detection.FeatureId);
        } else {
            // The feature id was never read: nothing is known about a logger.
            const QString who = hart ? identityText() + QStringLiteral(" answered command 0") : QStringLiteral("the transmitter answered");
            error = QStringLiteral("%1, but %2; it may not be a transmitter of this family")
                        .arg(who, detection.Failure.isEmpty() ? QStringLiteral("its hardware feature id could not be read")
                                                              : detection.Failure);
        }
        return false;
    }
    return false;
}

QString TCliLink::protocolName() const { return engine.Protokoll() == prt_MODE3 ? "fast" : "hart"; }

QString TCliLink::adapterName() const
{
    static const char* const kNames[] = {"none", "usb", "irda-rs232", "irda-tambo"};
    return QString::fromLatin1(kNames[qBound(0, FAdapterCode, 3)]);
}

} // namespace quentry::cli
