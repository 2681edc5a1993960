// Device operations against a scripted line: what goes into each request and how each
// reply is decoded, under HART and under MODE3.
#include "devicefixture.h"
#include "wire/logrowcheck.h"
#include "wire/wireconv.h"

using namespace quentry;
using namespace quentry::test;

namespace {

TDateTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return *TryEncodeDateTime(y, mo, d, h, mi, s);
}

QByteArray single(float v)
{
    quint8 w[4];
    SingleToWire(v, w);
    return QByteArray(reinterpret_cast<const char*>(w), 4);
}

class Operations : public DeviceOnFakeLine, public ::testing::WithParamInterface<TProtokoll>
{};

} // namespace

TEST_F(DeviceOnFakeLine, UserPasswordIsBcdExceptInEnterExit)
{
    open(prt_HART);
    TTXRXInfo d = addressed();
    THART_PAS_WrUPSW w;
    w.upsw = 1234;
    ASSERT_EQ(device.WrUPSW(d, w), FRERR_OK);
    EXPECT_EQ(onlyRequest().data, bytes({0x12, 0x34}));

    requests.clear();
    THART_PAS_EnterExit e;
    e.upsw = 1234;
    e.mode = 1;
    answer = [](const TRequest&) { return std::optional(bytes({0x00, 0x01, 0x00, 0x18})); };
    ASSERT_EQ(device.EnterExit(d, e), FRERR_OK);
    EXPECT_EQ(onlyRequest().data, bytes({0x04, 0xD2, 0x01, 0, 0, 0, 0})); // 7 bytes, plain word
    EXPECT_EQ(e.es.Errorstr.str(), QStringLiteral("No Echo"));
    EXPECT_EQ(e.es.MenuStateStr.str(), QStringLiteral("REMOTE PROG."));

    open(prt_MODE3);
    ASSERT_EQ(device.EnterExit(d, e), FRERR_OK);
    EXPECT_EQ(onlyRequest().cmd, 2);
    EXPECT_EQ(onlyRequest().data, bytes({0x04, 0xD2, 0x01}));
}

TEST_P(Operations, VossecAssemblyNumberSendsLow24BitsAndZeroForAnOversizedPassword)
{
    open(GetParam());
    TTXRXInfo d = addressed();
    THART_PAS_RdWrVosFinalAssNum r;
    r.psw = 10000;
    r.AssNum = 19088743; // 0x1234567
    answer = [](const TRequest&) { return std::optional(bytes({0x01, 0x02, 0x03})); };
    ASSERT_EQ(device.WrVossecFinalAssNum(d, r), FRERR_OK);
    EXPECT_EQ(onlyRequest().cmd, GetParam() == prt_HART ? 140 : 11);
    EXPECT_EQ(onlyRequest().data, bytes({0x00, 0x00, 0x23, 0x45, 0x67}));
    EXPECT_EQ(r.AssNum, 0x010203u);
}

TEST_P(Operations, WrParamSendsTheSingleHighByteFirstAndTakesTheReply)
{
    open(GetParam());
    TTXRXInfo d = addressed();
    THART_PAS_RdWrParam p;
    p.pnum = 7;
    p.value = 1.5f;
    answer = [](const TRequest&) {
        return std::optional(bytes({0, 0, 0, 0x05, 7, 0x02, 45}) + single(2.25f));
    };
    ASSERT_EQ(device.WrParam(d, p), FRERR_OK);
    EXPECT_EQ(onlyRequest().data, bytes({0x07, 0x3F, 0xC0, 0x00, 0x00}));
    EXPECT_EQ(p.value, 2.25f);
    EXPECT_EQ(p.attribute, 2);
    EXPECT_EQ(p.dim, 45);
    EXPECT_EQ(p.dimstr, QStringLiteral("m"));
    EXPECT_EQ(p.es.PVmodestr.str(), QStringLiteral("FLOW"));

    requests.clear();
    THART_PAS_RdWrParam q;
    q.pnum = 9;
    q.value = 99.0f;
    ASSERT_EQ(device.RdParam(d, q), FRERR_OK);
    EXPECT_EQ(onlyRequest().data, bytes({0x09})); // a read carries the number only
    EXPECT_EQ(q.value, 2.25f);
}

