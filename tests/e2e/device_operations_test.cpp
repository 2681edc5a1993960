// The device's operations other than the logger against the virtual transmitter:
// identification and detection, the published HART commands, the family's commands under
// both protocols, and the clock. Each result is held against the transmitter's own state.
#include "deviceonemulator.h"
#include "wire/wireconv.h"

#include <cmath>

using namespace quentry;
using namespace quentry::emulator;
using quentry::test::DeviceOnEitherProtocol;
using quentry::test::DeviceOnEmulator;

namespace {

class FamilyOnEitherProtocol : public DeviceOnEitherProtocol
{
};

TEmulatorConfig steadySite()
{
    TEmulatorConfig c;
    c.fixedLive = TLiveValues{};
    c.rows = 6;
    c.pages = 2;
    return c;
}

// Days since 1899-12-30, the fraction being the time of day.
double dayNumber(const QDate& date, int hour = 0, int minute = 0)
{
    return double(QDate(1899, 12, 30).daysTo(date)) + (hour * 60 + minute) / 1440.0;
}

template <class T> T fromModel(const TVirtualTransmitter& vt, T (TDeviceModel::*get)() const)
{
    T value{};
    vt.inspect([&](const TTransmitterLogic& t) { value = (t.model().*get)(); });
    return value;
}

QString modelMessage(const TVirtualTransmitter& vt)
{
    const QByteArray b = fromModel(vt, &TDeviceModel::messagePacked);
    return UnpackASCII(reinterpret_cast<const quint8*>(b.constData()), int(b.size())).trimmed();
}

} // namespace

// ---- identification ------------------------------------------------------------------------

TEST_F(DeviceOnEmulator, DetectionScansUpToTheTransmitterWhichThenAnswersByTagAndLongFrame)
{
    TEmulatorConfig c = steadySite();
    c.pollingAddress = 2;
    start(c, prt_HART);
    quint8 from = 0;
    THART_PAS_UniqueID id;
    ASSERT_TRUE(device.DetectFirstDevice(from, id));
    EXPECT_EQ(from, 2);
    EXPECT_EQ(id, identity());
    EXPECT_EQ(id.FactoryID, 0x60);
    EXPECT_EQ(id.DeviceTypeID, 0x51);
    EXPECT_EQ(id.DeviceID, 0x012345u);
    EXPECT_EQ(id.Preemables, 5);
    // Once plus two retries at each silent address, once where it answers.
    const TTransmitterStats s = transmitter->stats();
    EXPECT_EQ(s.hartCount(0, 0), 3);
    EXPECT_EQ(s.hartCount(0, 1), 3);
    EXPECT_EQ(s.hartCount(0, 2), 1);
    EXPECT_EQ(engine->MaxRetrycount(), 5);
    ASSERT_EQ(feedback.dialogs.size(), 1);
    EXPECT_EQ(feedback.opened[0].caption, "Scanning Network");
    EXPECT_EQ(feedback.dialogs[0]->texts, QStringList({"", "Query Node: 0", "Query Node: 1", "Query Node: 2"}));
    EXPECT_EQ(feedback.dialogs[0]->positions, QList<int>({0, 1, 2}));
    EXPECT_EQ(feedback.openNow, 0);

    THART_PAS_UniqueID again;
    ASSERT_EQ(device.RdUniqueID(2, again), FRERR_OK);
    EXPECT_EQ(again, id);

    // Its tag is six characters; only that tag finds it.
    TTXRXInfo d = device.BuildTTXRXInfo(id);
    THART_PAS_UniqueID byTag;
    ASSERT_EQ(device.RdUniqueIDWithTag(d, QStringLiteral("LT-101"), byTag), FRERR_OK);
    EXPECT_EQ(byTag, id);
    engine->SetMaxRetrycount(0);
    d = device.BuildTTXRXInfo(id);
    EXPECT_EQ(device.RdUniqueIDWithTag(d, QStringLiteral("LT-102"), byTag), FRERR_NOFRAME);

    // Everything after detection goes by the long address the identity gives.
    d = device.BuildTTXRXInfo(id);
    THART_PAS_RdWrParam p;
    p.pnum = 98;
    ASSERT_EQ(device.RdParam(d, p), FRERR_OK);
    EXPECT_EQ(transmitter->stats().hartLongCount(131), 1);
}

// ---- published HART commands -----------------------------------------------------------

