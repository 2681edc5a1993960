#include "controlneeds.h"

#include <QHBoxLayout>
#include <QLayout>
#include <QWidget>

namespace quentry {
namespace {

struct TRule
{
    const char* objectName;
    TNeeds needs;
};

const TRule kRules[] = {
    {"ButtonRefresh", TNeed::Port}, // Detect
    {"Button1", TNeed::Port},       // clock Write
    {"Button2", TNeed::Port},       // clock Read
    {"Button3", TNeed::Port},       // clock Sync.
    {"Button4", TNeed::Port},       // logger configuration Read
    {"Button5", TNeed::Port},       // logger configuration Write
    {"ButtonStart", TNeed::Port},   // Start Reading
    {"Buttonstop", TNeed::Port},    // Stop Reading
    {"ButtonClear", TNeed::Port},   // Clear Logger
    {"ButtonSImage", TNeed::Rows},  // Save Image
    {"ButtonASC", TNeed::Rows},     // To ASCII File
    {"ButtonDBase", TNeed::Rows},   // To DBASE Table
    {"ButtonTrend", TNeed::Rows},   // Show Trend
    {"ButtonReport", TNeed::Rows},  // Service Report...
};

const char* const kGateProperty = "quentryGate";

} // namespace

TNeeds ControlNeeds(QStringView objectName)
{
    for (const TRule& r : kRules)
        if (objectName == QLatin1String(r.objectName)) return r.needs;
    return {};
}

void TControlGates::Wrap(QWidget& root)
{
    for (QWidget* control : root.findChildren<QWidget*>()) {
        const TNeeds needs = ControlNeeds(control->objectName());
        QWidget* parent = control->parentWidget();
        if (!needs || !parent || parent->property(kGateProperty).isValid() || !parent->layout()) continue;
        auto* gate = new QWidget(parent);
        gate->setObjectName(QStringLiteral("Gate") + control->objectName());
        gate->setProperty(kGateProperty, true);
        QLayoutItem* place = parent->layout()->replaceWidget(control, gate);
        if (!place) { // a control outside any layout keeps working without its gate
            delete gate;
            continue;
        }
        delete place;
        gate->setSizePolicy(control->sizePolicy());
        auto* layout = new QHBoxLayout(gate);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(control);
        FGates.push_back({gate, needs});
    }
}

void TControlGates::Update(bool portOpen, bool rowsInHand)
{
    for (const TGate& g : FGates) {
        if (!g.widget) continue;
        const bool open = (!(g.needs & TNeed::Port) || portOpen) && (!(g.needs & TNeed::Rows) || rowsInHand);
        if (g.widget->isEnabledTo(g.widget->parentWidget()) != open) g.widget->setEnabled(open);
    }
}

} // namespace quentry
