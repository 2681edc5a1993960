// The service report of a full logger: 12 288 rows of the virtual transmitter's site
// content, decoded as a read decodes them and saved as an image. Measured: the whole
// `quentry-cli report` process (start to exit), the PDF's size, and in the main window
// the event loop's longest stall while "Service Report..." writes the same report.
#include "controlsheet.h"
#include "eventloopprobe.h"
#include "imagefile.h"
#include "loggercontent.h"
#include "mainform.h"
#include "messageservice.h"
#include "quentrywindows.h"
#include "rowdecode.h"
#include "statusdecode.h"
#include "waiting.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>

using namespace quentry;

namespace {

constexpr int kRows = 12288;
constexpr int kRuns = 5;

bool WriteImage(const QString& path)
{
    TLogStore store;
    for (const emulator::TLogRowBytes& bytes : emulator::GenerateLoggerRows(kRows, 1, 7)) {
        THART_LOG_Row raw;
        std::memcpy(&raw, bytes.data(), sizeof raw);
        THART_PAS_LOG_Row row;
        LogConvertRowAndSwap(raw, row);
        _CrackErrStat(0, row.es);
        store.Log_AddToArray(row);
    }
    return SaveImage(path, store, {}).ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString image = dir.filePath("full.img"), cliPdf = dir.filePath("cli.pdf"), windowPdf = dir.filePath("window.pdf");
    if (!WriteImage(image)) {
        std::fprintf(stderr, "the image could not be written\n");
        return 1;
    }

    QList<double> runs;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer clock;
        clock.start();
        QProcess p;
        p.start(QStringLiteral(QUENTRY_CLI_PROGRAM), {"report", image, "--pdf", cliPdf});
        if (!p.waitForFinished(60000) || p.exitCode() != 0) {
            std::fprintf(stderr, "quentry-cli report failed: %s\n", p.readAllStandardError().constData());
            return 1;
        }
        runs << double(clock.nsecsElapsed()) / 1e6;
    }
    std::sort(runs.begin(), runs.end());
    std::printf("quentry-cli report, %d rows, whole process (%d runs): median %.0f ms, fastest %.0f ms, slowest "
                "%.0f ms (goal < 2000 ms)\n",
                kRows, kRuns, runs[kRuns / 2], runs.first(), runs.last());
    std::printf("PDF size: %lld bytes\n\n", qlonglong(QFileInfo(cliPdf).size()));

    TSettingsLocation location;
    location.fallbackDir = dir.path();
    TQuentryWindows w(location, {image}); // the image loads as a program argument does
    w.Messages->setScripted(true);
    TMainForm& main = *w.MainForm;
    main.show();
    if (!WaitUntil([&main] { return main.LogStore().LogCount() == kRows; }, 30000)) {
        std::fprintf(stderr, "the image did not load\n");
        return 1;
    }
    // Without a port the pages are disabled: press the button's handler itself.
    w.Messages->queueFileName(windowPdf);
    const QList<bench::TFigure> figures = {
        bench::measure("Service Report... (12288 rows)", [&] { main.ControlSheet()->ButtonReportClick(); })};
    std::printf("Main window, event-loop probe: 10 ms precise timer, longest gap between two ticks (goal <= 100 ms)\n");
    bench::printFigures(figures);
    std::printf("window PDF: %lld bytes\n", qlonglong(QFileInfo(windowPdf).size()));
    return QFileInfo(windowPdf).size() > 0 ? 0 : 2;
}
