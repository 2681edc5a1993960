// ASCII export: the exact columns of a line, against printf as the reference, and the file
// with its numbering, line ends, Cancel and write errors.
#include "asciiexport.h"
#include "numberformat.h"
#include "recordingfeedback.h"
#include "testrows.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <clocale>
#include <cstdio>
#include <limits>

using namespace quentry;
using quentry::test::TRecordingFeedback;

namespace {

THART_PAS_LOG_Row KnownRow()
{
    THART_PAS_LOG_Row r;
    r.datetime = *TryEncodeDateTime(2015, 3, 7, 9, 5, 59);
    r.index = 17;
    r.eventstr = QStringLiteral("RTC_SET");
    r.PV = 1.23456;
    r.PVunitstr = QStringLiteral("m3/h");
    r.DIST = 4.5;
    r.LEV = -0.0625;
    r.DISTLEVunitstr = QStringLiteral("m");
    r.temperature = 25.05;
    r.temperatureunitstr = QStringLiteral("Cgrad");
    r.current = 12.345;
    r.TOT1 = 1234567.891;
    r.TOT2 = -5.5;
    r.TOTunitstr = QStringLiteral("m3");
    r.es.error = 0;
    r.es.status = 0x4621;
    r.SNratio = 42;
    r.peakinfo_index = 3;
    r.peakinfo_total = 12;
    r.peakinfo_amp = -63;
    r.debug1_gain = 7;
    r.debug1_phase = 2;
    r.debug1_sensorindex = 15;
    r.pchk = 200;
    r.event = 23;
    r.chk = 135;
    r.debug2 = 99; // not written
    return r;
}

// The line as printf in the C locale writes it, column by column.
QByteArray PrintfLine(const THART_PAS_LOG_Row& r, int counter)
{
    std::setlocale(LC_NUMERIC, "C");
    const auto parts = *TryDecodeDateTime(r.datetime);
    const auto s = [](const auto& t) { return QByteArray(t.chars.data(), t.size()); };
    char buf[2048];
    std::snprintf(buf, sizeof buf,
                  "%6d, %04d-%02d-%02d, %02d:%02d, %6d, %15s, %7.3f %s, %7.3f %s, %7.3f %s, %3.1f %s, %5.2f, "
                  "%9.3f %s, %9.3f %s, %4X, %4X, %3d, %3d, %3d, %3d dB,%3d, %3d, %3d, %3d, %3d, %3d",
                  counter, parts.year, parts.month, parts.day, parts.hour, parts.minute, r.index,
                  s(r.eventstr).constData(), r.PV, s(r.PVunitstr).constData(), r.DIST,
                  s(r.DISTLEVunitstr).constData(), r.LEV, s(r.DISTLEVunitstr).constData(), r.temperature,
                  s(r.temperatureunitstr).constData(), r.current, r.TOT1, s(r.TOTunitstr).constData(), r.TOT2,
                  s(r.TOTunitstr).constData(), r.es.error, r.es.status, r.SNratio, r.peakinfo_index,
                  r.peakinfo_total, r.peakinfo_amp, r.debug1_gain, r.debug1_phase, r.debug1_sensorindex, r.pchk,
                  r.event, r.chk);
    return QByteArray(buf);
}

} // namespace

TEST(AsciiLine, EveryColumnInItsFormat)
{
    EXPECT_EQ(Log_AddASC(KnownRow(), 0),
              QByteArray("     0, 2015-03-07, 09:05,     17,         RTC_SET,   1.235 m3/h,   4.500 m,  -0.062 m, "
                         "25.1 Cgrad, 12.35, 1234567.891 m3,    -5.500 m3,    0, 4621,  42,   3,  12, -63 dB,  7, "
                         "  2,  15, 200,  23, 135"));

    THART_PAS_LOG_Row r = KnownRow();
    r.es.error = 0x1A;
    r.es.status = 0xBEEF;
    r.eventstr = QStringLiteral("PRIMARY_VALUE_OUTZ__"); // 20 characters: written whole
    const QByteArray line = Log_AddASC(r, 123456, '.');
    EXPECT_TRUE(line.startsWith("123456, 2015-03-07, 09.05,     17, PRIMARY_VALUE_OUTZ__,   1.235 m3/h,"))
        << line.constData();
    EXPECT_TRUE(line.contains(",   1A, BEEF,  42,")) << line.constData();
}

