// quentry-screenshots: renders every page and dialog of the window against the virtual
// transmitter into PNG files, for the README and for a look at the layout.
//   quentry-screenshots <directory>
#include "comsetupdlg.h"
#include "demo.h"
#include "logform.h"
#include "mainform.h"
#include "messageservice.h"
#include "quentrywindows.h"
#include "screenshotwriter.h"
#include "waiting.h"
#include "yesnodlg.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QMessageBox>
#include <QProgressDialog>
#include <cstdio>

using namespace quentry;

namespace {

TScreenshotWriter gShots;

void Save(QWidget& widget, const QString& name)
{
    gShots.save(widget, name);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (!gShots.open(argc, argv)) return 1;

    TDemoLink demo;
    QString error;
    if (!demo.Start(error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    TQuentryWindows w(demo.Location(), {});
    w.Messages->setScripted(true); // nothing may wait for a person here
    TMainForm& main = *w.MainForm;
    main.show();
    w.LogForm->show();
    WaitFor(200);

    main.ButtonRefreshClick();
    Save(main, QStringLiteral("logger-settings"));
    main.ShowPage(TMainForm::kPageDetection);
    Save(main, QStringLiteral("device-detection"));

    // Page 2 mid-read, with the progress line and the estimate.
    main.ButtonNextClick();
    WaitFor(50); // the idle handler moves on
    main.ButtonNextClick();
    WaitFor(50);
    QElapsedTimer readClock;
    readClock.start();
    bool reading = false;
    QObject::connect(&main, &TMainForm::ReadingChanged, [&reading](bool active) { reading = active; });
    if (auto* start = main.findChild<QPushButton*>(QStringLiteral("ButtonStart"))) start->click();
    WaitUntil([&main] { return main.LogStore().LogCount() >= TDemoLink::kDemoRows * 2 / 5; }, 120000);
    Save(main, QStringLiteral("logger-control-sheet"));
    Save(*w.LogForm, QStringLiteral("log-window"));
    if (!WaitUntil([&reading] { return !reading; }, 180000)) {
        std::fprintf(stderr, "the demo read did not end\n");
        gShots.fail();
    }
    std::fprintf(stderr, "demo read: %d rows in %.1f s\n", main.LogStore().LogCount(), readClock.elapsed() / 1000.0);
    Save(main, QStringLiteral("logger-control-sheet-done"));

    // The service report of that read: its first page as a PDF reader shows it.
    const QString report = QDir::temp().filePath(QStringLiteral("quentry-service-report.pdf"));
    w.Messages->queueFileName(report);
    if (auto* button = main.findChild<QPushButton*>(QStringLiteral("ButtonReport"))) button->click();
    const QString page = gShots.directory().filePath(QStringLiteral("service-report"));
    if (QProcess::execute(QStringLiteral("pdftoppm"), {"-r", "100", "-f", "1", "-l", "1", "-png", "-singlefile", report, page}) == 0)
        std::fprintf(stderr, "%s.png\n", qPrintable(page));
    else
        gShots.fail();
    QFile::remove(report);

    TComSetupDlgForm& setup = *w.ComSetupDlgForm;
    setup.InitPortComboBoxByName(main.COMEngine().PortName());
    setup.show();
    Save(setup, QStringLiteral("communication-setup"));
    setup.hide();

    TYesNoBottomDlgForm& yesNo = *w.YesNoBottomDlgForm;
    yesNo.Prepare(QStringLiteral("Confirmation"), QStringLiteral("Are You sure to delete all records from the Device?"));
    yesNo.show();
    Save(yesNo, QStringLiteral("yes-no"));
    yesNo.hide();

    {
        TProgressOptions o;
        o.caption = QStringLiteral("Reading RTC ...");
        o.text = QStringLiteral("Reading Month/Day");
        o.maximum = 3;
        o.position = 2;
        auto progress = w.Messages->showProgress(o);
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<QProgressDialog*>(top); dialog && dialog->isVisible())
                Save(*dialog, QStringLiteral("progress"));
    }

    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"),
                    QStringLiteral("RTC Write Failed!\nPlease try with other device!"), QMessageBox::Ok);
    box.show();
    Save(box, QStringLiteral("message-box"));
    box.hide();

    // The close sequence, as the close box starts it.
    main.close();
    WaitUntil([&main] { return !main.isVisible(); }, 10000);
    w.LogForm->hide();
    return gShots.exitCode();
}
