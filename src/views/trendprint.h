#pragma once
// Printing the trend chart: drawn at the window's design size with the legend below the
// plot, then stretched over the whole page (the page's proportions win over the screen's).
// The same path writes a PDF; a PNG is the chart as it is on screen.
#include <QSize>
#include <QString>

class QPrinter;

namespace quentry {

class TTrendChart;

// Paints the chart over the printer's whole page. False when the printer could not start.
bool PrintChart(TTrendChart& chart, QPrinter& printer, QSize designSize);
// Writes a one-page PDF (by the printing path) or a PNG, by the file's suffix (".pdf",
// otherwise PNG). False when the file could not be written.
bool SaveChart(TTrendChart& chart, const QString& path, QSize designSize);

} // namespace quentry
