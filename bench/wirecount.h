#pragma once
// What went over the line, as the engine logged it: transactions, retries and failures,
// request and reply bytes, in all and per command number, so a bench can set the time a
// read took against the least its transactions need.
#include <QString>
#include <cctype>
#include <map>

namespace quentry::bench {

inline int hexBytesIn(const QString& dump)
{
    auto hex = [&dump](qsizetype i) { return i >= 0 && i < dump.size() && isxdigit(dump[i].toLatin1()); };
    int n = 0;
    for (qsizetype i = 0; i + 1 < dump.size(); ++i)
        if (hex(i) && hex(i + 1) && !hex(i - 1) && !hex(i + 2)) ++n;
    return n;
}

struct TWireCount
{
    struct TCommand
    {
        int transactions = 0;
        qint64 bytes = 0; // request and reply
    };
    int transactions = 0, retries = 0, failures = 0;
    qint64 requestBytes = 0, replyBytes = 0;
    std::map<int, int> commands;
    std::map<int, TCommand> perCommand;
    int current = -1; // the command of the transaction under way

    void note(const QString& cls, const QString& text)
    {
        if (cls == QLatin1String("SEND")) {
            ++transactions;
            const int at = text.indexOf(QLatin1String("Command: "));
            current = at >= 0 ? text.mid(at + 9).section(QLatin1Char(' '), 0, 0).toInt() : -1;
            if (current >= 0) {
                ++commands[current];
                ++perCommand[current].transactions;
            }
        } else if (cls == QLatin1String("STX")) {
            requestBytes += hexBytesIn(text);
            if (current >= 0) perCommand[current].bytes += hexBytesIn(text);
        } else if (cls == QLatin1String("ACK")) {
            replyBytes += hexBytesIn(text);
            if (current >= 0) perCommand[current].bytes += hexBytesIn(text);
        } else if (cls == QLatin1String("RETRY")) {
            ++retries;
        } else if (cls == QLatin1String("ERR") || cls == QLatin1String("FERR") || cls == QLatin1String("ERROR")) {
            ++failures;
        }
    }

    // The average bytes one transaction of the command took on the line.
    double bytesOf(int command) const
    {
        const auto it = perCommand.find(command);
        return it == perCommand.end() || it->second.transactions == 0 ? 0.0
                                                                      : double(it->second.bytes) / it->second.transactions;
    }
};

} // namespace quentry::bench
