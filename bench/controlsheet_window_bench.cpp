// Responsiveness of the whole main window (page 2, the status-bar gauge and the
// communication log window shown with "/l") while it reads a full logger (12 288 rows)
// from the virtual transmitter over FAST, saves the image, loads it again and exports it
// to ASCII and dBASE. The same event-loop probe as the page-only bench.
#include "eventloopprobe.h"
#include "logentrymodel.h"
#include "logform.h"
#include "mainform.h"
#include "messageservice.h"
#include "quentrywindows.h"
#include "virtualtransmitter.h"
#include "waiting.h"

#include <QApplication>
#include <QFile>
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

    emulator::TEmulatorConfig config;
    config.protocol = emulator::TEmuProtocol::Fast; // 2048 pages, 12 288 rows, unpaced
    config.turnaroundMs = 0;
    emulator::TVirtualTransmitter transmitter(config);
    const QString port = transmitter.start();
    if (port.isEmpty()) {
        std::fprintf(stderr, "virtual transmitter: %s\n", qPrintable(transmitter.errorString()));
        return 1;
    }
    TSettingsLocation location;
    location.fallbackDir = dir.path();
    {
        QFile ini(location.ReadPath());
        if (!ini.open(QIODevice::WriteOnly)) return 1;
        // The shortest byte gap the engine allows, as the page-only bench uses.
        ini.write(QStringLiteral("[Main]\nComPortName=%1\nProtocol=%2\nAdapter=0\nTimeOut=0\n")
                      .arg(port)
                      .arg(int(prt_MODE3))
                      .toUtf8());
    }

    TQuentryWindows w(location, {QStringLiteral("/l")});
    w.Messages->setScripted(true);
    TMainForm& main = *w.MainForm;
    main.show();
    WaitFor(100);
    auto click = [&main](const char* name) {
        if (auto* b = main.findChild<QPushButton*>(QLatin1String(name))) b->click();
    };
    click("ButtonRefresh");
    if (!main.DeviceFound()) {
        std::fprintf(stderr, "the virtual transmitter was not detected\n");
        return 1;
    }
    main.ShowPage(TMainForm::kPageControlSheet);

    QList<bench::TFigure> figures;
    figures << bench::measure("FAST read, 12288 rows", [&] {
        bool ended = false;
        auto c = QObject::connect(&main, &TMainForm::ReadingChanged, [&ended](bool active) { ended = !active; });
        click("ButtonStart");
        WaitUntil([&ended] { return ended; }, 600000);
        QObject::disconnect(c);
    });
    const int rows = main.LogStore().LogCount();
    w.Messages->queueFileName(base + "full.img");
    figures << bench::measure("Save Image", [&] { click("ButtonSImage"); });
    w.Messages->queueFileName(base + "full.img");
    figures << bench::measure("Load Image", [&] { click("ButtonLImage"); });
    w.Messages->queueFileName(base + "full.txt");
    figures << bench::measure("To ASCII File (with table conversion)", [&] { click("ButtonASC"); });
    w.Messages->queueFileName(base + "full.dbf");
    figures << bench::measure("To DBASE Table (port closed and reopened)", [&] { click("ButtonDBase"); });

    std::printf("Main window with the log window shown; event-loop probe: 10 ms precise timer, longest gap "
                "between two ticks (%d rows, %d entries in the communication list)\n",
                rows, w.LogForm->CommunicationList().count());
    bench::printFigures(figures);
    return rows == 12288 ? 0 : 2;
}
