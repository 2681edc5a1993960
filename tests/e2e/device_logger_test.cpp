// The device's logger operations against the virtual transmitter: what each one reports
// is what the transmitter's logger holds, and every decoded row equals the row's own
// bytes read field by field here, in the byte order the row travelled in.
#include "deviceonemulator.h"
#include "loggercontent.h"
#include "loggerrow.h"

#include <bit>
#include <cmath>
#include <map>

using namespace quentry;
using namespace quentry::emulator;
using quentry::test::DeviceOnEitherProtocol;
using quentry::test::DeviceOnEmulator;

namespace {

class LoggerOnEitherProtocol : public DeviceOnEitherProtocol
{
};

constexpr int kRows = 60;
constexpr int kPages = 12; // ten pages written, two still erased

// Generated rows with three made to reach the decoding's corners: odd units, unknown
// events, every status flag, Fahrenheit, full peak fields, a tie in the rounding.
TEmulatorConfig loggerConfig()
{
    TEmulatorConfig c;
    c.pages = kPages;
    c.fixedLive = TLiveValues{};
    for (const TLogRowBytes& r : GenerateLoggerRows(kRows, 0, 7)) c.presetRows.push_back(r);
    TLogRowValues odd[3];
    odd[0].event = 0;
    odd[0].pv = 0.03125f;
    odd[0].distance = 1.23456f;
    odd[0].level = -0.09375f;
    odd[0].pvUnit = 0;
    odd[0].tot1 = 1.0e9f;
    odd[0].totUnit = 41;
    odd[0].temperatureTenths = 250;
    odd[0].fahrenheit = true;
    odd[0].currentHundredths = 2000;
    odd[0].error = 0x1803;
    odd[0].status = 0x0018;
    odd[0].peakAmplitude = 63;
    odd[0].distanceUnit = 2;
    odd[0].gain = 5;
    odd[0].phase = 2;
    odd[0].sensorIndex = 11;
    odd[0].snRatio = 200;
    odd[0].pchk = 7;
    odd[0].debug2 = 0x5A;
    odd[1].event = 200;
    odd[1].distanceUnit = 3;
    odd[1].status = 0x7BE5;
    odd[1].peakAmplitude = 1;
    odd[1].peakIndex = 31;
    odd[1].peakTotal = 31;
    odd[1].temperatureTenths = 32767;
    odd[2].event = 40;
    odd[2].distanceUnit = 1;
    odd[2].error = 0x0100;
    odd[2].status = 0x0008;
    odd[2].temperatureTenths = 250;
    for (int k = 0; k < 3; ++k) {
        TLogRowBytes& row = c.presetRows[size_t(20 + k)];
        const TLogRowBytes made = EncodeRecordRow(odd[k]);
        // Keep the time stamp and the index of the row it replaces.
        std::copy(made.begin() + 5, made.end(), row.begin() + 5);
    }
    // Temperature 80 FA with debug1 bit 3 clear: a record read says Celsius, a page read
    // (FA 80, top bit set) Fahrenheit.
    c.presetRows[22][28] |= 0x80;
    return c;
}

// ---- the row as its bytes say, worked out without the device's decoder -----------------

enum class TOrder { Record, Page }; // high byte first, low byte first

quint16 word(const TLogRowBytes& b, int at, TOrder o)
{
    return o == TOrder::Record ? quint16(b[at] << 8 | b[at + 1]) : quint16(b[at + 1] << 8 | b[at]);
}

float single(const TLogRowBytes& b, int at, TOrder o)
{
    quint32 bits = 0;
    for (int i = 0; i < 4; ++i) bits = bits << 8 | b[size_t(o == TOrder::Record ? at + i : at + 3 - i)];
    return std::bit_cast<float>(bits);
}

double fourDecimals(float v) { return std::nearbyint(double(v) * 10000.0) / 10000.0; }

// Days since 1899-12-30, the fraction being the time of day.
double dayNumber(const QDate& date, int hour = 0, int minute = 0)
{
    return double(QDate(1899, 12, 30).daysTo(date)) + (hour * 60 + minute) / 1440.0;
}

// Month count since January 2000, then the minutes of the month, high byte first in both orders.
double stampOf(const quint8* b)
{
    const int minutes = b[1] << 8 | b[2];
    return dayNumber(QDate(2000 + b[0] / 12, b[0] % 12 + 1, minutes / 1440), minutes % 1440 / 60, minutes % 60);
}

bool checkByteGood(const TLogRowBytes& b)
{
    int c = 0;
    for (int i = 0; i < 43; ++i) c = ((c ^ b[size_t(i)]) + i) & 0xFF;
    return c == b[43];
}

QString eventText(int code)
{
    static const std::map<int, QString> known = {
        {0, "NOTHING"}, {1, "CLR"}, {3, "OFF"}, {4, "READ"}, {5, "POWERON"}, {7, "SCHEDULED"},
        {18, "ERROR CHANGED"}, {38, "LOG_RD_OPEN"}, {39, "LOG_RD_CLOSE"}};
    if (code >= 40) return QStringLiteral("UNKOWN%1").arg(code);
    const auto it = known.find(code);
    if (it == known.end()) ADD_FAILURE() << "no expected text for event " << code;
    return it == known.end() ? QString() : it->second;
}

QString unitText(int code)
{
    static const std::map<int, QString> known = {{24, "liter/s"}, {41, "liter"}, {43, "cum"}, {45, "m"}};
    const auto it = known.find(code);
    return it == known.end() ? QStringLiteral("(%1)").arg(code) : it->second;
}

void expectStatusBlock(const THART_PAS_ERRSTAT& es, quint16 error, quint16 status)
{
    EXPECT_EQ(es.error, error);
    EXPECT_EQ(es.status, status);
    const QString errorText = (error & 0xFF) == 0 ? "No Errors" : (error & 1) ? "No Echo" : "?";
    const QString warningText = (error & 0x1F00) == 0 ? "No Warnings"
                                : (error & 0x0100)    ? "Err 7"
                                : (error & 0x0800)    ? "Err T. Sens."
                                                      : "?";
    EXPECT_EQ(es.Errorstr.str(), errorText);
    EXPECT_EQ(es.Warningstr.str(), warningText);
    const char* modes[8] = {"DIST", "LEV", "LEV%", "VOL", "VOL%", "FLOW", "--", "--"};
    EXPECT_EQ(es.PVmodestr.str(), modes[status & 7]);
    EXPECT_EQ(es.MenuStateStr.str(), (status & 0x10) ? "REMOTE PROG." : (status & 0x08) ? "MANUAL PROG." : "MEASURING");
    const bool flags[] = {es.SimulationActive, es.UPSWPresent,   es.Relay,
                          es.ULockActive,      es.FLocked,       es.DiagBurstActive,
                          es.LoggerOpened,     es.CalibrationActive, es.PVValid};
    const int bits[] = {5, 6, 7, 8, 9, 11, 12, 13, 14};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(flags[i], bool(status >> bits[i] & 1)) << "status bit " << bits[i];
}

void expectRowIs(const THART_PAS_LOG_Row& row, const TLogRowBytes& b, TOrder o)
{
    EXPECT_NEAR(row.datetime, stampOf(b.data()), 1e-9);
    EXPECT_EQ(row.index, word(b, 3, o));
    EXPECT_EQ(row.event, b[5]);
    EXPECT_EQ(row.eventstr.str(), eventText(b[5]));
    EXPECT_EQ(row.PV, fourDecimals(single(b, 6, o)));
    EXPECT_EQ(row.DIST, fourDecimals(single(b, 10, o)));
    EXPECT_EQ(row.LEV, fourDecimals(single(b, 14, o)));
    EXPECT_EQ(row.PVunitstr.str(), unitText(b[18]));
    EXPECT_EQ(row.TOT1, fourDecimals(single(b, 19, o)));
    EXPECT_EQ(row.TOT2, fourDecimals(single(b, 23, o)));
    EXPECT_EQ(row.TOTunitstr.str(), unitText(b[27]));
    const quint16 temperature = word(b, 28, o), debug1 = word(b, 40, o);
    EXPECT_EQ(row.temperature, (temperature & 0x7FFF) / 10.0);
    // Record rows tell the unit in debug1, page rows in the temperature's top bit.
    const bool fahrenheit = o == TOrder::Record ? (debug1 & 0x0008) : (temperature & 0x8000);
    EXPECT_EQ(row.temperatureunitstr.str(), fahrenheit ? "Fgrad" : "Cgrad");
    EXPECT_EQ(row.current, word(b, 30, o) / 100.0);
    expectStatusBlock(row.es, word(b, 32, o), word(b, 34, o));
    const quint16 peak = word(b, 36, o);
    EXPECT_EQ(row.peakinfo_amp, -int(peak >> 10));
    EXPECT_EQ(row.peakinfo_index, (peak >> 5) & 31);
    EXPECT_EQ(row.peakinfo_total, peak & 31);
    EXPECT_EQ(row.SNratio, b[38]);
    EXPECT_EQ(row.pchk, b[39]);
    const char* distUnits[4] = {"m", "cm", "ft", "inch"};
    EXPECT_EQ(row.DISTLEVunitstr.str(), distUnits[(debug1 >> 1) & 3]);
    EXPECT_EQ(row.debug1_gain, (debug1 >> 4) & 7);
    EXPECT_EQ(row.debug1_phase, (debug1 >> 7) & 3);
    EXPECT_EQ(row.debug1_sensorindex, (debug1 >> 9) & 15);
    EXPECT_EQ(row.debug2, b[42]);
    EXPECT_EQ(row.chk, b[43]);
}

// A row no read should have touched.
THART_PAS_LOG_Row untouchedRow()
{
    THART_PAS_LOG_Row r;
    r.index = 0xBEEF;
    r.PV = -7.0;
    return r;
}

TFaultPlan faults(const char* text) { return *TFaultPlan::parse(QString::fromLatin1(text)); }

} // namespace

