#include "recordpanel.h"

#include "wire/datetime.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace quentry {
namespace {

const QColor kMoneyGreen(0xC0, 0xDC, 0xC0);
const QColor kSkyBlue(0xA6, 0xCA, 0xF0);
const QColor kMediumGrey(0xA0, 0xA0, 0xA4);
const QColor kCream(0xFF, 0xFB, 0xF0);

QString number(double v) { return QString::number(v, 'g', 10); }
QString withUnit(double v, const QString& unit) { return unit.isEmpty() ? number(v) : number(v) + ' ' + unit; }

QFrame* block(const QColor& colour, QFormLayout*& form)
{
    auto* frame = new QFrame;
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setAutoFillBackground(true);
    QPalette p = frame->palette();
    p.setColor(QPalette::Window, colour);
    p.setColor(QPalette::WindowText, Qt::black);
    frame->setPalette(p);
    form = new QFormLayout(frame);
    form->setContentsMargins(6, 4, 6, 4);
    form->setVerticalSpacing(1);
    form->setLabelAlignment(Qt::AlignRight);
    return frame;
}

} // namespace

TRecordPanel::TRecordPanel(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("RecordPanel"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    QFont bold = font();
    bold.setBold(true);

    using R = const TLogRecord&;
    struct TItem { const char* caption; std::function<QString(R)> text; };
    const QList<QPair<QColor, QList<TItem>>> blocks = {
        {kMoneyGreen,
         {{"Date:", [](R r) { return toQDateTime(r.recdatetim).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")); }},
          {"Index:", [](R r) { return QString::number(r.recindex); }},
          {"Event:", [](R r) { return r.eventstr; }},
          {"Menu:", [](R r) { return r.MenuStaStr; }}}},
        {kSkyBlue,
         {{"Mode:", [](R r) { return r.PVmodestr; }},
          {"PV:", [](R r) { return withUnit(r.PV, r.PVunit); }},
          {"LEVEL:", [](R r) { return withUnit(r.LEV, r.DISTLEVuni); }},
          {"DIST.:", [](R r) { return withUnit(r.DIST, r.DISTLEVuni); }},
          {"TOT1:", [](R r) { return withUnit(r.TOT1, r.TOTunit); }},
          {"TOT2:", [](R r) { return withUnit(r.TOT2, r.TOTunit); }}}},
        {kMediumGrey,
         {{"Temp.:", [](R r) { return withUnit(r.temp, r.tempunit); }},
          {"Iout:", [](R r) { return withUnit(r.current, QStringLiteral("mA")); }},
          {"Error:", [](R r) { return r.Errorstr; }},
          {"Warning:", [](R r) { return r.Warningstr; }}}},
        {kCream,
         {{"Number of Echo(s):", [](R r) { return QString::number(r.pinfo_tot); }},
          {"Selected Peak:", [](R r) { return QString::number(r.pinfo_ind); }},
          {"Amplitude:", [](R r) { return QString::number(r.pinfo_amp); }}}},
    };
    for (const auto& [colour, items] : blocks) {
        QFormLayout* form = nullptr;
        QFrame* frame = block(colour, form);
        for (const TItem& item : items) {
            auto* value = new QLabel;
            value->setFont(bold);
            value->setTextInteractionFlags(Qt::TextSelectableByMouse);
            form->addRow(QString::fromLatin1(item.caption), value);
            FValues.append({QString::fromLatin1(item.caption), value, item.text});
        }
        row->addWidget(frame, 1);
    }

    auto* flags = new QVBoxLayout;
    flags->setSpacing(0);
    const QList<QPair<const char*, bool TLogRecord::*>> boxes = {
        {"Sim. Active", &TLogRecord::SimuActive}, {"User PSW", &TLogRecord::UPSWPres},
        {"ULock Active", &TLogRecord::ULockAct},  {"Factory Locked", &TLogRecord::FLocked},
        {"Logger Opened", &TLogRecord::LogOpened}, {"Calib. Active", &TLogRecord::CalibAct},
        {"PV Valid", &TLogRecord::PVValid},       {"Relay", &TLogRecord::Relay},
    };
    for (const auto& [caption, field] : boxes) {
        auto* box = new QCheckBox(QString::fromLatin1(caption));
        box->setAttribute(Qt::WA_TransparentForMouseEvents); // read-only
        box->setFocusPolicy(Qt::NoFocus);
        flags->addWidget(box);
        FFlags.append({box, field});
    }
    row->addLayout(flags);
}

void TRecordPanel::ShowRecord(const TLogRecord* record)
{
    for (const TValue& v : FValues) v.value->setText(record ? v.text(*record) : QString());
    for (const TFlag& f : FFlags) f.box->setChecked(record && (*record).*(f.field));
}

QString TRecordPanel::ValueText(const QString& caption) const
{
    for (const TValue& v : FValues)
        if (v.caption == caption) return v.value->text();
    return {};
}

} // namespace quentry
