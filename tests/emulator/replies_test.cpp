// Replies of the virtual transmitter, byte for byte, against frames written out by hand.
#include "handvectors.h"
#include "transmitterlogic.h"

#include <gtest/gtest.h>

using namespace quentry::emulator;
using quentry::test::hexBytes;

namespace {

const TLineSettings kHart{true, 1200, 8, 'N', 1};
const TLineSettings kFast{true, 57600, 8, 'N', 1};
const TLineSettings kAdapter{true, 9600, 8, 'N', 1};

QByteArray ask(TTransmitterLogic& t, const QByteArray& request, const TLineSettings& line)
{
    const auto actions = t.receive(reinterpret_cast<const quint8*>(request.constData()), int(request.size()), line);
    QByteArray out;
    for (const TLineAction& a : actions) out += a.bytes;
    return out;
}

std::string hexOf(const QByteArray& b) { return b.toHex(' ').toUpper().toStdString(); }

// Three hand-made rows in a one-page logger; fixed measured values.
TEmulatorConfig handConfig()
{
    TEmulatorConfig c;
    c.pages = 1;
    for (const auto& r : quentry::test::presetRows<TLogRowBytes>()) c.presetRows.push_back(r);
    c.fixedLive = TLiveValues{};
    return c;
}

const char* const kReadParam35 = "FF FF FF FF FF 82 A0 51 01 23 45 83 01 23 B5";
const char* const kEnterRemote = "FF FF FF FF FF 82 A0 51 01 23 45 82 07 5C 3A 01 00 00 00 00 F6";
const char* const kWriteParam34 = "FF FF FF FF FF 82 A0 51 01 23 45 84 05 22 45 04 10 00 E6";

} // namespace

TEST(HartReplies, IdentificationAnswersOnlyItsPollingAddress)
{
    TEmulatorConfig c;
    c.pollingAddress = 2;
    TTransmitterLogic t(c);
    EXPECT_EQ(hexOf(ask(t, hexBytes("FF FF FF FF FF 02 80 00 00 82"), kHart)), std::string());
    EXPECT_EQ(hexOf(ask(t, hexBytes("FF FF FF FF FF 02 82 00 00 80"), kHart)),
              "FF FF FF FF FF 06 82 00 12 00 00 FE 60 51 05 05 01 0C 03 00 01 23 45 00 00 00 00 30");
    EXPECT_EQ(t.stats().hartCount(0, 0), 1);
    EXPECT_EQ(t.stats().hartCount(0, 2), 1);
    EXPECT_EQ(t.stats().notForUs, 1);
}

TEST(HartReplies, IdentificationByTagAtTheBroadcastAddress)
{
    TTransmitterLogic t(TEmulatorConfig{});
    // Tag "LT-101": only the transmitter with that tag answers, from the address it was asked at.
    EXPECT_EQ(hexOf(ask(t, hexBytes("FF FF FF FF FF 82 80 00 00 00 00 0B 06 31 4B 71 C3 18 20 FF"), kHart)),
              "FF FF FF FF FF 86 80 00 00 00 00 0B 12 00 00 FE 60 51 05 05 01 0C 03 00 01 23 45 00 00 00 00 B9");
    // Another tag ("LT-102"): silence.
    EXPECT_EQ(hexOf(ask(t, hexBytes("FF FF FF FF FF 82 80 00 00 00 00 0B 06 31 4B 71 C3 28 20 CF"), kHart)),
              std::string());
}

TEST(HartReplies, LongFrameParameterAndRemoteProgramming)
{
    TTransmitterLogic t(handConfig());
    EXPECT_EQ(hexOf(ask(t, hexBytes(kReadParam35), kHart)),
              "FF FF FF FF FF 86 A0 51 01 23 45 83 0D 00 00 00 00 40 05 23 00 33 43 96 00 00 1E");
    // Outside remote programming a write is refused as write protected.
    EXPECT_EQ(hexOf(ask(t, hexBytes(kWriteParam34), kHart)), "FF FF FF FF FF 86 A0 51 01 23 45 84 02 07 00 91");
    EXPECT_EQ(hexOf(ask(t, hexBytes(kEnterRemote), kHart)),
              "FF FF FF FF FF 86 A0 51 01 23 45 82 06 00 00 00 00 40 15 C1");
    // The write is answered with the stored value; the device status now reports the change.
    EXPECT_EQ(hexOf(ask(t, hexBytes(kWriteParam34), kHart)),
              "FF FF FF FF FF 86 A0 51 01 23 45 84 0D 00 40 00 00 40 15 22 00 00 45 04 10 00 FF");
    EXPECT_EQ(t.model().parameter(34).value, 2113.0f);
}

TEST(HartReplies, WrongRemoteCodeIsRefused)
{
    TTransmitterLogic t(handConfig());
    // Code 23611 instead of 23610.
    QByteArray request = hexBytes("FF FF FF FF FF 82 A0 51 01 23 45 82 07 5C 3B 01 00 00 00 00 F7");
    const QByteArray reply = ask(t, request, kHart);
    ASSERT_EQ(reply.size(), 16);
    EXPECT_EQ(quint8(reply[13]), 16); // access restricted
    EXPECT_FALSE(t.model().remote());
}