TEST_P(LoggerOnEitherProtocol, RecordReadsDeliverEveryRowAsTheLoggerHoldsIt)
{
    start(loggerConfig());
    const std::vector<TLogRowBytes> rows = transmitter->loggerRows();
    ASSERT_EQ(rows.size(), size_t(kRows));
    TTXRXInfo d = addressed();

    // Closed: the status says so and a read leaves the row alone.
    THART_PAS_LOG_RdStatus status;
    ASSERT_EQ(device.Log_RdStatus(d, status), FRERR_OK);
    EXPECT_EQ(status.lstat.errorcode, 3);
    EXPECT_EQ(status.lstat.errorstr, "CLOSED");
    EXPECT_EQ(status.lstat.total, kRows);
    EXPECT_FALSE(status.es.LoggerOpened);
    THART_PAS_LOG_RdRecord rec;
    rec.row = untouchedRow();
    ASSERT_EQ(device.Log_RdRecord(d, rec), FRERR_OK);
    EXPECT_EQ(rec.lstat.errorcode, 3);
    EXPECT_EQ(rec.row, untouchedRow());

    THART_PAS_LOG_OpenClose open;
    open.mode = 1;
    ASSERT_EQ(device.Log_OpenClose(d, open), FRERR_OK);
    EXPECT_TRUE(transmitter->loggerState().open);
    EXPECT_TRUE(open.es.LoggerOpened);
    EXPECT_EQ(open.lstat.errorstr, "OK");
    EXPECT_TRUE(open.lstat.BOF);
    EXPECT_EQ(open.lstat.boftofstr, "BOF");
    EXPECT_EQ(open.lstat.total, kRows);
    EXPECT_EQ(open.lstat.pos, 0);

    for (int i = 0; i < kRows; ++i) {
        SCOPED_TRACE(i);
        rec.mode = i == 0 ? 0 : 1;
        ASSERT_EQ(device.Log_RdRecord(d, rec), FRERR_OK);
        ASSERT_EQ(rec.lstat.errorcode, 0);
        EXPECT_EQ(rec.lstat.pos, i);
        expectRowIs(rec.row, rows[size_t(i)], TOrder::Record);
    }
    EXPECT_TRUE(rec.lstat.TOF);
    EXPECT_EQ(rec.lstat.boftofstr, "TOF");

    // One back from the current row, as the reader does before a re-read; then to the start.
    THART_PAS_LOG_Seek seek;
    seek.Whence = 2;
    seek.Offset = -1;
    ASSERT_EQ(device.Log_Seek(d, seek), FRERR_OK);
    EXPECT_EQ(seek.lstat.pos, kRows - 2);
    EXPECT_EQ(transmitter->loggerState().position, kRows - 2);
    rec.mode = 0;
    ASSERT_EQ(device.Log_RdRecord(d, rec), FRERR_OK);
    expectRowIs(rec.row, rows[size_t(kRows - 2)], TOrder::Record);
    seek.Whence = 0;
    seek.Offset = 0;
    ASSERT_EQ(device.Log_Seek(d, seek), FRERR_OK);
    EXPECT_EQ(seek.lstat.pos, 0);
    EXPECT_TRUE(seek.lstat.BOF);
    EXPECT_TRUE(seek.es.LoggerOpened);

    // A row the logger could not read: the status tells, the row stays as it was.
    transmitter->setFaults(faults("readerror"));
    rec.mode = 1;
    rec.row = untouchedRow();
    ASSERT_EQ(device.Log_RdRecord(d, rec), FRERR_OK);
    EXPECT_EQ(rec.lstat.errorcode, 2);
    EXPECT_EQ(rec.lstat.errorstr, "READERROR");
    EXPECT_EQ(rec.row, untouchedRow());
    EXPECT_EQ(feedback.beeps, 0);

    // A read that gets no answer beeps and leaves status and row alone.
    transmitter->setFaults(faults("drop=*"));
    engine->SetMaxRetrycount(0);
    const THART_PAS_LOG_Status before = rec.lstat;
    EXPECT_EQ(device.Log_RdRecord(d, rec), FRERR_NOFRAME);
    EXPECT_EQ(feedback.beeps, 1);
    EXPECT_EQ(rec.lstat.pos, before.pos);
    EXPECT_EQ(rec.lstat.status, before.status);
    EXPECT_EQ(rec.row, untouchedRow());
    transmitter->setFaults({});

    open.mode = 0;
    ASSERT_EQ(device.Log_OpenClose(d, open), FRERR_OK);
    EXPECT_FALSE(transmitter->loggerState().open);
    EXPECT_FALSE(open.es.LoggerOpened);
    EXPECT_EQ(open.lstat.errorstr, "CLOSED");
}

