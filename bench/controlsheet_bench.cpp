// Responsiveness of the Logger Control Sheet: the longest stretch the event loop did not
// run while the page reads a full logger (12 288 rows) from the virtual transmitter over
// FAST, saves it as an image, loads it again and exports it to ASCII and dBASE. The page
// is shown (offscreen unless a platform is given) so repaints are part of the cost.
#include "eventloopprobe.h"
#include "sheetrig.h"
#include "virtualtransmitter.h"

#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

using namespace quentry;

namespace {

struct TFigure
{
    const char* what;
    double elapsedMs, longestGapMs;
    int ticks, longGaps;
};

TFigure measure(const char* what, const std::function<void()>& run)
{
    bench::TEventLoopProbe probe;
    probe.start();
    run();
    probe.stop();
    return {what, probe.elapsedMs(), probe.longestGapMs(), probe.ticks(), probe.longGaps()};
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString base = dir.path() + "/";

    test::TSheetRig rig;
    rig.sheet->show();
    emulator::TEmulatorConfig config;
    config.protocol = emulator::TEmuProtocol::Fast; // 2048 pages, 12 288 rows, unpaced
    const QString problem = rig.connect(config);
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "virtual transmitter: %s\n", qPrintable(problem));
        return 1;
    }

    QList<TFigure> figures;
    figures << measure("FAST read, 12288 rows", [&] { rig.click("ButtonStart", 600000); });
    const int rows = rig.store.LogCount();
    rig.messages.queueFileName(base + "full.img");
    figures << measure("Save Image", [&] { rig.click("ButtonSImage"); });
    rig.messages.queueFileName(base + "full.img");
    figures << measure("Load Image", [&] { rig.sheet->ButtonLImageClick(); });
    rig.messages.queueFileName(base + "full.txt");
    figures << measure("To ASCII File (with table conversion)", [&] { rig.click("ButtonASC"); });
    rig.messages.queueFileName(base + "full.dbf");
    figures << measure("To DBASE Table (port closed and reopened)", [&] { rig.click("ButtonDBase"); });

    std::printf("Event-loop probe: 10 ms precise timer, longest gap between two ticks (%d rows)\n", rows);
    std::printf("%-44s %10s %14s %7s %12s\n", "operation", "total ms", "longest gap ms", "ticks", "gaps >100ms");
    for (const TFigure& f : figures)
        std::printf("%-44s %10.1f %14.1f %7d %12d\n", f.what, f.elapsedMs, f.longestGapMs, f.ticks, f.longGaps);
    return rows == 12288 ? 0 : 2;
}