TEST_P(Operations, RdMeasDecodesSignedPercentBytesAndUnitTexts)
{
    open(GetParam());
    TTXRXInfo d = addressed();
    QByteArray reply = bytes({0, 0, 0, 0x01, 0xAB, 0xCD, 45}) + single(3.5f) + bytes({41}) + single(120.f) +
                       bytes({48}) + single(1.25f) + single(0.75f) + bytes({43}) + single(10.f) + single(20.f) +
                       bytes({32}) + single(21.5f) + single(4.0f) + bytes({0xFF, 0x64});
    ASSERT_EQ(reply.size(), 45);
    answer = [&](const TRequest&) { return std::optional(reply); };
    THART_PAS_RdDeviceVarsExt m;
    ASSERT_EQ(device.RdMeas(d, m), FRERR_OK);
    EXPECT_EQ(onlyRequest().cmd, GetParam() == prt_HART ? 141 : 0);
    EXPECT_EQ(m.es.PVmodestr.str(), QStringLiteral("LEV"));
    EXPECT_EQ(m.warning, 0); // the warning texts come from the error word
    EXPECT_EQ(m.PVunitcodeStr, QStringLiteral("m"));
    EXPECT_EQ(m.PV, 3.5f);
    EXPECT_EQ(m.BASEunitcodeStr, QStringLiteral("liter"));
    EXPECT_EQ(m.BASE, 120.f);
    EXPECT_EQ(m.LEVDISTunitcodeStr, QStringLiteral("cm"));
    EXPECT_EQ(m.LEV, 1.25f);
    EXPECT_EQ(m.DIST, 0.75f);
    EXPECT_EQ(m.TOTunitcodeStr, QStringLiteral("cum"));
    EXPECT_EQ(m.TOT1, 10.f);
    EXPECT_EQ(m.TOT2, 20.f);
    EXPECT_EQ(m.TempunitcodeStr, QStringLiteral("degC"));
    EXPECT_EQ(m.Temp, 21.5f);
    EXPECT_EQ(m.Current, 4.0f);
    EXPECT_EQ(m.LEVpercent, -1.0f);
    EXPECT_EQ(m.Currpercent, 100.0f);
}

TEST_P(Operations, ClrTOT1AndClrTOT2)
{
    open(GetParam());
    TTXRXInfo d = addressed();
    answer = [](const TRequest&) { return std::optional(bytes({0, 0, 0, 0, 43}) + single(12.5f) + single(0.f)); };
    THART_PAS_ClrTOT1 t1;
    ASSERT_EQ(device.ClrTOT1(d, t1), FRERR_OK);
    EXPECT_TRUE(onlyRequest().data.isEmpty());
    EXPECT_EQ(t1.TOTunitcode, 43);
    EXPECT_EQ(t1.TOTunitcodeStr, QStringLiteral("cum"));
    EXPECT_EQ(t1.TOT1, 12.5f);
    EXPECT_EQ(t1.TOT2, 0.f);

    requests.clear();
    THART_PAS_ClrTOT2 t2;
    t2.fpsw = 42;
    ASSERT_EQ(device.ClrTOT2(d, t2), FRERR_OK);
    EXPECT_EQ(onlyRequest().data, bytes({0x00, 0x42}));
    EXPECT_EQ(t2.fpsw, 42);
    EXPECT_EQ(t2.TOT1, 12.5f);
}

TEST_P(Operations, LinearisationAndEchoMapItems)
{
    open(GetParam());
    TTXRXInfo d = addressed();
    THART_PAS_RdWrLinItem lin;
    lin.index = 3;
    lin.level = 0.5f;
    lin.primary = 2.0f;
    answer = [](const TRequest&) {
        return std::optional(bytes({0, 0, 0, 0, 32, 3, 45}) + single(0.5f) + bytes({41}) + single(2.0f));
    };
    ASSERT_EQ(device.WrLinItem(d, lin), FRERR_OK);
    EXPECT_EQ(onlyRequest().data, bytes({3}) + single(0.5f) + single(2.0f));
    EXPECT_EQ(lin.total, 32);
    EXPECT_EQ(lin.ldimstr, QStringLiteral("m"));
    EXPECT_EQ(lin.pdimstr, QStringLiteral("liter"));
    EXPECT_EQ(lin.primary, 2.0f);

    requests.clear();
    THART_PAS_RdEMapItem map;
    map.index = 4;
    answer = [](const TRequest&) {
        return std::optional(bytes({0, 0, 0, 0, 10, 4, 2, 48}) + single(123.f) + single(-6.5f));
    };
    ASSERT_EQ(device.RdEMapItem(d, map), FRERR_OK);
    EXPECT_EQ(onlyRequest().data, bytes({4}));
    EXPECT_EQ(map.total, 10);
    EXPECT_EQ(map.selpeak, 2);
    EXPECT_EQ(map.ddimstr, QStringLiteral("cm"));
    EXPECT_EQ(map.dist, 123.f);
    EXPECT_EQ(map.ampl, -6.5f);
}

