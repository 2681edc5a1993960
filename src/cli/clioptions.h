#pragma once
// The command line of quentry-cli: the subcommand, its own arguments and options, and the
// options every subcommand shares.
#include <QString>
#include <QStringList>
#include <optional>

namespace quentry::cli {

struct TCommonOptions
{
    QString port;                 // a name (ttyUSB0, COM3) or a path
    std::optional<int> protocol;  // 0 HART, 1 FAST
    std::optional<int> adapter;   // adapter code 0..3
    std::optional<int> cycleMs;   // the byte gap
    std::optional<int> address;   // HART polling address to talk to instead of scanning
    QString settings;             // settings file; empty: the tool's usual one
    bool demo = false;
    int demoRows = 3000;
    QString logFile;
    bool json = false;
    bool quick = false;           // end each reply as soon as its frame is complete
    QString history;              // the site history file; empty: the usual one
    bool noHistory = false;
};

struct TCommandLine
{
    QString command;              // empty: none given
    QStringList arguments;        // positional arguments after the command
    TCommonOptions common;
    // Command options
    QString out, ascii, dbf, csv;
    QString pdf;                  // report: the PDF to write
    bool yes = false;
    int giveUpSeconds = 60;       // read: end after this long without a reply (0: never)
    bool pageOrder = false;       // decode row: the bytes come from a page (low byte first)
    bool newRows = false;         // read: only what the site history lacks
    QString device;               // read, history: the transmitter's key (manufacturer-type-id)
    QString from, to;             // history export: the period (ISO date and time)
    bool help = false;
    QString error;                // a usage error, for one line on stderr
};

TCommandLine ParseCommandLine(const QStringList& args);

// "quentry-cli <command> --help" texts.
QString GeneralHelp();
QString CommandHelp(const QString& command);
bool IsCommand(const QString& name);

} // namespace quentry::cli
