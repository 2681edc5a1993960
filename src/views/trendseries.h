#pragma once
// The data behind the trend chart: the PV, echo-loss and right-axis series rebuilt from
// the log table, and the axis ranges they imply. Widget-free, so the rules are tested
// without a chart; TTrendChart shows what this holds. Where rows are missing (an index
// skip, a stretch the logger wrote nothing) the two line series hold a point whose value
// is not a number, so the chart breaks the line there instead of bridging the hole.
#include "logfilterproxy.h"
#include "userfeedback.h"

#include <QString>
#include <QVector>
#include <vector>

namespace quentry {

// Items of the "Right Axis:" combo, in order.
enum class TRightAxis : int { None = 0, Level = 1, Distance = 2, OutputCurrent = 3, Temperature = 4 };
constexpr int kNoRightAxisYet = 255;

struct TTrendPoints
{
    // x = the row's 1-based position in the whole table, ascending; a break in the line
    // sits between two positions with y = NaN.
    QVector<double> x, y;
    void clear()
    {
        x.clear();
        y.clear();
    }
    int size() const { return int(x.size()); }
};

struct TTrendAxes
{
    double LeftMin = 0.0, LeftMax = 3.0;
    double RightMin = 0.0, RightMax = 0.1;
    bool RightVisible = false;
    QString RightTitle;
    double BottomMin = 0.0, BottomMax = 0.0;
};

// What must be re-plotted at the next rebuild, and the right-axis choice last plotted.
struct TTrendFlags
{
    bool IsTrendValid = false;            // right-axis choice or colour changed
    bool EventCodeFilterChanged = false;
    bool ErrorFilterMaskChanged = false;
    int LastRightAxisIndex = kNoRightAxisYet;
    bool Any() const { return IsTrendValid || EventCodeFilterChanged || ErrorFilterMaskChanged; }
};

// The 1-based table positions of the first and last rows the proxy passes; 0 when none.
int FirstPassingPosition(const TLogFilterProxy& proxy);
int LastPassingPosition(const TLogFilterProxy& proxy);
// The proxy row of the passing row whose position is nearest to n (the lower one on a tie);
// -1 when no row passes.
int NearestPassingRow(const TLogFilterProxy& proxy, int n);
// The positions p (1-based, ascending) after which rows are missing: the lines break
// between p and the next row. Rows hidden by a filter are not missing.
std::vector<int> FindGapBreaks(const TLogTableModel& model);

class TTrendSeries
{
public:
    TTrendPoints PV, Echo, Right;
    TTrendAxes Axes;
    bool RightActive = false;
    QString RightSeriesTitle = QStringLiteral("Current");
    int FirstRecIndex = 0;

    // Rebuilds PV and echo loss from the rows the proxy passes, and the right-axis series
    // as well when a flag is set (then clears the flags). The progress, when given, moves
    // to every 100th position. False when no row passes (the series stay empty).
    bool RefreshChartLeft(const TLogFilterProxy& proxy, TRightAxis choice, TTrendFlags& flags,
                          TProgress* progress = nullptr);
    // Rebuilds the right-axis series over every row of the table, passing or not.
    void RefreshChartRight(const TLogTableModel& model, TRightAxis choice, TProgress* progress = nullptr);
    // Adds the right-axis point of one row and applies the choice's axis rule.
    void AddRightPoint(int position, const TLogRecord& record, TRightAxis choice);

    // True when a series has a point at the position (its bottom-axis label is a date).
    bool HasPointAt(int position) const;

private:
    void clearRight(const TLogTableModel* model);
    // A break point between `from` and `to` when the rows between them are not whole.
    void breakIfMissing(TTrendPoints& points, int from, int to) const;
    std::vector<bool> FHasPoint; // by position - 1
    std::vector<int> FBreaks;    // FindGapBreaks of the table at the last rebuild
};

} // namespace quentry
