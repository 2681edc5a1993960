// The transaction cycle of the link engine against a scripted port: timing, retries,
// error paths, log entries and the guards that keep records and waits safe.
#include "enginefixture.h"
#include "testbytes.h"
#include "waiting.h"

#include <cstring>

using namespace quentry;
using namespace quentry::test;

namespace {

// Reply to a short-frame command 0 at polling address 2 with a 16-byte identity (or
// without data).
QByteArray identityReply(quint8 address = 2, quint8 response = 0, quint8 status = 0, bool withData = true)
{
    QByteArray body = bytes("06");
    const char count = withData ? 18 : 2;
    body.append(char(0x80 | address)).append(char(0)).append(count).append(char(response)).append(char(status));
    if (withData) body.append(bytes("FE 26 41 05 05 01 02 03 00 12 34 56 05 06 01 00"));
    return hartReply(5, body);
}

} // namespace

TEST(EngineSettings, SetterLimits)
{
    TCOMEngine e(nullptr, std::make_unique<TFakeSerialPort>());
    EXPECT_EQ(e.MaxRetrycount(), 5);
    e.SetMaxRetrycount(10);
    EXPECT_EQ(e.MaxRetrycount(), 5);
    e.SetMaxRetrycount(0);
    EXPECT_EQ(e.MaxRetrycount(), 0);

    EXPECT_EQ(e.Time_ErrorWait(), 6000u);
    e.SetTime_ErrorWait(7000);
    EXPECT_EQ(e.Time_ErrorWait(), 5000u);

    e.SetTime_ByteGap(0);
    EXPECT_EQ(e.Time_ByteGap(), 20u);
    EXPECT_EQ(e.Time_WaitAnswer(), 30u);
    e.SetTime_ByteGap(10000);
    EXPECT_EQ(e.Time_ByteGap(), 5000u);
    EXPECT_EQ(e.Time_WaitAnswer(), 5010u);
    e.SetTime_ByteGap(200);
    e.SetTime_WaitAnswer(200); // not above the byte gap
    EXPECT_EQ(e.Time_WaitAnswer(), 5000u);
    e.SetTime_WaitAnswer(300);
    EXPECT_EQ(e.Time_WaitAnswer(), 300u);

    const struct { const char* name; quint16 port; } names[] = {
        {"COM3", 3}, {"COM12", 12}, {"COM123", 123}, {"COMx", 1}, {"COM", 1}, {"/dev/pts/7", 1}, {"ttyUSB0", 1}};
    for (const auto& n : names) {
        e.SetPortName(n.name);
        EXPECT_EQ(e.Port(), n.port) << n.name;
    }
    e.SetPort(7);
    EXPECT_EQ(e.PortName(), QString("COM7"));

    e.SetAdapter(7);
    EXPECT_EQ(e.Adapter(), adt_None);
    e.SetHeartBeatActive(true);
    EXPECT_FALSE(e.HeartBeatActive());
    e.SetAdapter(adt_USB);
    e.SetHeartBeatActive(true);
    EXPECT_FALSE(e.HeartBeatActive());
}

TEST(EngineSettings, OpeningAboveHundredLeavesThePortClosed)
{
    TCOMEngine e(nullptr, std::make_unique<TFakeSerialPort>());
    e.SetTime_ByteGap(300);
    EXPECT_TRUE(e.OpenHART(101));
    EXPECT_FALSE(e.Connected());
    EXPECT_EQ(e.Time_WaitAnswer(), 500u);
    EXPECT_EQ(e.Time_ErrorWait(), 6000u);
    EXPECT_EQ(e.Time_ByteGap(), 300u);
    EXPECT_TRUE(e.OpenFAST(101));
    EXPECT_FALSE(e.Connected());
    EXPECT_EQ(e.Time_WaitAnswer(), 250u);
    EXPECT_EQ(e.Time_ErrorWait(), 2000u);
}

