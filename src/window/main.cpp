// quentry: the service tool's window.
//   quentry [/l | /d] [image.img] [--demo] [--simulator]
// "/l" as the first argument shows the communication log, "/d" the trend window's table;
// a log image named on the command line is loaded at start; --demo (anywhere) talks to a
// virtual transmitter inside the process instead of a port, with settings of its own;
// --simulator shows "Simulate Image".
#include "demo.h"
#include "mainform.h"
#include "quentrywindows.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quentry"));
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