TEST_F(DeviceOnEmulator, PublishedReadsReportWhatTheTransmitterHolds)
{
    const TEmulatorConfig c = steadySite();
    start(c, prt_HART);
    const TLiveValues live = *c.fixedLive;
    TTXRXInfo d = addressed();

    THART_PAS_RdPV pv;
    ASSERT_EQ(device.RdPrimaryVariable(d, pv), FRERR_OK);
    EXPECT_EQ(pv.Unitcode, 24);
    EXPECT_EQ(pv.UnitcodeStr, "liter/s");
    EXPECT_EQ(pv.PV, live.flow);

    THART_PAS_RdCurrentPercentOfRange percent;
    ASSERT_EQ(device.RdCurrentPercentOfRange(d, percent), FRERR_OK);
    EXPECT_EQ(percent.Current, live.current);
    EXPECT_FLOAT_EQ(percent.Percentofrange, live.flow / fromModel(*transmitter, &TDeviceModel::upperRange) * 100);

    THART_PAS_RdCurrentFourDVar four;
    ASSERT_EQ(device.RdCurrentFourDVar(d, four), FRERR_OK);
    EXPECT_EQ(four.Current, live.current);
    EXPECT_EQ(QStringList({four.PVunitcodeSTR, four.SVunitcodeSTR, four.TVunitcodeSTR, four.FVunitcodeSTR}),
              QStringList({"liter/s", "m", "m", "degC"}));
    EXPECT_EQ(four.PV, live.flow);
    EXPECT_EQ(four.SV, live.level);
    EXPECT_EQ(four.TV, live.distance);
    EXPECT_EQ(four.FV, live.temperature);

    THART_PAS_RdPVSensorInfo sensor;
    ASSERT_EQ(device.RdPVSensorInfo(d, sensor), FRERR_OK);
    EXPECT_EQ(sensor.SerNum, identity().DeviceID);
    EXPECT_EQ(sensor.UnitLimitSpanStr, "m");
    EXPECT_EQ(sensor.UpperSensorLimit, 3.0f);
    EXPECT_EQ(sensor.LowerSensorLimit, 0.3f);
    EXPECT_EQ(sensor.minimumspan, 0.1f);

    THART_PAS_RdOutputInfo out;
    ASSERT_EQ(device.RdOutputInfo(d, out), FRERR_OK);
    EXPECT_EQ(out.PVrangeUnitCode, 24);
    EXPECT_EQ(out.PVrangeUnitCodeStr, "liter/s");
    EXPECT_EQ(out.UpperRangeValue, fromModel(*transmitter, &TDeviceModel::upperRange));
    EXPECT_EQ(out.LowerRangeValue, fromModel(*transmitter, &TDeviceModel::lowerRange));
    EXPECT_EQ(out.Damping, fromModel(*transmitter, &TDeviceModel::damping));
    EXPECT_EQ(out.PrivateLabelCode, identity().FactoryID);

    THART_PAS_RdWrFinalAssNum assembly;
    ASSERT_EQ(device.RdFinalAssNum(d, assembly), FRERR_OK);
    EXPECT_EQ(assembly.AssNum, fromModel(*transmitter, &TDeviceModel::finalAssemblyNumber));

    QString message;
    ASSERT_EQ(device.RdMessage(d, message), FRERR_OK);
    EXPECT_EQ(message, "VIRTUAL TRANSMITTER ON A PTY");
    EXPECT_EQ(message, modelMessage(*transmitter));

    THART_PAS_RdWrTagDestDate tdd;
    ASSERT_EQ(device.RdTagDescDate(d, tdd), FRERR_OK);
    EXPECT_EQ(tdd.Tag, "LT-101");
    EXPECT_EQ(tdd.Descriptor, "OPEN CHANNEL");
    EXPECT_EQ(tdd.Date, dayNumber(QDate(2021, 6, 1)));
}

