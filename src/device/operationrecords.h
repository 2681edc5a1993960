#pragma once
// Decoded records of the transmitter operations: host-order numbers, unit codes together
// with their unit texts, texts as strings. Callers fill the input fields, run the
// operation and read the output fields when it returned FRERR_OK.
#include "pasrecords.h"
#include "wire/datetime.h"

#include <QString>
#include <QtGlobal>

namespace quentry {

// Identity of a transmitter as its unique-identifier reply gives it.
struct THART_PAS_UniqueID
{
    quint8 Expansion = 0;
    quint8 FactoryID = 0;       // manufacturer code
    quint8 DeviceTypeID = 0;    // device type code
    quint8 Preemables = 0;      // preambles the device asks for
    quint8 UniversalCmdRev = 0;
    quint8 DevspecCmdRev = 0;
    quint8 SwRev = 0;
    quint8 HwRev = 0;
    quint8 Function_flag = 0;
    quint32 DeviceID = 0;       // 24 bits: HI * 65536 + MID * 256 + LO
    quint8 CommonPracticeCmdRev = 0;
    quint8 CommonTablesRev = 0;
    quint8 DataLinkRev = 0;
    quint8 DeviceFamilyCode = 0;

    bool operator==(const THART_PAS_UniqueID&) const = default;
};

// How the main window hands the detected transmitter to the logger reader.
struct TTestedDevice
{
    THART_PAS_UniqueID UniqueID;
};

// ---- published HART commands -----------------------------------------------------------

struct THART_PAS_RdPV
{
    quint8 Unitcode = 0;
    QString UnitcodeStr;
    float PV = 0;
};

struct THART_PAS_RdCurrentPercentOfRange
{
    float Current = 0; // mA
    float Percentofrange = 0;
};

struct THART_PAS_RdCurrentFourDVar
{
    float Current = 0;
    quint8 PVunitcode = 0;
    QString PVunitcodeSTR;
    float PV = 0;
    quint8 SVunitcode = 0;
    QString SVunitcodeSTR;
    float SV = 0;
    quint8 TVunitcode = 0;
    QString TVunitcodeSTR;
    float TV = 0;
    quint8 FVunitcode = 0;
    QString FVunitcodeSTR;
    float FV = 0;
};

struct THART_PAS_RdWrTagDestDate
{
    QString Tag;        // 8 characters on the wire
    QString Descriptor; // 16 characters on the wire
    TDateTime Date = 0;
};

struct THART_PAS_RdPVSensorInfo
{
    quint32 SerNum = 0; // 24 bits
    quint8 UnitLimitSpan = 0;
    QString UnitLimitSpanStr;
    float UpperSensorLimit = 0;
    float LowerSensorLimit = 0;
    float minimumspan = 0;
};

struct THART_PAS_RdOutputInfo
{
    quint8 AlarmSelectCode = 0;
    quint8 TransferFuntionCode = 0;
    quint8 PVrangeUnitCode = 0;
    QString PVrangeUnitCodeStr;
    float UpperRangeValue = 0;
    float LowerRangeValue = 0;
    float Damping = 0;
    quint8 WriteProtectCode = 0;
    quint8 PrivateLabelCode = 0;
};

struct THART_PAS_RdWrFinalAssNum
{
    quint32 AssNum = 0; // 24 bits travel
};

struct THART_PAS_RdWrDampingValue
{
    float Damping = 0;
};

struct THART_PAS_RdWrRangeValue
{
    QString rangeunit; // unit text of the reply's unit code
    float lower = 0;
    float upper = 0;
};

struct THART_PAS_EnterExitFixCurrent
{
    float current = 0;
};

struct THART_PAS_TrimDAC
{
    float current = 0;
};

// ---- the family's own commands ---------------------------------------------------------

struct THART_PAS_RdDeviceVarsExt
{
    THART_PAS_ERRSTAT es;
    quint16 warning = 0; // not filled: the warning texts come from the error word
    quint8 PVunitcode = 0;
    QString PVunitcodeStr;
    float PV = 0;
    quint8 BASEunitcode = 0;
    QString BASEunitcodeStr;
    float BASE = 0;
    quint8 LEVDISTunitcode = 0;
    QString LEVDISTunitcodeStr;
    float LEV = 0;
    float DIST = 0;
    quint8 TOTunitcode = 0;
    QString TOTunitcodeStr;
    float TOT1 = 0;
    float TOT2 = 0;
    quint8 Tempunitcode = 0;
    QString TempunitcodeStr;
    float Temp = 0;
    float Current = 0;
    float LEVpercent = 0;  // a signed byte on the wire
    float Currpercent = 0; // a signed byte on the wire
};

struct THART_PAS_EnterExit
{
    quint16 upsw = 0; // sent as a plain number, not BCD
    quint8 mode = 0;
    THART_PAS_ERRSTAT es;
};

struct THART_PAS_RdWrParam
{
    THART_PAS_ERRSTAT es;
    quint8 pnum = 0;
    quint8 attribute = 0;
    quint8 dim = 0;
    QString dimstr;
    float value = 0;
};

struct THART_PAS_RdWrLinItem
{
    THART_PAS_ERRSTAT es;
    quint8 total = 0;
    quint8 index = 0;
    quint8 ldim = 0;
    QString ldimstr;
    float level = 0;
    quint8 pdim = 0;
    QString pdimstr;
    float primary = 0;
};

struct THART_PAS_LdDefault
{
    THART_PAS_ERRSTAT es;
    quint8 mode = 0;
};

struct THART_PAS_RdEMapItem
{
    THART_PAS_ERRSTAT es;
    quint8 total = 0;
    quint8 index = 0;
    quint8 selpeak = 0;
    quint8 ddim = 0;
    QString ddimstr;
    float dist = 0;
    float ampl = 0;
};

struct THART_PAS_ClrTOT1
{
    THART_PAS_ERRSTAT es;
    quint8 TOTunitcode = 0;
    QString TOTunitcodeStr;
    float TOT1 = 0;
    float TOT2 = 0;
};

struct THART_PAS_ClrTOT2
{
    quint16 fpsw = 0;
    THART_PAS_ERRSTAT es;
    quint8 TOTunitcode = 0;
    QString TOTunitcodeStr;
    float TOT1 = 0;
    float TOT2 = 0;
};

struct THART_PAS_WrUPSW
{
    quint16 upsw = 0;
    THART_PAS_ERRSTAT es;
};

struct THART_PAS_RdWrVosFinalAssNum
{
    quint16 psw = 0;
    quint32 AssNum = 0;
};

struct THART_PAS_RdDeviceVarsVOL
{
    THART_PAS_ERRSTAT es;
    quint8 PVunitcode = 0;
    QString PVunitcodeStr;
    float PV = 0;
    quint8 LEVunitcode = 0;
    QString LEVunitcodeStr;
    float LEV = 0;
    float LEVpercent = 0;
    float Current = 0;
};

struct THART_PAS_RdDeviceVarsFLOW
{
    THART_PAS_ERRSTAT es;
    quint8 PVunitcode = 0;
    QString PVunitcodeStr;
    float PV = 0;
    quint8 LEVunitcode = 0;
    QString LEVunitcodeStr;
    float LEV = 0;
    quint8 TOTunitcode = 0;
    QString TOTunitcodeStr;
    float TOT1 = 0;
    float TOT2 = 0;
};

struct THART_PAS_RdDeviceVarsTOTLONG
{
    THART_PAS_ERRSTAT es;
    quint8 PVunitcode = 0;
    QString PVunitcodeStr;
    float PV = 0;
    quint8 LEVunitcode = 0;
    QString LEVunitcodeStr;
    float LEV = 0;
    quint8 TOTunitcode = 0;
    QString TOTunitcodeStr;
    quint32 TOT1 = 0;
    quint32 TOT2 = 0;
};

struct THART_PAS_RdExtInfo
{
    THART_PAS_ERRSTAT es;
    quint16 HWcode = 0;
    quint16 USWversion = 0;
    quint16 ACSWversion = 0;
    quint8 FAddress = 0;
    quint16 FConfig = 0;
    quint8 HDeviceTypeID = 0;
    quint8 SWsubcode = 0;
};

struct THART_PAS_WrHWID
{
    THART_PAS_ERRSTAT es;
    quint16 upsw = 0;
    quint16 fpsw = 0;
    quint16 hwid = 0;
};

struct THART_PAS_WrCurrTest
{
    THART_PAS_ERRSTAT es;
    float current = 0;
};

struct THART_PAS_WrSecuryCodes
{
    quint16 fpsw = 0;
    THART_PAS_ERRSTAT es;
    quint8 fcode = 0;
};

struct THART_PAS_DoFactoryReset
{
    quint16 fpsw = 0;
    quint8 mode = 0;
    THART_PAS_ERRSTAT es;
    quint8 fcode = 0;
};

struct THART_PAS_RTC_RdWrRTC
{
    TDateTime DateTime = 0; // the clock, to the minute when read
    quint8 Seconds = 0;     // the seconds the reply carried, which DateTime leaves out
};

} // namespace quentry