TEST_P(Operations, LoggerSeekOpenAndLayoutData)
{
    open(GetParam());
    TTXRXInfo d = addressed();
    answer = [](const TRequest&) { return std::optional(bytes({0, 0, 0x10, 0, 0x41, 0x30, 0x00, 0x00, 0x07})); };
    THART_PAS_LOG_Seek s;
    s.Whence = 2;
    s.Offset = -1;
    ASSERT_EQ(device.Log_Seek(d, s), FRERR_OK);
    EXPECT_EQ(onlyRequest().data, bytes({0x02, 0xFF, 0xFF}));
    EXPECT_TRUE(s.es.LoggerOpened);
    EXPECT_TRUE(s.lstat.BOF);
    EXPECT_EQ(s.lstat.errorstr, QStringLiteral("BUSY"));
    EXPECT_EQ(s.lstat.total, 0x3000);
    EXPECT_EQ(s.lstat.pos, 7);

    requests.clear();
    THART_PAS_LOG_OpenClose oc;
    oc.mode = 1;
    ASSERT_EQ(device.Log_OpenClose(d, oc), FRERR_OK);
    EXPECT_EQ(onlyRequest().data, bytes({0x01}));
    EXPECT_EQ(oc.lstat.pos, 7);

    answer = [](const TRequest&) {
        return std::optional(bytes({0, 0, 0, 0, 3, 0x01, 0x02, 0x07, 0xFF, 0x0C, 0x05, 0xDC, 0x7B, 0xAE, 0x60,
                                    0x10, 1, 2, 3, 4, 0x08, 0x00, 6}));
    };
    THART_PAS_LOG_RdLFData lf;
    ASSERT_EQ(device.Log_RdLFData(d, lf), FRERR_OK);
    EXPECT_EQ(lf.sor, 3);
    EXPECT_EQ(lf.index, 0x0102);
    EXPECT_EQ(lf.page, 0x07FF);
    EXPECT_DOUBLE_EQ(lf.elsoiras, at(2001, 1, 1, 1, 0));
    EXPECT_DOUBLE_EQ(lf.utolsoiras, at(1999, 1, 1)); // 31 April
    EXPECT_EQ(lf.status, 0x10);
    EXPECT_EQ(lf.error, 1);
    EXPECT_EQ(lf.x, 2);
    EXPECT_EQ(lf.y, 3);
    EXPECT_EQ(lf.ksz, 4);
    EXPECT_EQ(lf.totalpagecount, 0x0800);
    EXPECT_EQ(lf.rowperpage, 6);
}

TEST_P(Operations, RecordRowIsDecodedOnlyWhenTheLoggerSaysOk)
{
    open(GetParam());
    TTXRXInfo d = addressed();
    THART_LOG_Row raw{};
    raw.datetime[0] = 0x0C;
    raw.datetime[1] = 0x05;
    raw.datetime[2] = 0xDC;
    writeBE16(raw.index, 77);
    raw.event = 4;
    SingleToWire(1.23456f, raw.PV);
    writeBE16(raw.temperature, 0x80FA);
    writeBE16(raw.es.error, 0x0200);
    writeBE16(raw.es.status, 0x0001);
    raw.chk = LogRowChecksum(rawBytes(raw));
    quint8 loggerStatus = 0x00;
    answer = [&](const TRequest&) {
        return std::optional(bytes({loggerStatus, 0, 10, 0, 3}) +
                             QByteArray(reinterpret_cast<const char*>(&raw), sizeof raw));
    };
    THART_PAS_LOG_RdRecord rec;
    rec.mode = 1;
    ASSERT_EQ(device.Log_RdRecord(d, rec), FRERR_OK);
    EXPECT_EQ(onlyRequest().cmd, GetParam() == prt_HART ? 164 : 103);
    EXPECT_EQ(onlyRequest().data, bytes({0x01}));
    EXPECT_EQ(rec.lstat.total, 10);
    EXPECT_EQ(rec.row.index, 77);
    EXPECT_EQ(rec.row.eventstr.str(), QStringLiteral("READ"));
    EXPECT_DOUBLE_EQ(rec.row.PV, 1.2346);
    EXPECT_DOUBLE_EQ(rec.row.temperature, 25.0);
    EXPECT_EQ(rec.row.temperatureunitstr.str(), QStringLiteral("Cgrad"));
    EXPECT_EQ(rec.row.es.Warningstr.str(), QStringLiteral("Err 5"));
    EXPECT_EQ(rec.row.es.PVmodestr.str(), QStringLiteral("LEV"));
    EXPECT_EQ(feedback.beeps, 0);

    // A logger error leaves the row alone; the status still arrives.
    loggerStatus = 0x82;
    rec.row.index = 5555;
    ASSERT_EQ(device.Log_RdRecord(d, rec), FRERR_OK);
    EXPECT_EQ(rec.lstat.errorstr, QStringLiteral("READERROR"));
    EXPECT_TRUE(rec.lstat.TOF);
    EXPECT_EQ(rec.row.index, 5555);

    // A failed transaction beeps and leaves both.
    engine->SetMaxRetrycount(0);
    answer = [](const TRequest&) { return std::optional<QByteArray>(); };
    rec.lstat.total = 999;
    EXPECT_EQ(device.Log_RdRecord(d, rec), FRERR_NOFRAME);
    EXPECT_EQ(feedback.beeps, 1);
    EXPECT_EQ(rec.lstat.total, 999);
    EXPECT_EQ(rec.row.index, 5555);
}

