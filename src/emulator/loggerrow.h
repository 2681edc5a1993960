#pragma once
// One 44-byte logger row, as the transmitter keeps it and as it goes out. A row read on
// its own travels with words and singles most significant byte first; a row inside a
// page travels least significant byte first (the time stamp word excepted). Each form
// carries the check byte of its own bytes.
#include "emulatorconfig.h"

#include <QtGlobal>

namespace quentry::emulator {

struct TLogRowValues
{
    int year = 2021, month = 1, day = 1, hour = 0, minute = 0; // within January 2001 .. April 2021
    quint16 index = 0;
    quint8 event = 0;
    float pv = 0, distance = 0, level = 0;
    quint8 pvUnit = 24;
    float tot1 = 0, tot2 = 0;
    quint8 totUnit = 43;
    quint16 temperatureTenths = 0; // 0..32767
    bool fahrenheit = false;
    quint16 currentHundredths = 0;
    quint16 error = 0, status = 0;
    quint8 peakTotal = 0, peakIndex = 0, peakAmplitude = 0; // 5, 5 and 6 bits
    quint8 snRatio = 0, pchk = 0;
    quint8 distanceUnit = 0; // 0 m, 1 cm, 2 ft, 3 inch
    quint8 gain = 0, phase = 0, sensorIndex = 0;
    quint8 debug2 = 0;
};

// Record byte order, with its check byte.
TLogRowBytes EncodeRecordRow(const TLogRowValues& v);
// The same row as a page carries it, with the check byte of those bytes.
TLogRowBytes ToPageOrder(const TLogRowBytes& recordRow);
void SetRowChecksum(TLogRowBytes& row);
// What an erased slot of the ring reads as.
TLogRowBytes ErasedRow();

} // namespace quentry::emulator
