// FAST transactions: request bytes, reply checks and log entries, the copy sizes, and the
// adapter mode re-sent after a request went unanswered.
#include "adapters.h"
#include "enginefixture.h"
#include "testbytes.h"
#include "waiting.h"

#include <cstring>

using namespace quentry;
using namespace quentry::test;

TEST_F(EngineTest, FastMeasurementRequestAndPageReply)
{
    open(prt_MODE3);
    quickTimes();
    port->responder = [](TFakeSerialPort& p, const QByteArray& w) {
        if (quint8(w[0]) == 0) p.deliver(fastReply(0x80, 0x00, QByteArray(45, char(0x11))), 2);
        if (quint8(w[0]) == 106) {
            QByteArray data = bytes("0000 0000 0102"); // es, then the page delivered
            for (int i = 0; i < 264; ++i) data.append(char(i));
            p.deliver(fastReply(106, 0x03, data), 2);
        }
    };
    TTXRXInfo d;
    TFAST_RDMEAS meas{};
    engine->FAST_RDMEAS(d, meas);
    ASSERT_EQ(d.FrameError, FRERR_OK);
    EXPECT_EQ(port->writes()[0].bytes, bytes("00 00 00 C0 71"));
    EXPECT_EQ(meas.Currpercent, 0x11);
    EXPECT_EQ(d.cmd, 0);
    EXPECT_TRUE(log.contains("SEND|Sending Command: 0"));
    EXPECT_TRUE(log.contains("ANALISYS|Processing command (T/R): 0/0 -- Size (H/R): 46/46"));

    TFAST_LOG_RdPage page{};
    page.wrpageindex[0] = 0x01;
    page.wrpageindex[1] = 0x02;
    engine->FAST_LOG_RdPage(d, page);
    ASSERT_EQ(d.FrameError, FRERR_OK);
    EXPECT_EQ(port->writes()[1].bytes.left(5), bytes("6A 00 02 01 02"));
    EXPECT_EQ(d.ApiError, 3);
    EXPECT_EQ(page.wrpageindex[1], 0x02); // the request field is not overwritten
    EXPECT_EQ(page.rdpageindex[1], 0x02);
    EXPECT_EQ(page.rows[5].chk, 263 & 0xFF);
    EXPECT_TRUE(log.contains("ANALISYS|Processing command (T/R): 106/106 -- Size (H/R): 271/271"));
}

TEST_F(EngineTest, FastBadRepliesAreCountedAndRetried)
{
    open(prt_MODE3);
    quickTimes();
    // 50 bytes with a valid CRC whose length field says 46.
    const QByteArray sizeMismatch = withCrc(bytes("03 00 2E 00") + QByteArray(44, char(0x22)));
    QByteArray crcHighFirst = fastReply(3, 0, QByteArray(11, char(0x01)));
    std::swap(crcHighFirst[crcHighFirst.size() - 1], crcHighFirst[crcHighFirst.size() - 2]);
    int sends = 0;
    port->responder = [&](TFakeSerialPort& p, const QByteArray&) {
        ++sends;
        if (sends == 1) p.deliver(sizeMismatch, 2);
        else if (sends == 2) p.deliver(crcHighFirst, 2);
        else p.deliver(fastReply(3, 0, bytes("00000000 22 00 2D 3FC00000")), 2);
    };
    TTXRXInfo d;
    THART_RdWrParam param{};
    param.pnum = 34;
    engine->FAST_RDPTAB(d, param);
    ASSERT_EQ(d.FrameError, FRERR_OK);
    EXPECT_EQ(sends, 3);
    EXPECT_EQ(engine->ErrorCount(), 2u);
    EXPECT_TRUE(log.contains("FERR|INVALID SIZE -- Size (H/R): 46/45"));
    EXPECT_EQ(countLog("FERR|CHKSUM ERROR -- Size (H/R): "), 1);
    EXPECT_EQ(param.dim, 0x2D);
    EXPECT_EQ(param.value[0], 0x3F);
    EXPECT_EQ(countLog("ACK|[03 00 2E] [00] 22 22"), 1);
}