INSTANTIATE_TEST_SUITE_P(BothProtocols, Operations, ::testing::Values(prt_HART, prt_MODE3),
                         [](const auto& info) { return info.param == prt_HART ? "HART" : "MODE3"; });

TEST_F(DeviceOnFakeLine, PageWithABadThirdRowMarksOnlyThatRow)
{
    open(prt_MODE3);
    TTXRXInfo d = addressed();
    TFAST_LOG_RdPage raw{};
    for (int i = 0; i < 6; ++i) {
        THART_LOG_Row& row = raw.rows[i];
        row.datetime[0] = 0x0C;
        row.datetime[1] = 0x05;
        row.datetime[2] = 0xDC;
        writeLE16(row.index, quint16(100 + i));
        row.event = 7;
        writeLE32(row.PV, bitsFromFloat(float(i) + 0.5f));
        writeLE16(row.temperature, 0x80FA);
        row.chk = LogRowChecksum(rawBytes(row));
    }
    raw.rows[2].chk ^= 0x01;
    answer = [&](const TRequest&) {
        return std::optional(QByteArray(reinterpret_cast<const char*>(&raw) + 2, sizeof raw - 2));
    };
    TFAST_PAS_LOG_RdPage page;
    page.pageindex = 0x0102;
    page.rows[2].PV = 77.0;
    page.rows[2].index = 4242;
    ASSERT_EQ(device.Log_RdPage(d, page), FRERR_OK);
    EXPECT_EQ(onlyRequest().cmd, 106);
    EXPECT_EQ(onlyRequest().data, bytes({0x01, 0x02}));
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        const THART_PAS_LOG_Row& row = page.rows[size_t(i)];
        if (i == 2) {
            EXPECT_EQ(row.event, 255);
            EXPECT_EQ(row.eventstr.str(), QStringLiteral("CHECKSUM ERROR"));
            EXPECT_EQ(row.PV, 77.0);
            EXPECT_EQ(row.index, 4242);
        } else {
            EXPECT_EQ(row.event, 7);
            EXPECT_EQ(row.eventstr.str(), QStringLiteral("SCHEDULED"));
            EXPECT_EQ(row.index, 100 + i);
            EXPECT_DOUBLE_EQ(row.PV, i + 0.5);
            EXPECT_EQ(row.temperatureunitstr.str(), QStringLiteral("Fgrad"));
            EXPECT_EQ(row.es.Errorstr.str(), QStringLiteral("No Errors"));
        }
    }
    EXPECT_EQ(page.pageindex, 0x0102);
    EXPECT_EQ(feedback.beeps, 0);

    engine->SetMaxRetrycount(0);
    answer = [](const TRequest&) { return std::optional<QByteArray>(); };
    page.rows[0].index = 1;
    EXPECT_EQ(device.Log_RdPage(d, page), FRERR_NOFRAME);
    EXPECT_EQ(feedback.beeps, 1);
    EXPECT_EQ(page.rows[0].index, 1);
}

