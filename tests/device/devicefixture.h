#pragma once
// A device on a scripted line: TOstraDevice over a real TCOMEngine whose port is a
// TFakeSerialPort. Each request is parsed back into its command and data bytes, and the
// test's `answer` decides the reply data (or silence); the frame around it is built here.
#include "fakeserialport.h"
#include "ostradevice.h"
#include "recordingfeedback.h"
#include "wire/crc16.h"

#include <QByteArray>
#include <gtest/gtest.h>
#include <functional>
#include <optional>
#include <vector>

namespace quentry::test {

inline QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values) b.append(char(quint8(v)));
    return b;
}

struct TRequest
{
    quint8 cmd = 0;
    QByteArray data;
    QByteArray address; // HART: the address bytes as sent (1 or 5); FAST: empty
    int preambles = 0;
};

// HART master frame: preambles, delimiter, address, command, byte count, data, checksum.
inline std::optional<TRequest> parseHartRequest(const QByteArray& frame)
{
    int i = 0;
    while (i < frame.size() && quint8(frame[i]) == 0xFF) ++i;
    if (i >= frame.size()) return std::nullopt;
    TRequest r;
    r.preambles = i;
    const bool isLong = quint8(frame[i]) & 0x80;
    const int addressBytes = isLong ? 5 : 1;
    if (frame.size() < i + 1 + addressBytes + 3) return std::nullopt;
    r.address = frame.mid(i + 1, addressBytes);
    r.cmd = quint8(frame[i + 1 + addressBytes]);
    const int count = quint8(frame[i + 2 + addressBytes]);
    r.data = frame.mid(i + 3 + addressBytes, count);
    return r;
}

// A slave reply to a request: the request's address echoed, response code and device
// status, the data, the checksum.
inline QByteArray hartReply(const QByteArray& request, const QByteArray& data, quint8 response = 0,
                            quint8 status = 0)
{
    int i = 0;
    while (i < request.size() && quint8(request[i]) == 0xFF) ++i;
    const bool isLong = quint8(request[i]) & 0x80;
    QByteArray body;
    body.append(char(isLong ? 0x86 : 0x06));
    body.append(request.mid(i + 1, isLong ? 5 : 1));
    body.append(request[i + 1 + (isLong ? 5 : 1)]); // command
    body.append(char(quint8(2 + data.size())));
    body.append(char(response));
    body.append(char(status));
    body.append(data);
    quint8 x = 0;
    for (char c : body) x ^= quint8(c);
    body.append(char(x));
    return QByteArray(5, char(0xFF)) + body;
}

inline std::optional<TRequest> parseFastRequest(const QByteArray& frame)
{
    if (frame.size() < 5) return std::nullopt;
    TRequest r;
    r.cmd = quint8(frame[0]);
    const int count = quint8(frame[1]) << 8 | quint8(frame[2]);
    r.data = frame.mid(3, count);
    return r;
}

// FAST reply: command, length (status + data), status, data, CRC low byte first.
inline QByteArray fastReply(quint8 cmd, const QByteArray& data, quint8 status = 0)
{
    QByteArray f;
    const int m = 1 + int(data.size());
    f.append(char(cmd));
    f.append(char(quint8(m >> 8)));
    f.append(char(quint8(m)));
    f.append(char(status));
    f.append(data);
    const quint16 crc = CRC16(reinterpret_cast<const quint8*>(f.constData()), 0, int(f.size()));
    f.append(char(quint8(crc)));
    f.append(char(quint8(crc >> 8)));
    return f;
}

// The reply data size of each command, as zeros: what a transmitter that agrees to
// everything and reports nothing would send.
inline QByteArray zeroReply(TProtokoll p, quint8 cmd)
{
    const int n = p == prt_MODE3 ? TCOMEngine::FastReplyDataSize(cmd) : TCOMEngine::HartReplyDataSize(cmd);
    return QByteArray(qMax(0, n), '\0');
}

class DeviceOnFakeLine : public ::testing::Test
{
protected:
    DeviceOnFakeLine()
    {
        auto fake = std::make_unique<TFakeSerialPort>();
        port = fake.get();
        engine = std::make_unique<TCOMEngine>(nullptr, std::move(fake));
        engine->OnComLogEvent = [](TCOMEngine*, const QDateTime&, const QString&, const QString&) {};
        engine->SetFeedback(&feedback);
        device.SetComEngine(engine.get());
        port->setTxEmptyDelay(0);
        port->responder = [this](TFakeSerialPort& p, const QByteArray& written) { respond(p, written); };
    }

    // Opens the line in a protocol with short waits (20 ms byte gap, 30 ms answer wait).
    void open(TProtokoll p)
    {
        engine->SetProtokoll(p);
        ASSERT_TRUE(engine->OpenComByName(QStringLiteral("fake")));
        engine->SetTime_ByteGap(0); // below 20: 20 ms byte gap, 30 ms answer wait
        requests.clear();
    }

    // Reply data for a request; empty optional = no answer.
    std::function<std::optional<QByteArray>(const TRequest&)> answer = [this](const TRequest& r) {
        return std::optional<QByteArray>(zeroReply(engine->Protokoll(), r.cmd));
    };
    quint8 hartResponseCode = 0;

    // The addressing of a detected transmitter, as the main window builds it.
    TTXRXInfo addressed()
    {
        THART_PAS_UniqueID id;
        id.FactoryID = 0x26;
        id.DeviceTypeID = 0x41;
        id.DeviceID = 0x123456;
        id.Preemables = 7;
        return device.BuildTTXRXInfo(id);
    }

    const TRequest& onlyRequest() const
    {
        EXPECT_EQ(requests.size(), 1u);
        static const TRequest none;
        return requests.empty() ? none : requests.back();
    }

    TFakeSerialPort* port = nullptr;
    std::unique_ptr<TCOMEngine> engine;
    TOstraDevice device;
    TRecordingFeedback feedback;
    std::vector<TRequest> requests;

private:
    void respond(TFakeSerialPort& p, const QByteArray& written)
    {
        const bool hart = engine->Protokoll() == prt_HART;
        const auto request = hart ? parseHartRequest(written) : parseFastRequest(written);
        if (!request) return;
        requests.push_back(*request);
        const auto data = answer(*request);
        if (!data) return;
        p.deliver(hart ? hartReply(written, *data, hartResponseCode) : fastReply(request->cmd, *data), 1);
    }
};

} // namespace quentry::test
