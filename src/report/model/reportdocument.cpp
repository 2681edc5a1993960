#include "reportdocument.h"

#include "wire/datetime.h"

#include <algorithm>
#include <cmath>

namespace quentry {
namespace {

const QString kNotRecorded = QStringLiteral("not recorded in this file");
const QString kNotRead = QStringLiteral("not read");
const QString kNone = QStringLiteral("-");

using TFields = std::vector<TReportField>;

QString number(double v, int decimals = 3)
{
    // No "-0.000" for a value that rounds to zero.
    if (std::fabs(v) < 0.5 * std::pow(10.0, -decimals)) v = 0.0;
    return QString::number(v, 'f', decimals);
}

QString count(qint64 n) { return QString::number(n); }

QString clockTime(TDateTime t) { return toQDateTime(t).toString(QStringLiteral("HH:mm")); }

QString withUnit(const QString& heading, const QString& unit)
{
    return unit.isEmpty() ? heading : QStringLiteral("%1\n(%2)").arg(heading, unit);
}

// A value cell; the unit follows the figure when the heading cannot carry it.
QString valueCell(double v, const QString& periodUnit, const QString& dayUnit)
{
    return periodUnit.isEmpty() && !dayUnit.isEmpty() ? number(v) + QLatin1Char(' ') + dayUnit : number(v);
}

TReportBlock fields(TFields f)
{
    TReportBlock b;
    b.kind = TReportBlock::TKind::Fields;
    b.fields = std::move(f);
    return b;
}

TReportBlock note(const QString& text)
{
    TReportBlock b;
    b.kind = TReportBlock::TKind::Note;
    b.text = text;
    return b;
}

TReportBlock table(const QString& caption, TReportTable t)
{
    TReportBlock b;
    b.kind = TReportBlock::TKind::Table;
    b.text = caption;
    b.table = std::move(t);
    return b;
}

// ---- 1. Transmitter ---------------------------------------------------------------------

TReportSection transmitterSection(const TReportVisit& v)
{
    TFields f;
    if (v.identity) {
        const TReportIdentity& id = *v.identity;
        f.push_back({QStringLiteral("Manufacturer id"), count(id.manufacturer)});
        f.push_back({QStringLiteral("Device type"), count(id.deviceType)});
        f.push_back({QStringLiteral("Device id"), count(id.deviceId)});
        f.push_back({QStringLiteral("Polling address"),
                     id.pollingAddress ? count(*id.pollingAddress) : QStringLiteral("not known")});
    } else {
        f.push_back({QStringLiteral("Identity"), kNotRecorded});
    }
    f.push_back({QStringLiteral("Protocol"), v.protocol.isEmpty() ? kNotRecorded : v.protocol});
    f.push_back({QStringLiteral("Adapter"), v.adapter.isEmpty() ? kNotRecorded : v.adapter});
    return {QStringLiteral("1. Transmitter"), {fields(std::move(f))}};
}

// ---- 2. Visit ---------------------------------------------------------------------------

QString offsetText(const TReportClockCheck& c)
{
    const double offset = c.offsetSeconds();
    const QString figure = c.resolutionSeconds >= 1 ? QStringLiteral("%1 s").arg(qint64(std::llround(offset)))
                                                    : QStringLiteral("%1 s").arg(offset, 0, 'f', 1);
    QString text = offset == 0   ? QStringLiteral("none")
                   : offset > 0 ? QStringLiteral("%1, transmitter ahead of this PC").arg(figure)
                                : QStringLiteral("%1, transmitter behind this PC").arg(figure);
    if (c.resolutionSeconds >= 60) text += QStringLiteral(" (its clock is read to the minute)");
    else if (c.resolutionSeconds >= 1) text += QStringLiteral(" (read to %1 s)").arg(c.resolutionSeconds);
    return text;
}

QString listEntry(const QStringList& names, int index)
{
    return index >= 0 && index < names.size() ? names[index] : QStringLiteral("entry %1").arg(index);
}

QString label(QString l)
{
    if (l.endsWith(QLatin1Char(':'))) l.chop(1);
    return l;
}

TReportSection visitSection(const TReportVisit& v)
{
    TFields f;
    if (v.clock) {
        const TReportClockCheck& c = *v.clock;
        f.push_back({QStringLiteral("Clock check"),
                     QStringLiteral("transmitter %1, this PC %2")
                         .arg(c.transmitter.toString(c.resolutionSeconds >= 60 ? QStringLiteral("yyyy-MM-dd HH:mm")
                                                                               : QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                              c.pc.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))});
        f.push_back({QStringLiteral("Clock offset"), offsetText(c)});
        f.push_back({QStringLiteral("Drift since the previous visit"),
                     c.driftSecondsPerDay ? QStringLiteral("%1%2 s per day")
                                                .arg(*c.driftSecondsPerDay > 0 ? "+" : "")
                                                .arg(*c.driftSecondsPerDay, 0, 'f', 1)
                                          : QStringLiteral("no previous visit known")});
    } else {
        f.push_back({QStringLiteral("Clock check"), kNotRead});
    }
    if (v.loggerConfig) {
        const TLoggerConfig& c = *v.loggerConfig;
        const int mode = c.digits.units;
        const TModeLabels labels = ModeLabels(mode);
        f.push_back({QStringLiteral("Logger mode"), listEntry(LoggerModeNames(), mode)});
        if (labels.listsShown) {
            f.push_back({QStringLiteral("Extended events"), listEntry(ExtendedEventNames(), c.digits.tens)});
            f.push_back({QStringLiteral("Status handling"), listEntry(StatusHandlingNames(), c.digits.hundreds)});
        }
        if (labels.value1Shown) f.push_back({label(labels.value1Label), QString::number(double(c.value1))});
        if (labels.value2Shown) f.push_back({label(labels.value2Label), QString::number(double(c.value2))});
    } else {
        f.push_back({QStringLiteral("Logger configuration"), kNotRead});
    }
    return {QStringLiteral("2. Visit"), {fields(std::move(f))}};
}

// ---- 3. Data ----------------------------------------------------------------------------

QString rowCell(quint16 index, TDateTime t)
{
    return IsLoggerStamp(t) ? QStringLiteral("%1 at %2").arg(index).arg(ReportTime(t)) : count(index);
}

QString foundCause(const TRowGap& g)
{
    switch (g.kind) {
    case TGapKind::IndexSkip:
        if (g.unreadableRows >= g.missingRows) return QStringLiteral("failed their check when read");
        if (g.unreadableRows > 0)
            return QStringLiteral("index skip; %1 of them failed their check when read").arg(g.unreadableRows);
        return QStringLiteral("index skip in the rows (cause not recorded)");
    case TGapKind::IndexDisorder:
        return QStringLiteral("index goes back (logger cleared, or rows joined)");
    case TGapKind::NoRowsLogged:
        return QStringLiteral("%1 without a row, indices go on (%2 intervals empty)")
            .arg(ReportDuration(StampSeconds(g.nextTime) - StampSeconds(g.lastTime)))
            .arg(g.emptyIntervals);
    }
    return {};
}

TReportTable gapTable(const TReportFigures& f, const TReportVisit& v)
{
    TReportTable t;
    t.header = {QStringLiteral("Last row before"), QStringLiteral("First row after"), QStringLiteral("Missing"),
                QStringLiteral("Cause")};
    t.rightAligned = {false, false, true, false};
    t.wrapColumn = 3;
    int listed = 0, left = 0, leftRows = 0;
    auto add = [&](QStringList row, int missing) {
        if (listed == kReportGapsListed) {
            ++left;
            leftRows += missing;
            return;
        }
        ++listed;
        t.rows.push_back(std::move(row));
    };
    if (v.gaps) {
        for (const TReportGap& g : *v.gaps)
            add({QStringLiteral("index %1 at %2").arg(quint16(g.fromIndex - 1)).arg(ReportTime(g.from)),
                 QStringLiteral("index %1 at %2").arg(quint16(g.toIndex + 1)).arg(ReportTime(g.to)), count(g.rows),
                 g.cause},
                g.rows);
    }
    for (const TRowGap& g : f.gaps) {
        // A record of the gaps replaces the index skips; stretches without rows still show.
        if (v.gaps && g.kind != TGapKind::NoRowsLogged) continue;
        add({rowCell(g.lastIndex, g.lastTime), rowCell(g.nextIndex, g.nextTime),
             g.kind == TGapKind::IndexSkip ? count(g.missingRows) : kNone, foundCause(g)},
            g.missingRows);
    }
    if (left > 0)
        t.rows.push_back({QStringLiteral("... %1 more").arg(left), QString(), count(leftRows),
                          QStringLiteral("not listed")});
    return t;
}

// Days of the period side by side: date and coverage, four days to a line. A run of days
// without a row shares one entry.
TReportTable dayCoverageTable(const TReportFigures& f)
{
    constexpr int kMostPerLine = 4;
    TReportTable t;
    QStringList entries;
    const auto& days = f.coverage.byDay;
    for (auto it = days.begin(); it != days.end(); ++it) {
        auto end = it;
        while (end != days.end() && end->second.present == 0) ++end;
        if (std::distance(it, end) >= 2) {
            const auto lastEmpty = std::prev(end);
            entries << QStringLiteral("%1 to %2").arg(it->first.toString(Qt::ISODate),
                                                      lastEmpty->first.toString(QStringLiteral("MM-dd")))
                    << QStringLiteral("0 %");
            it = lastEmpty;
            continue;
        }
        entries << it->first.toString(Qt::ISODate) << CoveragePercentText(it->second);
    }
    if (entries.isEmpty()) return t;
    const int perLine = std::min<int>(kMostPerLine, int(entries.size() / 2));
    for (int i = 0; i < perLine; ++i) {
        t.header << QStringLiteral("Day") << QStringLiteral("Coverage");
        t.rightAligned.push_back(false);
        t.rightAligned.push_back(true);
    }
    for (int at = 0; at < entries.size(); at += 2 * perLine) t.rows.push_back(entries.mid(at, 2 * perLine));
    for (QStringList& row : t.rows)
        while (row.size() < 2 * perLine) row << QString();
    return t;
}

TReportSection dataSection(const TReportFigures& f, const TReportVisit& v)
{
    TReportSection s{QStringLiteral("3. Data"), {}};
    TFields fl;
    fl.push_back({QStringLiteral("Source"), v.source.isEmpty() ? QStringLiteral("not recorded") : v.source});
    if (!v.sha256.isEmpty()) {
        fl.push_back({QStringLiteral("SHA-256"), v.sha256, true});
        if (!v.sha256Note.isEmpty()) fl.push_back({QString(), v.sha256Note});
    }
    fl.push_back({QStringLiteral("Period"),
                  f.valueRows > 0 ? QStringLiteral("%1 to %2 (%3)")
                                        .arg(ReportTime(f.first), ReportTime(f.last),
                                             ReportDuration(StampSeconds(f.last) - StampSeconds(f.first)))
                                  : QStringLiteral("no row with a time stamp")});
    QString rows = count(f.rows);
    QStringList without;
    if (f.unreadableRows > 0) without << QStringLiteral("%1 failed their check when read").arg(f.unreadableRows);
    if (f.undatedRows > 0) without << QStringLiteral("%1 without a valid time stamp").arg(f.undatedRows);
    if (!without.isEmpty()) rows += QStringLiteral(", of them ") + without.join(QStringLiteral(", "));
    fl.push_back({QStringLiteral("Rows"), rows});
    if (f.spacingSeconds > 0) {
        fl.push_back({QStringLiteral("Logging interval"),
                      QStringLiteral("%1 (the usual spacing of the rows)").arg(ReportDuration(f.spacingSeconds))});
        const TCoverage& c = f.coverage.overall;
        fl.push_back({QStringLiteral("Coverage"), QStringLiteral("%1 (%2 of %3 expected rows at that interval)")
                                                      .arg(CoveragePercentText(c))
                                                      .arg(c.present)
                                                      .arg(c.expected)});
    } else {
        fl.push_back({QStringLiteral("Logging interval"), QStringLiteral("not known (fewer than two rows apart in time)")});
        fl.push_back({QStringLiteral("Coverage"), QStringLiteral("not known")});
    }
    int missing = f.rowsMissing;
    if (v.gaps) {
        missing = 0;
        for (const TReportGap& g : *v.gaps) missing += g.rows;
    }
    fl.push_back({QStringLiteral("Rows missing"), missing == 0 ? QStringLiteral("none") : count(missing)});
    s.blocks.push_back(fields(std::move(fl)));

    const TReportTable gaps = gapTable(f, v);
    if (gaps.rows.empty()) s.blocks.push_back(note(QStringLiteral("No gaps: the indices follow one another and no interval is without a row.")));
    else s.blocks.push_back(table(QStringLiteral("Gaps"), gaps));
    if (!f.coverage.byDay.empty()) s.blocks.push_back(table(QStringLiteral("Coverage per day"), dayCoverageTable(f)));
    return s;
}

// ---- 4. Daily table ---------------------------------------------------------------------

QString volumeCell(const TDayFigures& d)
{
    switch (d.volumeState) {
    case TDayVolume::Summed: return number(d.volume);
    case TDayVolume::Fell: return QStringLiteral("totaliser fell, not summed");
    case TDayVolume::UnitChanged: return QStringLiteral("unit changed, not summed");
    }
    return {};
}

QString dayNote(const TDayFigures& d)
{
    QStringList parts;
    for (const TTotaliserReset& r : d.resets) parts << QStringLiteral("reset %1 (%2)").arg(clockTime(r.at), r.event);
    if (!d.parts.empty()) {
        QStringList volumes;
        for (double p : d.parts) volumes << number(p);
        parts << QStringLiteral("volume %1").arg(volumes.join(QStringLiteral(" + ")));
    }
    if (d.volumeState == TDayVolume::Fell)
        parts << QStringLiteral("TOT1 fell %1 from %2 to %3").arg(clockTime(d.fellAt), number(d.fellFrom), number(d.fellTo));
    if (d.volumeState == TDayVolume::UnitChanged) parts << QStringLiteral("the totaliser unit changed");
    return parts.join(QStringLiteral("; "));
}

TReportSection dailySection(const TReportFigures& f)
{
    TReportSection s{QStringLiteral("4. Daily values"), {}};
    if (f.days.empty()) {
        s.blocks.push_back(note(QStringLiteral("No row with values and a time stamp.")));
        return s;
    }
    TReportTable t;
    t.header = {QStringLiteral("Date"),         QStringLiteral("Rows"),
                withUnit(QStringLiteral("PV min"), f.pvUnit), withUnit(QStringLiteral("PV mean"), f.pvUnit),
                withUnit(QStringLiteral("PV max"), f.pvUnit), withUnit(QStringLiteral("TOT1 first"), f.totUnit),
                withUnit(QStringLiteral("TOT1 last"), f.totUnit), withUnit(QStringLiteral("Volume"), f.totUnit),
                QStringLiteral("Note")};
    t.rightAligned = {false, true, true, true, true, true, true, true, false};
    t.wrapColumn = 8;
    QDate previous;
    for (const TDayFigures& d : f.days) {
        // Days between with no row at all say so in one line.
        if (previous.isValid() && previous.addDays(1) < d.date) {
            const QDate from = previous.addDays(1), to = d.date.addDays(-1);
            t.rows.push_back({from == to ? from.toString(Qt::ISODate)
                                         : QStringLiteral("%1 to %2").arg(from.toString(Qt::ISODate), to.toString(QStringLiteral("MM-dd"))),
                              QStringLiteral("0"), kNone, kNone, kNone, kNone, kNone, kNone, QStringLiteral("no rows")});
        }
        previous = d.date;
        t.rows.push_back({d.date.toString(Qt::ISODate), count(d.rows), valueCell(d.pvMin, f.pvUnit, d.pvUnit),
                          valueCell(d.pvMean, f.pvUnit, d.pvUnit), valueCell(d.pvMax, f.pvUnit, d.pvUnit),
                          valueCell(d.tot1First, f.totUnit, d.totUnit), valueCell(d.tot1Last, f.totUnit, d.totUnit),
                          volumeCell(d), dayNote(d)});
    }
    s.blocks.push_back(table(QString(), t));
    s.blocks.push_back(note(QStringLiteral(
        "Volume: TOT1 at the day's last row minus TOT1 at its first. A totaliser reset (a CLR or TOT1CLR event) "
        "splits the day; the stretches before and after it are summed. A fall of TOT1 without a reset event is not "
        "summed. What flows between the last row of one day and the first of the next is in neither day.")));

    double total = 0;
    int summed = 0;
    for (const TDayFigures& d : f.days)
        if (d.volumeState == TDayVolume::Summed) {
            total += d.volume;
            ++summed;
        }
    if (!f.months.empty()) {
        TReportTable m;
        m.header = {QStringLiteral("Month"), QStringLiteral("Days"), withUnit(QStringLiteral("Volume"), f.totUnit),
                    QStringLiteral("Note")};
        m.rightAligned = {false, true, true, false};
        m.wrapColumn = 3;
        for (const TMonthFigures& mf : f.months) {
            QStringList notes;
            if (mf.daysSummed < mf.days)
                notes << QStringLiteral("%1 of %2 days not summed").arg(mf.days - mf.daysSummed).arg(mf.days);
            if (mf.resets > 0) notes << (mf.resets == 1 ? QStringLiteral("1 reset") : QStringLiteral("%1 resets").arg(mf.resets));
            m.rows.push_back({QDate(mf.year, mf.month, 1).toString(QStringLiteral("yyyy-MM")), count(mf.days),
                              number(mf.volume), notes.join(QStringLiteral(", "))});
        }
        m.rows.push_back({QStringLiteral("Total"), count(qint64(f.days.size())), number(total),
                          summed < int(f.days.size())
                              ? QStringLiteral("%1 of %2 days not summed").arg(int(f.days.size()) - summed).arg(f.days.size())
                              : QString()});
        s.blocks.push_back(table(QStringLiteral("Month totals"), m));
    } else {
        s.blocks.push_back(fields({{QStringLiteral("Total volume"),
                                    (f.totUnit.isEmpty() ? number(total) : number(total) + QLatin1Char(' ') + f.totUnit) +
                                        (summed < int(f.days.size())
                                             ? QStringLiteral(" (%1 of %2 days not summed)")
                                                   .arg(int(f.days.size()) - summed)
                                                   .arg(f.days.size())
                                             : QString())}}));
    }
    return s;
}

// ---- 5. Events and errors ------------------------------------------------------------------

TReportTable countTable(const QString& what, const std::vector<TCount>& counts)
{
    TReportTable t;
    t.header = {what, QStringLiteral("Rows")};
    t.rightAligned = {false, true};
    for (const TCount& c : counts) t.rows.push_back({c.text, count(c.count)});
    return t;
}

TReportSection eventsSection(const TReportFigures& f)
{
    TReportSection s{QStringLiteral("5. Events and errors"), {}};
    s.blocks.push_back(table(QStringLiteral("Events"), countTable(QStringLiteral("Event"), f.events)));
    if (f.errorBits.empty()) s.blocks.push_back(note(QStringLiteral("No error or warning bit is set in any row.")));
    else s.blocks.push_back(table(QStringLiteral("Error and warning bits"),
                                  countTable(QStringLiteral("Error or warning"), f.errorBits)));
    return s;
}

// ---- 6. Trend ---------------------------------------------------------------------------

TReportSection trendSection(const TReportFigures& f)
{
    TReportBlock chart;
    chart.kind = TReportBlock::TKind::Chart;
    chart.text = QStringLiteral("PV%1 of every row with a time stamp, lost echoes marked, the sensor temperature on "
                                "the right axis; the lines break where rows are missing.")
                     .arg(f.pvUnit.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(f.pvUnit));
    return {QStringLiteral("6. Trend"), {chart}};
}

} // namespace

QString ReportTime(TDateTime t)
{
    const QDateTime d = toQDateTime(t);
    return d.isValid() ? d.toString(QStringLiteral("yyyy-MM-dd HH:mm")) : kNone;
}

QString ReportDuration(qint64 seconds)
{
    if (seconds < 0) seconds = 0;
    const qint64 days = seconds / 86400, hours = seconds % 86400 / 3600, minutes = seconds % 3600 / 60,
                 secs = seconds % 60;
    QStringList parts;
    if (days > 0) parts << (days == 1 ? QStringLiteral("1 day") : QStringLiteral("%1 days").arg(days));
    if (hours > 0) parts << QStringLiteral("%1 h").arg(hours);
    if (minutes > 0) parts << QStringLiteral("%1 min").arg(minutes);
    if (secs > 0 || parts.isEmpty()) parts << QStringLiteral("%1 s").arg(secs);
    return parts.join(QLatin1Char(' '));
}

QString TReportDocument::madeText() const { return made.toString(QStringLiteral("yyyy-MM-dd HH:mm")); }

TReportDocument ComposeServiceReport(const TReportFigures& figures, const TReportVisit& visit, const QDateTime& made)
{
    TReportDocument d;
    d.title = QStringLiteral("Service Report");
    QStringList about;
    if (visit.identity)
        about << QStringLiteral("Transmitter %1 / %2 / %3")
                     .arg(visit.identity->manufacturer)
                     .arg(visit.identity->deviceType)
                     .arg(visit.identity->deviceId);
    if (figures.valueRows > 0) about << QStringLiteral("%1 to %2").arg(ReportTime(figures.first), ReportTime(figures.last));
    d.subtitle = about.join(QStringLiteral(", "));
    d.sections = {transmitterSection(visit), visitSection(visit), dataSection(figures, visit),
                  dailySection(figures), eventsSection(figures), trendSection(figures)};
    d.made = made;
    return d;
}

} // namespace quentry