TEST_F(DeviceOnEmulator, PublishedWritesChangeTheTransmitter)
{
    const TEmulatorConfig c = steadySite();
    start(c, prt_HART);
    const TLiveValues live = *c.fixedLive;
    TTXRXInfo d = addressed();

    QString message = QStringLiteral("pump station 4");
    ASSERT_EQ(device.WrMessage(d, message), FRERR_OK);
    EXPECT_EQ(message, "PUMP STATION 4");
    EXPECT_EQ(modelMessage(*transmitter), "PUMP STATION 4");
    EXPECT_EQ(d.ApiError & 0xFF, 0x40); // the configuration has changed

    THART_PAS_RdWrTagDestDate tdd;
    tdd.Tag = QStringLiteral("ab");
    tdd.Descriptor = QStringLiteral("weir north");
    tdd.Date = dayNumber(QDate(2024, 2, 29));
    ASSERT_EQ(device.WrTagDescDate(d, tdd), FRERR_OK);
    EXPECT_EQ(tdd.Tag, "AB");
    EXPECT_EQ(tdd.Descriptor, "WEIR NORTH");
    EXPECT_EQ(tdd.Date, dayNumber(QDate(2024, 2, 29)));
    THART_PAS_RdWrTagDestDate back;
    ASSERT_EQ(device.RdTagDescDate(d, back), FRERR_OK);
    EXPECT_EQ(back.Tag, "AB");
    EXPECT_EQ(back.Descriptor, "WEIR NORTH");
    EXPECT_EQ(back.Date, tdd.Date);
    // The new two-letter tag now finds the transmitter.
    THART_PAS_UniqueID byTag;
    TTXRXInfo t = addressed();
    ASSERT_EQ(device.RdUniqueIDWithTag(t, QStringLiteral("ab"), byTag), FRERR_OK);
    EXPECT_EQ(byTag, identity());

    THART_PAS_RdWrFinalAssNum assembly;
    assembly.AssNum = 19088743; // 0x1234567: 24 bits travel
    ASSERT_EQ(device.WrFinalAssNum(d, assembly), FRERR_OK);
    EXPECT_EQ(assembly.AssNum, 0x234567u);
    EXPECT_EQ(fromModel(*transmitter, &TDeviceModel::finalAssemblyNumber), 0x234567u);

    THART_PAS_RdWrDampingValue damping;
    damping.Damping = 3.5f;
    ASSERT_EQ(device.WrDampingValue(d, damping), FRERR_OK);
    EXPECT_EQ(damping.Damping, 3.5f);
    EXPECT_EQ(fromModel(*transmitter, &TDeviceModel::damping), 3.5f);

    THART_PAS_RdWrRangeValue range;
    range.upper = 200.0f;
    range.lower = 10.0f;
    ASSERT_EQ(device.WrRangeValue(d, range), FRERR_OK);
    EXPECT_EQ(range.rangeunit, "liter/s");
    EXPECT_EQ(fromModel(*transmitter, &TDeviceModel::upperRange), 200.0f);
    EXPECT_EQ(fromModel(*transmitter, &TDeviceModel::lowerRange), 10.0f);
    ASSERT_EQ(device.SetUpperRangeValue(d), FRERR_OK);
    EXPECT_EQ(fromModel(*transmitter, &TDeviceModel::upperRange), live.flow);
    ASSERT_EQ(device.SetLowerRangeValue(d), FRERR_OK);
    EXPECT_EQ(fromModel(*transmitter, &TDeviceModel::lowerRange), live.flow);

    ASSERT_EQ(device.ResetConfigChangeFlag(d), FRERR_OK);
    EXPECT_EQ(d.ApiError & 0xFF, 0);
    EXPECT_EQ(fromModel(*transmitter, &TDeviceModel::deviceStatus), 0);

    // Loop current and trim: answered, the records stay as they were sent.
    THART_PAS_EnterExitFixCurrent fixed;
    fixed.current = 12.0f;
    ASSERT_EQ(device.EnterExitFixCurrent(d, fixed), FRERR_OK);
    EXPECT_EQ(fixed.current, 12.0f);
    THART_PAS_TrimDAC trim;
    trim.current = 4.0f;
    ASSERT_EQ(device.TrimDACZero(d, trim), FRERR_OK);
    trim.current = 20.0f;
    ASSERT_EQ(device.TrimDACGain(d, trim), FRERR_OK);
    EXPECT_EQ(trim.current, 20.0f);
    const TTransmitterStats s = transmitter->stats();
    EXPECT_EQ(s.hartLongCount(40) + s.hartLongCount(45) + s.hartLongCount(46), 3);

    enterRemote();
    ASSERT_EQ(device.MasterReset(d), FRERR_OK);
    EXPECT_FALSE(transmitter->remoteMode());

    quint8 address = 9;
    ASSERT_EQ(device.WrPollingAddress(d, address), FRERR_OK);
    EXPECT_EQ(address, 9);
    EXPECT_EQ(transmitter->pollingAddress(), 9);
    THART_PAS_UniqueID id;
    EXPECT_EQ(device.RdUniqueID(9, id), FRERR_OK);
}

