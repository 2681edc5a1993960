// quentry: the service tool's window.
//   quentry [/l | /d] [image.img] [--demo] [--simulator]
// "/l" as the first argument shows the communication log, "/d" the trend window's table;
// a log image named on the command line is loaded at start; --demo (anywhere) talks to a
// virtual transmitter inside the process instead of a port, with settings of its own;
// --simulator shows "Simulate Image"; --version and --help answer without a display.
#include "demo.h"
#include "mainform.h"
#include "quentrywindows.h"

#include "quentryversion.h"

#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstring>

namespace {

const char* const kUsage =
    "Usage: quentry [/l | /d] [image.img] [--demo] [--simulator]\n"
    "  /l           (first) show the communication log window and record the full log\n"
    "  /d           (first) show the table under the trend chart\n"
    "  image.img    load this log image at start\n"
    "  --demo       talk to a virtual transmitter inside the program, with settings of its own\n"
    "  --simulator  show \"Simulate Image\"\n"
    "  --version    print the version\n"
    "See also quentry-cli --help and man quentry.\n";

} // namespace

int main(int argc, char** argv)
{
    // Before the QApplication: without a display it would end the program.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) return std::printf("quentry %s\n", QUENTRY_VERSION) < 0;
        if (std::strcmp(argv[i], "--help") == 0) return std::fputs(kUsage, stdout) < 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quentry"));
    QApplication::setApplicationVersion(QStringLiteral(QUENTRY_VERSION));
    // The installed desktop entry and icon carry this id; the desktop matches the window to them.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quentry.Quentry"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.quentry.Quentry")));
    QStringList arguments = app.arguments().mid(1);
    const bool demo = arguments.removeAll(QStringLiteral("--demo")) > 0;
    const bool simulator = arguments.removeAll(QStringLiteral("--simulator")) > 0;

    quentry::TDemoLink demoLink; // outlives the windows: the engine closes its port first
    quentry::TSettingsLocation location = quentry::TSettingsLocation::Default();
    if (demo) {
        QString error;
        if (!demoLink.Start(error)) {
            std::fprintf(stderr, "quentry: %s\n", qPrintable(error));
            return 1;
        }
        location = demoLink.Location();
        std::fprintf(stderr, "quentry: virtual transmitter on %s\n", qPrintable(demoLink.PortName()));
    }
    quentry::TQuentryWindows windows(location, arguments);
    windows.MainForm->SetSimulatorEnabled(simulator);
    windows.MainForm->show();
    return app.exec();
}
