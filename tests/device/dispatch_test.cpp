// Which engine command each operation runs under each protocol, and that an operation
// without a variant for the protocol sends nothing and touches nothing.
#include "devicefixture.h"

#include <QString>

using namespace quentry;
using namespace quentry::test;

namespace {

constexpr int kNone = -1;

struct TOperation
{
    const char* name;
    int hartCmd; // command sent under prt_HART, or kNone
    int fastCmd; // command sent under prt_MODE3, or kNone
    std::function<TFrameError(TOstraDevice&, TTXRXInfo&)> call;
};

template <class Rec> auto op(TFrameError (TOstraDevice::*f)(TTXRXInfo&, Rec&))
{
    return [f](TOstraDevice& dev, TTXRXInfo& d) {
        Rec rec{};
        return (dev.*f)(d, rec);
    };
}
auto op(TFrameError (TOstraDevice::*f)(TTXRXInfo&))
{
    return [f](TOstraDevice& dev, TTXRXInfo& d) { return (dev.*f)(d); };
}

const std::vector<TOperation>& dispatchedOperations()
{
    using D = TOstraDevice;
    static const std::vector<TOperation> ops = {
        // HART and MODE3
        {"EnterExit", 130, 2, op(&D::EnterExit)},
        {"RdParam", 131, 3, op(&D::RdParam)},
        {"WrParam", 132, 4, op(&D::WrParam)},
        {"RdLinItem", 133, 5, op(&D::RdLinItem)},
        {"WrLinItem", 134, 6, op(&D::WrLinItem)},
        {"LdDefault", 135, 10, op(&D::LdDefault)},
        {"RdEMapItem", 136, 7, op(&D::RdEMapItem)},
        {"ClrTOT1", 137, 8, op(&D::ClrTOT1)},
        {"ClrTOT2", 138, 9, op(&D::ClrTOT2)},
        {"WrUPSW", 139, 12, op(&D::WrUPSW)},
        {"WrVossecFinalAssNum", 140, 11, op(&D::WrVossecFinalAssNum)},
        {"RdMeas", 141, 0, op(&D::RdMeas)},
        {"Log_OpenClose", 160, 100, op(&D::Log_OpenClose)},
        {"Log_RdStatus", 161, 101, op(&D::Log_RdStatus)},
        {"Log_Clr", 162, 104, op(&D::Log_Clr)},
        {"Log_Seek", 163, 102, op(&D::Log_Seek)},
        {"Log_RdRecord", 164, 103, op(&D::Log_RdRecord)},
        {"Log_RdLFData", 169, 105, op(&D::Log_RdLFData)},
        // HART only
        {"RdDeviceVarsVOL", 128, kNone, op(&D::RdDeviceVarsVOL)},
        {"RdDeviceVarsFLOW", 129, kNone, op(&D::RdDeviceVarsFLOW)},
        {"RdDeviceVarsTOTLONG", 149, kNone, op(&D::RdDeviceVarsTOTLONG)},
        {"RdExtendedInfo", 142, kNone, op(&D::RdExtendedInfo)},
        {"WrHWID", 170, kNone, op(&D::WrHWID)},
        {"WrCurrTest", 181, kNone, op(&D::WrCurrTest)},
        {"WrSecurity", 190, kNone, op(&D::WrSecurity)},
        {"Rtc_RdRTC", 165, kNone, op(&D::Rtc_RdRTC)},
        {"Rtc_WrRTC", 166, kNone, op(&D::Rtc_WrRTC)},
        // MODE3 only
        {"Reset", kNone, 1, op(&D::Reset)},
        {"Log_RdPage", kNone, 106, op(&D::Log_RdPage)},
    };
    return ops;
}

// Always the HART command number, whatever the protocol frames it in.
const std::vector<TOperation>& undispatchedOperations()
{
    using D = TOstraDevice;
    static const std::vector<TOperation> ops = {
        {"RdUniqueIDWithTag", 11, 11,
         [](D& dev, TTXRXInfo& d) {
             THART_PAS_UniqueID id;
             return dev.RdUniqueIDWithTag(d, QStringLiteral("TAG"), id);
         }},
        {"RdPrimaryVariable", 1, 1, op(&D::RdPrimaryVariable)},
        {"RdCurrentPercentOfRange", 2, 2, op(&D::RdCurrentPercentOfRange)},
        {"RdCurrentFourDVar", 3, 3, op(&D::RdCurrentFourDVar)},
        {"WrPollingAddress", 6, 6, op<quint8>(&D::WrPollingAddress)},
        {"RdMessage", 12, 12, op<QString>(&D::RdMessage)},
        {"WrMessage", 17, 17, op<QString>(&D::WrMessage)},
        {"RdTagDescDate", 13, 13, op(&D::RdTagDescDate)},
        {"WrTagDescDate", 18, 18, op(&D::WrTagDescDate)},
        {"RdPVSensorInfo", 14, 14, op(&D::RdPVSensorInfo)},
        {"RdOutputInfo", 15, 15, op(&D::RdOutputInfo)},
        {"RdFinalAssNum", 16, 16, op(&D::RdFinalAssNum)},
        {"WrFinalAssNum", 19, 19, op(&D::WrFinalAssNum)},
        {"WrDampingValue", 34, 34, op(&D::WrDampingValue)},
        {"WrRangeValue", 35, 35, op(&D::WrRangeValue)},
        {"SetUpperRangeValue", 36, 36, op(&D::SetUpperRangeValue)},
        {"SetLowerRangeValue", 37, 37, op(&D::SetLowerRangeValue)},
        {"ResetConfigChangeFlag", 38, 38, op(&D::ResetConfigChangeFlag)},
        {"EnterExitFixCurrent", 40, 40, op(&D::EnterExitFixCurrent)},
        {"MasterReset", 42, 42, op(&D::MasterReset)},
        {"TrimDACZero", 45, 45, op(&D::TrimDACZero)},
        {"TrimDACGain", 46, 46, op(&D::TrimDACGain)},
    };
    return ops;
}

bool sameTransactionRecord(const TTXRXInfo& a, const TTXRXInfo& b)
{
    return a.FrameError == b.FrameError && a.ApiError == b.ApiError && a.Saddress == b.Saddress &&
           a.FactoryID == b.FactoryID && a.DeviceTypeID == b.DeviceTypeID && a.deviceId() == b.deviceId() &&
           a.Preemables == b.Preemables && a.IsLongAddress == b.IsLongAddress && a.IsPrimary == b.IsPrimary &&
           a.IsInBurst == b.IsInBurst && a.start == b.start && a.cmd == b.cmd && a.bcnt == b.bcnt;
}

class Dispatch : public DeviceOnFakeLine
{
protected:
    void expectCommands(TProtokoll p, const std::vector<TOperation>& ops)
    {
        open(p);
        for (const TOperation& o : ops) {
            SCOPED_TRACE(o.name);
            requests.clear();
            port->clearEvents();
            TTXRXInfo d = addressed();
            const TTXRXInfo before = d;
            const int expected = p == prt_HART ? o.hartCmd : o.fastCmd;
            const TFrameError result = o.call(device, d);
            if (expected == kNone) {
                EXPECT_EQ(result, FERR_INTERFACE);
                EXPECT_TRUE(port->writes().empty());
                EXPECT_TRUE(sameTransactionRecord(d, before));
            } else {
                EXPECT_EQ(result, FRERR_OK);
                ASSERT_EQ(requests.size(), 1u);
                EXPECT_EQ(requests[0].cmd, expected);
            }
        }
    }
};

} // namespace

