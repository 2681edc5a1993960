// simulate: a generated log image, the same the simulator window writes for the same inputs.
#include "commands.h"
#include "imagefile.h"
#include "logsimulator.h"

#include <QDateTime>
#include <cstdio>

namespace quentry::cli {
namespace {

const char* const kSimulateHelp =
    "Usage: quentry-cli simulate --out FILE.img [options]\n\n"
    "Write a generated log image: a level triangle, loop current, echoes and a daily\n"
    "temperature swing, as the simulator window generates it.\n\n"
    "  --out FILE         the log image file to write\n"
    "  --start-index N    record index of the first row (0-65535, default 1)\n"
    "  --rows N           rows to generate (1-12288, default 12288)\n"
    "  --start ISO        date and time of the first row, e.g. 2020-03-01T12:10\n"
    "                     (default today at 12:10)\n"
    "  --period MIN       minutes between rows (default 5)\n"
    "  --pv-start X       lower level limit (default 0)\n"
    "  --pv-end X         upper level limit and distance reference (default 6)\n"
    "  --cycle MIN        minutes of one level cycle (default 60)\n";

} // namespace

int RunSimulate(const QStringList& args, TTerminalFeedback& f)
{
    TSimulationInputs in;
    in.StartDate = QDate::currentDate();
    QString out;
    for (int i = 0; i < args.size(); ++i) {
        QString name = args[i], value;
        if (name == QLatin1String("--help")) {
            std::fputs(kSimulateHelp, stdout);
            return 0;
        }
        const int eq = int(name.indexOf('='));
        if (eq > 0) {
            value = name.mid(eq + 1);
            name = name.left(eq);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            return UsageError(f, QStringLiteral("option %1 needs a value").arg(name));
        }
        bool ok = true;
        auto integer = [&](int& into) { into = value.toInt(&ok); };
        auto number = [&](double& into) { into = value.toDouble(&ok); };
        if (name == QLatin1String("--out")) out = value;
        else if (name == QLatin1String("--start-index")) integer(in.StartIndex);
        else if (name == QLatin1String("--rows")) integer(in.TotalIndex);
        else if (name == QLatin1String("--period")) integer(in.LoggerPeriod);
        else if (name == QLatin1String("--cycle")) integer(in.SimulationTime);
        else if (name == QLatin1String("--pv-start")) number(in.PVStart);
        else if (name == QLatin1String("--pv-end")) number(in.PVEnd);
        else if (name == QLatin1String("--start")) {
            const QDateTime t = QDateTime::fromString(value, Qt::ISODate);
            ok = t.isValid();
            in.StartDate = t.date();
            in.StartTime = t.time();
        } else {
            return UsageError(f, QStringLiteral("unknown option %1 for simulate").arg(name));
        }
        if (!ok) return UsageError(f, QStringLiteral("%1 does not take '%2'").arg(name, value));
    }
    if (out.isEmpty()) return UsageError(f, QStringLiteral("simulate wants --out FILE.img"));
    const QString problem = CheckSimulationInputs(in);
    if (!problem.isEmpty()) return UsageError(f, problem);

    TLogStore store(&f);
    store.SetLogCount(TLogSimulator(in).Generate(store.LogRows()));
    TOperationContext context;
    context.Feedback = &f;
    const TFileResult r = SaveImage(out, store, context);
    if (!r.ok) return Fail(f, QStringLiteral("%1 not written: %2").arg(out, TTerminalFeedback::oneLine(r.error)));
    f.note(QStringLiteral("%1 rows written to %2").arg(r.records).arg(out));
    return 0;
}

} // namespace quentry::cli