// ---- the family's commands, both protocols ---------------------------------------------

TEST_P(FamilyOnEitherProtocol, MeasurementsAreTheLiveValues)
{
    const TEmulatorConfig c = steadySite();
    start(c);
    const TLiveValues live = *c.fixedLive;
    TTXRXInfo d = addressed();
    THART_PAS_RdDeviceVarsExt m;
    ASSERT_EQ(device.RdMeas(d, m), FRERR_OK);
    EXPECT_EQ(m.es.PVmodestr.str(), "FLOW");
    EXPECT_EQ(m.es.MenuStateStr.str(), "MEASURING");
    EXPECT_EQ(m.es.Errorstr.str(), "No Errors");
    EXPECT_TRUE(m.es.PVValid);
    EXPECT_EQ(m.PVunitcode, 24);
    EXPECT_EQ(m.PVunitcodeStr, "liter/s");
    EXPECT_EQ(m.PV, live.flow);
    EXPECT_EQ(m.BASEunitcodeStr, "m");
    EXPECT_EQ(m.BASE, live.level);
    EXPECT_EQ(m.LEVDISTunitcodeStr, "m");
    EXPECT_EQ(m.LEV, live.level);
    EXPECT_EQ(m.DIST, live.distance);
    EXPECT_EQ(m.TOTunitcode, 43);
    EXPECT_EQ(m.TOTunitcodeStr, "cum");
    EXPECT_EQ(m.TOT1, live.tot1);
    EXPECT_EQ(m.TOT2, live.tot2);
    EXPECT_EQ(m.TempunitcodeStr, "degC");
    EXPECT_EQ(m.Temp, live.temperature);
    EXPECT_EQ(m.Current, live.current);
    EXPECT_EQ(m.LEVpercent, std::round(live.levelPercent));
    EXPECT_EQ(m.Currpercent, std::round(live.currentPercent));
}

TEST_P(FamilyOnEitherProtocol, ParameterWritesNeedRemoteProgramming)
{
    start(steadySite());
    TTXRXInfo d = addressed();
    THART_PAS_RdWrParam p;
    p.pnum = 98;
    ASSERT_EQ(device.RdParam(d, p), FRERR_OK);
    EXPECT_EQ(p.value, transmitter->parameter(98));
    EXPECT_EQ(p.attribute, 1); // read only
    p.pnum = 35;
    ASSERT_EQ(device.RdParam(d, p), FRERR_OK);
    EXPECT_EQ(p.pnum, 35);
    EXPECT_EQ(p.dimstr, "sec");
    EXPECT_EQ(p.value, 300.0f);

    // Refused outside remote programming: write protect. Under FAST the refusal is a status
    // byte without the parameter's data, which the engine reports as a size error.
    p.value = 600.0f;
    const TFrameError refused = device.WrParam(d, p);
    EXPECT_EQ(refused, GetParam() == prt_HART ? FERR_HARTDEVICE : FRERR_SIZE);
    EXPECT_EQ(responseCode(d, GetParam()), 7);
    EXPECT_EQ(transmitter->parameter(35), 300.0f);

    // A wrong code does not open it; the service code does.
    THART_PAS_EnterExit e;
    e.upsw = 1111;
    e.mode = 1;
    device.EnterExit(d, e);
    EXPECT_EQ(responseCode(d, GetParam()), 16);
    EXPECT_FALSE(transmitter->remoteMode());
    e.upsw = kRemoteUserCode;
    ASSERT_EQ(device.EnterExit(d, e), FRERR_OK);
    EXPECT_EQ(responseCode(d, GetParam()), 0);
    EXPECT_EQ(e.es.MenuStateStr.str(), "REMOTE PROG.");
    EXPECT_TRUE(transmitter->remoteMode());

    p.pnum = 35;
    p.value = 600.0f;
    ASSERT_EQ(device.WrParam(d, p), FRERR_OK);
    EXPECT_EQ(responseCode(d, GetParam()), 0);
    EXPECT_EQ(p.value, 600.0f);
    EXPECT_EQ(p.dimstr, "sec");
    EXPECT_EQ(transmitter->parameters().at(35), 600.0f);
    THART_PAS_RdWrParam back;
    back.pnum = 35;
    ASSERT_EQ(device.RdParam(d, back), FRERR_OK);
    EXPECT_EQ(back.value, 600.0f);

    e.mode = 0;
    ASSERT_EQ(device.EnterExit(d, e), FRERR_OK);
    EXPECT_EQ(e.es.MenuStateStr.str(), "MEASURING");
    EXPECT_FALSE(transmitter->remoteMode());
}

