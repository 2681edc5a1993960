// Duvane: one modal dialog; the program ends when it closes.
#include "messageboxes.h"
#include "portselectdialog.h"
#include "programicon.h"

#include <QApplication>

#ifdef Q_OS_WIN
#include "win32registry.h"
#else
#include "fileregistry.h"

#include <QCommandLineParser>
#include <QDir>
#include <QStandardPaths>
#endif

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Duvane"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
    QApplication::setWindowIcon(duvane::ProgramIcon());
    // The installed desktop entry carries this id; the desktop matches the window to it.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quentry.Duvane"));

#ifdef Q_OS_WIN
    duvane::Win32Registry registry(HKEY_LOCAL_MACHINE);
    const QString screenshot;
#else
    // Without a Windows registry the setting is kept in files; these options exist for that.
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Chooses the port (COM1 or COM2) of the RS-485 port driver."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QString defaultRoot =
        QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
            .filePath(QStringLiteral("Duvane/HKEY_LOCAL_MACHINE"));
    QCommandLineOption rootOption(QStringLiteral("registry-root"),
                                  QStringLiteral("Directory that stands for HKEY_LOCAL_MACHINE (default %1).")
                                      .arg(defaultRoot),
                                  QStringLiteral("dir"), defaultRoot);
    QCommandLineOption screenshotOption(QStringLiteral("screenshot"),
                                        QStringLiteral("Render the dialog into a PNG file and exit."),
                                        QStringLiteral("file"));
    parser.addOption(rootOption);
    parser.addOption(screenshotOption);
    parser.process(app);
    duvane::FileRegistry registry(QDir(parser.value(rootOption)).absolutePath().toStdString());
    const QString screenshot = parser.value(screenshotOption);
#endif

    duvane::WidgetMessageBoxes boxes;
    duvane::PortSelectDialog dialog(registry, boxes);
    if (!screenshot.isEmpty()) {
        dialog.show();
        return dialog.grab().save(screenshot, "PNG") ? 0 : 1;
    }
    dialog.exec();
    return 0;
}
