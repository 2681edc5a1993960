// The adapter mode commands: bytes, line sequences, answer checks, and SendAdapterMode's
// attempts, messages and cancel. Waits are scaled down; the sequences are not skipped.
#include "adapters.h"
#include "enginefixture.h"
#include "testbytes.h"

using namespace quentry;
using namespace quentry::test;

namespace {

using Kind = TFakeSerialPort::Kind;

// The answer of an adapter: two echo bytes, a result byte, CRC low byte first.
QByteArray adapterAnswer(quint8 result)
{
    QByteArray a = bytes("30 30");
    return withCrc(a.append(char(result)));
}

// Line changes and writes, in order, as short text: "DTR0 DTR1 W:30341467 ...".
QString sequence(const TFakeSerialPort& p)
{
    QStringList s;
    for (const auto& e : p.events()) {
        switch (e.kind) {
        case Kind::DTR: s << QString("DTR%1").arg(e.on); break;
        case Kind::RTS: s << QString("RTS%1").arg(e.on); break;
        case Kind::Write: s << "W:" + QString::fromLatin1(e.bytes.toHex().toUpper()); break;
        default: break;
        }
    }
    return s.join(' ');
}

class AdapterTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        engine->Tavix().SetTimeScale(0.02);
        engine->IrDA().SetTimeScale(0.02);
        engine->SetAdapterDelayStep(1);
    }
    // Answers each 4-byte mode command with the result the queue gives (none for 0).
    void answerWith(std::vector<int> results)
    {
        FResults = std::move(results);
        port->responder = [this](TFakeSerialPort& p, const QByteArray& w) {
            if (w.size() != 4 || p.Settings().baudRate != 9600) return;
            const int r = FResults.empty() ? 0 : FResults.front();
            if (!FResults.empty()) FResults.erase(FResults.begin());
            if (r > 0) p.deliver(adapterAnswer(quint8(r)), 1);
        };
    }

private:
    std::vector<int> FResults;
};

} // namespace

TEST_F(AdapterTest, ModeCommandBytes)
{
    open(prt_HART);
    answerWith({0x34});
    EXPECT_EQ(engine->Tavix().GotoMode1(*port), 0x34);
    EXPECT_EQ(port->writes().back().bytes, bytes("30 34 14 67"));
    EXPECT_EQ(port->writes().back().settings.baudRate, 9600);

    engine->IrDA().GotoMode3(*port);
    EXPECT_EQ(port->writes().back().bytes.right(4), bytes("30 30 15 A4"));
    engine->IrDA().GetStatus(*port);
    EXPECT_EQ(port->writes().back().bytes, bytes("00 00 01 B0"));
}

TEST_F(AdapterTest, TavixSequenceAndPortRestored)
{
    open(prt_HART);
    const TSerialSettings before = port->Settings();
    answerWith({0x34});
    EXPECT_EQ(engine->Tavix().GotoMode1(*port), 0x34);
    EXPECT_EQ(sequence(*port), QString("DTR0 DTR1 W:30341467 DTR0"));
    EXPECT_EQ(port->Settings(), before);
    // The engine's own handlers are back: a transaction still works.
    port->responder = nullptr;
    quickTimes();
    engine->SetMaxRetrycount(0);
    TTXRXInfo d = polled(0);
    THART_UniqueID id;
    engine->HART_RdUniqueID(d, id);
    EXPECT_EQ(d.FrameError, FRERR_NOFRAME);
}

TEST_F(AdapterTest, IrDASequences)
{
    open(prt_MODE3);
    answerWith({0x30, 0x30});
    engine->IrDA().IrDAAdapterType = iratype_RS232;
    EXPECT_EQ(engine->IrDA().GotoMode3(*port), 0x30);
    EXPECT_EQ(sequence(*port), QString("DTR0 RTS0 DTR1 W:57 W:303015A4 RTS0 RTS1 RTS0 RTS1"));

    port->clearEvents();
    engine->IrDA().IrDAAdapterType = iratype_TAMBO;
    EXPECT_EQ(engine->IrDA().GotoMode3(*port), 0x30);
    // Restored by reopening FAST: DTR and RTS held on for the IrDA link are driven by the
    // port itself; the sequence ends with DTR off.
    EXPECT_TRUE(sequence(*port).startsWith("DTR0 RTS1 RTS0 RTS1 W:57 W:303015A4 DTR1 W:83 W:11 DTR0"));
    EXPECT_TRUE(sequence(*port).endsWith("DTR0"));
    EXPECT_EQ(port->Settings().baudRate, 57600);
}

