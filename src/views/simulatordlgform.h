#pragma once
// The simulator's value editor ("Edit Value"): one number, hexadecimal or event editor at
// a time. Each Show... takes the cell text, runs the dialog through the message service,
// replaces the text on OK and returns the value the (possibly new) text stands for.
#include <QDialog>

class QComboBox;
class QDoubleSpinBox;
class QSpinBox;

namespace quentry {

class TMessageService;

class TSimulatorDlgForm : public QDialog
{
    Q_OBJECT
public:
    explicit TSimulatorDlgForm(TMessageService& service, QWidget* parent = nullptr);

    // Number with f_decimal decimals; a text that is no number starts at and reads as 0.
    double ShowFloat(QString& f_value, int f_decimal);
    // Hexadecimal with at least f_digit digits; a text that is no number reads as 0.
    quint32 ShowHex(QString& f_value, int f_digit);
    // An event text; returns the lowest code with that text, 0 when none has it.
    int ShowEvent(QString& f_value);

    // The editors, for scripted answers in tests.
    QDoubleSpinBox* FloatEditor() const { return FFloat; }
    QSpinBox* HexEditor() const { return FHex; }
    QComboBox* EventEditor() const { return FEvent; }

    // Event texts offered: from code 1 until the first empty text, without the relay
    // events and "READ".
    static QStringList EventChoices();
    static int EventCode(const QString& text);

private:
    int run(QWidget* editor);

    TMessageService& FService;
    QDoubleSpinBox* FFloat;
    QSpinBox* FHex;
    QComboBox* FEvent;
};

} // namespace quentry