TEST_F(DeviceOnFakeLine, ClockIsWrittenToTheSecondAndReadToTheMinute)
{
    open(prt_HART);
    TTXRXInfo d = addressed();
    answer = [](const TRequest& r) { return std::optional(r.data); }; // the clock confirms what it got
    THART_PAS_RTC_RdWrRTC rtc;
    rtc.DateTime = at(2015, 6, 30, 23, 59, 58);
    ASSERT_EQ(device.Rtc_WrRTC(d, rtc), FRERR_OK);
    EXPECT_EQ(onlyRequest().cmd, 166);
    EXPECT_EQ(onlyRequest().data, bytes({0x07, 0xDF, 6, 30, 23, 59, 58}));
    EXPECT_DOUBLE_EQ(rtc.DateTime, at(2015, 6, 30, 23, 59));
    EXPECT_EQ(rtc.Seconds, 58); // carried beside, for a clock check to the second

    requests.clear();
    rtc.DateTime = std::numeric_limits<double>::quiet_NaN(); // names no moment
    ASSERT_EQ(device.Rtc_WrRTC(d, rtc), FRERR_OK);
    EXPECT_EQ(onlyRequest().data, bytes({0x07, 0xD0, 1, 1, 0, 0, 0}));

    answer = [](const TRequest&) { return std::optional(bytes({0x07, 0xDF, 2, 30, 12, 0, 5})); };
    ASSERT_EQ(device.Rtc_RdRTC(d, rtc), FRERR_OK);
    EXPECT_DOUBLE_EQ(rtc.DateTime, at(1999, 1, 1)); // 30 February
    answer = [](const TRequest&) { return std::optional(bytes({0x07, 0xE8, 2, 29, 7, 45, 59})); };
    ASSERT_EQ(device.Rtc_RdRTC(d, rtc), FRERR_OK);
    EXPECT_DOUBLE_EQ(rtc.DateTime, at(2024, 2, 29, 7, 45));

    engine->SetMaxRetrycount(0);
    answer = [](const TRequest&) { return std::optional<QByteArray>(); };
    EXPECT_EQ(device.Rtc_RdRTC(d, rtc), FRERR_NOFRAME);
    EXPECT_DOUBLE_EQ(rtc.DateTime, at(2024, 2, 29, 7, 45)); // unchanged after a failure
}

TEST_F(DeviceOnFakeLine, RangeValueGoesOutWithUnitZeroUpperFirst)
{
    open(prt_HART);
    TTXRXInfo d = addressed();
    answer = [](const TRequest& r) {
        QByteArray reply = r.data;
        reply[0] = char(45);
        return std::optional(reply);
    };
    THART_PAS_RdWrRangeValue range;
    range.rangeunit = QStringLiteral("ft");
    range.lower = 0.25f;
    range.upper = 8.0f;
    ASSERT_EQ(device.WrRangeValue(d, range), FRERR_OK);
    EXPECT_EQ(onlyRequest().cmd, 35);
    EXPECT_EQ(onlyRequest().data, bytes({0}) + single(8.0f) + single(0.25f));
    EXPECT_EQ(range.rangeunit, QStringLiteral("m"));
    EXPECT_EQ(range.lower, 0.25f);
    EXPECT_EQ(range.upper, 8.0f);
}

TEST_F(DeviceOnFakeLine, TagDescriptorAndDate)
{
    open(prt_HART);
    TTXRXInfo d = addressed();
    answer = [](const TRequest& r) { return std::optional(r.data); };
    THART_PAS_RdWrTagDestDate t;
    t.Tag = QStringLiteral("ab");
    t.Descriptor = QStringLiteral("a descriptor longer than sixteen");
    t.Date = at(2015, 6, 15);
    ASSERT_EQ(device.WrTagDescDate(d, t), FRERR_OK);
    quint8 tag[6];
    PackASCII(QStringLiteral("AB      "), tag, 6);
    EXPECT_EQ(onlyRequest().data.left(6), QByteArray(reinterpret_cast<const char*>(tag), 6));
    EXPECT_EQ(onlyRequest().data.right(3), bytes({15, 6, 115}));
    EXPECT_EQ(t.Tag, QStringLiteral("AB"));
    EXPECT_EQ(t.Descriptor, QStringLiteral("A DESCRIPTOR LON"));
    EXPECT_DOUBLE_EQ(t.Date, at(2015, 6, 15));

    // A reply date that does not exist reads as the clock's fallback day.
    QByteArray reply = onlyRequest().data;
    reply[18] = char(31);
    reply[19] = char(4);
    answer = [&](const TRequest&) { return std::optional(reply); };
    ASSERT_EQ(device.RdTagDescDate(d, t), FRERR_OK);
    EXPECT_EQ(t.Tag, QStringLiteral("AB"));
    EXPECT_DOUBLE_EQ(t.Date, at(1999, 1, 1));

    // A failed write shows the padded texts and leaves the date.
    engine->SetMaxRetrycount(0);
    answer = [](const TRequest&) { return std::optional<QByteArray>(); };
    t.Tag = QStringLiteral("xyz");
    EXPECT_EQ(device.WrTagDescDate(d, t), FRERR_NOFRAME);
    EXPECT_EQ(t.Tag, QStringLiteral("xyz     "));
    EXPECT_DOUBLE_EQ(t.Date, at(1999, 1, 1));
}