TEST(EngineLog, QueueWhileNobodyListens)
{
    TCOMEngine e(nullptr, std::make_unique<TFakeSerialPort>());
    EXPECT_EQ(e.GetLogCount(), 1); // "Communication Core Class Created Successfully."
    QDateTime t;
    QString c, m;
    EXPECT_EQ(e.ReadComLog(t, c, m), 0);
    EXPECT_EQ(c, QString("SYS"));
    EXPECT_EQ(m, QString("Communication Core Class Created Successfully."));
    for (int i = 1; i <= 20; ++i) EXPECT_EQ(e.AddLog("SYS", QString::number(i)), i);
    EXPECT_EQ(e.AddLog("SYS", "21"), -1);
    EXPECT_EQ(e.LogErrorState(), log_FULL);
    EXPECT_EQ(e.ReadComLog(t, c, m), 19);
    EXPECT_EQ(m, QString("1"));
    EXPECT_EQ(e.LogErrorState(), log_IDLE);
    e.Log_Clear();
    m = "untouched";
    EXPECT_EQ(e.ReadComLog(t, c, m), -1);
    EXPECT_EQ(m, QString("untouched"));

    int seen = 0;
    e.OnComLogEvent = [&seen](TCOMEngine*, const QDateTime&, const QString&, const QString&) { ++seen; };
    for (int i = 0; i < 30; ++i) e.AddLog("SYS", "x");
    EXPECT_EQ(seen, 30);
    EXPECT_EQ(e.GetLogCount(), 0);
}

TEST_F(EngineTest, UnansweredRequestIsSentSixTimesWithGrowingWaits)
{
    open(prt_HART);
    port->setTxEmptyDelay(0); // measure the answer waits alone
    TTXRXInfo d = polled(2);
    THART_UniqueID id;
    engine->HART_RdUniqueID(d, id);

    EXPECT_EQ(d.FrameError, FRERR_NOFRAME);
    EXPECT_EQ(engine->TxCount(), 6u);
    EXPECT_EQ(engine->ErrorCount(), 0u);
    EXPECT_EQ(engine->RxCount(), 0u);
    const auto w = port->writes();
    ASSERT_EQ(w.size(), 6u);
    for (size_t i = 1; i < w.size(); ++i) {
        const qint64 wait = w[i].atMs - w[i - 1].atMs;
        EXPECT_NEAR(double(wait), 505.0 + 50.0 * double(i - 1), 30.0) << "wait before send " << i + 1;
        EXPECT_EQ(w[i].bytes, w[0].bytes);
    }
    EXPECT_NEAR(double(port->nowMs() - w[5].atMs), 755.0, 40.0);
    EXPECT_EQ(countLog("RETRY|Retry:"), 5);
    EXPECT_TRUE(log.contains("RETRY|Retry:1/5 Sending Command: 0 to Device:2"));
    EXPECT_TRUE(log.contains("ERR|Maximum retrycount reached! No frame detected!"));
    EXPECT_EQ(engine->ComState(), rxst_IDLE);
    const char zeros[16] = {};
    EXPECT_EQ(std::memcmp(&id, zeros, 16), 0);
}