TEST_F(AdapterTest, AnswerChecks)
{
    open(prt_HART);
    // Late answer inside the 50 ms wait after sending still counts.
    port->responder = [](TFakeSerialPort& p, const QByteArray& w) {
        if (w.size() == 4) p.deliver(adapterAnswer(0x34), 0);
    };
    EXPECT_EQ(engine->Tavix().GotoMode1(*port), 0x34);
    // A garbled answer is no answer.
    port->responder = [](TFakeSerialPort& p, const QByteArray& w) {
        QByteArray a = adapterAnswer(0x34);
        a[2] = 0x35;
        if (w.size() == 4) p.deliver(a, 0);
    };
    EXPECT_EQ(engine->Tavix().GotoMode1(*port), TLinkAdapter::kNoAnswer);
    // A babbling adapter fills at most its buffer.
    port->responder = [](TFakeSerialPort& p, const QByteArray& w) {
        if (w.size() == 4) p.deliver(QByteArray(5000, char(0x30)), 0);
    };
    EXPECT_EQ(engine->Tavix().GotoMode1(*port), TLinkAdapter::kNoAnswer);
}

TEST_F(AdapterTest, TavixAnswerAfterTheCommandWentOutCounts)
{
    open(prt_HART);
    engine->Tavix().SetTimeScale(1.0); // real waits: the answer lands inside the 50 ms after sending
    port->responder = [](TFakeSerialPort& p, const QByteArray& w) {
        if (w.size() == 4) p.deliver(adapterAnswer(0x34), 20);
    };
    EXPECT_EQ(engine->Tavix().GotoMode1(*port), 0x34);
}

TEST_F(AdapterTest, SendAdapterModeAttempts)
{
    struct Case
    {
        const char* what;
        TAdapterType adapter;
        TProtokoll protocol;
        std::vector<int> answers;
        bool success;
        int modeCommands;
        int errors;
    };
    const Case cases[] = {
        {"modem needs no switch", adt_None, prt_HART, {}, true, 0, 0},
        {"tavix HART", adt_USB, prt_HART, {0x34}, true, 1, 0},
        {"tavix FAST", adt_USB, prt_MODE3, {0x35}, true, 1, 0},
        {"tavix wrong result: no retry", adt_USB, prt_MODE3, {0x34}, false, 1, 1},
        {"irda three silent then good", adt_IrDA, prt_MODE3, {0, 0, 0, 0x30}, true, 4, 0},
        {"irda silent four times", adt_IrDA, prt_HART, {0, 0, 0, 0}, false, 4, 1},
        {"modbus under an adapter", adt_USB, prt_MODBUS_RTU, {}, true, 0, 0},
    };
    for (const Case& c : cases) {
        SetUp();
        engine->SetAdapter(c.adapter);
        open(c.protocol == prt_MODBUS_RTU ? prt_HART : c.protocol);
        engine->SetProtokoll(c.protocol);
        answerWith(c.answers);
        EXPECT_EQ(engine->SendAdapterMode(), c.success) << c.what;
        int modeCommands = 0;
        for (const auto& w : port->writes()) modeCommands += w.bytes.size() == 4 ? 1 : 0;
        EXPECT_EQ(modeCommands, c.modeCommands) << c.what;
        EXPECT_EQ(feedback.errors.size(), c.errors) << c.what;
        if (!c.success) {
            EXPECT_EQ(engine->LastTXRXInfo().FrameError, FERR_ADAPTERABORT) << c.what;
        }
    }
    // The retry texts of the last IrDA run.
    SetUp();
    engine->SetAdapter(adt_IrDA);
    open(prt_MODE3);
    answerWith({0, 0, 0, 0x30});
    ASSERT_TRUE(engine->SendAdapterMode());
    ASSERT_EQ(feedback.opened.size(), 4);
    EXPECT_EQ(feedback.opened[0].text, QString("Accessing IrDA Adapter.\n\rSetting Com. Mode."));
    for (int i = 1; i <= 3; ++i)
        EXPECT_EQ(feedback.opened[i].text,
                  QString("Accessing IrDA Adapter.\n\rSetting Com. Mode FAILED! ... Retry: %1/3").arg(i));
    EXPECT_EQ(feedback.beeps, 3);
    EXPECT_EQ(feedback.openNow, 0);
}

TEST_F(AdapterTest, CancelDuringTheIrDAWait)
{
    engine->SetAdapter(adt_IrDA);
    open(prt_MODE3);
    engine->SetHeartBeatActive(true);
    engine->StopHBTimer(); // paused, as the window does around its own work
    ASSERT_TRUE(engine->HeartBeatActive());
    feedback.cancelAfterChecks(10);
    answerWith({0x30});
    EXPECT_FALSE(engine->SendAdapterMode());
    EXPECT_EQ(engine->LastTXRXInfo().FrameError, FERR_ADAPTERABORT);
    EXPECT_TRUE(feedback.errors.isEmpty());
    EXPECT_FALSE(engine->HeartBeatActive());
    int modeCommands = 0;
    for (const auto& w : port->writes()) modeCommands += w.bytes.size() == 4 && w.settings.baudRate == 9600;
    EXPECT_EQ(modeCommands, 0);
}
