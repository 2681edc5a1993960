#include "sheetrig.h"

#include "virtualtransmitter.h"
#include "waiting.h"

#include <QLabel>
#include <QPushButton>

namespace quentry::test {

TSheetRig::TSheetRig()
{
    messages.setScripted(true);
    engine.SetFeedback(&messages);
    device.SetComEngine(&engine);
    reader.SetOstraDevice(&device);
    hooks.setMenuEnabled = [this](bool on) { menuEnabled = on; };
    hooks.setBackEnabled = [this](bool on) { backEnabled = on; };
    hooks.setNextEnabled = [this](bool on) { nextEnabled = on; };
    hooks.setGauge = [this](int p) {
        gauge << p;
        if (onGauge) onGauge(p);
    };
    hooks.readingChanged = [this](bool on) { reading << on; };
    hooks.imageLoadStarting = [this] { memo.clear(); };
    hooks.imageLoadFinished = [this](const QString& line, const QString& path, bool loaded) {
        memo << line;
        if (loaded) loadedPath = path;
    };
    hooks.showTrend = [this](TLogTableModel& t) { trendRecords << t.RecordCount(); };
    sheet = std::make_unique<TLoggerControlSheet>(TControlSheetParts{access, reader, store, table, messages}, hooks);
    sheet->resize(392, 220);
}

TSheetRig::~TSheetRig()
{
    sheet.reset();
    reader.SetOstraDevice(nullptr);
    engine.CloseCom(true);
}

QString TSheetRig::connect(emulator::TEmulatorConfig config)
{
    const bool fast = config.protocol == emulator::TEmuProtocol::Fast;
    config.turnaroundMs = 0;
    transmitter = std::make_unique<emulator::TVirtualTransmitter>(config);
    const QString port = transmitter->start();
    if (port.isEmpty()) return transmitter->errorString();
    const TProtokoll protocol = fast ? prt_MODE3 : prt_HART;
    engine.SetProtokoll(protocol);
    if (!engine.OpenComByName(port)) return QStringLiteral("the port did not open");
    engine.SetTime_ByteGap(0); // 20 ms byte gap, 30 ms answer wait: the transmitter answers at once
    if (detection.Detect(protocol) != TDetection::TOutcome::Found) return QStringLiteral("not detected");
    sheet->SetStartClearGroupEnabled(true); // as the window does after a detection
    return {};
}

QPushButton* TSheetRig::button(const char* name) const
{
    return sheet->findChild<QPushButton*>(QLatin1String(name));
}

QString TSheetRig::text(const char* label) const
{
    const auto* l = sheet->findChild<QLabel*>(QLatin1String(label));
    return l ? l->text() : QStringLiteral("<no %1>").arg(QLatin1String(label));
}

bool TSheetRig::enabled(const char* name) const
{
    const QPushButton* b = button(name);
    return b && b->isEnabled();
}

bool TSheetRig::click(const char* name, int boundMs)
{
    QPushButton* b = button(name);
    if (!b || !b->isEnabled()) return false;
    b->click();
    return WaitUntil([this] { return !sheet || sheet->Idle(); }, boundMs);
}

} // namespace quentry::test