TEST_P(FamilyOnEitherProtocol, LinearisationTableAndEchoMap)
{
    const TEmulatorConfig c = steadySite();
    start(c);
    TTXRXInfo d = addressed();
    auto modelItem = [this](int i) {
        TLinItem item;
        transmitter->inspect([&](const TTransmitterLogic& t) { item = t.model().linItem(i); });
        return item;
    };

    THART_PAS_RdWrLinItem lin;
    lin.index = 3;
    ASSERT_EQ(device.RdLinItem(d, lin), FRERR_OK);
    EXPECT_EQ(lin.total, 11);
    EXPECT_EQ(lin.index, 3);
    EXPECT_EQ(lin.ldimstr, "m");
    EXPECT_EQ(lin.pdimstr, "liter/s");
    EXPECT_EQ(lin.level, modelItem(3).level);
    EXPECT_EQ(lin.primary, modelItem(3).primary);

    const TLinItem original = modelItem(3);
    lin.level = 0.35f;
    lin.primary = 777.0f;
    device.WrLinItem(d, lin);
    EXPECT_EQ(responseCode(d, GetParam()), 7); // write protect outside remote programming
    EXPECT_EQ(modelItem(3).primary, original.primary);
    enterRemote();
    lin.index = 3;
    lin.level = 0.35f;
    lin.primary = 777.0f;
    ASSERT_EQ(device.WrLinItem(d, lin), FRERR_OK);
    EXPECT_EQ(lin.level, 0.35f);
    EXPECT_EQ(lin.primary, 777.0f);
    EXPECT_EQ(modelItem(3).level, 0.35f);
    EXPECT_EQ(modelItem(3).primary, 777.0f);

    // The echo map: item 1 is the selected echo, the water surface.
    THART_PAS_RdEMapItem echo;
    echo.index = 1;
    ASSERT_EQ(device.RdEMapItem(d, echo), FRERR_OK);
    EXPECT_EQ(echo.total, 8);
    EXPECT_EQ(echo.index, 1);
    EXPECT_EQ(echo.selpeak, 1);
    EXPECT_EQ(echo.ddimstr, "m");
    EXPECT_EQ(echo.dist, c.fixedLive->distance);
    EXPECT_EQ(echo.ampl, 48.0f);
    echo.index = 5;
    ASSERT_EQ(device.RdEMapItem(d, echo), FRERR_OK);
    EXPECT_EQ(echo.index, 5);
    EXPECT_EQ(echo.dist, 0.3f + 0.45f * 5);
}

TEST_P(FamilyOnEitherProtocol, TotalisersPasswordsDefaultsAndAssemblyNumber)
{
    const TEmulatorConfig c = steadySite();
    start(c);
    TTXRXInfo d = addressed();

    THART_PAS_ClrTOT1 tot1;
    ASSERT_EQ(device.ClrTOT1(d, tot1), FRERR_OK);
    EXPECT_EQ(tot1.TOTunitcode, 43);
    EXPECT_EQ(tot1.TOTunitcodeStr, "cum");
    EXPECT_EQ(tot1.TOT1, 0.0f);
    EXPECT_EQ(tot1.TOT2, c.fixedLive->tot2);
    THART_PAS_ClrTOT2 tot2;
    tot2.fpsw = 1234;
    ASSERT_EQ(device.ClrTOT2(d, tot2), FRERR_OK);
    EXPECT_EQ(tot2.TOTunitcodeStr, "cum");
    EXPECT_EQ(tot2.TOT1, 0.0f);
    EXPECT_EQ(tot2.TOT2, 0.0f);

    // A user password goes out in BCD; entering with it afterwards goes as a plain number.
    enterRemote();
    THART_PAS_WrUPSW upsw;
    upsw.upsw = 4321;
    ASSERT_EQ(device.WrUPSW(d, upsw), FRERR_OK);
    EXPECT_EQ(responseCode(d, GetParam()), 0);
    EXPECT_TRUE(upsw.es.UPSWPresent);
    THART_PAS_EnterExit leave;
    leave.mode = 0;
    ASSERT_EQ(device.EnterExit(d, leave), FRERR_OK);
    enterRemote(4321);

    // Defaults undo a parameter write.
    THART_PAS_RdWrParam p;
    p.pnum = 35;
    p.value = 900.0f;
    ASSERT_EQ(device.WrParam(d, p), FRERR_OK);
    EXPECT_EQ(transmitter->parameter(35), 900.0f);
    THART_PAS_LdDefault defaults;
    ASSERT_EQ(device.LdDefault(d, defaults), FRERR_OK);
    EXPECT_EQ(responseCode(d, GetParam()), 0);
    EXPECT_EQ(defaults.es.MenuStateStr.str(), "REMOTE PROG.");
    EXPECT_EQ(transmitter->parameter(35), 300.0f);

    THART_PAS_RdWrVosFinalAssNum assembly;
    assembly.psw = 1234;
    assembly.AssNum = 19088743;
    ASSERT_EQ(device.WrVossecFinalAssNum(d, assembly), FRERR_OK);
    EXPECT_EQ(responseCode(d, GetParam()), 0);
    EXPECT_EQ(assembly.AssNum, 0x234567u);
    EXPECT_EQ(fromModel(*transmitter, &TDeviceModel::finalAssemblyNumber), 0x234567u);
}

