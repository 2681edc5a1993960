#pragma once
// The subcommands of quentry-cli. Each returns the process exit status: 0 done, 1 failed
// (the reason is on stderr), 2 a usage error; read also 3 (rows missing) and 4 (cut
// short); 130 or 143 after Ctrl-C or SIGTERM.
#include "clioptions.h"
#include "logstore.h"
#include "terminalfeedback.h"

#include <QCoreApplication>
#include <memory>

namespace quentry::cli {

int RunPorts(const TCommandLine& c, TTerminalFeedback& f);
int RunDetect(const TCommandLine& c, TTerminalFeedback& f);
int RunRead(const TCommandLine& c, TTerminalFeedback& f);
int RunClear(const TCommandLine& c, TTerminalFeedback& f);
int RunRtc(const TCommandLine& c, TTerminalFeedback& f);
int RunConfig(const TCommandLine& c, TTerminalFeedback& f);
int RunConvert(const TCommandLine& c, TTerminalFeedback& f);
int RunInfo(const TCommandLine& c, TTerminalFeedback& f);
int RunDecode(const TCommandLine& c, TTerminalFeedback& f);
int RunHistory(const TCommandLine& c, TTerminalFeedback& f);
// simulate parses its own options (arguments after the command name).
int RunSimulate(const QStringList& args, TTerminalFeedback& f);
int RunReport(const TCommandLine& c, TTerminalFeedback& f);

// The application object for the command line: report paints, so it gets a GUI one on
// the offscreen platform (no display needed); the others a core one.
std::unique_ptr<QCoreApplication> MakeApplication(int& argc, char** argv);

// Loads an image named on the command line; false with the reason in error.
bool LoadImageArgument(const QString& path, TLogStore& store, TTerminalFeedback& f, QString& error);

// One line "quentry-cli: <reason>" on stderr; returns 1.
int Fail(TTerminalFeedback& f, const QString& reason);
int UsageError(TTerminalFeedback& f, const QString& reason);
// As Fail, but after Ctrl-C or SIGTERM the status says which (130, 143).
int FailOrInterrupted(TTerminalFeedback& f, const QString& reason);

} // namespace quentry::cli
