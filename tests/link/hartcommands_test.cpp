// Request data of the HART commands and where their reply data land.
#include "enginefixture.h"
#include "testbytes.h"
#include "wire/wireconv.h"

#include <cstring>

using namespace quentry;
using namespace quentry::test;

namespace {

// Answers every request with the same address and command and `count` data bytes
// 0xA0, 0xA1, ...; remembers the request data.
struct EchoDevice
{
    QByteArray lastData;
    quint8 lastDelimiter = 0;
    int count = -1; // -1: as many bytes as the command's reply defines
    quint8 response = 0;

    void operator()(TFakeSerialPort& p, const QByteArray& w)
    {
        int i = 0;
        while (i < w.size() && quint8(w[i]) == 0xFF) ++i;
        lastDelimiter = quint8(w[i]);
        const int addressLength = (lastDelimiter & 0x80) ? 5 : 1;
        const QByteArray address = w.mid(i + 1, addressLength);
        const quint8 cmd = quint8(w[i + 1 + addressLength]);
        const int n = quint8(w[i + 2 + addressLength]);
        lastData = w.mid(i + 3 + addressLength, n);
        const int replyCount = count >= 0 ? count : qMax(0, TCOMEngine::HartReplyDataSize(cmd));
        QByteArray body;
        body.append(char((lastDelimiter & 0x80) | 0x06)).append(address).append(char(cmd));
        body.append(char(replyCount + 2)).append(char(response)).append(char(0));
        for (int k = 0; k < replyCount; ++k) body.append(char(0xA0 + k));
        p.deliver(hartReply(5, body), 2);
    }
};

class HartCommandTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        open(prt_HART);
        quickTimes();
        port->responder = [this](TFakeSerialPort& p, const QByteArray& w) { device(p, w); };
    }
    EchoDevice device;
    TTXRXInfo d = longAddressed();
};

} // namespace

TEST_F(HartCommandTest, RequestDataAndReplyPlacement)
{
    THART_EnterExit ee{};
    ee.upsw[0] = 0x5C;
    ee.upsw[1] = 0x3A;
    ee.mode = 1;
    engine->HART_EnterExit(d, ee);
    ASSERT_EQ(d.FrameError, FRERR_OK);
    EXPECT_EQ(device.lastData, bytes("5C 3A 01 00 00 00 00"));
    EXPECT_EQ(QByteArray(reinterpret_cast<char*>(&ee), 7), bytes("5C 3A 01 A0 A1 A2 A3"));

    THART_LOG_Seek seek{};
    seek.Whence = 2;
    seek.Offset[0] = seek.Offset[1] = 0xFF;
    engine->HART_LOG_Seek(d, seek);
    EXPECT_EQ(device.lastData, bytes("02 FF FF"));
    EXPECT_EQ(QByteArray(reinterpret_cast<char*>(&seek), 12), bytes("02 FF FF A0 A1 A2 A3 A4 A5 A6 A7 A8"));

    THART_LOG_RdRecord rec{};
    rec.mode = 1;
    engine->HART_LOG_RdRecord(d, rec);
    EXPECT_EQ(device.lastData, bytes("01"));
    EXPECT_EQ(rec.mode, 1);
    EXPECT_EQ(rec.lstat.status, 0xA0);
    EXPECT_EQ(rec.row.chk, 0xA0 + 48);

    THART_ClrTOT2 tot{};
    tot.fpsw[0] = 0x12;
    tot.fpsw[1] = 0x34;
    engine->HART_ClrTOT2(d, tot);
    EXPECT_EQ(device.lastData, bytes("12 34"));
    EXPECT_EQ(tot.fpsw[0], 0x12);
    EXPECT_EQ(tot.es.error[0], 0xA0);
    EXPECT_EQ(tot.TOT2[3], 0xA0 + 12);

    THART_WrHWID hw{};
    hw.fpsw[0] = 1;
    hw.hwid[0] = 2;
    hw.upsw[0] = 3;
    engine->HART_WrHWID(d, hw);
    EXPECT_EQ(device.lastData, bytes("01 00 02 00 03 00"));
    EXPECT_EQ(hw.es.error[0], 0) << "170 copies nothing";

    quint8 poll = 5;
    engine->HART_WrPollingAddress(d, poll);
    EXPECT_EQ(device.lastData, bytes("05"));
    EXPECT_EQ(poll, 0xA0);
}

TEST_F(HartCommandTest, TagIdentificationGoesToTheZeroLongAddress)
{
    THART_UniqueID id;
    TTXRXInfo t = polled(0);
    engine->HART_RdUniqueIDWithTag(t, "ABCDEFGHIJ", id);
    EXPECT_EQ(device.lastDelimiter, 0x82);
    EXPECT_TRUE(t.IsLongAddress);
    EXPECT_EQ(t.FactoryID | t.DeviceTypeID | t.DeviceID_HI | t.DeviceID_MID | t.DeviceID_LO, 0);
    quint8 packed[6];
    PackASCII("ABCDEFGH", packed, 6);
    EXPECT_EQ(device.lastData, QByteArray(reinterpret_cast<char*>(packed), 6));

    engine->HART_RdUniqueIDWithTag(t, "AB", id); // a short tag still sends six bytes
    EXPECT_EQ(device.lastData, bytes("00 00 00 00 00 00"));
}

TEST_F(HartCommandTest, LongerRepliesNeverOverrunTheRecord)
{
    device.count = 60; // far more than command 131 defines
    struct Guarded
    {
        THART_RdWrParam param;
        quint8 guard[16];
    } g;
    std::memset(&g, 0x33, sizeof g);
    engine->HART_RdParam(d, g.param);
    ASSERT_EQ(d.FrameError, FRERR_OK);
    EXPECT_EQ(g.param.value[3], 0xA0 + 10);
    for (quint8 b : g.guard) EXPECT_EQ(b, 0x33);
}

TEST_F(HartCommandTest, FailedCommandsLeaveZerosOrTheRecordAsItWas)
{
    device.response = 7; // refused: nothing is copied
    THART_RdDeviceVarsExt ext;
    std::memset(&ext, 0x55, sizeof ext);
    engine->HART_RdDeviceVarsEXT(d, ext);
    EXPECT_EQ(d.FrameError, FERR_HARTDEVICE);
    const quint8 zeros[45] = {};
    EXPECT_EQ(std::memcmp(&ext, zeros, sizeof ext), 0);

    THART_RdWrParam param;
    std::memset(&param, 0x55, sizeof param);
    engine->HART_RdParam(d, param);
    EXPECT_EQ(param.value[0], 0x55);

    EXPECT_EQ(engine->HART_RdMessage(d), QString());
    device.response = 0;
    EXPECT_EQ(engine->HART_RdMessage(d).size(), 32);
}
