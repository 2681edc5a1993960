#pragma once
// Types shared by the whole link: states, protocols, adapters, frame errors and the
// transaction record that names a transmitter before a command and carries the outcome.
#include <QDateTime>
#include <QString>
#include <QtGlobal>

namespace quentry {

enum TComState : quint8 { rxst_IDLE, rxst_TX, rxst_WAIT, rxst_RX, rxst_READY };

enum TTimerMode : quint8 { tmm_IDLE, tmm_TxGuard, tmm_WaitAnswer, tmm_ByteGap, tmm_ErrorWait, tmm_NextQuery };

enum TFrameError : quint8 {
    FRERR_OK = 0,
    FRERR_INVALIDFRAME = 1,
    FRERR_CHKSUM = 2,
    FRERR_LADDR = 3,
    FRERR_SADDR = 4,
    FRERR_TIMEOUT = 5,
    FRERR_NOFRAME = 6,
    FRERR_SIZE = 7,
    FERR_INTERFACE = 8,
    FERR_HARTDEVICE = 9,
    FERR_ADAPTER = 10,
    FERR_ADAPTERABORT = 11,
};
constexpr int kFrameErrorCount = 12;

// The fixed message of each frame error.
QString FrameErrorMessage(TFrameError e);

enum TProtokoll : quint8 {
    prt_HART,
    prt_MODE3,
    prt_MODBUS_RTU,
    prt_MODBUS_ASCII,
    prt_FASTLINK_USB,
    prt_FASTLINK_IRDA,
};

enum TAdapterType : quint8 { adt_None, adt_USB, adt_IrDA };
enum TIrDAAdapterType : quint8 { iratype_RS232, iratype_TAMBO };
enum TLogErrorState : quint8 { log_IDLE, log_FULL };

struct TTXRXInfo
{
    TFrameError FrameError = FRERR_OK;
    quint16 ApiError = 0;      // HART: response code * 256 + device status; FAST: status byte
    quint8 Saddress = 0;       // polling address (short frame)
    quint8 FactoryID = 0;      // long frame address ...
    quint8 DeviceTypeID = 0;
    quint8 DeviceID_HI = 0;
    quint8 DeviceID_MID = 0;
    quint8 DeviceID_LO = 0;
    quint8 Preemables = 0;     // 0xFF bytes sent before a HART request
    bool IsLongAddress = false;
    bool IsPrimary = false;
    bool IsInBurst = false;
    quint8 start = 0;          // reply delimiter
    quint8 cmd = 0;
    quint8 bcnt = 0;

    quint32 deviceId() const { return quint32(DeviceID_HI) << 16 | quint32(DeviceID_MID) << 8 | DeviceID_LO; }
};

struct TMSG_Struct
{
    QDateTime Timestamp;
    QString ClassStr;
    QString MessageStr;
};

struct THeartBeat
{
    bool Active = false;
    quint32 Interval = 0;
};

struct THART_RESPONSE_STR
{
    QString FirstByte;   // response code text
    QString SecondByte;  // field device status text
};

} // namespace quentry
