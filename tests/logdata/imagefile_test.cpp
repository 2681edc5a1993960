// Log image files: the row layout, exact round trips, the result lines, cancelled saves and
// the files a load must refuse.
#include "imagefile.h"
#include "imagerow.h"
#include "recordingfeedback.h"
#include "testrows.h"
#include "wire/crc16.h"
#include "wire/wireconv.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cstring>

using namespace quentry;
using quentry::test::TRecordingFeedback;

namespace {

QByteArray ReadAll(const QString& path) { return test::FileBytes(path); }

void WriteAll(const QString& path, const QByteArray& bytes) { ASSERT_TRUE(test::WriteFileBytes(path, bytes)); }

QByteArray Le32(qint32 v)
{
    QByteArray b(4, '\0');
    writeLE32(reinterpret_cast<quint8*>(b.data()), quint32(v));
    return b;
}

// An image of rows 0..n-1 of the test rows, made without the saver.
QByteArray ImageOf(int n, qint32 count)
{
    QByteArray image = Le32(count);
    for (int i = 0; i < n; ++i) {
        const QByteArray row = test::ImageBytes(test::MakeTestRow(i));
        const quint16 crc = crc16Of(row.constData(), std::size_t(row.size()));
        image += row;
        image += char(crc & 0xFF);
        image += char(crc >> 8);
    }
    return image;
}

struct ImageFixture : ::testing::Test
{
    QTemporaryDir dir;
    TRecordingFeedback feedback;
    TOperationContext context;
    int pumps = 0;
    ImageFixture()
    {
        context.Feedback = &feedback;
        context.ProcessEvents = [this] { ++pumps; };
    }
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
};

} // namespace

TEST(ImageRow, FieldsSitAtTheirOffsetsLittleEndian)
{
    THART_PAS_LOG_Row r = test::MakeTestRow(4);
    r.datetime = 1.5; // 0x3FF8000000000000
    r.index = 0x1234;
    r.PV = -2.0;      // 0xC000000000000000
    r.es.error = 0xABCD;
    r.es.status = 0x4621;
    r.es.PVmode = 0x77;
    r.es.MenuState = 0x88;
    r.peakinfo_amp = -63;
    const QByteArray b = test::ImageBytes(r);
    ASSERT_EQ(b.size(), 455);
    const auto at = [&](int offset, int n) { return b.mid(offset, n).toHex(); };
    EXPECT_EQ(at(0, 8), "000000000000f83f");
    EXPECT_EQ(at(8, 2), "3412");
    EXPECT_EQ(quint8(b[10]), r.event);
    EXPECT_EQ(quint8(b[11]), r.eventstr.length);
    EXPECT_EQ(b.mid(12, 100), QByteArray(r.eventstr.chars.data(), 100)) << "all 100 bytes, beyond the length too";
    EXPECT_EQ(at(112, 8), "00000000000000c0");
    EXPECT_EQ(quint8(b[136]), r.DISTLEVunitstr.length);
    EXPECT_EQ(quint8(b[157]), r.PVunitstr.length);
    EXPECT_EQ(b.mid(158, 20), QByteArray(r.PVunitstr.chars.data(), 20));
    EXPECT_EQ(quint8(b[194]), r.TOTunitstr.length);
    EXPECT_EQ(quint8(b[223]), r.temperatureunitstr.length);
    EXPECT_EQ(at(252, 4), "cdab2146");
    EXPECT_EQ(quint8(b[256]), r.es.Errorstr.length);
    EXPECT_EQ(quint8(b[307]), r.es.Warningstr.length);
    EXPECT_EQ(quint8(b[358]), 0x77);
    EXPECT_EQ(quint8(b[359]), r.es.PVmodestr.length);
    EXPECT_EQ(quint8(b[380]), 0x88);
    EXPECT_EQ(quint8(b[381]), r.es.MenuStateStr.length);
    const bool flags[] = {r.es.SimulationActive, r.es.UPSWPresent, r.es.Relay,           r.es.ULockActive, r.es.FLocked,
                          r.es.DiagBurstActive,  r.es.LoggerOpened, r.es.CalibrationActive, r.es.PVValid};
    for (int k = 0; k < 9; ++k) EXPECT_EQ(quint8(b[432 + k]), flags[k] ? 1 : 0) << "flag " << k;
    EXPECT_EQ(quint8(b[441]), r.es.fill);
    EXPECT_EQ(at(442, 4), "c1ffffff");
    const quint8 tail[] = {r.peakinfo_index, r.peakinfo_total, r.SNratio, r.pchk, r.debug1_gain,
                           r.debug1_phase, r.debug1_sensorindex, r.debug2, r.chk};
    for (int k = 0; k < 9; ++k) EXPECT_EQ(quint8(b[446 + k]), tail[k]) << "byte " << 446 + k;

    EXPECT_EQ(DecodeImageRow(reinterpret_cast<const quint8*>(b.constData())), r);
    QByteArray odd = b;
    odd[434] = 2; // a Boolean byte that is neither 0 nor 1 reads as true
    EXPECT_TRUE(DecodeImageRow(reinterpret_cast<const quint8*>(odd.constData())).es.Relay);
}

