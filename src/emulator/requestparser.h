#pragma once
// Finds requests in the bytes the master sends, the way a receiver on a noisy line must:
// at each position it knows how many bytes it still needs (preambles, delimiter, address,
// count, data, checksum / command, length, data, CRC); what does not check out is garbage,
// and it moves on by one byte and tries again.
#include <QByteArray>
#include <QtGlobal>
#include <array>
#include <vector>

namespace quentry::emulator {

enum class TLineMode : quint8 { Hart, Fast, Adapter };

struct TParsedRequest
{
    TLineMode mode = TLineMode::Hart;
    // HART
    bool longAddress = false;
    std::array<quint8, 5> address{}; // short frames use address[0]
    int preambles = 0;
    // HART and FAST
    quint8 cmd = 0;
    QByteArray data;
    // Adapter: a wake-up byte, or a two-byte mode command
    bool wakeUp = false;
    std::array<quint8, 2> modeCommand{};
    // The request as it came, from its first preamble (HART) or first byte to its checksum.
    QByteArray raw;
    // Position of the request's last byte in the chunk passed to feed(); -1 when found
    // later, by flushIdle().
    int endOffset = -1;
};

class TRequestParser
{
public:
    static constexpr int kBufferLimit = 2048;
    static constexpr int kMaxFastData = 1024; // no FAST request of the family is near this
    static constexpr int kMaxHartPreambles = 32;

    void setMode(TLineMode mode);
    TLineMode mode() const { return FMode; }

    void feed(const quint8* data, int count, std::vector<TParsedRequest>& out);
    // The line went quiet with bytes left over: nothing more will complete them, so step
    // through them one byte at a time for a request that garbage in front of it hid.
    void flushIdle(std::vector<TParsedRequest>& out);
    bool hasPending() const { return !FBuffer.isEmpty(); }
    int pendingBytes() const { return int(FBuffer.size()); }
    qint64 garbageBytes() const { return FGarbage; }

private:
    enum class TStep { NeedMore, Found, Garbage };
    void parse(std::vector<TParsedRequest>& out, qint64 chunkStart);
    TStep tryHart(TParsedRequest& r, int& length) const;
    TStep tryFast(TParsedRequest& r, int& length) const;
    TStep tryAdapter(TParsedRequest& r, int& length) const;
    void dropFront(int n, bool garbage);
    quint8 at(int i) const { return quint8(FBuffer[i]); }

    TLineMode FMode = TLineMode::Hart;
    QByteArray FBuffer;
    qint64 FFront = 0; // absolute position of FBuffer[0] in everything fed
    qint64 FGarbage = 0;
};

} // namespace quentry::emulator
