#include "comsetupdlg.h"

#include "comengine.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

namespace quentry {

QStringList SystemPortNames()
{
    QStringList names;
    TCOMEngine::GetComPortList(names);
    names.sort(Qt::CaseSensitive);
    return names;
}

TComSetupDlgForm::TComSetupDlgForm(QWidget* parent) : QDialog(parent), FPortLister(SystemPortNames)
{
    setObjectName(QStringLiteral("ComSetupDlgForm"));
    setWindowTitle(QStringLiteral("Communication"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint, true);

    auto* group = new QGroupBox(QStringLiteral(" Com Setup "), this);
    group->setObjectName(QStringLiteral("GroupBoxComSetup"));
    auto* form = new QFormLayout(group);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);

    FPort = new QComboBox(group);
    FPort->setObjectName(QStringLiteral("ComboBoxPort"));
    FPort->setEditable(true);
    FPort->setInsertPolicy(QComboBox::NoInsert);
    FPort->setMinimumContentsLength(14);
    form->addRow(QStringLiteral("Port:"), FPort);

    FAdapterBox = new QComboBox(group);
    FAdapterBox->setObjectName(QStringLiteral("ComboBoxAdapter"));
    FAdapterBox->addItems({QStringLiteral("HART MODEM"), QStringLiteral("TAVIX - USB"),
                           QStringLiteral("MOREL - IrDA - RS232"), QStringLiteral("MOREL - IrDA - TAMBO")});
    FAdapterBox->setCurrentIndex(-1);
    form->addRow(QStringLiteral("Adapter:"), FAdapterBox);

    FMode = new QComboBox(group);
    FMode->setObjectName(QStringLiteral("ComboBoxProtokol"));
    FMode->addItems({QStringLiteral("HART"), QStringLiteral("FAST (MODE3)")});
    FMode->setEnabled(false); // follows the adapter, never the user
    form->addRow(QStringLiteral("Mode:"), FMode);

    FTimeOut = new QSpinBox(group);
    FTimeOut->setObjectName(QStringLiteral("JvSpinEditTimeOut"));
    FTimeOut->setRange(0, 10000);
    FTimeOut->setValue(150);
    form->addRow(QStringLiteral("Cycle Time (ms):"), FTimeOut);

    FQuickReplies = new QCheckBox(QStringLiteral("Quick replies (end a reply as soon as it is complete)"), group);
    FQuickReplies->setObjectName(QStringLiteral("CheckBoxQuickReplies"));
    form->addRow(FQuickReplies);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("ButtonOK"));
    ok->setDefault(true);
    QPushButton* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("ButtonCancel"));
    connect(ok, &QPushButton::clicked, this, &TComSetupDlgForm::ButtonOKClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // A user's change of adapter or port applies the adapter rule; the setters do not.
    connect(FAdapterBox, &QComboBox::activated, this, &TComSetupDlgForm::AdapterChange);
    connect(FPort, &QComboBox::activated, this, &TComSetupDlgForm::AdapterChange);
    connect(FPort->lineEdit(), &QLineEdit::textEdited, this, &TComSetupDlgForm::AdapterChange);

    FPortPoll = new QTimer(this);
    FPortPoll->setInterval(kPortPollMs);
    connect(FPortPoll, &QTimer::timeout, this, &TComSetupDlgForm::RefreshPortList);

    RefreshPortList();
    FPort->setEditText(QStringLiteral("COM1"));
    FMode->setCurrentIndex(0);
    Port = PortNumberOf(FPort->currentText());
    FProtokoll = prt_HART;
}

void TComSetupDlgForm::RefreshPortList()
{
    const QStringList ports = FPortLister ? FPortLister() : QStringList();
    QStringList items;
    for (int i = 0; i < FPort->count(); ++i) items << FPort->itemText(i);
    // Nothing changes under a user who is choosing from the open list or typing, unless a
    // port came or went.
    if (items == ports) return;
    if (FPort->view()->isVisible() && FPortPoll->isActive()) return;
    const QString shown = FPort->currentText();
    const int cursor = FPort->lineEdit()->cursorPosition();
    const QSignalBlocker quiet(FPort);
    FPort->clear();
    FPort->addItems(ports);
    const int at = FPort->findText(shown);
    FPort->setCurrentIndex(at);
    if (at < 0) FPort->setEditText(shown);
    FPort->lineEdit()->setCursorPosition(cursor);
}

void TComSetupDlgForm::SetPortPollInterval(int ms) { FPortPoll->setInterval(ms); }

void TComSetupDlgForm::showEvent(QShowEvent* event)
{
    RefreshPortList();
    FPortPoll->start();
    QDialog::showEvent(event);
}

void TComSetupDlgForm::hideEvent(QHideEvent* event)
{
    FPortPoll->stop();
    QDialog::hideEvent(event);
}

int TComSetupDlgForm::InitPortComboBoxByComPortNumber(quint16 PortNum)
{
    const int at = FPort->findText(QStringLiteral("COM%1").arg(PortNum));
    FPort->setCurrentIndex(at);
    return at;
}

int TComSetupDlgForm::InitPortComboBoxByName(const QString& name)
{
    QString shortName = name;
    if (shortName.startsWith(QLatin1String("/dev/")) && FPort->findText(shortName) < 0)
        shortName = shortName.mid(5);
    const int at = FPort->findText(shortName);
    FPort->setCurrentIndex(at);
    if (at < 0) FPort->setEditText(name);
    return at;
}

void TComSetupDlgForm::SetProtokoll(TProtokoll p)
{
    FProtokoll = p;
    FMode->setCurrentIndex(p == prt_MODE3 ? 1 : p == prt_HART ? 0 : -1);
}

void TComSetupDlgForm::SetAdapter(quint8 position)
{
    FAdapter = position;
    FAdapterBox->setCurrentIndex(position <= 3 ? position : -1);
}

QString TComSetupDlgForm::PortName() const { return FPort->currentText().trimmed(); }

int TComSetupDlgForm::CycleTime() const { return FTimeOut->value(); }

void TComSetupDlgForm::SetCycleTime(int ms) { FTimeOut->setValue(ms); }

bool TComSetupDlgForm::QuickReplies() const { return FQuickReplies->isChecked(); }

void TComSetupDlgForm::SetQuickReplies(bool on) { FQuickReplies->setChecked(on); }

void TComSetupDlgForm::AdapterChange()
{
    const int position = FAdapterBox->currentIndex();
    if (position == 3) {
        FAdapter = 2;
        IrDAAdapterType = iratype_TAMBO;
    } else {
        FAdapter = quint8(qMax(0, position));
        IrDAAdapterType = iratype_RS232;
    }
    if (position < 0) return;
    if (FAdapter == 0) {
        FProtokoll = prt_HART;
        FMode->setCurrentIndex(0);
    } else {
        FProtokoll = prt_MODE3;
        FMode->setCurrentIndex(1);
    }
}

quint16 TComSetupDlgForm::PortNumberOf(const QString& text)
{
    bool ok = false;
    const int n = text.mid(3, 3).toInt(&ok);
    return ok && n >= 0 ? quint16(n) : 0;
}

void TComSetupDlgForm::ButtonOKClick()
{
    Port = PortNumberOf(FPort->currentText());
    FProtokoll = FMode->currentIndex() == 1 ? prt_MODE3 : prt_HART;
    FAdapter = quint8(qMax(0, FAdapterBox->currentIndex()));
    accept();
}

} // namespace quentry
