#pragma once
// The service report as text: sections of labelled fields, tables and notes, in the order
// the customer reads them, with every figure already worded. What is painted is exactly
// this; the painter adds only page layout, the footer and the chart.
#include "reportfigures.h"
#include "reportvisit.h"

#include <QDateTime>
#include <QStringList>
#include <vector>

namespace quentry {

struct TReportTable
{
    QStringList header;        // a "\n" breaks a heading over two lines
    std::vector<QStringList> rows;
    std::vector<bool> rightAligned; // per column: figures line up on the right
    int wrapColumn = -1;       // this column takes the width left over and wraps its text
};

struct TReportField
{
    QString label;
    QString value;
    bool fixedPitch = false; // a checksum, set in a typewriter face
};

struct TReportBlock
{
    enum class TKind : quint8 { Fields, Table, Note, Chart };
    TKind kind = TKind::Note;
    std::vector<TReportField> fields;                // Fields
    TReportTable table;                              // Table
    QString text;                                    // Note; Table and Chart: the caption above
};

struct TReportSection
{
    QString title;
    std::vector<TReportBlock> blocks;
};

struct TReportDocument
{
    QString title;
    QString subtitle;
    std::vector<TReportSection> sections;
    QString program; // name and version, for the footer
    QDateTime made;  // the date of making: the one text that differs between two reports
    QString madeText() const;
};

// Lists of gaps longer than this end with a line that counts the rest.
constexpr int kReportGapsListed = 200;

TReportDocument ComposeServiceReport(const TReportFigures& figures, const TReportVisit& visit,
                                     const QDateTime& made);

// "2021-03-04 10:05"; "-" for a stamp no calendar holds.
QString ReportTime(TDateTime t);
// "42 days 3 h 5 min", "5 min", "1 min 30 s".
QString ReportDuration(qint64 seconds);

} // namespace quentry
