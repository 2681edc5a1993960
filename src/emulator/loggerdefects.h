#pragma once
// Defects of the logger that stay put, tied to rows rather than to requests: whatever
// reads the row, however often, meets the same defect. Chosen by a compact text
// (DEFECT[,DEFECT]..., DEFECT = KIND@ROW[:ARG]); LoggerDefectsHelp() explains it.
#include <QString>
#include <QtGlobal>
#include <array>
#include <optional>
#include <set>
#include <vector>

namespace quentry::emulator {

using TLogRowBytes = std::array<quint8, 44>;

struct TLoggerDefects
{
    // Row positions count from 0, the oldest readable row.
    std::vector<std::pair<int, int>> missingIndexes; // (row, count): indexes skipped before the row
    std::vector<std::pair<int, int>> indexFallsBack; // (row, by): the row's index is this much below the one before + 1
    std::set<int> readErrorRows;                     // record reads of the row answer READERROR
    std::set<int> badCheckRows;                      // page reads carry the row with a wrong check byte

    bool empty() const
    {
        return missingIndexes.empty() && indexFallsBack.empty() && readErrorRows.empty() && badCheckRows.empty();
    }
    // Renumbers the rows (record byte order, oldest first) and mends their check bytes.
    void applyTo(std::vector<TLogRowBytes>& rows) const;

    // Empty defects for an empty text; nullopt (and *error) for text that is not a list.
    static std::optional<TLoggerDefects> parse(const QString& text, QString* error = nullptr);
};

// The grammar, as --help shows it.
QString LoggerDefectsHelp();

} // namespace quentry::emulator
