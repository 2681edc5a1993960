#pragma once
// Decoding of the transmitter's 4-byte error/status block and of unit codes. Nothing here
// talks to the transmitter, and every bit pattern and every code has a defined result.
#include "linktypes.h"
#include "pasrecords.h"
#include "rawrecords.h"

#include <QString>
#include <string_view>

namespace quentry {

// The raw block as received (both words high byte first), then texts and flags.
void CrackErrStat(const TTXRXInfo& f_device, const THART_ERRSTAT& f_errstat, THART_PAS_ERRSTAT& f_pas_errstat);
// Texts and flags of a block whose error and status words are already in host order.
// error, status, PVmode and MenuState are left as they are.
void _CrackErrStat(quint8 f_DeviceTypeID, THART_PAS_ERRSTAT& f_pas_errstat);

// The text of the lowest error bit (0-7) set, or "No Errors".
QString _CrackErrStr(quint16 error);
// The text of the lowest warning bit (8-12) set, or "No Warnings".
QString _CrackWarningStr(quint16 error);

// The unit text of a unit code; codes without a text give "(<code>)".
QString UnitCodeToStr(quint8 code);

// The same texts as single-byte views, valid for the life of the program.
std::string_view ErrorText(quint16 error);
std::string_view WarningText(quint16 error);
std::string_view MeasuringModeText(quint16 status);
std::string_view MenuStateText(quint16 status);
std::string_view UnitCodeText(quint8 code);

} // namespace quentry
