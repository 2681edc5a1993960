#pragma once
// Page 1, "Logger Settings": the transmitter's clock (read, write, synchronise to the
// PC) and its logger configuration (mode, extended events, status handling, two
// values). The requests themselves are TLoggerSettings'; this page shows and collects.
#include "loggersettings.h"

#include <QWidget>
#include <functional>

class QComboBox;
class QDateEdit;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace quentry {

class TMessageService;

class TLoggerSettingsPage final : public QWidget
{
    Q_OBJECT
public:
    TLoggerSettingsPage(TLoggerSettings& settings, TMessageService& messages, QWidget* parent = nullptr);

    // Called with true before a request sequence and with false after it, so the window
    // can lock its menu and hold its close sequence meanwhile.
    std::function<void(bool busy)> OnBusy;
    // The PC clock as Sync. reads it (date and time are two separate readings).
    std::function<QDate()> CurrentDate = [] { return QDate::currentDate(); };
    std::function<QTime()> CurrentTime = [] { return QTime::currentTime(); };

    void ShowRtc();
    void ShowLoggerConfig();
    void UpdateModeLabels();

    void Button2Click(); // clock Read
    void Button1Click(); // clock Write
    void Button3Click(); // Sync.
    void Button4Click(); // logger Read
    void Button5Click(); // logger Write

    QDateEdit* JvDatePickerEdit1;
    QSpinBox* JvSpinEditHour;
    QSpinBox* JvSpinEditMin;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;
    QComboBox* ComboBoxMode;
    QComboBox* ComboBoxExtEvent;
    QComboBox* ComboBoxStatusEvent;
    QDoubleSpinBox* JvSpinEditVal1;
    QDoubleSpinBox* JvSpinEditVal2;
    QPushButton* Button4;
    QPushButton* Button5;
    QLabel* LabelMode;
    QLabel* LabelExtEvent;
    QLabel* LabelStatusEvent;
    QLabel* LabelVal1;
    QLabel* LabelVal2;

private:
    class TBusyScope;
    bool writeClock();

    TLoggerSettings& FSettings;
    TMessageService& FMessages;
    QGroupBox* FClockGroup;
    QGroupBox* FLoggerGroup;
};

} // namespace quentry