TEST_P(LoggerOnEitherProtocol, LayoutDataDescribesTheRingAndClearEmptiesIt)
{
    struct Case
    {
        const char* name;
        bool wrapped;
    } cases[] = {{"written once", false}, {"gone round", true}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        TEmulatorConfig c;
        c.pages = kPages;
        c.rows = k.wrapped ? 3 : kRows;
        c.wrapped = k.wrapped;
        start(c);
        const std::vector<TLogRowBytes> rows = transmitter->loggerRows();
        const TLoggerState state = transmitter->loggerState();
        TTXRXInfo d = addressed();

        THART_PAS_LOG_RdLFData lf;
        ASSERT_EQ(device.Log_RdLFData(d, lf), FRERR_OK);
        EXPECT_EQ(lf.sor, state.rowsOnPage);
        EXPECT_EQ(lf.page, state.page);
        EXPECT_EQ(lf.index, word(rows.back(), 3, TOrder::Record));
        EXPECT_NEAR(lf.elsoiras, stampOf(rows.front().data()), 1e-9);
        EXPECT_NEAR(lf.utolsoiras, stampOf(rows.back().data()), 1e-9);
        EXPECT_EQ(lf.status & 0x10, k.wrapped ? 0x10 : 0);
        EXPECT_EQ(lf.totalpagecount, kPages);
        EXPECT_EQ(lf.rowperpage, 6);
        EXPECT_EQ(lf.error | lf.x | lf.y | lf.ksz, 0);
        EXPECT_EQ(lf.es.PVmodestr.str(), "FLOW");

        THART_PAS_LOG_RdStatus cleared;
        ASSERT_EQ(device.Log_Clr(d, cleared), FRERR_OK);
        EXPECT_EQ(cleared.lstat.total, 0);
        EXPECT_EQ(cleared.lstat.pos, 0);
        EXPECT_TRUE(transmitter->loggerRows().empty());
        EXPECT_EQ(transmitter->loggerState().total, 0);
        ASSERT_EQ(device.Log_RdLFData(d, lf), FRERR_OK);
        EXPECT_EQ(lf.sor, 0);
        EXPECT_EQ(lf.status & 0x10, 0);
        TearDown();
    }
}