TEST_F(ImageFixture, SavedAndLoadedRowsAreByteIdentical)
{
    TLogStore store;
    test::FillStore(store, 1000);
    context.FullLog = true;
    const TFileResult saved = SaveImage(path("log.img"), store, context);
    ASSERT_TRUE(saved.ok) << saved.error.toStdString();
    EXPECT_EQ(saved.records, 1000);
    EXPECT_TRUE(saved.label4.startsWith("Saved 1000 record(s), Elapsed Time: ")) << saved.label4.toStdString();
    const QByteArray file = ReadAll(path("log.img"));
    EXPECT_EQ(file, ImageOf(1000, 1000)) << "count, rows and per-row CRC exactly";

    TLogStore loaded;
    test::FillStore(loaded, 5);
    const TFileResult result = LoadImage(path("log.img"), loaded, context);
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_TRUE(result.label4.startsWith("Loading from 1000 record(s), Elapsed Time: "));
    ASSERT_EQ(loaded.LogCount(), 1000);
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(test::ImageBytes(loaded.Row(i)), test::ImageBytes(store.Row(i))) << i;
    EXPECT_EQ(loaded.Row(1000), THART_PAS_LOG_Row{}) << "the rest of the store is empty";

    ASSERT_TRUE(SaveImage(path("again.img"), loaded, context).ok);
    EXPECT_EQ(ReadAll(path("again.img")), file);
    EXPECT_TRUE(feedback.errors.isEmpty());
}

TEST_F(ImageFixture, DialogsAndResultLines)
{
    TLogStore store;
    test::FillStore(store, 300);
    ASSERT_TRUE(SaveImage(path("a.img"), store, context).ok);
    ASSERT_EQ(feedback.opened.size(), 1);
    EXPECT_EQ(feedback.opened[0].caption, "Saving Image");
    EXPECT_EQ(feedback.opened[0].maximum, 100);
    EXPECT_TRUE(feedback.opened[0].cancelButton);
    EXPECT_EQ(feedback.opened[0].centre, TCentre::Screen);
    EXPECT_EQ(feedback.dialogs[0]->texts.value(1), "Saving to a.img\rPlease Wait!\rElapsed Time: 0.00 [min]");
    EXPECT_EQ(feedback.dialogs[0]->positions.last(), 100); // 299 / 300, rounded
    EXPECT_EQ(pumps, 1 + 3) << "once before the loop, then after every 100th row";

    pumps = 0;
    TFileResult loaded = LoadImage(path("a.img"), store, context);
    EXPECT_TRUE(loaded.ok);
    EXPECT_TRUE(loaded.label4.isEmpty()) << "result lines only with the full log";
    ASSERT_EQ(feedback.opened.size(), 2);
    EXPECT_EQ(feedback.opened[1].caption, "Loading Image");
    EXPECT_FALSE(feedback.opened[1].cancelButton);
    EXPECT_EQ(feedback.opened[1].text, "Loading from a.img\rPlease Wait!\r");
    EXPECT_EQ(pumps, 1 + 3);
    EXPECT_EQ(feedback.openNow, 0);

    EXPECT_EQ(ImageMemoLine("/x/a.img", true), "Image File: /x/a.img Loaded.");
    EXPECT_EQ(ImageMemoLine("/x/a.img", false), "Image File: /x/a.img Canceled.");
}

TEST_F(ImageFixture, CancelledSaveLeavesALoadableFile)
{
    TLogStore store;
    test::FillStore(store, 100);
    feedback.cancelAfterChecks(40);
    TFileResult saved = SaveImage(path("part.img"), store, context);
    EXPECT_TRUE(saved.canceled);
    EXPECT_TRUE(saved.ok);
    EXPECT_EQ(saved.records, 40);
    EXPECT_EQ(ReadAll(path("part.img")), ImageOf(40, 40)) << "the count says what follows";

    TLogStore loaded;
    ASSERT_TRUE(LoadImage(path("part.img"), loaded, context).ok);
    EXPECT_EQ(loaded.LogCount(), 40);

    // Cancelled before the first row: the file that was there stays as it was.
    feedback.cancelAfterChecks(0);
    saved = SaveImage(path("part.img"), store, context);
    EXPECT_FALSE(saved.ok);
    EXPECT_TRUE(saved.canceled);
    EXPECT_EQ(ReadAll(path("part.img")), ImageOf(40, 40));
    EXPECT_TRUE(feedback.errors.isEmpty());
}

