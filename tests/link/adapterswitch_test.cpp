// The adapter switch that follows an unanswered FAST request: late replies and stray bytes
// that arrive meanwhile must neither start a second switch nor leave the port in the
// adapter's settings, and the next command must work.
#include "adapters.h"
#include "enginefixture.h"
#include "testbytes.h"
#include "waiting.h"

using namespace quentry;
using namespace quentry::test;

namespace {

constexpr quint8 kTavixFastOk = 0x35, kIrDAOk = 0x30;

QByteArray adapterAnswer(quint8 result)
{
    QByteArray a = bytes("30 30");
    return withCrc(a.append(char(result)));
}

const QByteArray kMeasurementRequest = bytes("00 00 00 C0 71");

class AdapterSwitchTest : public EngineTest
{
protected:
    // The IrDA waits run at a tenth of their length: long enough that a byte can land in
    // each of them, short enough for a unit test. The USB adapter's are short anyway.
    void arrange(TAdapterType adapter, TIrDAAdapterType variant)
    {
        engine->SetAdapter(adapter);
        engine->IrDAAdapterType = variant;
        engine->IrDA().SetTimeScale(0.1);
        engine->SetAdapterDelayStep(2);
        open(prt_MODE3);
        quickTimes();
        engine->SetMaxRetrycount(0);
        fastSettings = port->Settings();
        okResult = adapter == adt_USB ? kTavixFastOk : kIrDAOk;
    }

    // FAST requests: the ones listed in lateMs are answered that much late (0: promptly);
    // later ones promptly. Mode commands: answered at once, then strayMs later one stray byte.
    void respond(std::vector<int> lateMs, int strayMs)
    {
        port->responder = [this, lateMs, strayMs](TFakeSerialPort& p, const QByteArray& w) {
            if (p.Settings().baudRate == 9600) {
                if (w.size() != 4) return; // the IrDA wake-up byte
                ++modeCommands;
                p.deliver(adapterAnswer(okResult), 1);
                if (strayMs > 0) p.deliver(bytes("A5"), strayMs);
                return;
            }
            if (w != kMeasurementRequest) return;
            const size_t n = size_t(fastRequests++);
            const int late = n < lateMs.size() ? lateMs[n] : 0;
            p.deliver(fastReply(0, 0, QByteArray(45, char(0x11))), late > 0 ? late : 2);
        };
    }

    int modeCommands = 0;
    int fastRequests = 0;
    quint8 okResult = 0;
    TSerialSettings fastSettings;
};

} // namespace

TEST_F(AdapterSwitchTest, LateReplyOrStrayByteNeverNestsTheSwitch)
{
    struct Case
    {
        const char* what;
        TAdapterType adapter;
        TIrDAAdapterType variant;
        int lateMs;  // reply to the first request (answer wait 255 ms)
        int strayMs; // a byte after each mode answer
    };
    const Case cases[] = {
        {"usb, late reply", adt_USB, iratype_RS232, 300, 0},
        {"usb, late reply and stray byte", adt_USB, iratype_RS232, 300, 1150},
        {"irda rs232, late reply in the wake-up wait", adt_IrDA, iratype_RS232, 300, 0},
        {"irda rs232, stray byte after the port came back", adt_IrDA, iratype_RS232, 0, 215},
        {"irda rs232, both", adt_IrDA, iratype_RS232, 330, 225},
        {"irda tambo, late reply", adt_IrDA, iratype_TAMBO, 300, 0},
        {"irda tambo, stray byte after the port came back", adt_IrDA, iratype_TAMBO, 0, 320},
    };
    for (const Case& c : cases) {
        SetUp();
        modeCommands = fastRequests = 0;
        arrange(c.adapter, c.variant);
        respond({c.lateMs > 0 ? c.lateMs : 100000}, c.strayMs);
        TTXRXInfo d;
        TFAST_RDMEAS meas{};
        engine->FAST_RDMEAS(d, meas);
        EXPECT_EQ(d.FrameError, FRERR_NOFRAME) << c.what; // unanswered in time, switch succeeded
        WaitFor(c.lateMs + c.strayMs + 50);                // let every late byte arrive
        EXPECT_EQ(modeCommands, 1) << c.what;
        EXPECT_EQ(feedback.opened.size(), 1) << c.what;
        EXPECT_EQ(port->Settings(), fastSettings) << c.what;
        EXPECT_EQ(engine->Phase(), TLinkPhase::Idle) << c.what;
        EXPECT_GE(countLog("ERR|"), 1) << c.what << ": the stray bytes are logged";

        meas = {};
        engine->FAST_RDMEAS(d, meas);
        EXPECT_EQ(d.FrameError, FRERR_OK) << c.what;
        EXPECT_EQ(meas.Currpercent, 0x11) << c.what;
        EXPECT_EQ(modeCommands, 1) << c.what;
    }
}

TEST_F(AdapterSwitchTest, SwitchRefusesToStartInsideItself)
{
    arrange(adt_IrDA, iratype_RS232);
    respond({}, 0);
    bool nested = true;
    // The wake-up byte is written from inside the switch: ask for a second one right there.
    auto answer = port->responder;
    port->responder = [&](TFakeSerialPort& p, const QByteArray& w) {
        if (w == bytes("57")) nested = engine->SendAdapterMode();
        answer(p, w);
    };
    EXPECT_TRUE(engine->SendAdapterMode());
    EXPECT_FALSE(nested);
    EXPECT_EQ(modeCommands, 1);
    EXPECT_TRUE(log.contains("ERR|Adapter mode switch already running; not started again."));
    EXPECT_EQ(port->Settings(), fastSettings);

    // Nor does a command start inside another one's wait.
    TTXRXInfo inner;
    bool ran = false;
    port->responder = [&](TFakeSerialPort& p, const QByteArray&) {
        if (ran) return;
        ran = true;
        TFAST_RDMEAS scratch{};
        engine->FAST_RDMEAS(inner, scratch);
        p.deliver(fastReply(0, 0, QByteArray(45, char(0x11))), 2);
    };
    TTXRXInfo d;
    TFAST_RDMEAS meas{};
    engine->FAST_RDMEAS(d, meas);
    EXPECT_EQ(d.FrameError, FRERR_OK);
    EXPECT_EQ(inner.FrameError, FERR_INTERFACE);
    EXPECT_TRUE(log.contains("ERROR|Command 0 refused: another command is outstanding."));
}

TEST_F(AdapterSwitchTest, HeartBeatRidesOutALinkThatDropsAndComesBack)
{
    arrange(adt_IrDA, iratype_RS232);
    // Beat 2 goes unanswered until its reply turns up 300 ms late; the others are answered.
    respond({0, 300}, 215);
    engine->SetHeartBeatActive(true);
    ASSERT_TRUE(WaitUntil([this] { return fastRequests >= 4; }, 6000));
    engine->SetHeartBeatActive(false);
    EXPECT_EQ(modeCommands, 1);
    EXPECT_EQ(port->Settings(), fastSettings);
    EXPECT_TRUE(feedback.errors.isEmpty());
    EXPECT_EQ(engine->RxCount(), 3u); // the beats around the drop
    EXPECT_EQ(engine->ErrorCount(), 0u);
}