INSTANTIATE_TEST_SUITE_P(BothProtocols, LoggerOnEitherProtocol, ::testing::Values(prt_HART, prt_MODE3),
                         quentry::test::protocolName);

TEST_F(DeviceOnEmulator, FastPagesDecodeLowByteFirstAndMarkRowsThatFailTheirCheck)
{
    TEmulatorConfig c = loggerConfig();
    c.faults = faults("rowchk=4:2"); // the fourth page read spoils its second row
    start(c, prt_MODE3);
    TTXRXInfo d = addressed();
    int decoded = 0, marked = 0;
    for (int p = 0; p < kPages; ++p) {
        SCOPED_TRACE(p);
        TFAST_PAS_LOG_RdPage page;
        page.pageindex = quint16(p);
        page.rows.fill(untouchedRow());
        ASSERT_EQ(device.Log_RdPage(d, page), FRERR_OK);
        EXPECT_EQ(page.pageindex, p);
        const std::vector<TLogRowBytes> held = transmitter->loggerPage(p);
        for (int i = 0; i < 6; ++i) {
            SCOPED_TRACE(i);
            const THART_PAS_LOG_Row& row = page.rows[size_t(i)];
            const bool spoiled = p == 3 && i == 1;
            if (checkByteGood(held[size_t(i)]) && !spoiled) {
                expectRowIs(row, held[size_t(i)], TOrder::Page);
                ++decoded;
            } else {
                // Marked, and otherwise as it was: erased slots and the spoiled row.
                EXPECT_EQ(row.event, 255);
                EXPECT_EQ(row.eventstr.str(), "CHECKSUM ERROR");
                EXPECT_EQ(row.index, 0xBEEF);
                EXPECT_EQ(row.PV, -7.0);
                ++marked;
            }
        }
    }
    EXPECT_EQ(decoded, kRows - 1);
    EXPECT_EQ(marked, 1 + 2 * 6);
    EXPECT_EQ(feedback.beeps, 0);
    EXPECT_EQ(transmitter->stats().fastCount(106), kPages);
}
