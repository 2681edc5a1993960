#pragma once
// Decoding of logger data: the 3-byte time stamp, the logger status, event texts and the
// 44-byte raw row in its two byte orders (high byte first when read one row at a time,
// low byte first when read as part of a page). Pure functions over raw records.
#include "loggerrecords.h"
#include "linktypes.h"
#include "rawrecords.h"

#include <QString>
#include <span>
#include <string_view>

namespace quentry {

TDateTime Log_ConvertDate3ToDateTime(const quint8* f_b);

void CrackLOGStat(const TTXRXInfo& f_device, const THART_LOG_Status& f_log_Status,
                  THART_PAS_LOG_Status& f_pas_log_Status);

// True when the row's check byte matches its other 43 bytes.
bool LogCheckRecord(const THART_LOG_Row& f_log_Row);

// Codes 0-39 give their text, others "UNKOWN<code>".
QString GetEventstrTable(quint8 f_eventcode);
std::string_view EventText(quint8 f_eventcode);
// The event list as the trend view and the simulator walk it: codes 0 to 39, then one
// empty entry that ends the list.
std::span<const std::string_view> EventTextList();

// A row read one at a time: words and singles high byte first, unusable singles replaced.
// Texts and flags of row.es are left to the caller (its device type decides).
void LogConvertRowAndSwap(const THART_LOG_Row& f_log_Row, THART_PAS_LOG_Row& f_pas_log_Row);
// A row read in a page: low byte first, singles as they come, temperature unit from
// bit 15 of the temperature word.
void LogConvertRow(const THART_LOG_Row& f_log_Row, THART_PAS_LOG_Row& f_pas_log_Row);

// The rows of a page reply: each good row decoded with its status texts (device type 0),
// each row that fails its check marked with event 255 "CHECKSUM ERROR" and otherwise
// left as it was. pageindex and es of the decoded page are not written.
void LogDecodePage(const TFAST_LOG_RdPage& f_raw, TFAST_PAS_LOG_RdPage& f_page);

// value x 10000 rounded to an integer (ties to even), / 10000. Values whose scaled
// magnitude does not fit a 64-bit integer, infinities and NaN are kept as they are.
double RoundToFourDecimals(float value);

} // namespace quentry