TEST(HartReplies, RecordReadOfTheFirstRow)
{
    TTransmitterLogic t(handConfig());
    ask(t, hexBytes("FF FF FF FF FF 82 A0 51 01 23 45 A0 01 01 B4"), kHart);          // open
    ask(t, hexBytes("FF FF FF FF FF 82 A0 51 01 23 45 A3 03 00 00 00 B4"), kHart);    // seek 0, 0
    EXPECT_EQ(hexOf(ask(t, hexBytes("FF FF FF FF FF 82 A0 51 01 23 45 A4 01 00 B1"), kHart)),
              std::string("FF FF FF FF FF 86 A0 51 01 23 45 A4 33 00 00 40 00 03 00 00 ") +
                  quentry::test::kRecordRows[0] + " B9");
}

TEST(FastReplies, ParameterLayoutDataAndPage)
{
    TEmulatorConfig c = handConfig();
    c.protocol = TEmuProtocol::Fast;
    TTransmitterLogic t(c);
    EXPECT_EQ(hexOf(ask(t, hexBytes("03 00 01 62 19 80"), kFast)), "03 00 0C 00 00 00 40 05 62 01 00 46 40 E4 00 FE 05");
    EXPECT_EQ(hexOf(ask(t, hexBytes("69 00 00 DC A1"), kFast)),
              "69 00 18 00 00 00 40 05 03 00 0C 00 00 0C 05 DC 0C 05 DC 00 00 00 00 00 00 01 06 2E A5");
    std::string page = "6A 01 0F 00 00 00 40 05 00 00";
    for (const char* row : quentry::test::kPageRows) page += std::string(" ") + row;
    for (int i = 0; i < 3 * 44; ++i) page += " FF"; // the rest of the page is erased
    page += " C1 F7";
    EXPECT_EQ(hexOf(ask(t, hexBytes("6A 00 02 00 00 C9 9D"), kFast)), page);
}

TEST(AdapterAnswers, TavixAndIrDAModeCommands)
{
    TEmulatorConfig c;
    c.adapter = TEmuAdapter::Usb;
    c.protocol = TEmuProtocol::Fast;
    TTransmitterLogic tavix(c);
    EXPECT_EQ(hexOf(ask(tavix, hexBytes("30 34 14 67"), kAdapter)), "30 34 34 66 D8");
    EXPECT_EQ(tavix.protocol(), TEmuProtocol::Hart);

    c.adapter = TEmuAdapter::IrDA;
    c.protocol = TEmuProtocol::Hart;
    TTransmitterLogic irda(c);
    // Without its wake-up byte the module does not listen.
    EXPECT_EQ(hexOf(ask(irda, hexBytes("30 30 15 A4"), kAdapter)), std::string());
    EXPECT_EQ(hexOf(ask(irda, hexBytes("57 30 30 15 A4"), kAdapter)), "30 30 30 65 DB");
    EXPECT_EQ(irda.protocol(), TEmuProtocol::Fast);
}

TEST(LineModes, RequestsAtAnotherRateAreNotHeard)
{
    TTransmitterLogic t(TEmulatorConfig{});
    EXPECT_TRUE(ask(t, hexBytes("FF FF FF FF FF 02 80 00 00 82"), kFast).isEmpty());
    EXPECT_EQ(t.stats().mismatchedBytes, 10);
    // A HART modem has no adapter: mode commands at 9600 are noise too.
    EXPECT_TRUE(ask(t, hexBytes("30 34 14 67"), kAdapter).isEmpty());
    EXPECT_FALSE(ask(t, hexBytes("FF FF FF FF FF 02 80 00 00 82"), kHart).isEmpty());
}

TEST(FaultReplies, EachFaultChangesTheReplyAsNamed)
{
    const QByteArray request = hexBytes("FF FF FF FF FF 02 80 00 00 82");
    const std::string good = "FF FF FF FF FF 06 80 00 12 00 00 FE 60 51 05 05 01 0C 03 00 01 23 45 00 00 00 00 32";
    struct Case
    {
        const char* faults;
        std::string reply;
    } cases[] = {
        {"drop", std::string()},
        {"chk", "FF FF FF FF FF 06 80 00 12 00 00 FE 60 51 05 05 01 0C 03 00 01 23 45 00 00 00 00 68"},
        {"addr", "FF FF FF FF FF 06 81 00 12 00 00 FE 60 51 05 05 01 0C 03 00 01 23 45 00 00 00 00 33"},
        {"wp", "FF FF FF FF FF 06 80 00 02 07 00 83"},
        {"busy", "FF FF FF FF FF 06 80 00 02 20 00 A4"},
        {"drop=2", good},
        {"drop/131", good},
    };
    for (const Case& k : cases) {
        TEmulatorConfig c;
        c.faults = *TFaultPlan::parse(QString::fromLatin1(k.faults));
        TTransmitterLogic t(c);
        EXPECT_EQ(hexOf(ask(t, request, kHart)), k.reply) << k.faults;
    }
}

TEST(FaultReplies, DelayAndUnplugAreActionsForTheLine)
{
    TEmulatorConfig c;
    c.faults = *TFaultPlan::parse(QStringLiteral("delay=1:900,unplug=2"));
    TTransmitterLogic t(c);
    const QByteArray request = hexBytes("FF FF FF FF FF 02 80 00 00 82");
    auto first = t.receive(reinterpret_cast<const quint8*>(request.constData()), int(request.size()), kHart);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].delayMs, 900);
    EXPECT_EQ(first[0].endOffset, 9);
    auto second = t.receive(reinterpret_cast<const quint8*>(request.constData()), int(request.size()), kHart);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0].kind, TLineAction::TKind::Unplug);
    EXPECT_TRUE(t.receive(reinterpret_cast<const quint8*>(request.constData()), int(request.size()), kHart).empty());
}
