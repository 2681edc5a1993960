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

using namespace quentry;

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

    QList<bench::TFigure> figures;
    figures << bench::measure("FAST read, 12288 rows", [&] { rig.click("ButtonStart", 600000); });
    const int rows = rig.store.LogCount();
    rig.messages.queueFileName(base + "full.img");
    figures << bench::measure("Save Image", [&] { rig.click("ButtonSImage"); });
    rig.messages.queueFileName(base + "full.img");
    figures << bench::measure("Load Image", [&] { rig.sheet->ButtonLImageClick(); });
    rig.messages.queueFileName(base + "full.txt");
    figures << bench::measure("To ASCII File (with table conversion)", [&] { rig.click("ButtonASC"); });
    rig.messages.queueFileName(base + "full.dbf");
    figures << bench::measure("To DBASE Table (port closed and reopened)", [&] { rig.click("ButtonDBase"); });

    std::printf("Event-loop probe: 10 ms precise timer, longest gap between two ticks (%d rows)\n", rows);
    bench::printFigures(figures);
    return rows == 12288 ? 0 : 2;
}
