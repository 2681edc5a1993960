#pragma once
// TComSetupDlgForm, "Communication": the serial port, the adapter between PC and
// transmitter (which fixes the protocol) and the engine's cycle time. It only collects
// values; the main window fills it from the engine and applies what it returns.
#include "linktypes.h"

#include <QDialog>
#include <QStringList>
#include <functional>

class QCheckBox;
class QComboBox;
class QSpinBox;
class QTimer;

namespace quentry {

class TCOMEngine;

class TComSetupDlgForm final : public QDialog
{
    Q_OBJECT
public:
    explicit TComSetupDlgForm(QWidget* parent = nullptr);

    void InitComSetupDlg(TCOMEngine* f_COMEngine) { FCOMEngine = f_COMEngine; }
    TCOMEngine* COMEngine() const { return FCOMEngine; }

    // Selects the port item "COM<PortNum>"; its position, or -1 (then nothing is selected).
    int InitPortComboBoxByComPortNumber(quint16 PortNum);
    // For a port a number cannot name (/dev/pts/7, ttyUSB0): the item with that name, or
    // the name typed into the box when the system does not list it. Returns the position or -1.
    int InitPortComboBoxByName(const QString& name);

    TProtokoll Protokoll() const { return FProtokoll; }
    void SetProtokoll(TProtokoll p);
    quint8 Adapter() const { return FAdapter; }
    void SetAdapter(quint8 position);
    TIrDAAdapterType IrDAAdapterType = iratype_RS232;

    // After OK: the number after "COM" (0 when there is none) and the whole text.
    quint16 Port = 0;
    QString PortName() const;

    // The cycle time in ms (the engine's byte gap).
    int CycleTime() const;
    void SetCycleTime(int ms);
    // Whether the engine ends a reply as soon as it is complete.
    bool QuickReplies() const;
    void SetQuickReplies(bool on);

    // Replaces the port items with the ports the system lists, sorted as text, keeping
    // the text the box shows. While the dialog is shown it looks again every
    // kPortPollMs, so a port plugged in or pulled out shows at once.
    void RefreshPortList();
    // The port list source; tests give their own.
    void SetPortLister(std::function<QStringList()> lister) { FPortLister = std::move(lister); }
    static constexpr int kPortPollMs = 1000;
    void SetPortPollInterval(int ms);

    // "OK" and "Cancel".
    void ButtonOKClick();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void AdapterChange();
    static quint16 PortNumberOf(const QString& text);

    TCOMEngine* FCOMEngine = nullptr;
    TProtokoll FProtokoll = prt_HART;
    quint8 FAdapter = 0;
    std::function<QStringList()> FPortLister;
    QTimer* FPortPoll;
    QComboBox* FPort;
    QComboBox* FAdapterBox;
    QComboBox* FMode;
    QSpinBox* FTimeOut;
    QCheckBox* FQuickReplies;
};

// The port names the system lists, sorted as text (COM10 before COM2).
QStringList SystemPortNames();

} // namespace quentry
