#pragma once
// The pseudo-terminal the virtual transmitter sits on. The master side is ours and is
// non-blocking; the slave side is the "serial port" the service tool opens by path. One
// slave descriptor of our own stays open, so the master never reads EIO while the tool
// has its port closed; only unplugging closes that too.
#include "transmitterlogic.h"

#include <QString>

namespace quentry::emulator {

class TPtyLine
{
public:
    TPtyLine() = default;
    ~TPtyLine() { close(); }
    TPtyLine(const TPtyLine&) = delete;
    TPtyLine& operator=(const TPtyLine&) = delete;

    bool open(QString* error);
    void close();
    bool isOpen() const { return FMaster >= 0; }
    int masterFd() const { return FMaster; }
    QString slavePath() const { return FSlavePath; }

    // Bytes waiting on the master, at most `limit`; empty when there are none.
    QByteArray readAvailable(int limit);
    // Writes what the terminal takes now; returns that many bytes (0 when it is full), -1 on error.
    int write(const char* data, int count);
    // The line settings the tool set on the slave side (the terminal driver keeps one set
    // for both sides).
    TLineSettings settings() const;

private:
    int FMaster = -1;
    int FSlaveKeepAlive = -1;
    QString FSlavePath;
};

} // namespace quentry::emulator