INSTANTIATE_TEST_SUITE_P(BothProtocols, FamilyOnEitherProtocol, ::testing::Values(prt_HART, prt_MODE3),
                         quentry::test::protocolName);

// ---- HART only -------------------------------------------------------------------------------

TEST_F(DeviceOnEmulator, HartOnlyFamilyCommands)
{
    const TEmulatorConfig c = steadySite();
    start(c, prt_HART);
    const TLiveValues live = *c.fixedLive;
    TTXRXInfo d = addressed();

    THART_PAS_RdDeviceVarsVOL vol;
    ASSERT_EQ(device.RdDeviceVarsVOL(d, vol), FRERR_OK);
    EXPECT_EQ(vol.es.PVmodestr.str(), "FLOW");
    EXPECT_EQ(vol.PVunitcodeStr, "liter/s");
    EXPECT_EQ(vol.PV, live.flow);
    EXPECT_EQ(vol.LEVunitcodeStr, "m");
    EXPECT_EQ(vol.LEV, live.level);
    EXPECT_EQ(vol.LEVpercent, live.levelPercent);
    EXPECT_EQ(vol.Current, live.current);

    THART_PAS_RdDeviceVarsFLOW flow;
    ASSERT_EQ(device.RdDeviceVarsFLOW(d, flow), FRERR_OK);
    EXPECT_EQ(flow.PV, live.flow);
    EXPECT_EQ(flow.LEV, live.level);
    EXPECT_EQ(flow.TOTunitcodeStr, "cum");
    EXPECT_EQ(flow.TOT1, live.tot1);
    EXPECT_EQ(flow.TOT2, live.tot2);

    THART_PAS_RdDeviceVarsTOTLONG totLong;
    ASSERT_EQ(device.RdDeviceVarsTOTLONG(d, totLong), FRERR_OK);
    EXPECT_EQ(totLong.PV, live.flow);
    EXPECT_EQ(totLong.TOTunitcodeStr, "cum");
    EXPECT_EQ(totLong.TOT1, quint32(std::lround(live.tot1)));
    EXPECT_EQ(totLong.TOT2, quint32(std::lround(live.tot2)));

    THART_PAS_RdExtInfo ext;
    ASSERT_EQ(device.RdExtendedInfo(d, ext), FRERR_OK);
    EXPECT_EQ(ext.HWcode, 0x0102);
    EXPECT_EQ(ext.USWversion, 0x0112);
    EXPECT_EQ(ext.ACSWversion, 0x0203);
    EXPECT_EQ(ext.FAddress, transmitter->pollingAddress());
    EXPECT_EQ(ext.FConfig, 0x0005);
    EXPECT_EQ(ext.HDeviceTypeID, identity().DeviceTypeID);
    EXPECT_EQ(ext.SWsubcode, 1);

    THART_PAS_WrCurrTest test;
    test.current = 12.5f;
    EXPECT_EQ(device.WrCurrTest(d, test), FERR_HARTDEVICE); // write protect outside remote programming
    EXPECT_EQ(responseCode(d, prt_HART), 7);
    enterRemote();
    ASSERT_EQ(device.WrCurrTest(d, test), FRERR_OK);
    EXPECT_EQ(test.current, 12.5f);
    EXPECT_EQ(test.es.MenuStateStr.str(), "REMOTE PROG.");

    THART_PAS_WrSecuryCodes security;
    security.fpsw = 1234;
    ASSERT_EQ(device.WrSecurity(d, security), FRERR_OK);
    EXPECT_EQ(security.fcode, 0);
    EXPECT_TRUE(security.es.PVValid);
    THART_PAS_WrHWID hwid;
    hwid.hwid = 0x0102;
    ASSERT_EQ(device.WrHWID(d, hwid), FRERR_OK);

    THART_PAS_RdWrParam p;
    p.pnum = 35;
    p.value = 900.0f;
    ASSERT_EQ(device.WrParam(d, p), FRERR_OK);
    THART_PAS_DoFactoryReset reset;
    reset.fpsw = 1234;
    reset.mode = 1;
    ASSERT_EQ(device.HartDoFactoryReset(d, reset), FRERR_OK);
    EXPECT_EQ(reset.fcode, 0);
    EXPECT_EQ(transmitter->parameter(35), 300.0f);
}

