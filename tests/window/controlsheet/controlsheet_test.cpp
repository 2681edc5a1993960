// The Logger Control Sheet offscreen: reading against the virtual transmitter over HART
// and FAST, stopping, clearing, images and exports, and what is kept when a file
// operation is cancelled or fails.
#include "imagefile.h"
#include "logtexts.h"
#include "sheetrig.h"
#include "testrows.h"
#include "virtualtransmitter.h"
#include "waiting.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace quentry;
using namespace quentry::emulator;
using quentry::test::TSheetRig;

namespace {

quint16 heldIndex(const TLogRowBytes& b) { return quint16(b[3] << 8 | b[4]); }

TEmulatorConfig logger(TEmuProtocol protocol, int pages, int rows)
{
    TEmulatorConfig c;
    c.protocol = protocol;
    c.pages = pages;
    c.rows = rows;
    return c;
}

// The rows the store holds are the transmitter's, oldest first.
void expectHeldRows(const TSheetRig& rig, const std::vector<TLogRowBytes>& held, int count)
{
    ASSERT_LE(size_t(count), held.size());
    for (int i = 0; i < count; ++i)
        ASSERT_EQ(rig.store.Row(i).index, heldIndex(held[size_t(i)])) << "row " << i;
}

QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QList<QByteArray> storeBytes(const TLogStore& store)
{
    QList<QByteArray> rows;
    for (int i = 0; i < store.LogCount(); ++i) rows << test::ImageBytes(store.Row(i));
    return rows;
}

bool exportGroupEnabled(const TSheetRig& rig)
{
    return rig.enabled("ButtonSImage") && rig.enabled("ButtonASC") && rig.enabled("ButtonDBase") &&
           rig.enabled("ButtonTrend") && rig.enabled("ButtonReport");
}

// Presses Cancel on the progress dialog of this caption once it has moved past 0.
class TCanceller
{
public:
    explicit TCanceller(const QString& caption)
    {
        FTimer.setInterval(0);
        QObject::connect(&FTimer, &QTimer::timeout, [this, caption] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* d = qobject_cast<QProgressDialog*>(w);
                if (d && d->isVisible() && d->windowTitle() == caption && d->value() > 0) {
                    d->cancel();
                    ++canceled;
                }
            }
        });
        FTimer.start();
    }
    int canceled = 0;

private:
    QTimer FTimer;
};

} // namespace

// ---- reading ---------------------------------------------------------------------------

TEST(ControlSheetRead, HartReadShowsProgressAndEndsWithTheResult)
{
    TSheetRig rig;
    ASSERT_EQ(rig.connect(logger(TEmuProtocol::Hart, 100, 240)), "");
    EXPECT_FALSE(exportGroupEnabled(rig));
    QStringList lines, times;
    bool onlyStopEnabled = true;
    rig.onGauge = [&](int) {
        if (!rig.sheet->ReadingActive()) return; // the 0 at the end
        lines << rig.text("LabelTotalRec");
        times << rig.text("LabelTime");
        onlyStopEnabled &= rig.enabled("Buttonstop") && !rig.enabled("ButtonStart") && !rig.enabled("ButtonClear") &&
                           !rig.enabled("ButtonSImage") && !rig.enabled("ButtonASC") && !rig.menuEnabled &&
                           !rig.backEnabled;
    };
    ASSERT_TRUE(rig.click("ButtonStart"));

    const auto held = rig.transmitter->loggerRows();
    ASSERT_EQ(rig.store.LogCount(), 240);
    expectHeldRows(rig, held, 240);
    // Every row refreshes the display over HART.
    ASSERT_EQ(lines.size(), 240);
    const QRegularExpression progress(QStringLiteral("^Total: 240, Current: \\d+, Last Index: \\d+$"));
    for (const QString& l : lines) EXPECT_TRUE(progress.match(l).hasMatch()) << qPrintable(l);
    EXPECT_EQ(lines.last(), QStringLiteral("Total: 240, Current: 239, Last Index: %1").arg(heldIndex(held.back())));
    for (const QString& t : times) EXPECT_TRUE(t.startsWith("Elapsed Time: ")) << qPrintable(t);
    EXPECT_TRUE(onlyStopEnabled);
    EXPECT_EQ(rig.gauge.first(), ReadGaugePercent(0, 240).value());
    EXPECT_EQ(rig.gauge.at(rig.gauge.size() - 2), 100);
    EXPECT_EQ(rig.gauge.last(), 0) << "the gauge goes back to 0 at the end";
    EXPECT_TRUE(std::is_sorted(rig.gauge.begin(), rig.gauge.end() - 1));

    EXPECT_EQ(rig.text("LabelTotalRec"), "Result: 240 record(s) readed.");
    EXPECT_TRUE(rig.text("LabelTime").startsWith("Elapsed Time: "));
    EXPECT_EQ(rig.reading, (QList<bool>{true, false}));
    EXPECT_TRUE(rig.enabled("ButtonStart") && rig.enabled("ButtonClear") && !rig.enabled("Buttonstop"));
    EXPECT_TRUE(exportGroupEnabled(rig) && rig.menuEnabled && rig.backEnabled);
    EXPECT_FALSE(rig.transmitter->loggerState().open);
}

