#pragma once
// An engine on a scripted fake port, with every log entry collected.
#include "comengine.h"
#include "fakeserialport.h"
#include "recordingfeedback.h"

#include <QElapsedTimer>
#include <QStringList>
#include <gtest/gtest.h>
#include <memory>

namespace quentry::test {

class EngineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        engine.reset();
        feedback = TRecordingFeedback();
        log.clear();
        auto p = std::make_unique<TFakeSerialPort>();
        port = p.get();
        engine = std::make_unique<TCOMEngine>(nullptr, std::move(p));
        engine->SetFeedback(&feedback);
        engine->OnComLogEvent = [this](TCOMEngine*, const QDateTime&, const QString& c, const QString& m) {
            log << c + "|" + m;
        };
    }

    void open(TProtokoll p)
    {
        engine->SetProtokoll(p);
        ASSERT_TRUE(engine->OpenComByName(QStringLiteral("fake")));
        port->clearEvents();
        log.clear();
    }

    // Short answer and byte-gap waits for tests that do not measure them.
    void quickTimes() { engine->SetTime_ByteGap(20); }

    static TTXRXInfo polled(quint8 address)
    {
        TTXRXInfo d;
        d.Saddress = address;
        d.Preemables = 5;
        d.IsPrimary = true;
        return d;
    }

    static TTXRXInfo longAddressed()
    {
        TTXRXInfo d = polled(0);
        d.IsLongAddress = true;
        d.FactoryID = 0x26;
        d.DeviceTypeID = 0x41;
        d.DeviceID_HI = 0x12;
        d.DeviceID_MID = 0x34;
        d.DeviceID_LO = 0x56;
        return d;
    }

    int countLog(const QString& prefix) const
    {
        int n = 0;
        for (const QString& l : log) n += l.startsWith(prefix) ? 1 : 0;
        return n;
    }

    TFakeSerialPort* port = nullptr;
    TRecordingFeedback feedback;
    std::unique_ptr<TCOMEngine> engine;
    QStringList log;
};

} // namespace quentry::test
