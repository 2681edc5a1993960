#pragma once
// The serial port as the link engine and the adapters need it: settings applied
// together, five notification handlers that can be copied between port objects, and
// the few operations of a half-duplex request/reply line. Protocol code never names a
// concrete port; the Qt implementation, a pseudo-terminal and test fakes stand in.
#include "portopenfailure.h"

#include <QString>
#include <QtGlobal>
#include <functional>

namespace quentry {

enum class TParity : quint8 { None, Odd, Even };
enum class TLineControl : quint8 { Disabled, Enabled }; // Enabled: held on while the port is open
enum class TFlowChoice : quint8 { None, Hardware, Software, Custom };

// Line errors in the order the engine reports them.
enum TLineError : quint16 {
    le_Framing = 1 << 0,
    le_Parity = 1 << 1,
    le_Overrun = 1 << 2,
    le_Break = 1 << 3,
    le_IO = 1 << 4,
    le_Mode = 1 << 5,
    le_RxOverrun = 1 << 6,
    le_TxFull = 1 << 7,
};
using TLineErrors = quint16;

// How long a port keeps checking for a slow driver to drain, after the modelled line
// time, before it reports the line empty anyway. Whoever waits for that report must wait
// longer than this.
constexpr int kTxDrainGraceMs = 2000;

// The line-error counters a driver keeps (where it keeps any).
struct TLineCounters
{
    quint32 frame = 0, parity = 0, overrun = 0, brk = 0, bufOverrun = 0;
};

// The errors whose counters went up between two readings.
TLineErrors LineErrorsBetween(const TLineCounters& before, const TLineCounters& after);

struct TSerialSettings
{
    QString portName = QStringLiteral("COM1");
    qint32 baudRate = 9600;
    quint8 dataBits = 8;
    TParity parity = TParity::None;
    quint8 stopBits = 1;
    bool outCtsFlow = false;
    bool outDsrFlow = false;
    bool xonXoffOut = false;
    bool xonXoffIn = false;
    TFlowChoice flowChoice = TFlowChoice::None;
    TLineControl dtrControl = TLineControl::Disabled;
    TLineControl rtsControl = TLineControl::Disabled;
    int inputBufferSize = 65535;
    bool eventRxChar = true;
    bool eventTxEmpty = true;

    // Bits one byte occupies on the line: start, data, parity, stop.
    int bitsPerByte() const { return 1 + dataBits + (parity == TParity::None ? 0 : 1) + stopBits; }
    bool operator==(const TSerialSettings&) const = default;
};

struct TSerialHandlers
{
    std::function<void()> afterOpen;
    std::function<void()> afterClose;
    std::function<void(TLineErrors)> error;
    std::function<void(int count)> rxChar;   // bytes available
    std::function<void()> txEmpty;           // the last byte written has left the line
};

class TSerialPort
{
public:
    virtual ~TSerialPort() = default;

    // Settings changed between BeginUpdate and EndUpdate take effect together;
    // outside an update each change applies at once (re-applied to an open port).
    void BeginUpdate() { ++FUpdateDepth; }
    void EndUpdate();
    const TSerialSettings& Settings() const { return FSettings; }
    void SetSettings(const TSerialSettings& s);
    void SetPortName(const QString& name);
    const QString& PortName() const { return FSettings.portName; }

    const TSerialHandlers& Handlers() const { return FHandlers; }
    void SetHandlers(const TSerialHandlers& h) { FHandlers = h; }
    void DetachHandlers() { FHandlers = {}; }

    // False (with ErrorString and OpenFailure set) when the port cannot be opened; the
    // after-open handler runs once it is open.
    virtual bool Open() = 0;
    virtual void Close() = 0;
    virtual bool Connected() const = 0;
    // Hands the bytes to the driver; false when the port refuses them.
    virtual bool Write(const quint8* buffer, int count) = 0;
    virtual int Read(quint8* buffer, int count) = 0;
    virtual void ClearBuffer(bool input, bool output) = 0;
    virtual void SetDTR(bool on) = 0;
    virtual void SetRTS(bool on) = 0;
    virtual void AbortAllAsync() = 0;
    virtual QString ErrorString() const { return FErrorString; }
    // Why the last Open failed; None after one that succeeded.
    TPortOpenFailure OpenFailure() const { return FOpenFailure; }

protected:
    // Called when settings change while the port is open.
    virtual void ApplySettings() = 0;
    void setErrorString(const QString& s) { FErrorString = s; }
    void setOpenFailure(TPortOpenFailure f) { FOpenFailure = f; }
    void notifyAfterOpen() const { if (FHandlers.afterOpen) FHandlers.afterOpen(); }
    void notifyAfterClose() const { if (FHandlers.afterClose) FHandlers.afterClose(); }
    void notifyError(TLineErrors e) const { if (FHandlers.error) FHandlers.error(e); }
    void notifyRxChar(int n) const { if (FHandlers.rxChar) FHandlers.rxChar(n); }
    void notifyTxEmpty() const { if (FHandlers.txEmpty) FHandlers.txEmpty(); }

private:
    void settingsChanged();

    TSerialSettings FSettings;
    TSerialHandlers FHandlers;
    int FUpdateDepth = 0;
    bool FPendingApply = false;
    QString FErrorString;
    TPortOpenFailure FOpenFailure = TPortOpenFailure::None;
};

// What the adapters copy from one port object to another and back: the line settings
// (not the port name) and the five handlers. withFlowChoice also copies the combined
// flow-control choice.
void CopyPortSettings(const TSerialPort& from, TSerialPort& to, bool withFlowChoice);

// A port object that is never opened: it only holds settings and handlers while an
// adapter borrows the engine's port.
class THolderSerialPort final : public TSerialPort
{
public:
    bool Open() override
    {
        setErrorString(QStringLiteral("holder port is never opened"));
        setOpenFailure(TPortOpenFailure::Other);
        return false;
    }
    void Close() override {}
    bool Connected() const override { return false; }
    bool Write(const quint8*, int) override { return false; }
    int Read(quint8*, int) override { return 0; }
    void ClearBuffer(bool, bool) override {}
    void SetDTR(bool) override {}
    void SetRTS(bool) override {}
    void AbortAllAsync() override {}

protected:
    void ApplySettings() override {}
};

} // namespace quentry