TEST(AsciiLine, MatchesPrintfForVariedRowsWhateverTheDefaultLocale)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); // decimal comma
    for (int i = 0; i < 500; ++i) {
        const THART_PAS_LOG_Row r = test::MakeTestRow(i);
        ASSERT_EQ(Log_AddASC(r, i), PrintfLine(r, i)) << "row " << i;
    }
    THART_PAS_LOG_Row r = KnownRow();
    r.PV = -0.0;
    r.DIST = 1e20;
    r.LEV = 0.0005; // a tie in decimal, not in binary
    r.temperature = -273.15;
    r.peakinfo_amp = -2147483647;
    EXPECT_EQ(Log_AddASC(r, -1), PrintfLine(r, -1));
    QLocale::setDefault(before);
}

TEST(NumberFormat, DotDecimalSeparatorForTheWholeProcess)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    UseDotDecimalSeparator();
    EXPECT_EQ(QLocale().toString(1.5), "1.5");
    EXPECT_EQ(QLocale().toString(12345), "12345");
    EXPECT_STREQ(std::localeconv()->decimal_point, ".");
    char buf[16];
    std::snprintf(buf, sizeof buf, "%.2f", 2.5);
    EXPECT_STREQ(buf, "2.50");
    QLocale::setDefault(before);
}

TEST(AsciiLine, AStampNoCalendarHoldsIsWrittenAsZeros)
{
    THART_PAS_LOG_Row r = KnownRow();
    r.datetime = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(Log_AddASC(r, 0).startsWith("     0, 0000-00-00, 00:00,     17,"));
}

namespace {

struct AsciiFixture : ::testing::Test
{
    QTemporaryDir dir;
    TRecordingFeedback feedback;
    TOperationContext context;
    AsciiFixture() { context.Feedback = &feedback; }
};

} // namespace

TEST_F(AsciiFixture, WritesEveryRowNumberedFromZeroWithCrLf)
{
    TLogStore store;
    test::FillStore(store, 250);
    context.FullLog = true;
    const QString path = dir.filePath("Export.txt");
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(100000, 'z')); // longer than the export: must be replaced, not overwritten
    old.close();

    const TFileResult r = ExportAscii(path, store, context, ':');
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.records, 250);
    EXPECT_TRUE(r.label4.startsWith("Exported 250 record(s), Elapsed Time: "));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray expected;
    for (int i = 0; i < 250; ++i) expected += PrintfLine(store.Row(i), i) + "\r\n";
    EXPECT_EQ(f.readAll(), expected);

    ASSERT_EQ(feedback.opened.size(), 2);
    EXPECT_EQ(feedback.opened[0].caption, "Saving Database");
    EXPECT_EQ(feedback.opened[0].text, "Creating Database...\r\r");
    EXPECT_FALSE(feedback.opened[0].cancelButton);
    EXPECT_EQ(feedback.opened[1].caption, "Saving Database");
    EXPECT_EQ(feedback.opened[1].maximum, 249);
    EXPECT_TRUE(feedback.opened[1].cancelButton);
    EXPECT_EQ(feedback.opened[1].text, "Exporting to Export.txt\rPlease Wait!\r");
    EXPECT_EQ(feedback.openNow, 0);
}

TEST_F(AsciiFixture, CancelLeavesTheLinesWrittenSoFar)
{
    TLogStore store;
    test::FillStore(store, 50);
    feedback.cancelAfterChecks(10);
    const QString path = dir.filePath("part.txt");
    const TFileResult r = ExportAscii(path, store, context, ':');
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(r.canceled);
    EXPECT_EQ(r.records, 10);
    EXPECT_TRUE(r.label4.isEmpty());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().count("\r\n"), 10);
}

TEST_F(AsciiFixture, AFileThatCannotBeCreatedIsReported)
{
    TLogStore store;
    test::FillStore(store, 2);
    const TFileResult r = ExportAscii(dir.filePath("no-such-dir/x.txt"), store, context, ':');
    EXPECT_FALSE(r.ok);
    ASSERT_EQ(feedback.errors.size(), 1);
    EXPECT_TRUE(feedback.errors[0].startsWith("Error creating x.txt!\r"));
    EXPECT_EQ(feedback.openNow, 0);

#ifdef Q_OS_LINUX
    // A device that takes no bytes: the write fails, and the export says so.
    if (QFile::exists("/dev/full")) {
        feedback.errors.clear();
        const TFileResult full = ExportAscii(QStringLiteral("/dev/full"), store, context, ':');
        EXPECT_FALSE(full.ok);
        ASSERT_EQ(feedback.errors.size(), 1);
        EXPECT_TRUE(feedback.errors[0].startsWith("Error writing full!\r"));
    }
#endif
}
