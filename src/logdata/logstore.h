#pragma once
// The log store: every decoded row of one logger read or one image file, kept in one
// block allocated once. Rows are appended at LogCount and never written past the end.
#include "pasrecords.h"
#include "userfeedback.h"

#include <array>
#include <memory>

namespace quentry {

constexpr int kLogArrayRows = 12289;
using TLogArray = std::array<THART_PAS_LOG_Row, kLogArrayRows>;
using PLogArray = TLogArray*;

class TLogStore
{
public:
    // A store that is full reports the first refused row through feedback.
    explicit TLogStore(TUserFeedback* feedback = nullptr);

    TLogArray& LogRows() { return *FRows; }
    const TLogArray& LogRows() const { return *FRows; }
    const THART_PAS_LOG_Row& Row(int i) const { return (*FRows)[std::size_t(i)]; }
    THART_PAS_LOG_Row& Row(int i) { return (*FRows)[std::size_t(i)]; }

    int LogCount() const { return FLogCount; }
    // For writers that fill rows in place (image load, simulator); clamped to the store.
    void SetLogCount(int n);
    // Rows refused since the last Clear because the store was full.
    int RefusedCount() const { return FRefused; }

    // Zero-fills every row; LogCount and the refused count go to 0.
    void Clear();
    // Copies the row in at LogCount. A full store keeps its rows, refuses the new one and
    // says so once (until the next Clear); the caller learns it from the false result.
    bool Log_AddToArray(const THART_PAS_LOG_Row& Row);

    void SetFeedback(TUserFeedback* feedback) { FFeedback = feedback ? feedback : &silentFeedback(); }

private:
    std::unique_ptr<TLogArray> FRows;
    int FLogCount = 0;
    int FRefused = 0;
    TUserFeedback* FFeedback;
};

// Shown once when a read delivers more rows than the store holds.
QString LogStoreFullText();

} // namespace quentry