TEST_F(EngineTest, RequestBytesLogAndCopiedReply)
{
    open(prt_HART);
    quickTimes();
    port->responder = [](TFakeSerialPort& p, const QByteArray&) { p.deliver(identityReply(), 5); };
    TTXRXInfo d = polled(2);
    THART_UniqueID id;
    engine->HART_RdUniqueID(d, id);

    ASSERT_EQ(d.FrameError, FRERR_OK);
    ASSERT_EQ(port->writes().size(), 1u);
    EXPECT_EQ(port->writes()[0].bytes, bytes("FF FF FF FF FF 02 82 00 00 80"));
    EXPECT_EQ(id.FactoryID, 0x26);
    EXPECT_EQ(id.DeviceID_HI, 0x12);
    EXPECT_EQ(id.DeviceFamilyCode, 0x00);
    EXPECT_EQ(engine->RxCount(), 1u);
    EXPECT_EQ(d.bcnt, 18);
    EXPECT_TRUE(log.contains("SEND|Sending Command: 0 to Device: 2"));
    EXPECT_TRUE(log.contains("STX|FF FF FF FF FF 02 82 00 00 80 "));
    EXPECT_TRUE(log.contains("ANALISYS|Processing command (T/R): 0/0, Response Code: OK."));
    EXPECT_EQ(countLog("ACK|FF FF FF FF FF 06 82 00 12 "), 1);
    EXPECT_EQ(engine->LastResponse().FirstByte, QString("Response Code: OK."));

    // Long frames name the 24-bit device number without a blank.
    TTXRXInfo l = longAddressed();
    THART_RdWrParam param{};
    engine->HART_RdParam(l, param);
    EXPECT_TRUE(log.contains(QString("SEND|Sending Command: 131 to Device:%1").arg(0x123456)));
}

TEST_F(EngineTest, ReplyInChunksIsEvaluatedOnceAfterTheLastChunk)
{
    open(prt_HART); // default byte gap 200 ms
    const QByteArray reply = identityReply();
    port->responder = [reply](TFakeSerialPort& p, const QByteArray&) {
        p.deliver(reply.left(7), 10);
        p.deliver(reply.mid(7, 10), 80);
        p.deliver(reply.mid(17), 150);
    };
    TTXRXInfo d = polled(2);
    THART_UniqueID id;
    QElapsedTimer t;
    t.start();
    engine->HART_RdUniqueID(d, id);
    EXPECT_EQ(d.FrameError, FRERR_OK);
    EXPECT_EQ(countLog("ACK|"), 1);
    EXPECT_EQ(engine->RxCount(), 1u);
    EXPECT_GE(t.elapsed(), 150 + 200 - 5);
    EXPECT_LT(t.elapsed(), 150 + 200 + 80);
}

TEST_F(EngineTest, ChecksumErrorIsCountedAndRetried)
{
    open(prt_HART);
    quickTimes();
    int sends = 0;
    port->responder = [&sends](TFakeSerialPort& p, const QByteArray&) {
        QByteArray r = identityReply();
        if (++sends == 1) r[r.size() - 1] = char(r[r.size() - 1] ^ 0x01);
        p.deliver(r, 2);
    };
    TTXRXInfo d = polled(2);
    THART_UniqueID id;
    engine->HART_RdUniqueID(d, id);
    EXPECT_EQ(d.FrameError, FRERR_OK);
    EXPECT_EQ(sends, 2);
    EXPECT_EQ(engine->ErrorCount(), 1u);
    EXPECT_TRUE(log.contains("ANALISYS|Received Frame Error! RESPONSE CODE: OK."));
    EXPECT_TRUE(log.contains("RETRY|Retry:1/5 Sending Command: 0 to Device:2"));
}

