#include "loggersettingspage.h"

#include "messageservice.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace quentry {

// Locks the page's controls (and through OnBusy the window's menu) for one request
// sequence, on every way out of it.
class TLoggerSettingsPage::TBusyScope
{
public:
    explicit TBusyScope(TLoggerSettingsPage& page) : FPage(page)
    {
        FPage.FClockGroup->setEnabled(false);
        FPage.FLoggerGroup->setEnabled(false);
        if (FPage.OnBusy) FPage.OnBusy(true);
    }
    ~TBusyScope()
    {
        FPage.FClockGroup->setEnabled(true);
        FPage.FLoggerGroup->setEnabled(true);
        if (FPage.OnBusy) FPage.OnBusy(false);
    }
    TBusyScope(const TBusyScope&) = delete;
    TBusyScope& operator=(const TBusyScope&) = delete;

private:
    TLoggerSettingsPage& FPage;
};

namespace {

QLabel* MakeLabel(const QString& text, const QString& name, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

QPushButton* MakeButton(const QString& text, const QString& name, const QString& hint, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    if (!hint.isEmpty()) b->setToolTip(hint);
    return b;
}

QComboBox* MakeList(const QStringList& entries, const QString& name, QWidget* parent)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(name);
    c->addItems(entries);
    c->setCurrentIndex(0);
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    c->setMinimumContentsLength(12);
    // The longest entries ("Event Mode (PV changed precent)") fit beside their labels in
    // the fixed window only a little smaller than the labels.
    QFont font = c->font();
    font.setPointSizeF(font.pointSizeF() * 0.9);
    c->setFont(font);
    return c;
}

QDoubleSpinBox* MakeValueSpin(const QString& name, QWidget* parent)
{
    auto* s = new QDoubleSpinBox(parent);
    s->setObjectName(name);
    s->setRange(0, 9999);
    s->setDecimals(2); // the values travel as floats: keep what the transmitter holds
    return s;
}

const char* const kRtcWriteFailed = "RTC Write Failed!\r\nPlease try with other device!";

} // namespace

