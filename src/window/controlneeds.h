#pragma once
// What each control of the main window waits for before it can be used. Only what talks
// to the transmitter waits for an open port; what works on rows already in hand (load,
// save, the exports, the trend) needs no port, so archived images are usable at a desk
// without hardware. A new control joins with one line in ControlNeeds.
#include <QFlags>
#include <QPointer>
#include <QStringView>
#include <vector>

class QWidget;

namespace quentry {

enum class TNeed : quint8 {
    Port = 1, // an open serial port
    Rows = 2, // rows in the log store, read or loaded
};
Q_DECLARE_FLAGS(TNeeds, TNeed)
Q_DECLARE_OPERATORS_FOR_FLAGS(TNeeds)

// The needs of the control with this object name; none for a control not listed.
TNeeds ControlNeeds(QStringView objectName);

// Holds each control that has needs in a gate of its own and opens the gates whose needs
// are met. A gate is an extra parent widget: Qt greys a widget whose parent is disabled
// without touching the widget's own flag, so the pages go on switching their controls for
// what runs on them, and the port and the rows only add their condition on top.
class TControlGates
{
public:
    // Gives every control under root that ControlNeeds names a gate, once.
    void Wrap(QWidget& root);
    void Update(bool portOpen, bool rowsInHand);

private:
    struct TGate
    {
        QPointer<QWidget> widget;
        TNeeds needs;
    };
    std::vector<TGate> FGates;
};

} // namespace quentry