TEST_F(DeviceOnFakeLine, MessageIsPaddedPackedAndTrimmed)
{
    open(prt_HART);
    TTXRXInfo d = addressed();
    answer = [](const TRequest& r) { return std::optional(r.data); };
    QString message = QStringLiteral("level 4");
    ASSERT_EQ(device.WrMessage(d, message), FRERR_OK);
    EXPECT_EQ(onlyRequest().cmd, 17);
    EXPECT_EQ(onlyRequest().data.size(), 24);
    EXPECT_EQ(message, QStringLiteral("LEVEL 4"));
    const QByteArray packed = onlyRequest().data;
    answer = [&](const TRequest&) { return std::optional(packed); };
    QString read;
    ASSERT_EQ(device.RdMessage(d, read), FRERR_OK);
    EXPECT_EQ(read, QStringLiteral("LEVEL 4"));

    engine->SetMaxRetrycount(0);
    answer = [](const TRequest&) { return std::optional<QByteArray>(); };
    EXPECT_EQ(device.RdMessage(d, read), FRERR_NOFRAME);
    EXPECT_TRUE(read.isEmpty());
    message = QStringLiteral("short");
    EXPECT_EQ(device.WrMessage(d, message), FRERR_NOFRAME);
    EXPECT_EQ(message, QStringLiteral("short").leftJustified(32, QLatin1Char(' ')));
}

TEST_F(DeviceOnFakeLine, PublishedReadsTakeEachUnitFromItsOwnCode)
{
    open(prt_HART);
    TTXRXInfo d = addressed();
    answer = [](const TRequest&) {
        return std::optional(single(12.0f) + bytes({45}) + single(1.f) + bytes({47}) + single(2.f) + bytes({57}) +
                             single(3.f) + bytes({0}) + single(4.f));
    };
    THART_PAS_RdCurrentFourDVar four;
    ASSERT_EQ(device.RdCurrentFourDVar(d, four), FRERR_OK);
    EXPECT_EQ(onlyRequest().cmd, 3);
    EXPECT_EQ(four.Current, 12.0f);
    EXPECT_EQ(four.PVunitcodeSTR, QStringLiteral("m"));
    EXPECT_EQ(four.SVunitcodeSTR, QStringLiteral("in"));
    EXPECT_EQ(four.TVunitcodeSTR, QStringLiteral("%"));
    EXPECT_EQ(four.FVunitcodeSTR, QStringLiteral("(0)"));
    EXPECT_EQ(four.FV, 4.f);

    answer = [](const TRequest&) {
        return std::optional(bytes({0x12, 0x34, 0x56, 44}) + single(10.f) + single(-1.f) + single(0.5f));
    };
    THART_PAS_RdPVSensorInfo sensor;
    ASSERT_EQ(device.RdPVSensorInfo(d, sensor), FRERR_OK);
    EXPECT_EQ(sensor.SerNum, 0x123456u);
    EXPECT_EQ(sensor.UnitLimitSpanStr, QStringLiteral("ft"));
    EXPECT_EQ(sensor.LowerSensorLimit, -1.f);
    EXPECT_EQ(sensor.minimumspan, 0.5f);

    // A refused read still decodes what the engine left: the zeroed record.
    hartResponseCode = 7; // write protected
    THART_PAS_RdPV pv;
    pv.Unitcode = 45;
    pv.PV = 9.f;
    EXPECT_EQ(device.RdPrimaryVariable(d, pv), FERR_HARTDEVICE);
    EXPECT_EQ(pv.Unitcode, 0);
    EXPECT_EQ(pv.UnitcodeStr, QStringLiteral("(0)"));
    EXPECT_EQ(pv.PV, 0.f);
}
