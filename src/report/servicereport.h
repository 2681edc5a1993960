#pragma once
// Writing the service report: the figures of the rows and what is known of the visit,
// laid out on A4 pages and painted into a PDF under a temporary name that replaces the
// target only once the whole file is written. The event loop runs between the steps and
// the pages, so a window stays responsive while a long report is written.
#include "fileresult.h"
#include "operation.h"
#include "reportvisit.h"

#include <QDateTime>
#include <span>

namespace quentry {

struct TReportFileResult : TFileResult
{
    int pages = 0;
};

// ok: the PDF is in place; records: the rows it reports on. A failure is shown through
// the context's feedback and leaves any earlier file of that name as it was.
TReportFileResult WriteServiceReport(const QString& path, std::span<const THART_PAS_LOG_Row> rows, const TReportVisit& visit,
                               const TOperationContext& context, const QDateTime& made = QDateTime::currentDateTime());

// "Quentry 1.21": the program and version each report names in its footer.
QString ReportProgramName();

} // namespace quentry
