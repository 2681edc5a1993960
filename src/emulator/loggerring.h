#pragma once
// The transmitter's data logger: a ring of pages of six rows. Rows are written one after
// another; a page is erased when the first row goes into it, so once the ring has gone
// round, the page being written holds `sor` new rows and the rest of it is erased.
// Reading goes two ways: a record pointer (open, seek, read next / read current) and
// whole pages.
#include "emulatorconfig.h"

#include <QByteArray>
#include <set>
#include <vector>

namespace quentry::emulator {

constexpr int kRowsPerPage = 6;

// Logger status byte: error code in bits 0..5, BOF bit 6, TOF bit 7.
enum TLoggerError : quint8 { lerr_OK = 0, lerr_BUSY = 1, lerr_READERROR = 2, lerr_CLOSED = 3 };
constexpr quint8 kBOF = 0x40, kTOF = 0x80;

struct TRecordRead
{
    quint8 status = 0;
    TLogRowBytes row{}; // record byte order; zeros when the status reports an error
};

class TLoggerRing
{
public:
    // `rowsOldestFirst` are the readable rows; `written` the rows written since the last
    // clear (more than the ring holds once it has gone round).
    TLoggerRing(int pages, std::vector<TLogRowBytes> rowsOldestFirst, quint32 written);

    int pages() const { return FPages; }
    int total() const { return int(FRows.size()); }
    bool wrapped() const { return FWritten > quint32(capacity()); }
    quint32 written() const { return FWritten; }
    int page() const;              // the page holding the newest row
    int rowsOnPage() const;        // sor: rows on that page, 0 when empty
    bool isOpen() const { return FOpen; }
    int position() const { return FPos; }
    const std::vector<TLogRowBytes>& rows() const { return FRows; }

    // The 5-byte status block: status byte, total and position (high byte first).
    QByteArray statusBlock(quint8 error) const;
    quint8 statusByte(quint8 error) const;
    quint8 errorNow() const { return FOpen ? lerr_OK : lerr_CLOSED; }

    void open(bool on);
    // false for a Whence the logger does not know.
    bool seek(quint8 whence, qint16 offset, quint8& error);
    TRecordRead read(bool next, int jumpRows, bool repeat, bool readError, bool busy);
    // Six rows in page byte order; erased slots read as 0xFF.
    std::vector<TLogRowBytes> pageRows(int page) const;
    // Rows that stay unreadable: record reads answer READERROR, page reads carry a wrong
    // check byte (positions from the oldest row).
    void setDefectiveRows(std::set<int> readErrorRows, std::set<int> badCheckRows);
    // The 23-byte layout data after the status block (sor .. rowperpage).
    QByteArray layoutData() const;
    void clear();

private:
    int capacity() const { return FPages * kRowsPerPage; }
    int lastSlot() const { return int((FWritten - 1) % quint32(capacity())); }

    int FPages;
    std::vector<TLogRowBytes> FRows;
    quint32 FWritten;
    bool FOpen = false;
    int FPos = 0;
    std::set<int> FReadErrorRows, FBadCheckRows;
};

} // namespace quentry::emulator
