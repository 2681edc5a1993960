// quentry-cli: the service tool's core without a window, for scripts, cron jobs and
// laptops without a display.
#include "clioptions.h"
#include "commands.h"
#include "numberformat.h"
#include "quentryversion.h"
#include "terminalfeedback.h"

#include <QCoreApplication>
#include <cstdio>

using namespace quentry;
using namespace quentry::cli;

int main(int argc, char** argv)
{
    const std::unique_ptr<QCoreApplication> app = MakeApplication(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Quentry"));
    UseDotDecimalSeparator();
    TTerminalFeedback::installInterruptHandler();
    TTerminalFeedback feedback;

    const QStringList args = QCoreApplication::arguments();
    if (args.mid(1).contains(QLatin1String("--version"))) return std::printf("quentry-cli %s\n", QUENTRY_VERSION) < 0;
    if (args.size() > 1 && args[1] == QLatin1String("simulate")) return RunSimulate(args.mid(2), feedback);
    const TCommandLine c = ParseCommandLine(args);
    if (c.help) {
        std::fputs((c.command.isEmpty() ? GeneralHelp() : CommandHelp(c.command)).toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (!c.error.isEmpty()) return UsageError(feedback, c.error);

    using TRun = int (*)(const TCommandLine&, TTerminalFeedback&);
    static const QList<QPair<QString, TRun>> runs = {
        {"ports", RunPorts},     {"detect", RunDetect}, {"read", RunRead},
        {"clear", RunClear},     {"rtc", RunRtc},       {"config", RunConfig},
        {"convert", RunConvert}, {"info", RunInfo},     {"decode", RunDecode},
        {"history", RunHistory},
        {"report", RunReport},
    };
    for (const auto& r : runs)
        if (r.first == c.command) return r.second(c, feedback);
    return UsageError(feedback, QStringLiteral("unknown command '%1'").arg(c.command));
}
