#include "historytexts.h"

#include <cmath>

namespace quentry {
namespace {

QString plural(qint64 n, const char* one, const char* many)
{
    return GroupedNumber(n) + QLatin1Char(' ') + QLatin1String(n == 1 ? one : many);
}

QString secondsText(double s) { return QString::number(std::fabs(s), 'f', 1); }

QString offsetText(const TClockReading& r)
{
    const QString side = r.offsetSeconds >= 0 ? QStringLiteral("ahead of") : QStringLiteral("behind");
    if (r.resolutionSeconds > 1) {
        if (std::fabs(r.offsetSeconds) <= r.resolutionSeconds / 2.0) return QStringLiteral("within a minute of this PC");
        return QStringLiteral("about %1 s %2 this PC").arg(std::lround(std::fabs(r.offsetSeconds))).arg(side);
    }
    return QStringLiteral("%1 s %2 this PC").arg(secondsText(r.offsetSeconds), side);
}

const char* causeOfRows(TGapCause c)
{
    switch (c) {
    case TGapCause::Missing: return "missing from the logger";
    case TGapCause::Unreadable: return "unreadable";
    case TGapCause::Overwritten: return "overwritten before they were read";
    }
    return "";
}

} // namespace

QString GroupedNumber(qint64 n)
{
    const QString digits = QString::number(n < 0 ? -n : n);
    if (digits.size() <= 4) return n < 0 ? QLatin1Char('-') + digits : digits;
    QString out;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += QLatin1Char(' ');
        out += digits[i];
    }
    return n < 0 ? QLatin1Char('-') + out : out;
}

QString HistoryMemoLine(const TTransmitterSummary* s)
{
    if (!s || s->visits == 0) return QStringLiteral("Site history: nothing yet for this transmitter");
    QString line = QStringLiteral("Site history: %1").arg(plural(s->visits, "visit", "visits"));
    if (s->firstVisit.isValid())
        line += QStringLiteral(" since ") + s->firstVisit.toLocalTime().date().toString(Qt::ISODate);
    line += QStringLiteral(", ") + plural(s->rows, "row", "rows") + QStringLiteral(", ");
    if (s->gaps == 0) return line + QStringLiteral("no gaps");
    QStringList causes;
    for (TGapCause c : {TGapCause::Overwritten, TGapCause::Missing, TGapCause::Unreadable})
        if (s->gapRows[int(c)] > 0)
            causes << plural(s->gapRows[int(c)], "row", "rows") + QLatin1Char(' ') +
                          QLatin1String(c == TGapCause::Overwritten && s->gapRows[int(c)] == 1 ? "overwritten before it was read"
                                                                                               : causeOfRows(c));
    return line + plural(s->gaps, "gap", "gaps") + QStringLiteral(" (") + causes.join(QStringLiteral(", ")) +
           QLatin1Char(')');
}

QString ClockLine(const TClockReading& r, std::optional<double> drift)
{
    QString line = QStringLiteral("Clock: ") + offsetText(r);
    if (r.resolutionSeconds > 1) line += QStringLiteral(" (read to the minute");
    if (drift) {
        line += r.resolutionSeconds > 1 ? QStringLiteral(", ") : QStringLiteral(" (");
        line += QStringLiteral("drift %1%2 s/day").arg(*drift >= 0 ? QStringLiteral("+") : QStringLiteral("-"),
                                                      secondsText(*drift));
    }
    if (drift || r.resolutionSeconds > 1) line += QLatin1Char(')');
    return line;
}

bool ClockBeyond(const TClockReading& r, int boundSeconds)
{
    return std::fabs(r.offsetSeconds) - r.resolutionSeconds / 2.0 > boundSeconds;
}

QString ClockWarningLine(const TClockReading& r, int boundSeconds, const QString& how)
{
    return QStringLiteral("Warning: the transmitter's clock is %1, more than %2 s: set it %3.")
        .arg(offsetText(r))
        .arg(boundSeconds)
        .arg(how);
}

QString GapText(const TGapRecord& g)
{
    const QString span = g.fromIndex == g.toIndex
                             ? QStringLiteral("index %1").arg(GroupedNumber(g.fromIndex))
                             : QStringLiteral("index %1 - %2").arg(GroupedNumber(g.fromIndex), GroupedNumber(g.toIndex));
    return QStringLiteral("%1 row(s) %2 (%3)").arg(GroupedNumber(g.rows()), QLatin1String(causeOfRows(g.cause)), span);
}

QString JoinResultLine(const TJoinSummary& s)
{
    QString line = QStringLiteral("Result: %1 new record(s)").arg(GroupedNumber(s.added));
    if (s.joinedIndex) line += QStringLiteral(", joined at index %1").arg(GroupedNumber(*s.joinedIndex));
    QStringList parts;
    if (s.gaps.empty() || s.missing == 0) {
        parts << QStringLiteral("nothing missing");
    } else {
        constexpr size_t kShown = 3;
        QStringList holes;
        for (size_t i = 0; i < s.gaps.size() && i < kShown; ++i) holes << GapText(s.gaps[i]);
        if (s.gaps.size() > kShown) holes << QStringLiteral("%1 more gap(s)").arg(s.gaps.size() - kShown);
        parts << holes.join(QStringLiteral(", "));
    }
    if (s.beside > 0)
        parts << QStringLiteral("%1 row(s) differ from held rows of the same time and index and are kept beside them")
                     .arg(GroupedNumber(s.beside));
    if (!s.note.isEmpty()) parts << s.note;
    return line + QStringLiteral("; ") + parts.join(QStringLiteral("; ")) + QLatin1Char('.');
}

} // namespace quentry
