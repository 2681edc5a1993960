#pragma once
// Raw wire records of the HART and FAST commands, laid out exactly as the bytes travel:
// every field is a byte or a byte array, so the records have no padding and no byte
// order of their own. Multi-byte numbers are most significant byte first (logger page
// rows excepted); the device layer converts them with the helpers of wireconv.h.
#include <QtGlobal>
#include <cstddef>
#include <type_traits>

namespace quentry {

using u8 = quint8;

struct THART_ERRSTAT { u8 error[2]; u8 status[2]; };
struct THART_LOG_Status { u8 status; u8 total[2]; u8 pos[2]; };
struct THART_LOG_Row
{
    u8 datetime[3]; u8 index[2]; u8 event; u8 PV[4]; u8 DIST[4]; u8 LEV[4]; u8 PVunit; u8 TOT1[4]; u8 TOT2[4];
    u8 TOTunit; u8 temperature[2]; u8 current[2]; THART_ERRSTAT es; u8 peakinfo[2]; u8 SNratio; u8 pchk;
    u8 debug1[2]; u8 debug2; u8 chk;
};

// Published commands
struct THART_UniqueID
{
    u8 Expansion, FactoryID, DeviceTypeID, Preemables, UniversalCmdRev, DevspecCmdRev, SwRev, HwRev,
        Function_flag, DeviceID_HI, DeviceID_MID, DeviceID_LO, CommonPracticeCmdRev, CommonTablesRev,
        DataLinkRev, DeviceFamilyCode;
};
struct THART_RdPV { u8 Unitcode; u8 PV[4]; };
struct THART_RdCurrentPercentOfRange { u8 Current[4]; u8 Percentofrange[4]; };
struct THART_RdCurrentFourDVar
{
    u8 Current[4]; u8 PVunitcode; u8 PV[4]; u8 SVunitcode; u8 SV[4]; u8 TVunitcode; u8 TV[4]; u8 FVunitcode;
    u8 FV[4];
};
struct THART_RdWrMessage { u8 PackedMessage[24]; };
struct THART_RdWrTagDestDate { u8 Tag[6]; u8 Descriptor[12]; u8 Date[3]; };
struct THART_RdPVSensorInfo { u8 SerNum[3]; u8 UnitLimitSpan; u8 UpperSensorLimit[4]; u8 LowerSensorLimit[4]; u8 minimumspan[4]; };
struct THART_RdOutputInfo
{
    u8 AlarmSelectCode, TransferFuntionCode, PVrangeUnitCode; u8 UpperRangeValue[4]; u8 LowerRangeValue[4];
    u8 Damping[4]; u8 WriteProtectCode, PrivateLabelCode;
};
struct THART_RdWrFinalAssNum { u8 AssNum[3]; };
struct THART_RdWrDampingValue { u8 Damping[4]; };
struct THART_RdWrRangeValue { u8 rangeunit; u8 upper[4]; u8 lower[4]; };
struct THART_EnterExitFixCurrent { u8 current[4]; };
struct THART_TrimDAC { u8 current[4]; };

// The family's own commands
struct THART_RdDeviceVarsVOL
{
    THART_ERRSTAT es; u8 PVunitcode; u8 PV[4]; u8 LEVunitcode; u8 LEV[4]; u8 LEVpercent[4]; u8 Current[4];
};
struct THART_RdDeviceVarsFLOW
{
    THART_ERRSTAT es; u8 PVunitcode; u8 PV[4]; u8 LEVunitcode; u8 LEV[4]; u8 TOTunitcode; u8 TOT1[4]; u8 TOT2[4];
};
using THART_RdDeviceVarsTOTLONG = THART_RdDeviceVarsFLOW; // totalisers are 32-bit integers there
struct THART_RdDeviceVarsExt
{
    THART_ERRSTAT es; u8 warning[2]; u8 PVunitcode; u8 PV[4]; u8 BASEunitcode; u8 BASE[4]; u8 LEVDISTunitcode;
    u8 LEV[4]; u8 DIST[4]; u8 TOTunitcode; u8 TOT1[4]; u8 TOT2[4]; u8 Tempunitcode; u8 Temp[4]; u8 Current[4];
    u8 LEVpercent; u8 Currpercent;
};
struct THART_EnterExit { u8 upsw[2]; u8 mode; THART_ERRSTAT es; };
struct THART_RdWrParam { THART_ERRSTAT es; u8 pnum; u8 attribute; u8 dim; u8 value[4]; };
struct THART_LdDefault { THART_ERRSTAT es; u8 mode; };
struct THART_RdWrLinItem { THART_ERRSTAT es; u8 total; u8 index; u8 ldim; u8 level[4]; u8 pdim; u8 primary[4]; };
struct THART_RdEMapItem { THART_ERRSTAT es; u8 total; u8 index; u8 selpeak; u8 ddim; u8 dist[4]; u8 ampl[4]; };
struct THART_ClrTOT1 { THART_ERRSTAT es; u8 TOTunitcode; u8 TOT1[4]; u8 TOT2[4]; };
struct THART_ClrTOT2 { u8 fpsw[2]; THART_ERRSTAT es; u8 TOTunitcode; u8 TOT1[4]; u8 TOT2[4]; };
struct THART_WrUPSW { u8 upsw[2]; THART_ERRSTAT es; };
struct THART_RdWrVosFinalAssNum { u8 psw[2]; u8 AssNum[3]; };
struct THART_WrHWID { THART_ERRSTAT es; u8 upsw[2]; u8 fpsw[2]; u8 hwid[2]; };
struct THART_WrCurrTest { THART_ERRSTAT es; u8 current[4]; };
struct THART_WrSecuryCodes { u8 fpsw[2]; THART_ERRSTAT es; u8 fcode; };
struct THART_DoFactoryReset { u8 fpsw[2]; u8 mode; THART_ERRSTAT es; u8 fcode; };
struct THART_RdExtInfo
{
    THART_ERRSTAT es; u8 HWcode[2]; u8 USWversion[2]; u8 ACSWversion[2]; u8 FAddress; u8 FConfig[2];
    u8 HDeviceTypeID; u8 SWsubcode;
};
struct THART_LOG_OpenClose { u8 mode; THART_ERRSTAT es; THART_LOG_Status lstat; };
struct THART_LOG_RdStatus { THART_ERRSTAT es; THART_LOG_Status lstat; };
struct THART_LOG_Seek { u8 Whence; u8 Offset[2]; THART_ERRSTAT es; THART_LOG_Status lstat; };
struct THART_LOG_RdRecord { u8 mode; THART_LOG_Status lstat; THART_LOG_Row row; };
struct THART_LOG_RdLFData
{
    THART_ERRSTAT es; u8 sor; u8 index[2]; u8 page[2]; u8 elsoiras[3]; u8 utolsoiras[3]; u8 status; u8 error;
    u8 x; u8 y; u8 ksz; u8 totalpagecount[2]; u8 rowperpage;
};
struct THART_RTC_RdWrRTC { u8 Century[2]; u8 Month; u8 Day; u8 Hour; u8 Min; u8 Sec; };

// FAST only
using TFAST_RDMEAS = THART_RdDeviceVarsExt;
struct TFAST_LOG_RdPage { u8 wrpageindex[2]; THART_ERRSTAT es; u8 rdpageindex[2]; THART_LOG_Row rows[6]; };

// Sizes are part of the protocol.
#define QUENTRY_RAW_SIZE(T, N) \
    static_assert(sizeof(T) == (N) && std::is_trivially_copyable_v<T> && alignof(T) == 1, #T)
QUENTRY_RAW_SIZE(THART_ERRSTAT, 4);
QUENTRY_RAW_SIZE(THART_LOG_Status, 5);
QUENTRY_RAW_SIZE(THART_LOG_Row, 44);
QUENTRY_RAW_SIZE(THART_UniqueID, 16);
QUENTRY_RAW_SIZE(THART_RdPV, 5);
QUENTRY_RAW_SIZE(THART_RdCurrentPercentOfRange, 8);
QUENTRY_RAW_SIZE(THART_RdCurrentFourDVar, 24);
QUENTRY_RAW_SIZE(THART_RdWrMessage, 24);
QUENTRY_RAW_SIZE(THART_RdWrTagDestDate, 21);
QUENTRY_RAW_SIZE(THART_RdPVSensorInfo, 16);
QUENTRY_RAW_SIZE(THART_RdOutputInfo, 17);
QUENTRY_RAW_SIZE(THART_RdWrFinalAssNum, 3);
QUENTRY_RAW_SIZE(THART_RdWrDampingValue, 4);
QUENTRY_RAW_SIZE(THART_RdWrRangeValue, 9);
QUENTRY_RAW_SIZE(THART_EnterExitFixCurrent, 4);
QUENTRY_RAW_SIZE(THART_TrimDAC, 4);
QUENTRY_RAW_SIZE(THART_RdDeviceVarsVOL, 22);
QUENTRY_RAW_SIZE(THART_RdDeviceVarsFLOW, 23);
QUENTRY_RAW_SIZE(THART_RdDeviceVarsExt, 45);
QUENTRY_RAW_SIZE(THART_EnterExit, 7);
QUENTRY_RAW_SIZE(THART_RdWrParam, 11);
QUENTRY_RAW_SIZE(THART_LdDefault, 5);
QUENTRY_RAW_SIZE(THART_RdWrLinItem, 16);
QUENTRY_RAW_SIZE(THART_RdEMapItem, 16);
QUENTRY_RAW_SIZE(THART_ClrTOT1, 13);
QUENTRY_RAW_SIZE(THART_ClrTOT2, 15);
QUENTRY_RAW_SIZE(THART_WrUPSW, 6);
QUENTRY_RAW_SIZE(THART_RdWrVosFinalAssNum, 5);
QUENTRY_RAW_SIZE(THART_WrHWID, 10);
QUENTRY_RAW_SIZE(THART_WrCurrTest, 8);
QUENTRY_RAW_SIZE(THART_WrSecuryCodes, 7);
QUENTRY_RAW_SIZE(THART_DoFactoryReset, 8);
QUENTRY_RAW_SIZE(THART_RdExtInfo, 15);
QUENTRY_RAW_SIZE(THART_LOG_OpenClose, 10);
QUENTRY_RAW_SIZE(THART_LOG_RdStatus, 9);
QUENTRY_RAW_SIZE(THART_LOG_Seek, 12);
QUENTRY_RAW_SIZE(THART_LOG_RdRecord, 50);
QUENTRY_RAW_SIZE(THART_LOG_RdLFData, 23);
QUENTRY_RAW_SIZE(THART_RTC_RdWrRTC, 7);
QUENTRY_RAW_SIZE(TFAST_LOG_RdPage, 272);
#undef QUENTRY_RAW_SIZE

// Byte views of a raw record, for copying wire bytes in and out.
template <class T> u8* rawBytes(T& record) { return reinterpret_cast<u8*>(&record); }
template <class T> const u8* rawBytes(const T& record) { return reinterpret_cast<const u8*>(&record); }

} // namespace quentry
