#pragma once
// How complete a run of rows is: the period is cut into slots of the usual spacing from
// its first row on, and a slot counts as present when a row falls into it. Event rows
// between scheduled ones never push the figure past 100 %.
#include "rowgaps.h"

#include <QDate>
#include <QString>
#include <map>
#include <span>

namespace quentry {

struct TCoverage
{
    qint64 present = 0, expected = 0;
    bool complete() const { return present >= expected; }
};

struct TCoverageFigures
{
    TCoverage overall;
    std::map<QDate, TCoverage> byDay; // every day of the period, rows or not
};

// Empty figures when the spacing is 0 or no row carries a logger stamp.
TCoverageFigures ComputeCoverage(std::span<const TRowStamp> rows, qint64 spacingSeconds);

// "99.9 %": one decimal, cut rather than rounded, so only a complete run reads 100 %.
QString CoveragePercentText(const TCoverage& c);

} // namespace quentry
