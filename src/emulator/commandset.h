#pragma once
// What the transmitter does with each command and the data it answers with: the
// published HART commands, the family's own commands 128..191, and the FAST commands,
// which mirror the family's commands with the same data bytes.
#include "devicemodel.h"
#include "faultplan.h"
#include "loggerring.h"

#include <QByteArray>

namespace quentry::emulator {

struct TCommandOutcome
{
    bool reply = true; // false: not meant for this transmitter (command 11 with another tag)
    quint8 code = rc_OK; // HART response code, FAST status byte
    QByteArray data;
};

class TCommandSet
{
public:
    TCommandSet(TDeviceModel& model, TLoggerRing& logger) : FModel(model), FLogger(logger) {}

    TCommandOutcome hart(quint8 cmd, const QByteArray& request, const TFaultHits& hits);
    TCommandOutcome fast(quint8 cmd, const QByteArray& request, const TFaultHits& hits);

    static TRequestFacts hartFacts(quint8 cmd, const QByteArray& request);
    static TRequestFacts fastFacts(quint8 cmd, const QByteArray& request);
    // The HART command a FAST command mirrors; -1 for FAST-only and unknown commands.
    static int hartEquivalent(quint8 fastCmd);

private:
    TCommandOutcome execute(quint8 cmd, const QByteArray& request, const TFaultHits& hits);
    TCommandOutcome readPage(const QByteArray& request, const TFaultHits& hits);
    QByteArray es() const;
    QByteArray logStatus(quint8 error) const;
    QByteArray paramReply(int number) const;
    QByteArray linReply(int index) const;
    QByteArray clockBytes() const;

    TDeviceModel& FModel;
    TLoggerRing& FLogger;
};

} // namespace quentry::emulator