TEST_F(EngineTest, FastUnansweredWithoutAdapterEndsWithNoFrame)
{
    open(prt_MODE3);
    quickTimes();
    engine->SetMaxRetrycount(1);
    TTXRXInfo d;
    TFAST_RDMEAS meas{};
    std::memset(&meas, 0x77, sizeof meas);
    engine->FAST_RDMEAS(d, meas);
    EXPECT_EQ(d.FrameError, FRERR_NOFRAME);
    EXPECT_EQ(engine->TxCount(), 2u);
    EXPECT_EQ(meas.PVunitcode, 0x77) << "FAST records are not cleared";
    EXPECT_EQ(engine->ComState(), rxst_IDLE);
}

TEST_F(EngineTest, FastUnansweredWithSilentAdapterAborts)
{
    engine->SetAdapter(adt_USB);
    engine->Tavix().SetTimeScale(0.01);
    open(prt_MODE3);
    quickTimes();
    engine->SetMaxRetrycount(0);
    TTXRXInfo d;
    TFAST_RDMEAS meas{};
    engine->FAST_RDMEAS(d, meas);
    EXPECT_EQ(d.FrameError, FERR_ADAPTERABORT);
    EXPECT_EQ(engine->ErrorCount(), 1u);
    EXPECT_TRUE(log.contains("FERR|COM. ADAPTER ERROR AND ABORT"));
    ASSERT_EQ(feedback.errors.size(), 1);
    EXPECT_EQ(feedback.errors[0], QString("Com. Adapter not responding.\n\rAborting!\n\rPlease try again!"));
    // Four mode commands at 9600 baud after the one FAST request, then the port is FAST again.
    int modeCommands = 0;
    for (const auto& w : port->writes()) modeCommands += w.settings.baudRate == 9600 ? 1 : 0;
    EXPECT_EQ(modeCommands, 4);
    EXPECT_EQ(port->Settings().baudRate, 57600);
}

TEST(EngineCopySizes, EveryCommandFitsItsRecord)
{
    // Each command's copy is bounded by the record part it points at; these are the sizes
    // the replies define.
    struct Case { quint8 cmd; int hart; int fast; };
    const Case cases[] = {{0, 16, 45}, {3, 24, 11}, {106, -1, 270}, {164, 49, -1}, {103, -1, 49},
                          {170, 0, -1}, {171, 0, -1}, {200, -1, -1}, {12, 24, 4}};
    for (const Case& c : cases) {
        EXPECT_EQ(TCOMEngine::HartReplyDataSize(c.cmd), c.hart) << int(c.cmd);
        EXPECT_EQ(TCOMEngine::FastReplyDataSize(c.cmd), c.fast) << int(c.cmd);
    }
}

TEST_F(EngineTest, HeartBeatPollsTheIrDALinkOnceASecond)
{
    engine->SetAdapter(adt_IrDA);
    open(prt_MODE3);
    quickTimes();
    port->responder = [](TFakeSerialPort& p, const QByteArray& w) {
        if (w == bytes("00 00 00 C0 71")) p.deliver(fastReply(0, 0, QByteArray(45, char(0))), 2);
    };
    engine->SetHeartBeatActive(true);
    ASSERT_TRUE(engine->HeartBeatActive());
    WaitFor(2150);
    engine->SetHeartBeatActive(false);
    const auto w = port->writes();
    ASSERT_EQ(w.size(), 3u); // at once, then a period after each beat
    EXPECT_NEAR(double(w[1].atMs - w[0].atMs), 1010.0, 40.0);
    EXPECT_NEAR(double(w[2].atMs - w[1].atMs), 1010.0, 40.0);
    WaitFor(1100);
    EXPECT_EQ(port->writes().size(), 3u) << "switched off";
}

TEST_F(EngineTest, ReplyWithoutItsDataIsASizeErrorAndCopiesNothing)
{
    open(prt_MODE3);
    quickTimes();
    port->responder = [](TFakeSerialPort& p, const QByteArray&) { p.deliver(fastReply(3, 0x07, {}), 2); };
    TTXRXInfo d;
    THART_RdWrParam param;
    std::memset(&param, 0x55, sizeof param);
    engine->FAST_RDPTAB(d, param);
    EXPECT_EQ(d.FrameError, FRERR_SIZE);
    EXPECT_EQ(d.ApiError, 7);
    EXPECT_EQ(engine->TxCount(), 1u) << "a whole frame: not sent again";
    EXPECT_EQ(engine->ErrorCount(), 1u);
    EXPECT_TRUE(log.contains("FERR|INVALID SIZE -- Size (H/R): 1/1 -- command 3 needs 11 data byte(s)"));
    const QByteArray untouched(sizeof param, char(0x55));
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(&param), sizeof param), untouched);
}
