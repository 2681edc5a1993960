// Identification and detection: addressing of transactions, the scan of polling
// addresses with its progress, retries and Cancel.
#include "devicefixture.h"

#include <map>
#include <set>

using namespace quentry;
using namespace quentry::test;

namespace {

const QByteArray kIdentity = bytes({0xFE, 0x26, 0x41, 0x09, 5, 1, 2, 3, 0x08, 0x12, 0x34, 0x56, 7, 8, 9, 10});

class Detection : public DeviceOnFakeLine
{
protected:
    Detection()
    {
        open(prt_HART);
        answer = [this](const TRequest& r) -> std::optional<QByteArray> {
            const quint8 address = quint8(r.address[0]) & 0x3F;
            ++perAddress[address];
            if (r.cmd != 0 || !present.count(address)) return std::nullopt;
            return kIdentity;
        };
        engine->SetMaxRetrycount(3); // whatever it was, the scan leaves 5 behind
    }

    std::set<int> present;
    std::map<int, int> perAddress;
};

} // namespace

TEST_F(Detection, FindsTheTransmitterAtPollingAddress7)
{
    present = {7, 9};
    quint8 from = 0;
    THART_PAS_UniqueID id;
    ASSERT_TRUE(device.DetectFirstDevice(from, id));
    EXPECT_EQ(from, 7);
    // Once plus two retries for every silent address, once for the one that answers.
    const std::map<int, int> expected = {{0, 3}, {1, 3}, {2, 3}, {3, 3}, {4, 3}, {5, 3}, {6, 3}, {7, 1}};
    EXPECT_EQ(perAddress, expected);
    for (const TRequest& r : requests) {
        EXPECT_EQ(r.address.size(), 1); // short frames
        EXPECT_TRUE(quint8(r.address[0]) & 0x80); // primary master
        EXPECT_EQ(r.preambles, 5);
    }
    EXPECT_EQ(engine->MaxRetrycount(), 5);

    EXPECT_EQ(id.Expansion, 0xFE);
    EXPECT_EQ(id.FactoryID, 0x26);
    EXPECT_EQ(id.DeviceTypeID, 0x41);
    EXPECT_EQ(id.Preemables, 9);
    EXPECT_EQ(id.Function_flag, 8);
    EXPECT_EQ(id.DeviceID, 0x123456u);
    EXPECT_EQ(id.DeviceFamilyCode, 10);

    ASSERT_EQ(feedback.opened.size(), 1);
    const TProgressOptions& o = feedback.opened[0];
    EXPECT_EQ(o.caption, QStringLiteral("Scanning Network"));
    EXPECT_TRUE(o.cancelButton);
    EXPECT_EQ(o.minimum, 0);
    EXPECT_EQ(o.maximum, 15);
    EXPECT_EQ(o.centre, TCentre::MainWindow);
    const auto& shown = *feedback.dialogs[0];
    EXPECT_EQ(shown.texts.last(), QStringLiteral("Query Node: 7"));
    EXPECT_TRUE(shown.texts.contains(QStringLiteral("Query Node: 0")));
    EXPECT_EQ(shown.positions, (QList<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(feedback.openNow, 0); // hidden before returning
}

TEST_F(Detection, NobodyOnTheLine)
{
    quint8 from = 0;
    THART_PAS_UniqueID id;
    EXPECT_FALSE(device.DetectFirstDevice(from, id));
    EXPECT_EQ(from, 255);
    EXPECT_EQ(perAddress.size(), 16u);
    for (const auto& [address, count] : perAddress) EXPECT_EQ(count, 3) << address;
    EXPECT_EQ(engine->MaxRetrycount(), 5);
    EXPECT_EQ(feedback.openNow, 0);
}

TEST_F(Detection, StartAboveTheLastAddressSendsNothing)
{
    quint8 from = 16;
    THART_PAS_UniqueID id;
    EXPECT_FALSE(device.DetectFirstDevice(from, id));
    EXPECT_EQ(from, 255);
    EXPECT_TRUE(port->writes().empty());
    EXPECT_EQ(engine->MaxRetrycount(), 5);
}

TEST_F(Detection, CancelStopsBeforeTheNextAddress)
{
    present = {5};
    feedback.cancelAfterChecks(2); // addresses 0 and 1 are polled, the third check cancels
    quint8 from = 0;
    THART_PAS_UniqueID id;
    EXPECT_FALSE(device.DetectFirstDevice(from, id));
    EXPECT_EQ(from, 255);
    EXPECT_EQ(perAddress, (std::map<int, int>{{0, 3}, {1, 3}}));
    EXPECT_EQ(engine->MaxRetrycount(), 5);
    EXPECT_EQ(feedback.openNow, 0);
}

TEST_F(Detection, StartsAtTheGivenAddress)
{
    present = {3, 6};
    quint8 from = 4;
    THART_PAS_UniqueID id;
    ASSERT_TRUE(device.DetectFirstDevice(from, id));
    EXPECT_EQ(from, 6);
    EXPECT_EQ(perAddress.begin()->first, 4);
}

TEST_F(DeviceOnFakeLine, DetectedIdentityAddressesLongFramesWithFivePreambles)
{
    open(prt_HART);
    THART_PAS_UniqueID id;
    id.FactoryID = 0x26;
    id.DeviceTypeID = 0x41;
    id.DeviceID = 0xABCDEF;
    id.Preemables = 12;
    TTXRXInfo d = device.BuildTTXRXInfo(id);
    EXPECT_EQ(d.Preemables, 12);
    EXPECT_EQ(d.DeviceID_HI, 0xAB);
    EXPECT_EQ(d.DeviceID_MID, 0xCD);
    EXPECT_EQ(d.DeviceID_LO, 0xEF);
    EXPECT_EQ(d.Saddress, 0);
    EXPECT_EQ(d.FrameError, FRERR_OK);
    EXPECT_FALSE(d.IsLongAddress);

    device.PrepareSend(d);
    EXPECT_TRUE(d.IsLongAddress);
    EXPECT_TRUE(d.IsPrimary);
    EXPECT_FALSE(d.IsInBurst);
    EXPECT_EQ(d.Preemables, 5);

    THART_PAS_RdWrParam p;
    ASSERT_EQ(device.RdParam(d, p), FRERR_OK);
    EXPECT_EQ(onlyRequest().preambles, 5);
    EXPECT_EQ(onlyRequest().address, bytes({0x26 | 0x80, 0x41, 0xAB, 0xCD, 0xEF}));

    // With IsLongFrame off the same record goes by polling address.
    requests.clear();
    device.SetIsLongFrame(false);
    ASSERT_EQ(device.RdParam(d, p), FRERR_OK);
    EXPECT_EQ(onlyRequest().address.size(), 1);
}

TEST_F(DeviceOnFakeLine, TagReadGoesToTheAllZeroLongAddress)
{
    open(prt_HART);
    answer = [](const TRequest&) { return std::optional(kIdentity); };
    TTXRXInfo d = addressed();
    THART_PAS_UniqueID id;
    ASSERT_EQ(device.RdUniqueIDWithTag(d, QStringLiteral("TANK1"), id), FRERR_OK);
    EXPECT_EQ(onlyRequest().cmd, 11);
    EXPECT_EQ(onlyRequest().address, bytes({0x80, 0, 0, 0, 0}));
    // "TANK1   ": a short tag goes out blank-padded, as the transmitter holds it.
    EXPECT_EQ(onlyRequest().data, bytes({0x50, 0x13, 0x8B, 0xC6, 0x08, 0x20}));
    EXPECT_EQ(id.DeviceID, 0x123456u);
}

TEST(RetryCount, StoredUpTo20)
{
    TOstraDevice device;
    EXPECT_EQ(device.RetryCount(), 5);
    EXPECT_TRUE(device.IsLongFrame());
    EXPECT_EQ(device.COMEngine(), nullptr);
    device.SetRetryCount(50);
    EXPECT_EQ(device.RetryCount(), 20);
    device.SetRetryCount(20);
    EXPECT_EQ(device.RetryCount(), 20);
    device.SetRetryCount(0);
    EXPECT_EQ(device.RetryCount(), 0);
}
