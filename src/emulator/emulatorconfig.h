#pragma once
// Everything that shapes one virtual transmitter: the line, the identity, the logger
// content and the faults. A plain value; TVirtualTransmitter copies it at start.
#include "faultplan.h"
#include "loggerdefects.h"

#include <QString>
#include <QtGlobal>
#include <array>
#include <optional>
#include <vector>

namespace quentry::emulator {

enum class TEmuProtocol : quint8 { Hart, Fast };
enum class TEmuAdapter : quint8 { None, Usb, IrDA };

using TLogRowBytes = std::array<quint8, 44>;

// Measured values to report instead of the ones that follow the clock.
struct TLiveValues
{
    float level = 0.25f;       // m
    float distance = 0.95f;    // m, sensor to surface
    float flow = 50.0f;        // l/s
    float tot1 = 1000.0f;      // m3
    float tot2 = 10.0f;        // m3
    float temperature = 20.0f; // degC
    float current = 7.2f;      // mA
    float levelPercent = 25.0f;
    float currentPercent = 20.0f;
    bool echoLost = false;
};

struct TEmulatorConfig
{
    // The protocol at start; with an adapter, its mode commands switch it afterwards.
    TEmuProtocol protocol = TEmuProtocol::Hart;
    TEmuAdapter adapter = TEmuAdapter::None;

    // HART identity: polling address and the five bytes of the long address.
    quint8 pollingAddress = 0;
    quint8 factoryId = 0x60;
    quint8 deviceTypeId = 0x51;
    quint32 deviceId = 0x012345; // 24 bits
    int replyPreambles = 5;

    // Logger: `rows` written since the last clear into a ring of `pages` pages of six
    // rows; `wrapped` adds one full turn before them, so the ring has gone round.
    int pages = 2048;
    int rows = 12288;
    bool wrapped = false;
    // When set, the logger was cleared at this minute (since 2001-01-01 00:00) and its rows
    // follow from there: the same start and seed give the same row for every write, so a
    // configuration with more rows is the same logger visited later.
    std::optional<qint64> startMinute;
    // Rows to hold instead of generated ones (record byte order, oldest first); their
    // check bytes are made right unless keepRowChecksums is set.
    std::vector<TLogRowBytes> presetRows;
    bool keepRowChecksums = false;

    // Parameter 98; its third decimal digit tells whether a logger is fitted.
    quint16 featureId = 12345;
    // Offset of the transmitter's clock from the host's, in seconds.
    qint64 clockOffsetSeconds = 0;
    std::optional<TLiveValues> fixedLive;

    // Line timing.
    bool pace = false;
    int turnaroundMs = 10;
    int chunkBytes = 0; // 0: a reply goes out in one piece
    int chunkGapMs = 0;

    TFaultPlan faults;
    TLoggerDefects defects; // defects of the logger's rows, which stay whatever is asked
    quint64 seed = 1;

    // Empty when the settings can be served, else what is wrong.
    QString validate() const;
    std::array<quint8, 5> longAddress() const
    {
        return {quint8(factoryId & 0x3F), deviceTypeId, quint8(deviceId >> 16), quint8(deviceId >> 8),
                quint8(deviceId)};
    }
    int capacity() const { return pages * 6; }
    // Rows written since the clear: one more turn of the ring when it has wrapped.
    quint32 written() const { return quint32(rows + (wrapped ? capacity() : 0)); }
};

constexpr int kMaxPages = 10922;       // 65 532 rows: totals, positions and indexes stay 16-bit
constexpr int kMaxChunkGapMs = 100;    // well below the byte gap that ends a reply

} // namespace quentry::emulator
