#pragma once
// How often each event and each error or warning bit occurs in a run of rows.
#include "pasrecords.h"

#include <QString>
#include <span>
#include <vector>

namespace quentry {

struct TCount
{
    QString text;
    int count = 0;
};

// Each event text with its number of rows, in event code order.
std::vector<TCount> CountEvents(std::span<const THART_PAS_LOG_Row> rows);
// Each bit of the error word that is set somewhere, with its text ("No Echo", "Err 7",
// "bit 14" for the bits without one) and the rows that have it, in bit order. Rows that
// failed their check have no error word and are left out.
std::vector<TCount> CountErrorBits(std::span<const THART_PAS_LOG_Row> rows);

} // namespace quentry
