#include "historyimport.h"

namespace quentry {

TImportResult ImportRows(THistoryStore& store, const TLogStore& rows, TVisitStart visit, const QString& source)
{
    TImportResult r;
    visit.kind = TVisitKind::Import;
    visit.protocol = QStringLiteral("file");
    visit.adapter = source;
    THistoryFeed feed(store, visit, THistoryFeed::TStartsAt::Oldest);
    feed.SetOneTransaction(true);
    if (!feed.Begin()) {
        r.error = feed.Error();
        return r;
    }
    for (int i = 0; i < rows.LogCount(); ++i) {
        const THART_PAS_LOG_Row& row = rows.Row(i);
        if (row.event == kChecksumErrorEvent) {
            // Its bytes are not a row; the next good row's index says what is missing.
            ++r.skipped;
            feed.NoteUnreadable(1);
            continue;
        }
        feed.AddRow(row);
    }
    r.ok = feed.Finish(TVisitEnd::Completed, std::nullopt, {});
    if (!r.ok) r.error = feed.Error();
    r.join.added = feed.Added();
    r.join.gaps = feed.Gaps();
    r.join.missing = feed.MissingRows();
    r.join.beside = feed.Beside();
    if (feed.LoggerCleared()) r.join.note = QStringLiteral("the logger had been cleared since the newest held row");
    r.line = JoinResultLine(r.join) + QStringLiteral(" %1 row(s) were held already.").arg(GroupedNumber(feed.Known()));
    return r;
}

} // namespace quentry