TEST_F(ImageFixture, SaveThatCannotWriteIsReportedAndKeepsTheOldFile)
{
    TLogStore store;
    test::FillStore(store, 3);
    TFileResult r = SaveImage(path("missing-dir/x.img"), store, context);
    EXPECT_FALSE(r.ok);
    ASSERT_EQ(feedback.errors.size(), 1);
    EXPECT_TRUE(feedback.errors[0].startsWith("Error writing x.img!\r")) << feedback.errors[0].toStdString();

    TLogStore empty;
    r = SaveImage(path("empty.img"), empty, context);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(QFile::exists(path("empty.img"))) << "an empty store saves nothing";
    EXPECT_EQ(feedback.errors.size(), 1);
}

TEST_F(ImageFixture, BadFilesLoadNothing)
{
    QByteArray badCrc = ImageOf(3, 3);
    badCrc[4 + 457 + 200] = char(badCrc[4 + 457 + 200] ^ 0x01);
    QByteArray badStoredCrc = ImageOf(2, 2);
    badStoredCrc[4 + 457 + 455] = char(badStoredCrc[4 + 457 + 455] ^ 0x80);
    QByteArray random(4 + 457 * 3, '\0');
    QRandomGenerator rng(7);
    for (auto& c : random) c = char(rng.bounded(256));
    random.replace(0, 4, Le32(3));

    struct Case
    {
        const char* what;
        QByteArray bytes;
        bool crcBox;
        QString reason; // what the refusal names
    };
    const Case cases[] = {
        {"empty file", QByteArray(), false, "the file is empty"},
        {"short header", Le32(1).left(3), false, "the file is shorter than its 4-byte row count"},
        {"count 0", Le32(0), false, "it holds no rows"},
        {"negative count", Le32(-1) + ImageOf(1, 1).mid(4), false,
         "its row count -1 is not one a logger image can have (0 to 12289)"},
        {"count beyond the store", Le32(12290) + ImageOf(2, 2).mid(4), false,
         "its row count 12290 is not one a logger image can have (0 to 12289)"},
        {"huge count", Le32(0x7FFFFFFF), false, "its row count 2147483647 is not one"},
        {"cut after a whole row", ImageOf(1, 2), true, "the file is too short for its 2 rows: 461 bytes, 918 needed"},
        {"cut inside a row", ImageOf(2, 2).left(4 + 457 + 300), true, "the file is too short for its 2 rows"},
        {"cut before the checksum's last byte", ImageOf(2, 2).chopped(1), true, "917 bytes, 918 needed"},
        {"row byte changed", badCrc, true, "row 2 of 3 fails its check"},
        {"checksum changed", badStoredCrc, true, "row 2 of 2 fails its check"},
        {"random rows", random, true, "row 1 of 3 fails its check"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        WriteAll(path("bad.img"), k.bytes);
        TLogStore store;
        test::FillStore(store, 4);
        feedback.errors.clear();
        const TFileResult r = LoadImage(path("bad.img"), store, context);
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(r.error.startsWith(k.reason) || r.error.endsWith(k.reason)) << r.error.toStdString();
        EXPECT_EQ(store.LogCount(), 0);
        EXPECT_EQ(store.Row(0), THART_PAS_LOG_Row{}) << "no row of the file or of before stays";
        EXPECT_EQ(feedback.errors, k.crcBox ? QStringList{"Crc Error!\rAborted!"} : QStringList{});
        EXPECT_EQ(feedback.openNow, 0);
    }

    // Not files of rows at all: named, refused before a byte is read, no box.
    const struct { QString path; QString reason; } others[] = {
        {path("nothing-here.img"), "it does not exist"},
        {dir.path(), "it is a folder"},
        {"/dev/zero", "it is a device file, not a file of rows"},
    };
    for (const auto& o : others) {
        SCOPED_TRACE(o.path.toStdString());
        TLogStore store;
        feedback.errors.clear();
        const TFileResult r = LoadImage(o.path, store, context);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.error, o.reason);
        EXPECT_EQ(store.LogCount(), 0);
        EXPECT_TRUE(feedback.errors.isEmpty());
    }
}

TEST_F(ImageFixture, AFullLoggerLoadsAndACountBeyondTheStoreIsRefused)
{
    QByteArray image = ImageOf(1, 12288);
    const QByteArray record = image.mid(4);
    image.reserve(4 + 457 * 12290);
    for (int i = 1; i < 12290; ++i) image += record;
    WriteAll(path("full.img"), image.left(4 + 457 * 12288));
    TLogStore store;
    EXPECT_TRUE(LoadImage(path("full.img"), store, context).ok);
    EXPECT_EQ(store.LogCount(), 12288);

    image.replace(0, 4, Le32(12290));
    WriteAll(path("full.img"), image);
    EXPECT_FALSE(LoadImage(path("full.img"), store, context).ok);
    EXPECT_EQ(store.LogCount(), 0);
    EXPECT_TRUE(feedback.errors.isEmpty());
}
