#include "loggerring.h"

#include "loggerrow.h"
#include "wire/wireconv.h"

namespace quentry::emulator {

TLoggerRing::TLoggerRing(int pages, std::vector<TLogRowBytes> rowsOldestFirst, quint32 written)
    : FPages(qMax(1, pages)), FRows(std::move(rowsOldestFirst)), FWritten(written)
{
    if (FWritten < FRows.size()) FWritten = quint32(FRows.size());
}

int TLoggerRing::page() const { return FWritten == 0 ? 0 : lastSlot() / kRowsPerPage; }

int TLoggerRing::rowsOnPage() const { return FWritten == 0 ? 0 : lastSlot() % kRowsPerPage + 1; }

quint8 TLoggerRing::statusByte(quint8 error) const
{
    quint8 s = error & 0x3F;
    if (FPos <= 0) s |= kBOF;
    if (FPos >= total() - 1) s |= kTOF;
    return s;
}

QByteArray TLoggerRing::statusBlock(quint8 error) const
{
    QByteArray b(5, '\0');
    auto* p = reinterpret_cast<quint8*>(b.data());
    p[0] = statusByte(error);
    writeBE16(p + 1, quint16(total()));
    writeBE16(p + 3, quint16(qMax(0, FPos)));
    return b;
}

void TLoggerRing::open(bool on)
{
    FOpen = on;
    if (on) FPos = 0;
}

bool TLoggerRing::seek(quint8 whence, qint16 offset, quint8& error)
{
    error = errorNow();
    if (!FOpen) return true;
    int target = 0;
    switch (whence) {
    case 0: target = offset; break;               // from the oldest row
    case 1: target = total() - 1 + offset; break; // from the newest row
    case 2: target = FPos + offset; break;        // from the current row
    default: return false;
    }
    FPos = qBound(0, target, qMax(0, total() - 1));
    return true;
}

TRecordRead TLoggerRing::read(bool next, int jumpRows, bool repeat, bool readError, bool busy)
{
    TRecordRead r;
    if (!FOpen) {
        r.status = statusByte(lerr_CLOSED);
        return r;
    }
    if (busy) {
        r.status = statusByte(lerr_BUSY);
        return r;
    }
    if (total() == 0) {
        r.status = statusByte(lerr_READERROR);
        return r;
    }
    if (next && !repeat) FPos = qMin(FPos + 1 + jumpRows, total() - 1);
    if (readError || FReadErrorRows.count(FPos)) {
        // The pointer has moved on; only this row could not be read.
        r.status = statusByte(lerr_READERROR);
        return r;
    }
    r.status = statusByte(lerr_OK);
    r.row = FRows[size_t(FPos)];
    return r;
}

std::vector<TLogRowBytes> TLoggerRing::pageRows(int page) const
{
    std::vector<TLogRowBytes> out(kRowsPerPage, ErasedRow());
    if (FWritten == 0) return out;
    const int cap = capacity();
    const int last = lastSlot();
    const qint64 firstReadable = qint64(FWritten) - total();
    for (int i = 0; i < kRowsPerPage; ++i) {
        const int slot = (page % FPages) * kRowsPerPage + i;
        // The newest write that went into this slot.
        const qint64 write = qint64(FWritten) - 1 - ((last - slot) % cap + cap) % cap;
        if (write < firstReadable) continue;
        const int position = int(write - firstReadable);
        out[size_t(i)] = ToPageOrder(FRows[size_t(position)]);
        if (FBadCheckRows.count(position)) out[size_t(i)][43] ^= 0x5A;
    }
    return out;
}

QByteArray TLoggerRing::layoutData() const
{
    QByteArray b(19, '\0');
    auto* p = reinterpret_cast<quint8*>(b.data());
    p[0] = quint8(rowsOnPage());
    if (!FRows.empty()) {
        writeBE16(p + 1, readBE16(FRows.back().data() + 3)); // index of the newest row
        std::copy(FRows.front().begin(), FRows.front().begin() + 3, p + 5);
        std::copy(FRows.back().begin(), FRows.back().begin() + 3, p + 8);
    }
    writeBE16(p + 3, quint16(page()));
    p[11] = wrapped() ? 0x10 : 0;
    // error, x, y, ksz: 0
    writeBE16(p + 16, quint16(FPages));
    p[18] = kRowsPerPage;
    return b;
}

void TLoggerRing::setDefectiveRows(std::set<int> readErrorRows, std::set<int> badCheckRows)
{
    FReadErrorRows = std::move(readErrorRows);
    FBadCheckRows = std::move(badCheckRows);
}

void TLoggerRing::clear()
{
    FRows.clear();
    FReadErrorRows.clear();
    FBadCheckRows.clear();
    FWritten = 0;
    FPos = 0;
}

} // namespace quentry::emulator