TEST_F(EngineTest, ErrorPathsByReply)
{
    struct Case
    {
        const char* what;
        QByteArray reply;
        TFrameError expected;
        int sends;
        quint32 errors;
        bool copied;
    };
    const Case cases[] = {
        {"other polling address", identityReply(3), FRERR_SADDR, 1, 0, false},
        {"write protect", identityReply(2, 7), FERR_HARTDEVICE, 1, 1, false},
        {"busy", identityReply(2, 32), FERR_HARTDEVICE, 1, 1, false},
        {"too few data bytes, with data: accepted", identityReply(2, 5), FRERR_OK, 1, 0, true},
        {"device-specific error, with data: accepted", identityReply(2, 6), FRERR_OK, 1, 0, true},
        // No data where the command defines some: an error, never zeros passed off as data.
        {"too few data bytes, alone", identityReply(2, 5, 0, false), FRERR_SIZE, 1, 1, false},
        {"device-specific error, alone", identityReply(2, 6, 0, false), FRERR_SIZE, 1, 1, false},
        // Bit 7: our request reached the transmitter garbled; a failed frame, sent again.
        {"communication error bit", identityReply(2, 0x88), FRERR_NOFRAME, 3, 3, false},
        {"garbage every time", bytes("01 02 03"), FRERR_NOFRAME, 3, 3, false},
    };
    for (const Case& c : cases) {
        SetUp();
        open(prt_HART);
        quickTimes();
        engine->SetMaxRetrycount(2);
        int sends = 0;
        port->responder = [&](TFakeSerialPort& p, const QByteArray&) {
            ++sends;
            p.deliver(c.reply, 2);
        };
        TTXRXInfo d = polled(2);
        THART_UniqueID id;
        engine->HART_RdUniqueID(d, id);
        EXPECT_EQ(d.FrameError, c.expected) << c.what;
        EXPECT_EQ(sends, c.sends) << c.what;
        EXPECT_EQ(engine->ErrorCount(), c.errors) << c.what;
        EXPECT_EQ(id.FactoryID == 0x26, c.copied) << c.what;
    }
    // The log entry of a refused command.
    SetUp();
    open(prt_HART);
    quickTimes();
    port->responder = [](TFakeSerialPort& p, const QByteArray&) { p.deliver(identityReply(2, 7), 2); };
    TTXRXInfo d = polled(2);
    THART_UniqueID id;
    engine->HART_RdUniqueID(d, id);
    EXPECT_TRUE(log.contains("FAILURE|Device Error: Response Code: IN WRITE-PROTECT MODE."));
    EXPECT_EQ(engine->ComState(), rxst_IDLE);
}

TEST_F(EngineTest, GarbledRequestReplyIsRetriedThenTheGoodReplyCounts)
{
    open(prt_HART);
    quickTimes();
    int sends = 0;
    port->responder = [&sends](TFakeSerialPort& p, const QByteArray&) {
        p.deliver(++sends == 1 ? identityReply(2, 0x88, 0, false) : identityReply(), 2);
    };
    TTXRXInfo d = polled(2);
    THART_UniqueID id;
    engine->HART_RdUniqueID(d, id);
    EXPECT_EQ(d.FrameError, FRERR_OK);
    EXPECT_EQ(sends, 2);
    EXPECT_EQ(id.FactoryID, 0x26);
    EXPECT_TRUE(log.contains("ANALISYS|Received Frame Error! COM. ERRORS:[CHK ERR] "));
    EXPECT_TRUE(log.contains("RETRY|Retry:1/5 Sending Command: 0 to Device:2"));
}

TEST_F(EngineTest, DatalessReplyToAParameterReadIsAnError)
{
    open(prt_HART);
    quickTimes();
    // Command 131 answered with response code 5 and no data.
    port->responder = [](TFakeSerialPort& p, const QByteArray&) {
        p.deliver(hartReply(5, bytes("06 82 83 02 05 00")), 2);
    };
    TTXRXInfo d = polled(2);
    THART_RdWrParam param;
    std::memset(&param, 0x55, sizeof param);
    param.pnum = 34;
    engine->HART_RdParam(d, param);
    EXPECT_EQ(d.FrameError, FRERR_SIZE);
    EXPECT_EQ(param.dim, 0x55) << "nothing copied";
    EXPECT_EQ(engine->RxCount(), 0u);
    EXPECT_EQ(engine->ErrorCount(), 1u);
    EXPECT_TRUE(log.contains("ERR|Reply to command 131 carries 0 data byte(s) of 11; "
                             "Response Code: TOO FEW DATA BYTES RECEIVED."));
    EXPECT_EQ(engine->ComState(), rxst_IDLE);
}

