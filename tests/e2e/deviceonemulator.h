#pragma once
// TOstraDevice over the real link engine and QSerialPort, with the virtual transmitter
// in-process on the other end of a pty. The engine's waits are cut to their minimum and
// the transmitter answers at once, so a transaction takes a few tens of milliseconds.
#include "ostradevice.h"
#include "recordingfeedback.h"
#include "virtualtransmitter.h"

#include <gtest/gtest.h>
#include <cstring>
#include <memory>
#include <ostream>

// Readable QString values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace quentry::test {

class DeviceOnEmulator : public ::testing::Test
{
protected:
    void start(emulator::TEmulatorConfig config, TProtokoll protocol)
    {
        config.protocol = protocol == prt_HART ? emulator::TEmuProtocol::Hart : emulator::TEmuProtocol::Fast;
        config.turnaroundMs = 0;
        transmitter = std::make_unique<emulator::TVirtualTransmitter>(config);
        const QString port = transmitter->start();
        ASSERT_FALSE(port.isEmpty()) << qPrintable(transmitter->errorString());
        engine = std::make_unique<TCOMEngine>();
        engine->SetFeedback(&feedback);
        engine->SetProtokoll(protocol);
        ASSERT_TRUE(engine->OpenComByName(port));
        engine->SetTime_ByteGap(0); // the least there is: 20 ms byte gap, 30 ms answer wait
        device.SetComEngine(engine.get());
    }

    void TearDown() override
    {
        device.SetComEngine(nullptr);
        engine.reset();
        transmitter.reset();
    }

    bool hart() const { return engine->Protokoll() == prt_HART; }

    // The identity the transmitter holds, as detection would have decoded it.
    THART_PAS_UniqueID identity() const
    {
        QByteArray raw;
        transmitter->inspect([&](const emulator::TTransmitterLogic& t) { raw = t.model().uniqueIdentifier(); });
        THART_UniqueID id{};
        std::memcpy(&id, raw.constData(), sizeof id);
        return UniqueIDFromRaw(id);
    }

    // A transaction record for the transmitter, as the main window builds it.
    TTXRXInfo addressed() const { return device.BuildTTXRXInfo(identity()); }

    // The HART response code or the FAST status byte of the last reply.
    static int responseCode(const TTXRXInfo& d, TProtokoll protocol)
    {
        return protocol == prt_HART ? d.ApiError >> 8 : d.ApiError & 0xFF;
    }

    void enterRemote(quint16 code = emulator::kRemoteUserCode)
    {
        TTXRXInfo d = addressed();
        THART_PAS_EnterExit e;
        e.upsw = code;
        e.mode = 1;
        ASSERT_EQ(device.EnterExit(d, e), FRERR_OK);
        ASSERT_EQ(responseCode(d, engine->Protokoll()), 0);
        ASSERT_TRUE(transmitter->remoteMode());
    }

    std::unique_ptr<emulator::TVirtualTransmitter> transmitter;
    std::unique_ptr<TCOMEngine> engine;
    TOstraDevice device;
    TRecordingFeedback feedback;
};

// The same for both protocols; the parameter is the protocol. Each file derives its own
// suite from it and instantiates that once.
class DeviceOnEitherProtocol : public DeviceOnEmulator, public ::testing::WithParamInterface<TProtokoll>
{
protected:
    void start(const emulator::TEmulatorConfig& config) { DeviceOnEmulator::start(config, GetParam()); }
};

inline std::string protocolName(const ::testing::TestParamInfo<TProtokoll>& p)
{
    return p.param == prt_HART ? "Hart" : "Fast";
}

} // namespace quentry::test