TLoggerSettingsPage::TLoggerSettingsPage(TLoggerSettings& settings, TMessageService& messages, QWidget* parent)
    : QWidget(parent), FSettings(settings), FMessages(messages)
{
    setObjectName(QStringLiteral("PageLoggerSettings"));

    FClockGroup = new QGroupBox(QStringLiteral(" On Board Clock "), this);
    FClockGroup->setObjectName(QStringLiteral("GroupBoxClock"));
    JvDatePickerEdit1 = new QDateEdit(FClockGroup);
    JvDatePickerEdit1->setObjectName(QStringLiteral("JvDatePickerEdit1"));
    JvDatePickerEdit1->setCalendarPopup(true);
    JvDatePickerEdit1->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    JvDatePickerEdit1->setMinimumDate(QDate(1900, 1, 1));
    JvDatePickerEdit1->setDate(QDate(1900, 1, 1));
    JvSpinEditHour = new QSpinBox(FClockGroup);
    JvSpinEditHour->setObjectName(QStringLiteral("JvSpinEditHour"));
    JvSpinEditHour->setRange(0, 23);
    JvSpinEditMin = new QSpinBox(FClockGroup);
    JvSpinEditMin->setObjectName(QStringLiteral("JvSpinEditMin"));
    JvSpinEditMin->setRange(0, 59);
    Button2 = MakeButton(QStringLiteral("Read"), QStringLiteral("Button2"), QStringLiteral("Read RTC"), FClockGroup);
    Button1 = MakeButton(QStringLiteral("Write"), QStringLiteral("Button1"), QStringLiteral("Write RTC"), FClockGroup);
    Button3 = MakeButton(QStringLiteral("Sync."), QStringLiteral("Button3"),
                         QStringLiteral("Synchonize RTC to PC Clock"), FClockGroup);

    auto* clock = new QGridLayout(FClockGroup);
    clock->setContentsMargins(6, 2, 6, 4);
    clock->setHorizontalSpacing(4);
    clock->setVerticalSpacing(3);
    clock->addWidget(MakeLabel(QStringLiteral("RTC \nDate:"), QStringLiteral("LabelDate"), FClockGroup), 0, 0);
    clock->addWidget(JvDatePickerEdit1, 0, 1);
    clock->addWidget(MakeLabel(QStringLiteral("RTC\nHour:"), QStringLiteral("LabelHour"), FClockGroup), 0, 2);
    clock->addWidget(JvSpinEditHour, 0, 3);
    clock->addWidget(MakeLabel(QStringLiteral("RTC\nMinute:"), QStringLiteral("LabelMinute"), FClockGroup), 0, 4);
    clock->addWidget(JvSpinEditMin, 0, 5);
    auto* clockButtons = new QHBoxLayout;
    clockButtons->addStretch();
    clockButtons->addWidget(Button2);
    clockButtons->addWidget(Button1);
    clockButtons->addWidget(Button3);
    clock->addLayout(clockButtons, 1, 0, 1, 6);
    clock->setColumnStretch(1, 1);

    FLoggerGroup = new QGroupBox(QStringLiteral(" Logger Settings "), this);
    FLoggerGroup->setObjectName(QStringLiteral("GroupBoxLogger"));
    ComboBoxMode = MakeList(LoggerModeNames(), QStringLiteral("ComboBoxMode"), FLoggerGroup);
    ComboBoxExtEvent = MakeList(ExtendedEventNames(), QStringLiteral("ComboBoxExtEvent"), FLoggerGroup);
    ComboBoxStatusEvent = MakeList(StatusHandlingNames(), QStringLiteral("ComboBoxStatusEvent"), FLoggerGroup);
    JvSpinEditVal1 = MakeValueSpin(QStringLiteral("JvSpinEditVal1"), FLoggerGroup);
    JvSpinEditVal2 = MakeValueSpin(QStringLiteral("JvSpinEditVal2"), FLoggerGroup);
    LabelMode = MakeLabel(QStringLiteral("Logger Mode (P34a):"), QStringLiteral("LabelMode"), FLoggerGroup);
    LabelExtEvent = MakeLabel(QStringLiteral("Extended  Events (P34b):"), QStringLiteral("LabelExtEvent"), FLoggerGroup);
    LabelStatusEvent =
        MakeLabel(QStringLiteral("Status handling (P34c):"), QStringLiteral("LabelStatusEvent"), FLoggerGroup);
    LabelVal1 = MakeLabel(QStringLiteral("Value 1 (P35):"), QStringLiteral("LabelVal1"), FLoggerGroup);
    LabelVal2 = MakeLabel(QStringLiteral("Value 2 (P36):"), QStringLiteral("LabelVal2"), FLoggerGroup);
    Button4 = MakeButton(QStringLiteral("Read"), QStringLiteral("Button4"), {}, FLoggerGroup);
    Button5 = MakeButton(QStringLiteral("Write"), QStringLiteral("Button5"), {}, FLoggerGroup);

    auto* logger = new QGridLayout(FLoggerGroup);
    logger->setContentsMargins(4, 2, 4, 4);
    logger->setHorizontalSpacing(4);
    logger->setVerticalSpacing(3);
    logger->addWidget(LabelMode, 0, 0);
    logger->addWidget(ComboBoxMode, 0, 1, 1, 4);
    logger->addWidget(LabelExtEvent, 1, 0);
    logger->addWidget(ComboBoxExtEvent, 1, 1, 1, 4);
    logger->addWidget(LabelStatusEvent, 2, 0);
    logger->addWidget(ComboBoxStatusEvent, 2, 1, 1, 4);
    logger->addWidget(LabelVal1, 3, 0);
    logger->addWidget(JvSpinEditVal1, 3, 1);
    logger->addWidget(LabelVal2, 3, 2);
    logger->addWidget(JvSpinEditVal2, 3, 3);
    auto* loggerButtons = new QHBoxLayout;
    loggerButtons->addStretch();
    loggerButtons->addWidget(Button4);
    loggerButtons->addWidget(Button5);
    logger->addLayout(loggerButtons, 4, 0, 1, 5);
    logger->setColumnStretch(1, 1);
    logger->setColumnStretch(3, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(2);
    layout->addWidget(FClockGroup);
    layout->addWidget(FLoggerGroup);
    layout->addStretch();

    connect(Button2, &QPushButton::clicked, this, &TLoggerSettingsPage::Button2Click);
    connect(Button1, &QPushButton::clicked, this, &TLoggerSettingsPage::Button1Click);
    connect(Button3, &QPushButton::clicked, this, &TLoggerSettingsPage::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TLoggerSettingsPage::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &TLoggerSettingsPage::Button5Click);
    // Only the user's choice relabels; ShowLoggerConfig relabels once it has set all lists.
    connect(ComboBoxMode, &QComboBox::activated, this, &TLoggerSettingsPage::UpdateModeLabels);
}

void TLoggerSettingsPage::ShowRtc()
{
    JvDatePickerEdit1->setDate(FSettings.RtcDate());
    JvSpinEditHour->setValue(FSettings.RtcValue.hour);
    JvSpinEditMin->setValue(FSettings.RtcValue.minute);
}

void TLoggerSettingsPage::ShowLoggerConfig()
{
    const TConfigDigits& d = FSettings.LoggerConfig.digits;
    // A digit without an entry leaves its list with none selected.
    auto select = [](QComboBox* list, int digit) { list->setCurrentIndex(digit < list->count() ? digit : -1); };
    select(ComboBoxMode, d.units);
    select(ComboBoxExtEvent, d.tens);
    select(ComboBoxStatusEvent, d.hundreds);
    JvSpinEditVal1->setValue(double(FSettings.LoggerConfig.value1));
    JvSpinEditVal2->setValue(double(FSettings.LoggerConfig.value2));
    UpdateModeLabels();
}

void TLoggerSettingsPage::UpdateModeLabels()
{
    const int mode = ComboBoxMode->currentIndex();
    LabelVal2->setText(QStringLiteral("Limit Value 2:"));
    LabelExtEvent->setVisible(mode != 0);
    LabelStatusEvent->setVisible(mode != 0);
    if (mode < 0) return;
    const TModeLabels l = ModeLabels(mode);
    ComboBoxExtEvent->setVisible(l.listsShown);
    ComboBoxStatusEvent->setVisible(l.listsShown);
    JvSpinEditVal1->setVisible(l.value1Shown);
    LabelVal1->setText(l.value1Label);
    JvSpinEditVal2->setVisible(l.value2Shown);
    LabelVal2->setVisible(l.value2Shown);
}

void TLoggerSettingsPage::Button2Click()
{
    TBusyScope busy(*this);
    if (FSettings.ReadRtc()) ShowRtc();
}

bool TLoggerSettingsPage::writeClock()
{
    TBusyScope busy(*this);
    return FSettings.WriteRtc(JvDatePickerEdit1->date(), JvSpinEditHour->value(), JvSpinEditMin->value());
}

void TLoggerSettingsPage::Button1Click()
{
    if (!writeClock()) FMessages.error(QString::fromLatin1(kRtcWriteFailed));
}

void TLoggerSettingsPage::Button3Click()
{
    JvDatePickerEdit1->setDate(CurrentDate());
    const QTime now = CurrentTime();
    JvSpinEditHour->setValue(now.hour());
    JvSpinEditMin->setValue(now.minute());
    Button1Click();
}

void TLoggerSettingsPage::Button4Click()
{
    TBusyScope busy(*this);
    if (FSettings.ReadLoggerConfig()) ShowLoggerConfig();
}

void TLoggerSettingsPage::Button5Click()
{
    TBusyScope busy(*this);
    TConfigDigits& d = FSettings.LoggerConfig.digits;
    // A list with no entry selected keeps the digit last read, so a configuration this
    // program has no name for is written back as it was.
    auto digit = [](const QComboBox* list, quint8 kept) {
        return list->currentIndex() >= 0 ? quint8(list->currentIndex()) : kept;
    };
    d.units = digit(ComboBoxMode, d.units);
    d.tens = digit(ComboBoxExtEvent, d.tens);
    d.hundreds = digit(ComboBoxStatusEvent, d.hundreds);
    FSettings.LoggerConfig.value1 = float(JvSpinEditVal1->value());
    FSettings.LoggerConfig.value2 = float(JvSpinEditVal2->value());
    if (FSettings.WriteLoggerConfig()) ShowLoggerConfig();
}

} // namespace quentry