TEST_F(EngineTest, ReplyForAnotherCommandCopiesNothing)
{
    open(prt_HART);
    quickTimes();
    engine->SetMaxRetrycount(1);
    // A parameter reply (command 131) arriving for an identity request (command 0).
    QByteArray body = bytes("06 82 83 0D 00 00");
    body.append(QByteArray(11, char(0x5A)));
    port->responder = [body](TFakeSerialPort& p, const QByteArray&) { p.deliver(hartReply(5, body), 2); };
    TTXRXInfo d = polled(2);
    THART_UniqueID id;
    engine->HART_RdUniqueID(d, id);
    EXPECT_EQ(d.FrameError, FRERR_NOFRAME);
    EXPECT_EQ(id.Expansion, 0);
    EXPECT_EQ(engine->RxCount(), 0u);
}

TEST_F(EngineTest, ClosedPortReportsAnInterfaceError)
{
    engine->SetProtokoll(prt_HART);
    TTXRXInfo d = polled(2);
    THART_RdWrParam p{};
    p.pnum = 34;
    QElapsedTimer t;
    t.start();
    engine->HART_RdParam(d, p);
    EXPECT_LT(t.elapsed(), 50);
    EXPECT_EQ(d.FrameError, FERR_INTERFACE);
    EXPECT_EQ(engine->LastTXRXInfo().FrameError, FERR_INTERFACE);
    EXPECT_TRUE(log.contains("ERROR|No open port"));
    EXPECT_TRUE(port->writes().empty());
    EXPECT_EQ(p.pnum, 34);

    // A protocol the engine does not frame: nothing sent, not a success either.
    ASSERT_TRUE(engine->OpenComByName("fake"));
    engine->SetProtokoll(prt_MODBUS_RTU);
    engine->HART_RdParam(d, p);
    EXPECT_EQ(d.FrameError, FERR_INTERFACE);
    EXPECT_TRUE(port->writes().empty());
}

TEST_F(EngineTest, BytesOutsideATransactionAreDropped)
{
    open(prt_HART);
    quickTimes();
    port->responder = [](TFakeSerialPort& p, const QByteArray&) {
        p.deliver(identityReply(), 2);
        p.deliver(identityReply(), 150); // a second, late copy after the command returned
    };
    TTXRXInfo d = polled(2);
    THART_UniqueID id;
    engine->HART_RdUniqueID(d, id);
    ASSERT_EQ(d.FrameError, FRERR_OK);
    std::memset(&id, 0, sizeof id);
    WaitFor(250);
    EXPECT_EQ(id.FactoryID, 0) << "late bytes landed in a record whose command had returned";
    EXPECT_EQ(countLog("ERR|"), 1);
    EXPECT_EQ(engine->RxCount(), 1u);
}

TEST_F(EngineTest, PortFaultsEndTheTransactionInsteadOfHanging)
{
    struct Case
    {
        const char* what;
        std::function<void(TFakeSerialPort&)> arrange;
        qint64 boundMs;
    };
    const Case cases[] = {
        {"write refused", [](TFakeSerialPort& p) { p.setFailWrite(true); }, 100},
        {"output never drains", [](TFakeSerialPort& p) { p.setTxEmptyDelay(-1); }, 3200},
        {"cable pulled after the request",
         [](TFakeSerialPort& p) {
             p.responder = [](TFakeSerialPort& q, const QByteArray&) {
                 QTimer::singleShot(20, &q, [&q] { q.unplug(); });
             };
         },
         200},
    };
    for (const Case& c : cases) {
        SetUp();
        open(prt_HART);
        c.arrange(*port);
        TTXRXInfo d = polled(2);
        THART_UniqueID id;
        QElapsedTimer t;
        t.start();
        engine->HART_RdUniqueID(d, id);
        EXPECT_EQ(d.FrameError, FERR_INTERFACE) << c.what;
        EXPECT_LT(t.elapsed(), c.boundMs) << c.what;
    }
    EXPECT_TRUE(log.contains("ERROR|IO Error detected!"));
    EXPECT_TRUE(log.contains("SYS|fake closed."));
}

