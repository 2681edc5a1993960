#pragma once
// Every figure of the service report, computed from the rows alone: period, spacing,
// coverage, gaps, the daily table and month totals, the event and error counts. Plain
// data, so the figures are tested without painting a page.
#include "coverage.h"
#include "dailyfigures.h"
#include "eventcounts.h"
#include "rowgaps.h"

#include <span>
#include <vector>

namespace quentry {

struct TReportFigures
{
    int rows = 0;           // all rows given
    int unreadableRows = 0; // failed their check when read (event 255): no values
    int undatedRows = 0;    // readable, but the stamp is no logger time
    // Rows with values and a logger stamp: these make the period, the days and the chart.
    int valueRows = 0;
    TDateTime first = 0.0, last = 0.0; // earliest and latest stamp; both 0 without value rows
    qint64 spacingSeconds = 0;         // the usual spacing; 0 when it cannot be told
    TCoverageFigures coverage;
    std::vector<TRowGap> gaps;         // found in the rows, in row order
    int rowsMissing = 0;               // indices skipped
    std::vector<TDayFigures> days;     // days with value rows, ascending
    std::vector<TMonthFigures> months; // filled when the days span more than one month
    std::vector<TCount> events;
    std::vector<TCount> errorBits;
    QString pvUnit, totUnit;           // the unit of every value row; empty when they differ
};

// A value row: readable, with a logger stamp.
bool IsValueRow(const THART_PAS_LOG_Row& row);

TReportFigures ComputeReportFigures(std::span<const THART_PAS_LOG_Row> rows);

} // namespace quentry
