#pragma once
// The transmitter apart from its logger: identity, parameter table, remote programming
// mode, clock, totalisers, linearisation table and echo map, and the measured values.
#include "emulatorconfig.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <map>
#include <optional>
#include <vector>

namespace quentry::emulator {

// HART response codes the transmitter uses.
enum TResponseCode : quint8 {
    rc_OK = 0,
    rc_InvalidSelection = 2,
    rc_TooLarge = 3,
    rc_TooSmall = 4,
    rc_TooFewBytes = 5,
    rc_WriteProtect = 7,
    rc_AccessRestricted = 16,
    rc_Busy = 32,
    rc_NotImplemented = 64,
};

// The fixed code the service tool sends to enter remote programming.
constexpr quint16 kRemoteUserCode = 23610;

struct TParameter
{
    quint8 attribute = 0; // 0 read and write, 1 read only
    quint8 unit = 0;
    float value = 0;
};

struct TLinItem
{
    float level = 0, primary = 0;
};

class TDeviceModel
{
public:
    explicit TDeviceModel(const TEmulatorConfig& config);

    // Identity
    quint8 pollingAddress() const { return FPollingAddress; }
    void setPollingAddress(quint8 a) { FPollingAddress = a; }
    const std::array<quint8, 5>& longAddress() const { return FLongAddress; }
    QByteArray uniqueIdentifier() const; // the 16 bytes of command 0
    // The tag packed into six bytes, as the tag, descriptor and date commands hold it.
    QByteArray packedTag() const { return FTagDescDate.left(6); }

    // The error/status block that starts most replies, and the HART device status byte.
    QByteArray errStat(bool loggerOpen) const;
    quint8 deviceStatus() const { return FConfigChanged ? 0x40 : 0x00; }
    void markConfigChanged() { FConfigChanged = true; }
    void resetConfigChanged() { FConfigChanged = false; }

    // Remote programming: mode 1 enters with the right code, 0 leaves, 2 leaves the menu.
    TResponseCode enterExit(quint16 code, quint8 mode);
    bool remote() const { return FRemote; }
    TResponseCode setUserPassword(quint16 bcd);

    // Clock: the host's clock plus an offset.
    QDateTime clock() const;
    void setClock(const QDateTime& t);

    // Parameter table; writes answer the value as stored.
    bool hasParameter(int number) const;
    TParameter parameter(int number) const;
    TResponseCode writeParameter(int number, float value);
    std::map<int, float> parameterValues() const;

    TLiveValues live() const;
    void clearTotaliser(int which); // 1 or 2

    int linItemCount() const { return int(FLinTable.size()); }
    TLinItem linItem(int i) const { return FLinTable[size_t(i)]; }
    void setLinItem(int i, TLinItem item) { FLinTable[size_t(i)] = item; }
    void loadDefaults(quint8 mode);

    void setLoggerWrapped(bool wrapped) { FLoggerWrapped = wrapped; }

    // Published HART data
    QByteArray messagePacked() const;
    void setMessagePacked(const QByteArray& b) { FMessage = b; }
    QByteArray tagDescriptorDate() const { return FTagDescDate; }
    void setTagDescriptorDate(const QByteArray& b) { FTagDescDate = b; }
    quint32 finalAssemblyNumber() const { return FAssNum; }
    void setFinalAssemblyNumber(quint32 n) { FAssNum = n & 0xFFFFFF; }
    float damping() const { return FDamping; }
    void setDamping(float d) { FDamping = d; }
    float upperRange() const { return FUpperRange; }
    float lowerRange() const { return FLowerRange; }
    void setRange(float upper, float lower) { FUpperRange = upper; FLowerRange = lower; }

private:
    float totaliser(int which) const;
    void setDefaults();

    quint64 FSeed;
    quint8 FPollingAddress;
    std::array<quint8, 5> FLongAddress;
    quint8 FFactoryId;
    QByteArray FMessage, FTagDescDate;
    quint32 FAssNum = 0x00A1B2;
    float FDamping = 2.0f, FUpperRange = 250.0f, FLowerRange = 0.0f;
    bool FConfigChanged = false;
    bool FRemote = false;
    quint16 FUserPassword = 0;
    qint64 FClockOffsetMs;
    std::map<int, TParameter> FParams;
    quint16 FFeatureId;
    bool FLoggerWrapped = false;
    std::optional<TLiveValues> FFixedLive;
    // Totalisers count from a base at a moment, at the site's mean flow.
    double FTotBase[2] = {14250.0, 310.0};
    QDateTime FTotFrom[2];
    std::vector<TLinItem> FLinTable;
};

} // namespace quentry::emulator