TEST_F(EngineTest, EndlessBabbleIsBoundedAndNeverOverrunsTheBuffer)
{
    open(prt_HART);
    quickTimes();
    engine->SetMaxRetrycount(0);
    port->responder = [](TFakeSerialPort& p, const QByteArray&) {
        for (int i = 0; i < 40; ++i) p.deliver(QByteArray(4096, char(0x55)), 5 + i); // 160 KiB
    };
    TTXRXInfo d = polled(2);
    THART_UniqueID id;
    engine->HART_RdUniqueID(d, id);
    EXPECT_EQ(d.FrameError, FRERR_NOFRAME);
    EXPECT_EQ(engine->ErrorCount(), 1u);
}

TEST_F(EngineTest, PortOpenFailureIsReported)
{
    port->setFailOpen(true, TPortOpenFailure::Permission, "Permission denied");
    engine->SetProtokoll(prt_HART);
    EXPECT_FALSE(engine->OpenComByName("/dev/ttyUSB0"));
    EXPECT_FALSE(engine->Connected());
    EXPECT_EQ(PortOpenFailureText(*engine), "/dev/ttyUSB0 may not be opened by this user: add yourself to the "
                                            "dialout group (sudo adduser $USER dialout) and log in again");
    EXPECT_TRUE(log.contains("ERROR|" + PortOpenFailureText(*engine))) << "the log says the same";
}

TEST_F(EngineTest, OpenAndCloseLogAndLines)
{
    engine->SetProtokoll(prt_HART);
    std::vector<TComState> states;
    engine->OnComStateChangedEvent = [&states](TCOMEngine*, TComState s) { states.push_back(s); };
    ASSERT_TRUE(engine->OpenComByName("fake"));
    EXPECT_TRUE(log.contains("SYS|fake is open."));
    EXPECT_EQ(port->Settings().baudRate, 1200);
    EXPECT_EQ(port->Settings().parity, TParity::Odd);
    bool dtrRaised = false;
    for (const auto& e : port->events()) dtrRaised |= e.kind == TFakeSerialPort::Kind::DTR && e.on;
    EXPECT_TRUE(dtrRaised);
    EXPECT_EQ(states.back(), rxst_IDLE);
    engine->CloseCom();
    EXPECT_TRUE(log.contains("SYS|fake closed."));
    EXPECT_FALSE(engine->Connected());

    log.clear();
    ASSERT_TRUE(engine->OpenComByName("fake"));
    engine->CloseCom(true);
    EXPECT_FALSE(log.contains("SYS|fake closed."));

    engine->SetProtokoll(prt_MODE3);
    engine->SetAdapter(adt_IrDA);
    ASSERT_TRUE(engine->OpenComByName("fake"));
    EXPECT_EQ(port->Settings().baudRate, 57600);
    EXPECT_EQ(port->Settings().parity, TParity::None);
    EXPECT_EQ(port->Settings().dtrControl, TLineControl::Enabled);
    EXPECT_EQ(port->Settings().rtsControl, TLineControl::Enabled);
}

TEST_F(EngineTest, LineErrorsAreLoggedInOrder)
{
    open(prt_HART);
    port->Handlers().error(le_TxFull | le_Framing | le_IO);
    const QStringList expected = {"ERROR|Frame Error detected!", "ERROR|IO Error detected!",
                                  "ERROR|Transmitt Buffer Full!"};
    EXPECT_EQ(log, expected);
}

TEST(LineCounters, TheErrorsAreTheCountersThatGrew)
{
    const TLineCounters before{3, 1, 0, 2, 0};
    struct Case { TLineCounters after; TLineErrors expected; };
    const Case cases[] = {
        {{3, 1, 0, 2, 0}, 0},
        {{4, 1, 0, 2, 0}, le_Framing},
        {{3, 2, 0, 2, 0}, le_Parity},
        {{3, 1, 1, 3, 1}, TLineErrors(le_Overrun | le_Break | le_RxOverrun)},
        {{0, 0, 0, 0, 0}, 0}, // reset by the driver: says nothing
    };
    for (const Case& c : cases) EXPECT_EQ(LineErrorsBetween(before, c.after), c.expected);
}
