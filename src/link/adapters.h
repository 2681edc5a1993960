#pragma once
// The two link adapters that must be told which protocol to pass through: the USB link
// adapter (Tavix) and the IrDA link. Each mode command borrows the engine's port, switches
// it to 9600 8-N-1, sends two command bytes with their CRC (low byte first), collects the
// answer and gives the port back as it was.
#include "linktypes.h"
#include "serialport.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <array>
#include <functional>

namespace quentry {

// The result byte of an adapter's answer: its third byte when the CRC over all of it is
// zero, else 255 (also for an answer too short to hold a result).
quint8 AdapterAnswerResult(const quint8* answer, int count);

class TLinkAdapter : public QObject
{
    Q_OBJECT
public:
    static constexpr int kRxBufferSize = 1025;
    static constexpr quint8 kNoAnswer = 255;

    quint8 GetStatus(TSerialPort& f_ComPort);
    quint8 GotoProgram(TSerialPort& f_ComPort);
    quint8 GotoRun(TSerialPort& f_ComPort);
    quint8 GotoMode0(TSerialPort& f_ComPort);
    quint8 GotoMode1(TSerialPort& f_ComPort);
    quint8 GotoMode3(TSerialPort& f_ComPort);

    // Tests run the sequences faster by scaling every wait.
    void SetTimeScale(double scale) { FTimeScale = scale; }
    TComState ExchangeState() const { return FComState; }

protected:
    enum TModeCommand { mc_Status, mc_Program, mc_Run, mc_Mode0, mc_Mode1, mc_Mode3 };

    TLinkAdapter(int answerTailMs, bool irdaHandlers);
    // The two command bytes of each mode command.
    virtual std::array<quint8, 2> commandBytes(TModeCommand c) const = 0;
    // The whole exchange after the port has been prepared; returns the result byte.
    virtual quint8 runSequence(TSerialPort& port, TModeCommand c) = 0;

    void Wait(int ms);
    // Lets the event loop run until the port reported the command sent (bounded).
    void waitUntilSent();
    void appendChecksum(const std::array<quint8, 2>& command);
    void writeCommand(TSerialPort& port);
    quint8 answerResult() const;
    void restoreSavedPort(TSerialPort& port);

    std::array<quint8, kRxBufferSize> FRxBuffer{};
    QByteArray FTxBuffer;
    int FRxIndex = 0;
    int FTxIndex = 2;
    TSerialPort* FComport = nullptr;
    THolderSerialPort FSaveComport;
    TComState FComState = rxst_IDLE;
    QTimer FTimer;

private:
    quint8 modeCommand(TSerialPort& port, TModeCommand c);
    bool preparePort(TSerialPort& port);
    void onRxChar(int count);
    void onTxEmpty();

    int FAnswerTailMs;
    bool FIrdaHandlers;
    bool FTimerFired = false;
    double FTimeScale = 1.0;
};

class TTavix final : public TLinkAdapter
{
    Q_OBJECT
public:
    TTavix();

protected:
    std::array<quint8, 2> commandBytes(TModeCommand c) const override;
    quint8 runSequence(TSerialPort& port, TModeCommand c) override;
};

class TIrDA final : public TLinkAdapter
{
    Q_OBJECT
public:
    TIrDA();

    TIrDAAdapterType IrDAAdapterType = iratype_RS232;

    quint8 RS232(TSerialPort& f_ComPort, int baudstep);
    quint8 TAMBO(TSerialPort& f_ComPort, int baudstep);

    // The TAMBO sequence gives the port back with the engine's FAST settings and handlers.
    void SetRestoreFast(std::function<void()> restore) { FRestoreFast = std::move(restore); }

protected:
    std::array<quint8, 2> commandBytes(TModeCommand c) const override;
    quint8 runSequence(TSerialPort& port, TModeCommand c) override;

private:
    std::function<void()> FRestoreFast;
};

} // namespace quentry
