#pragma once
// The outcome of an image save or load or an export, for the window's result line and
// memo, and for the command-line tool.
#include <QString>

namespace quentry {

struct TFileResult
{
    bool ok = false;       // the file was written / at least one row was loaded
    bool canceled = false; // Cancel ended the loop; what was written is still consistent
    int records = 0;       // rows written or loaded
    QString label4;        // the result line; empty without the full log
    QString error;         // why it failed (empty on success); messages shown were shown already
};

} // namespace quentry