TEST_F(Dispatch, EachOperationRunsItsHartCommandUnderHart)
{
    expectCommands(prt_HART, dispatchedOperations());
    expectCommands(prt_HART, undispatchedOperations());
    expectCommands(prt_HART, {{"HartDoFactoryReset", 191, kNone, op(&TOstraDevice::HartDoFactoryReset)}});
}

TEST_F(Dispatch, EachOperationRunsItsFastCommandUnderMode3)
{
    expectCommands(prt_MODE3, dispatchedOperations());
}

TEST_F(Dispatch, NotDispatchedOperationsKeepTheirHartCommandUnderMode3)
{
    expectCommands(prt_MODE3, undispatchedOperations());
}

TEST_F(Dispatch, ProtocolsWithoutVariantsSendNothingAndTouchNothing)
{
    open(prt_HART); // the port is open: silence is the device's doing
    for (TProtokoll p : {prt_MODBUS_RTU, prt_MODBUS_ASCII, prt_FASTLINK_USB, prt_FASTLINK_IRDA}) {
        engine->SetProtokoll(p);
        for (const TOperation& o : dispatchedOperations()) {
            SCOPED_TRACE(testing::Message() << o.name << " under protocol " << int(p));
            TTXRXInfo d = addressed();
            const TTXRXInfo before = d;
            EXPECT_EQ(o.call(device, d), FERR_INTERFACE);
            EXPECT_TRUE(sameTransactionRecord(d, before));
        }
        // The record is left as the caller filled it.
        TTXRXInfo d = addressed();
        THART_PAS_RdWrParam param;
        param.pnum = 9;
        param.value = 1.5f;
        param.dimstr = QStringLiteral("kept");
        EXPECT_EQ(device.RdParam(d, param), FERR_INTERFACE);
        EXPECT_EQ(param.pnum, 9);
        EXPECT_EQ(param.value, 1.5f);
        EXPECT_EQ(param.dimstr, QStringLiteral("kept"));
    }
    EXPECT_TRUE(port->writes().empty());
}

TEST(DispatchWithoutEngine, EveryOperationReportsTheInterface)
{
    TOstraDevice device;
    for (const auto* table : {&dispatchedOperations(), &undispatchedOperations()}) {
        for (const TOperation& o : *table) {
            TTXRXInfo d;
            EXPECT_EQ(o.call(device, d), FERR_INTERFACE) << o.name;
        }
    }
    THART_PAS_UniqueID id;
    EXPECT_EQ(device.RdUniqueID(0, id), FERR_INTERFACE);
    quint8 from = 0;
    EXPECT_FALSE(device.DetectFirstDevice(from, id));
    EXPECT_EQ(from, 255);
}