TEST(ControlSheetRead, FastReadOfAFullLoggerRefreshesEvery24Rows)
{
    TSheetRig rig;
    ASSERT_EQ(rig.connect(logger(TEmuProtocol::Fast, 2048, 12288)), "");
    ASSERT_TRUE(rig.click("ButtonStart", 240000));
    const auto held = rig.transmitter->loggerRows();
    ASSERT_EQ(held.size(), 12288u);
    ASSERT_EQ(rig.store.LogCount(), 12288);
    expectHeldRows(rig, held, 12288);
    EXPECT_EQ(rig.gauge.size(), 12288 / 24 + 1); // and the 0 at the end
    EXPECT_EQ(rig.text("LabelTotalRec"), "Result: 12288 record(s) readed.");
    EXPECT_TRUE(exportGroupEnabled(rig));
    EXPECT_EQ(rig.transmitter->stats().fastCount(106), 2048);
}

TEST(ControlSheetRead, StopMidReadKeepsTheRowsRead)
{
    TSheetRig rig;
    ASSERT_EQ(rig.connect(logger(TEmuProtocol::Fast, 200, 1200)), "");
    bool pressed = false;
    rig.onGauge = [&](int) {
        if (pressed || rig.store.LogCount() < 240) return;
        pressed = true;
        QTimer::singleShot(0, rig.button("Buttonstop"), &QPushButton::click);
    };
    ASSERT_TRUE(rig.click("ButtonStart"));
    ASSERT_TRUE(pressed);
    const int kept = rig.store.LogCount();
    EXPECT_GE(kept, 240);
    EXPECT_LT(kept, 1200);
    expectHeldRows(rig, rig.transmitter->loggerRows(), kept);
    EXPECT_EQ(rig.text("LabelTotalRec"), ResultRecText(rig.reader.FilePointerPos() + 1));
    EXPECT_EQ(rig.reader.FilePointerPos() + 1, kept);
    EXPECT_TRUE(exportGroupEnabled(rig) && rig.enabled("ButtonStart"));
    EXPECT_FALSE(rig.transmitter->loggerState().open) << "the logger is closed after a stop";
}

TEST(ControlSheetRead, AnEmptyLoggerReadsNoRecord)
{
    TSheetRig rig;
    ASSERT_EQ(rig.connect(logger(TEmuProtocol::Hart, 10, 0)), "");
    ASSERT_TRUE(rig.click("ButtonStart"));
    EXPECT_EQ(rig.store.LogCount(), 0);
    EXPECT_EQ(rig.text("LabelTotalRec"), "Result: 0 record(s) readed.");
    EXPECT_FALSE(exportGroupEnabled(rig));
    EXPECT_TRUE(rig.enabled("ButtonStart"));
}

