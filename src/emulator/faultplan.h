#pragma once
// Faults the virtual transmitter injects, chosen by a compact text
// (RULE[,RULE]..., RULE = KIND[/CMD][=WHEN][:ARG]); FaultGrammarHelp() explains it.
// Each rule counts the requests it applies to on its own, so the outcome depends only on
// the plan, the seed and the requests.
#include <QString>
#include <QtGlobal>
#include <optional>
#include <vector>

namespace quentry::emulator {

enum class TFaultKind : quint8 {
    Drop, BadChecksum, OtherAddress, Delay, WriteProtect, Busy, ResponseCode,
    RowChecksum, IndexJump, IndexRepeat, ReadError, LoggerBusy, Unplug
};

constexpr int kAnyCommand = -1;
constexpr int kAdapterCommand = 256;

struct TFaultRule
{
    enum class TWhen : quint8 { Range, From, Always, Percent };
    TFaultKind kind = TFaultKind::Drop;
    int command = kAnyCommand;
    TWhen when = TWhen::Range;
    quint32 first = 1, last = 1;
    double percent = 0;
    int arg = 0;
};

// The grammar, as --help shows it.
QString FaultGrammarHelp();

struct TFaultPlan
{
    std::vector<TFaultRule> rules;
    bool empty() const { return rules.empty(); }
    // Empty plan for an empty text; nullopt (and *error) for text that is not a plan.
    static std::optional<TFaultPlan> parse(const QString& text, QString* error = nullptr);
};

// What a request is, as far as the rules care.
struct TRequestFacts
{
    int command = kAnyCommand; // kAdapterCommand for adapter mode commands
    bool recordRead = false;
    bool readNext = false;
    bool pageRead = false;
};

// The faults that hit one request.
struct TFaultHits
{
    bool drop = false;
    bool badChecksum = false;
    bool otherAddress = false;
    int delayMs = 0;
    int responseCode = 0;
    quint8 spoiledRows = 0; // bit r: page row r (0..5)
    int jumpRows = 0;
    bool repeat = false;
    bool readError = false;
    bool loggerBusy = false;
    bool unplug = false;
};

// Applies a plan to a stream of requests: each rule keeps its own count and its own
// random sequence, so the outcome depends only on the plan, the seed and the requests.
class TFaultInjector
{
public:
    TFaultInjector() = default;
    TFaultInjector(TFaultPlan plan, quint64 seed);
    TFaultHits evaluate(const TRequestFacts& facts);

private:
    struct TRuleState
    {
        TFaultRule rule;
        quint32 count = 0;
        quint64 random = 0;
    };
    std::vector<TRuleState> FRules;
};

} // namespace quentry::emulator