TEST_F(DeviceOnEmulator, ClockReadsToTheMinuteAndSets)
{
    start(steadySite(), prt_HART);
    TTXRXInfo d = addressed();
    auto toMinute = [](const QDateTime& t) {
        return dayNumber(t.date(), t.time().hour(), t.time().minute());
    };
    const QDateTime before = transmitter->clock();
    THART_PAS_RTC_RdWrRTC rtc;
    ASSERT_EQ(device.Rtc_RdRTC(d, rtc), FRERR_OK);
    const QDateTime after = transmitter->clock();
    // Seconds are not taken; the minute may turn during the read.
    EXPECT_GE(rtc.DateTime, toMinute(before) - 1e-9);
    EXPECT_LE(rtc.DateTime, toMinute(after) + 1e-9);
    EXPECT_NEAR(rtc.DateTime * 1440, std::round(rtc.DateTime * 1440), 1e-6);

    rtc.DateTime = dayNumber(QDate(2015, 6, 30), 23, 59) + 58.0 / 86400;
    ASSERT_EQ(device.Rtc_WrRTC(d, rtc), FRERR_OK);
    EXPECT_NEAR(rtc.DateTime, dayNumber(QDate(2015, 6, 30), 23, 59), 1e-9);
    const QDateTime set = transmitter->clock();
    EXPECT_GE(set, QDateTime(QDate(2015, 6, 30), QTime(23, 59, 58)));
    EXPECT_LT(set, QDateTime(QDate(2015, 6, 30), QTime(23, 59, 58)).addSecs(5));
    ASSERT_EQ(device.Rtc_RdRTC(d, rtc), FRERR_OK);
    EXPECT_GE(rtc.DateTime, dayNumber(QDate(2015, 6, 30), 23, 59) - 1e-9);
    EXPECT_LE(rtc.DateTime, dayNumber(QDate(2015, 7, 1), 0, 0) + 1e-9);
}

// ---- MODE3 only ------------------------------------------------------------------------------

TEST_F(DeviceOnEmulator, FastResetLeavesRemoteProgrammingAndHartOnlyOperationsStayOffTheLine)
{
    start(steadySite(), prt_MODE3);
    TTXRXInfo d = addressed();
    enterRemote();
    THART_PAS_ERRSTAT es;
    ASSERT_EQ(device.Reset(d, es), FRERR_OK);
    EXPECT_EQ(es.MenuStateStr.str(), "MEASURING");
    EXPECT_EQ(es.PVmodestr.str(), "FLOW");
    EXPECT_FALSE(transmitter->remoteMode());
    EXPECT_EQ(transmitter->stats().fastCount(1), 1);

    const int heard = transmitter->stats().repliesSent;
    THART_PAS_RTC_RdWrRTC rtc;
    EXPECT_EQ(device.Rtc_RdRTC(d, rtc), FERR_INTERFACE);
    THART_PAS_RdDeviceVarsVOL vol;
    EXPECT_EQ(device.RdDeviceVarsVOL(d, vol), FERR_INTERFACE);
    EXPECT_EQ(transmitter->stats().repliesSent, heard);
}