TEST(ControlSheetRead, ClosingThePageDuringAReadEndsTheRead)
{
    for (const TEmuProtocol protocol : {TEmuProtocol::Hart, TEmuProtocol::Fast}) {
        SCOPED_TRACE(protocol == TEmuProtocol::Hart ? "HART" : "FAST");
        TSheetRig rig;
        ASSERT_EQ(rig.connect(logger(protocol, 200, 1200)), "");
        rig.onGauge = [&](int) {
            if (rig.store.LogCount() >= 48) QTimer::singleShot(0, [&rig] { rig.sheet.reset(); });
        };
        rig.button("ButtonStart")->click();
        EXPECT_TRUE(WaitUntil([&rig] { return !rig.reader.Active(); }, 30000));
        EXPECT_EQ(rig.sheet, nullptr);
        EXPECT_GE(rig.store.LogCount(), 48);
        EXPECT_LT(rig.store.LogCount(), 1200);
        EXPECT_FALSE(rig.transmitter->loggerState().open);
    }
}

// ---- clearing --------------------------------------------------------------------------

TEST(ControlSheetClear, OnlyYesClearsTheLogger)
{
    TSheetRig rig;
    ASSERT_EQ(rig.connect(logger(TEmuProtocol::Hart, 20, 30)), "");
    test::FillStore(rig.store, 5);

    rig.messages.queueAnswer(QMessageBox::No);
    ASSERT_TRUE(rig.click("ButtonClear"));
    ASSERT_EQ(rig.messages.shownMessages().size(), 1);
    const TMessage asked = rig.messages.shownMessages().first();
    EXPECT_EQ(asked.caption, "Confirmation");
    EXPECT_EQ(asked.text, "Are You sure to delete all records from the Device?");
    EXPECT_EQ(asked.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(asked.defaultButton, QMessageBox::No);
    EXPECT_EQ(rig.transmitter->loggerState().total, 30);

    rig.messages.queueAnswer(QMessageBox::Yes);
    ASSERT_TRUE(rig.click("ButtonClear"));
    EXPECT_EQ(rig.transmitter->loggerState().total, 0);
    EXPECT_FALSE(rig.transmitter->loggerState().open);
    EXPECT_EQ(rig.store.LogCount(), 5) << "clearing the transmitter leaves the rows in hand";
}

// ---- images and exports ----------------------------------------------------------------

TEST(ControlSheetFiles, SaveLoadAndExportsMatchTheCommandLineTool)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString base = dir.path() + "/";
    TSheetRig rig;
    rig.sheet->SetFullLog(true);
    ASSERT_EQ(rig.connect(logger(TEmuProtocol::Fast, 60, 300)), "");
    ASSERT_TRUE(rig.click("ButtonStart"));
    ASSERT_EQ(rig.store.LogCount(), 300);
    const QList<QByteArray> read = storeBytes(rig.store);

    rig.messages.queueFileName(base + "site"); // the dialog adds the extension
    ASSERT_TRUE(rig.click("ButtonSImage"));
    const TFileDialogRequest saved = rig.messages.shownFileDialogs().last();
    EXPECT_EQ(saved.caption, "Saving Logger Image File");
    EXPECT_EQ(saved.filter, "Logger Image files (*.img);;All files (*.*)");
    EXPECT_EQ(saved.defaultSuffix, "img");
    EXPECT_TRUE(saved.confirmOverwrite);
    EXPECT_EQ(contents(base + "site.img").size(), 4 + 457 * 300);
    EXPECT_TRUE(rig.text("Label4").startsWith("Saved 300 record(s), Elapsed Time: ")) << qPrintable(rig.text("Label4"));
    EXPECT_TRUE(rig.enabled("ButtonStart") && rig.menuEnabled);

    rig.messages.queueFileName(base + "site.img");
    rig.sheet->ButtonLImageClick();
    const TFileDialogRequest opened = rig.messages.shownFileDialogs().last();
    EXPECT_EQ(opened.caption, "Loading Logger Image File");
    EXPECT_EQ(opened.mode, TFileDialogRequest::TMode::Open);
    EXPECT_EQ(opened.fileName, base + "site") << "the last name, without its extension";
    EXPECT_EQ(rig.memo, QStringList{"Image File: " + base + "site.img Loaded."});
    EXPECT_EQ(rig.loadedPath, base + "site.img");
    EXPECT_EQ(storeBytes(rig.store), read);
    EXPECT_TRUE(rig.text("Label4").startsWith("Loading from 300 record(s), "));
    EXPECT_FALSE(rig.access.DeviceFound) << "after a load the window works on file data only";
    EXPECT_FALSE(rig.enabled("ButtonStart") || rig.enabled("ButtonClear"));
    EXPECT_TRUE(exportGroupEnabled(rig) && rig.menuEnabled && rig.nextEnabled && rig.backEnabled);

    rig.messages.queueFileName(base + "gui");
    ASSERT_TRUE(rig.click("ButtonASC"));
    EXPECT_EQ(rig.messages.shownFileDialogs().last().caption, "Saving ASCII Text File");
    EXPECT_TRUE(rig.text("Label4").startsWith("Exported 300 record(s), "));
    EXPECT_EQ(rig.text("LabelTotalRec"), "Result: 300 record(s) readed.");

    // The port is closed while the table is written and open again afterwards.
    QList<bool> connected;
    QTimer sample;
    QObject::connect(&sample, &QTimer::timeout, [&] { connected << rig.engine.Connected(); });
    sample.start(0);
    rig.messages.queueFileName(base + "gui.dbf");
    ASSERT_TRUE(rig.click("ButtonDBase"));
    sample.stop();
    EXPECT_EQ(rig.messages.shownFileDialogs().last().caption, "Saving Database");
    EXPECT_TRUE(connected.contains(false));
    EXPECT_TRUE(rig.engine.Connected());
    EXPECT_TRUE(rig.text("Label4").startsWith("Exported 300 record(s), "));
    EXPECT_TRUE(exportGroupEnabled(rig) && rig.menuEnabled);

    QProcess cli;
    cli.start(QStringLiteral(QUENTRY_CLI_PROGRAM),
              {"convert", base + "site.img", "--ascii", base + "cli.txt", "--dbf", base + "cli.dbf"});
    ASSERT_TRUE(cli.waitForFinished(60000));
    ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().constData();
    EXPECT_EQ(contents(base + "gui.txt"), contents(base + "cli.txt"));
    EXPECT_EQ(contents(base + "gui.dbf"), contents(base + "cli.dbf"));
    EXPECT_EQ(contents(base + "gui.txt").count("\r\n"), 300);
}

