#include "simulatordlgform.h"

#include "messageservice.h"
#include "rowdecode.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>

namespace quentry {
namespace {

constexpr int kMaxEventTexts = 100;
constexpr int kClientWidth = 162, kClientHeight = 68, kEditorInset = 4;

QString eventText(int code)
{
    const auto list = EventTextList();
    if (code < 0 || code >= int(list.size())) return {};
    return QString::fromLatin1(list[std::size_t(code)].data(), qsizetype(list[std::size_t(code)].size()));
}

} // namespace

TSimulatorDlgForm::TSimulatorDlgForm(TMessageService& service, QWidget* parent) : QDialog(parent), FService(service)
{
    setObjectName(QStringLiteral("SimulatorDlgForm"));
    setWindowTitle(QStringLiteral("Edit Value"));
    setFixedSize(kClientWidth, kClientHeight);

    FFloat = new QDoubleSpinBox(this);
    FFloat->setObjectName(QStringLiteral("FloatEdit"));
    FFloat->setLocale(QLocale::c());
    FFloat->setRange(-1e9, 1e9);
    FFloat->setButtonSymbols(QAbstractSpinBox::NoButtons);
    FHex = new QSpinBox(this);
    FHex->setObjectName(QStringLiteral("HexEdit"));
    FHex->setDisplayIntegerBase(16);
    FHex->setRange(0, 0xFFFF);
    FEvent = new QComboBox(this);
    FEvent->setObjectName(QStringLiteral("EventEdit"));
    FEvent->setEditable(true);
    FEvent->addItems(EventChoices());
    for (QWidget* editor : {static_cast<QWidget*>(FFloat), static_cast<QWidget*>(FHex), static_cast<QWidget*>(FEvent)}) {
        editor->setGeometry(kEditorInset, 8, kClientWidth - 2 * kEditorInset, 24);
        editor->hide();
    }
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true); // Enter in an editor is OK
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    ok->setGeometry(kEditorInset, 38, 75, 25);
    cancel->setGeometry(kClientWidth - kEditorInset - 75, 38, 75, 25);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QStringList TSimulatorDlgForm::EventChoices()
{
    QStringList items;
    for (int code = 1; code <= kMaxEventTexts; ++code) {
        const QString text = eventText(code);
        if (text.isEmpty()) break;
        if (text != QLatin1String("RELAYON") && text != QLatin1String("RELAYOFF") && text != QLatin1String("READ"))
            items << text;
    }
    return items;
}

int TSimulatorDlgForm::EventCode(const QString& text)
{
    for (int code = 0; code <= kMaxEventTexts; ++code) {
        const QString t = eventText(code);
        if (t.isEmpty() && code > 0) break;
        if (t == text) return code;
    }
    return 0;
}

int TSimulatorDlgForm::run(QWidget* editor)
{
    editor->show();
    editor->setFocus();
    const int result = FService.exec(*this, TCentre::MainWindow);
    editor->hide();
    return result;
}

double TSimulatorDlgForm::ShowFloat(QString& f_value, int f_decimal)
{
    FFloat->setDecimals(f_decimal);
    bool ok = false;
    const double start = f_value.trimmed().toDouble(&ok);
    FFloat->setValue(ok ? start : 0.0);
    if (run(FFloat) == QDialog::Accepted) {
        f_value = FFloat->text();
        const int comma = int(f_value.indexOf(','));
        if (comma >= 0) f_value[comma] = '.';
    }
    const double v = f_value.trimmed().toDouble(&ok);
    if (!ok) return 0.0;
    const double scale = std::pow(10.0, f_decimal);
    return std::nearbyint(v * scale) / scale;
}

quint32 TSimulatorDlgForm::ShowHex(QString& f_value, int f_digit)
{
    bool ok = false;
    const uint start = f_value.trimmed().toUInt(&ok, 16);
    FHex->setValue(ok ? int(std::min<uint>(start, 0xFFFF)) : 0);
    if (run(FHex) == QDialog::Accepted) f_value = QString::asprintf("%0*X", f_digit, uint(FHex->value()));
    const uint v = f_value.trimmed().toUInt(&ok, 16);
    return ok ? v : 0;
}

int TSimulatorDlgForm::ShowEvent(QString& f_value)
{
    const int item = int(FEvent->findText(f_value.trimmed()));
    if (item >= 0) FEvent->setCurrentIndex(item);
    else FEvent->setEditText(f_value.trimmed());
    if (run(FEvent) == QDialog::Accepted) f_value = FEvent->currentText();
    return EventCode(f_value.trimmed());
}

} // namespace quentry
