// --version and --help of the three Quentry programs, run as a shell user runs them: with no
// display and no Qt platform chosen, so the window's answers must come before Qt needs one.
#include "quentryversion.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

namespace {

struct TAnswer
{
    int exit = -1;
    QString out, err;
};

TAnswer runWithoutDisplay(const char* program, const QStringList& args)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(QLatin1String(name));
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QString::fromLocal8Bit(program), args);
    TAnswer a;
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
        return a;
    }
    a.exit = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    a.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    a.err = QString::fromLocal8Bit(p.readAllStandardError());
    return a;
}

struct TVersionCase
{
    const char* program;
    const char* name;
    QStringList args;
};

} // namespace

TEST(Versions, EveryProgramPrintsTheProjectVersionWithoutADisplay)
{
    const QString version = QStringLiteral(QUENTRY_VERSION);
    ASSERT_FALSE(version.isEmpty());
    const TVersionCase cases[] = {
        {QUENTRY_PROGRAM, "quentry", {"--version"}},
        // Anywhere on the line, as the window's --demo and --simulator are.
        {QUENTRY_PROGRAM, "quentry", {"--demo", "--version"}},
        {QUENTRY_CLI_PROGRAM, "quentry-cli", {"--version"}},
        {QUENTRY_CLI_PROGRAM, "quentry-cli", {"read", "--version"}},
        {QUENTRY_CLI_PROGRAM, "quentry-cli", {"simulate", "--version"}},
        {QUENTRY_EMULATOR_PROGRAM, "quentry-emulator", {"--version"}},
    };
    for (const TVersionCase& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 %2").arg(QLatin1String(c.name), c.args.join(' ')).toStdString());
        const TAnswer a = runWithoutDisplay(c.program, c.args);
        EXPECT_EQ(a.exit, 0) << a.err.toStdString();
        EXPECT_EQ(a.out, QStringLiteral("%1 %2\n").arg(QLatin1String(c.name), version));
    }
}

TEST(Versions, TheWindowExplainsItsCommandLineWithoutADisplay)
{
    const TAnswer a = runWithoutDisplay(QUENTRY_PROGRAM, {"--help"});
    EXPECT_EQ(a.exit, 0) << a.err.toStdString();
    EXPECT_TRUE(a.out.startsWith("Usage: quentry [/l | /d] [image.img] [--demo] [--simulator]\n")) << a.out.toStdString();
    EXPECT_TRUE(a.out.contains("--version")) << a.out.toStdString();
}