TEST(ControlSheetFiles, ACancelledSaveLeavesAFileThatLoads)
{
    QTemporaryDir dir;
    TSheetRig rig;
    test::FillStore(rig.store, 3000);
    rig.sheet->SetExportGroupEnabled(true);
    const QString path = dir.path() + "/cut.img";
    rig.messages.queueFileName(path);
    TCanceller cancel("Saving Image");
    ASSERT_TRUE(rig.click("ButtonSImage"));
    EXPECT_EQ(cancel.canceled, 1);
    EXPECT_EQ(rig.store.LogCount(), 3000);

    TLogStore back;
    const TFileResult r = LoadImage(path, back, {});
    ASSERT_TRUE(r.ok) << qPrintable(r.error);
    EXPECT_GT(back.LogCount(), 0);
    EXPECT_LT(back.LogCount(), 3000);
    for (int i = 0; i < back.LogCount(); ++i)
        ASSERT_EQ(test::ImageBytes(back.Row(i)), test::ImageBytes(rig.store.Row(i))) << i;
    EXPECT_TRUE(rig.menuEnabled && exportGroupEnabled(rig));
}

TEST(ControlSheetFiles, FailuresAreReportedAndLoseNothing)
{
    QTemporaryDir dir;
    const QString base = dir.path() + "/";
    const QString missing = base + "no such directory/";
    // A valid image of 10 rows with one byte of row 5 spoiled.
    {
        TLogStore ten;
        test::FillStore(ten, 10);
        ASSERT_TRUE(SaveImage(base + "bad.img", ten, {}).ok);
        QFile f(base + "bad.img");
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.seek(4 + 457 * 5 + 100);
        f.write("\x7f", 1);
    }
    struct Case
    {
        const char* what;
        std::function<void(TSheetRig&)> act;
        QString message; // the start of the box shown; empty: none
        QString memo;
    } cases[] = {
        {"save into a missing directory",
         [&](TSheetRig& rig) {
             rig.messages.queueFileName(missing + "x.img");
             rig.click("ButtonSImage");
         },
         "Error writing x.img!", {}},
        {"ASCII into a missing directory",
         [&](TSheetRig& rig) {
             rig.messages.queueFileName(missing + "x.txt");
             rig.click("ButtonASC");
         },
         "Error creating x.txt!", {}},
        {"dBASE into a missing directory",
         [&](TSheetRig& rig) {
             rig.messages.queueFileName(missing + "x.dbf");
             rig.click("ButtonDBase");
         },
         "Error creating table x.dbf!", {}},
        {"a corrupt image", [&](TSheetRig& rig) { rig.sheet->LoadImageFile(base + "bad.img"); }, "Crc Error!\rAborted!",
         "Image File: " + base + "bad.img Canceled."},
        {"the load dialog cancelled", [&](TSheetRig& rig) { rig.sheet->ButtonLImageClick(); }, {},
         "Image File:  Canceled."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TSheetRig rig;
        rig.access.DeviceFound = true;
        test::FillStore(rig.store, 400);
        rig.sheet->SetStartClearGroupEnabled(true);
        rig.sheet->SetExportGroupEnabled(true);
        const QList<QByteArray> before = storeBytes(rig.store);

        c.act(rig);
        EXPECT_TRUE(rig.sheet->Idle());
        if (c.message.isEmpty()) {
            EXPECT_TRUE(rig.messages.shownMessages().isEmpty());
        } else {
            ASSERT_EQ(rig.messages.shownMessages().size(), 1);
            EXPECT_TRUE(rig.messages.shownMessages().first().text.startsWith(c.message))
                << qPrintable(rig.messages.shownMessages().first().text);
        }
        if (!c.memo.isEmpty()) {
            EXPECT_EQ(rig.memo, QStringList{c.memo});
        }
        EXPECT_EQ(storeBytes(rig.store), before);
        EXPECT_TRUE(rig.access.DeviceFound);
        EXPECT_TRUE(rig.menuEnabled);
        EXPECT_TRUE(exportGroupEnabled(rig));
        EXPECT_TRUE(rig.enabled("ButtonStart") && rig.enabled("ButtonClear"));
        EXPECT_EQ(rig.text("Label4"), "");
    }
}

// ---- hand-offs -------------------------------------------------------------------------

TEST(ControlSheetTrend, ShowTrendHandsTheConvertedTableOrSaysItIsMissing)
{
    TSheetRig rig;
    rig.sheet->SetExportGroupEnabled(true);
    ASSERT_TRUE(rig.click("ButtonTrend"));
    EXPECT_TRUE(rig.trendRecords.isEmpty()) << "nothing to show without rows";

    test::FillStore(rig.store, 120);
    ASSERT_TRUE(rig.click("ButtonTrend"));
    EXPECT_EQ(rig.trendRecords, QList<int>{120});
    EXPECT_TRUE(rig.table.TableConverted());
    EXPECT_EQ(rig.text("LabelTotalRec"), "Result: 120 record(s) readed.");
    EXPECT_TRUE(exportGroupEnabled(rig) && rig.menuEnabled && rig.backEnabled && rig.nextEnabled);

    TLoggerControlSheet bare({rig.access, rig.reader, rig.store, rig.table, rig.messages}, {});
    bare.SetExportGroupEnabled(true);
    bare.findChild<QPushButton*>("ButtonTrend")->click();
    ASSERT_EQ(rig.messages.shownMessages().size(), 1);
    EXPECT_EQ(rig.messages.shownMessages().first().text, "The trend window is not available yet.");
    EXPECT_TRUE(bare.findChild<QPushButton*>("ButtonSimulate")->isHidden());
}
