// quentry-screenshots: renders every page and dialog of the window against the virtual
// transmitter into PNG files, for the README and for a look at the layout.
//   quentry-screenshots <directory>
#include "comsetupdlg.h"
#include "demo.h"
#include "imagefile.h"
#include "logform.h"
#include "mainform.h"
#include "messageservice.h"
#include "portopenfailure.h"
#include "quentrywindows.h"
#include "screenshotwriter.h"
#include "waiting.h"
#include "yesnodlg.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
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
    // The rows again later, at a desk without the transmitter.
    QTemporaryDir office;
    const QString archived = QDir(office.path())
                                 .filePath(QStringLiteral("%1_%2.img")
                                               .arg(main.DeviceUniqueID().DeviceID)
                                               .arg(QDate::currentDate().toString(Qt::ISODate)));
    if (!SaveImage(archived, main.LogStore(), {}).ok) gShots.fail();

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

    // First start at the office: the settings name a port that is not plugged in.
    {
        QFile ini(QDir(office.path()).filePath(QStringLiteral("Quentry.ini")));
        if (ini.open(QIODevice::WriteOnly)) ini.write("[Main]\nComPortName=ttyUSB9\n");
        ini.close();
        TSettingsLocation desk;
        desk.fallbackDir = office.path();
        TQuentryWindows at(desk, {});
        at.Messages->setScripted(true);
        at.MainForm->show();
        WaitFor(100);
        Save(*at.MainForm, QStringLiteral("first-start"));
        at.MainForm->LoadImageFile(archived);
        WaitFor(100);
        Save(*at.MainForm, QStringLiteral("logger-control-sheet-no-port"));
    }
    QMessageBox refused(QMessageBox::Critical, QStringLiteral("Error"),
                        PortOpenFailureText(QStringLiteral("ttyUSB0"), TPortOpenFailure::Permission, {}, {}),
                        QMessageBox::Ok);
    refused.show();
    Save(refused, QStringLiteral("port-error"));
    refused.hide();
    return gShots.exitCode();
}
