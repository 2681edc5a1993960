#include "faultplan.h"

#include "rng.h"

#include <QRegularExpression>
#include <QStringList>

namespace quentry::emulator {
namespace {

struct TKindName
{
    const char* name;
    TFaultKind kind;
    int defaultArg, minArg, maxArg;
};

const TKindName kKinds[] = {
    {"drop", TFaultKind::Drop, 0, 0, 0},
    {"chk", TFaultKind::BadChecksum, 0, 0, 0},
    {"addr", TFaultKind::OtherAddress, 0, 0, 0},
    {"delay", TFaultKind::Delay, 1500, 1, 60000},
    {"wp", TFaultKind::WriteProtect, 0, 0, 0},
    {"busy", TFaultKind::Busy, 0, 0, 0},
    {"rc", TFaultKind::ResponseCode, 64, 1, 127},
    {"rowchk", TFaultKind::RowChecksum, 1, 1, 6},
    {"jump", TFaultKind::IndexJump, 1, 1, 16},
    {"repeat", TFaultKind::IndexRepeat, 0, 0, 0},
    {"readerror", TFaultKind::ReadError, 0, 0, 0},
    {"logbusy", TFaultKind::LoggerBusy, 0, 0, 0},
    {"unplug", TFaultKind::Unplug, 0, 0, 0},
};

bool allowedForAdapter(TFaultKind k)
{
    return k == TFaultKind::Drop || k == TFaultKind::BadChecksum || k == TFaultKind::Delay ||
           k == TFaultKind::Unplug;
}

// Whether a request is one the rule counts at all.
bool applies(const TFaultRule& r, const TRequestFacts& f)
{
    const bool adapter = f.command == kAdapterCommand;
    if (r.command != kAnyCommand && r.command != f.command) return false;
    switch (r.kind) {
    case TFaultKind::RowChecksum: return f.pageRead;
    case TFaultKind::IndexJump:
    case TFaultKind::IndexRepeat: return f.readNext;
    case TFaultKind::ReadError:
    case TFaultKind::LoggerBusy: return f.recordRead;
    case TFaultKind::Unplug: return true;
    case TFaultKind::Drop:
    case TFaultKind::BadChecksum:
    case TFaultKind::Delay: return adapter == (r.command == kAdapterCommand);
    default: return !adapter;
    }
}

bool fail(QString* error, const QString& text)
{
    if (error) *error = text;
    return false;
}

bool parseWhen(const QString& w, TFaultRule& r, QString* error)
{
    bool ok = false;
    if (w == QLatin1String("*")) {
        r.when = TFaultRule::TWhen::Always;
        return true;
    }
    if (w.endsWith(QLatin1Char('%'))) {
        r.percent = w.chopped(1).toDouble(&ok);
        if (!ok || r.percent < 0 || r.percent > 100) return fail(error, QStringLiteral("bad percentage: %1").arg(w));
        r.when = TFaultRule::TWhen::Percent;
        return true;
    }
    if (w.endsWith(QLatin1Char('+'))) {
        r.first = w.chopped(1).toUInt(&ok);
        if (!ok || r.first < 1) return fail(error, QStringLiteral("bad request number: %1").arg(w));
        r.when = TFaultRule::TWhen::From;
        return true;
    }
    const QStringList parts = w.split(QLatin1Char('-'));
    if (parts.size() > 2) return fail(error, QStringLiteral("bad range: %1").arg(w));
    r.first = parts[0].toUInt(&ok);
    if (!ok || r.first < 1) return fail(error, QStringLiteral("bad request number: %1").arg(w));
    r.last = r.first;
    if (parts.size() == 2) {
        r.last = parts[1].toUInt(&ok);
        if (!ok || r.last < r.first) return fail(error, QStringLiteral("bad range: %1").arg(w));
    }
    r.when = TFaultRule::TWhen::Range;
    return true;
}

bool parseRule(const QString& text, TFaultRule& r, QString* error)
{
    static const QRegularExpression re(QStringLiteral("^([a-z]+)(?:/([0-9]+|adapter))?(?:=([^:]+))?(?::([0-9]+))?$"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch()) return fail(error, QStringLiteral("not a fault rule: %1").arg(text));
    const TKindName* kind = nullptr;
    for (const TKindName& k : kKinds)
        if (m.captured(1) == QLatin1String(k.name)) kind = &k;
    if (!kind) return fail(error, QStringLiteral("unknown fault: %1").arg(m.captured(1)));
    r.kind = kind->kind;
    r.arg = kind->defaultArg;
    if (m.hasCaptured(2) && !m.captured(2).isEmpty()) {
        if (m.captured(2) == QLatin1String("adapter")) {
            if (!allowedForAdapter(r.kind))
                return fail(error, QStringLiteral("%1 does not apply to adapter mode commands").arg(kind->name));
            r.command = kAdapterCommand;
        } else {
            r.command = m.captured(2).toInt();
            if (r.command > 255) return fail(error, QStringLiteral("command numbers are 0..255: %1").arg(text));
        }
    }
    if (!m.captured(3).isEmpty() && !parseWhen(m.captured(3), r, error)) return false;
    if (!m.captured(4).isEmpty()) {
        if (kind->maxArg == 0) return fail(error, QStringLiteral("%1 takes no argument").arg(kind->name));
        bool ok = false;
        r.arg = m.captured(4).toInt(&ok);
        if (!ok || r.arg < kind->minArg || r.arg > kind->maxArg)
            return fail(error, QStringLiteral("%1 wants an argument %2..%3").arg(kind->name).arg(kind->minArg).arg(kind->maxArg));
    }
    return true;
}

} // namespace

QString FaultGrammarHelp()
{
    return QStringLiteral(
        "Faults: --faults RULE[,RULE]...  with RULE = KIND[/CMD][=WHEN][:ARG]\n"
        "  KIND  drop       send no reply (the request is still carried out)\n"
        "        chk        reply with a wrong checksum\n"
        "        addr       reply from another address (HART)\n"
        "        delay      reply ARG ms late (default 1500)\n"
        "        wp         refuse with response code 7 (write protect)\n"
        "        busy       refuse with response code 32 (busy)\n"
        "        rc         refuse with response code ARG (1..127, default 64)\n"
        "        rowchk     spoil the check byte of page row ARG (1..6, default 1) in page reads\n"
        "        jump       reading the next record skips ARG rows (1..16, default 1)\n"
        "        repeat     reading the next record delivers the current row again\n"
        "        readerror  a record read reports READERROR\n"
        "        logbusy    a record read reports BUSY and does not move on\n"
        "        unplug     the line goes away when the request arrives\n"
        "  CMD   only requests with this command number count; 'adapter' for the adapter's\n"
        "        mode commands (drop, chk, delay, unplug)\n"
        "  WHEN  N: the N-th counted request (default 1) | N-M | N+: N and every later one |\n"
        "        *: all | P%: each with probability P, repeatable with --seed\n"
        "  Record-read rules count record reads, rowchk counts page reads, the others every\n"
        "  request the transmitter answers.\n"
        "  Examples: drop=2  chk/164=3-5  delay=1:1200  wp/132=*  rowchk=1:4  drop=20%  unplug=10\n");
}

std::optional<TFaultPlan> TFaultPlan::parse(const QString& text, QString* error)
{
    TFaultPlan plan;
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) return plan;
    for (const QString& item : trimmed.split(QLatin1Char(','))) {
        TFaultRule r;
        if (!parseRule(item.trimmed(), r, error)) return std::nullopt;
        plan.rules.push_back(r);
    }
    return plan;
}

TFaultInjector::TFaultInjector(TFaultPlan plan, quint64 seed)
{
    quint64 i = 0;
    for (const TFaultRule& r : plan.rules) FRules.push_back({r, 0, seed * 0x100000001B3ull + ++i});
}

TFaultHits TFaultInjector::evaluate(const TRequestFacts& facts)
{
    TFaultHits h;
    for (TRuleState& s : FRules) {
        if (!applies(s.rule, facts)) continue;
        ++s.count;
        bool hit = false;
        switch (s.rule.when) {
        case TFaultRule::TWhen::Range: hit = s.count >= s.rule.first && s.count <= s.rule.last; break;
        case TFaultRule::TWhen::From: hit = s.count >= s.rule.first; break;
        case TFaultRule::TWhen::Always: hit = true; break;
        case TFaultRule::TWhen::Percent: {
            TRandom draw(s.random + s.count);
            hit = draw.unit() * 100.0 < s.rule.percent;
            break;
        }
        }
        if (!hit) continue;
        switch (s.rule.kind) {
        case TFaultKind::Drop: h.drop = true; break;
        case TFaultKind::BadChecksum: h.badChecksum = true; break;
        case TFaultKind::OtherAddress: h.otherAddress = true; break;
        case TFaultKind::Delay: h.delayMs = qMax(h.delayMs, s.rule.arg); break;
        case TFaultKind::WriteProtect: h.responseCode = 7; break;
        case TFaultKind::Busy: h.responseCode = 32; break;
        case TFaultKind::ResponseCode: h.responseCode = s.rule.arg; break;
        case TFaultKind::RowChecksum: h.spoiledRows |= quint8(1u << (s.rule.arg - 1)); break;
        case TFaultKind::IndexJump: h.jumpRows = qMax(h.jumpRows, s.rule.arg); break;
        case TFaultKind::IndexRepeat: h.repeat = true; break;
        case TFaultKind::ReadError: h.readError = true; break;
        case TFaultKind::LoggerBusy: h.loggerBusy = true; break;
        case TFaultKind::Unplug: h.unplug = true; break;
        }
    }
    return h;
}

} // namespace quentry::emulator
