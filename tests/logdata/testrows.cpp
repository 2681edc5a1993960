#include "testrows.h"

#include "imagerow.h"
#include "wire/datetime.h"

#include <QFile>

namespace quentry::test {

THART_PAS_LOG_Row MakeTestRow(int i)
{
    THART_PAS_LOG_Row r;
    // 2015-03-07 14:05:59 onwards, one row every 7 min 13 s.
    r.datetime = *TryEncodeDateTime(2015, 3, 7, 14, 5, 59) + double(i) * 433.0 / 86400.0;
    r.index = quint16(i * 7 + 3);
    r.event = quint8(i % 41);
    const QByteArray longText = QByteArray("EVENT_TEXT_").append(QByteArray::number(i)).append(QByteArray(100, 'x'));
    SetText(r.eventstr, i % 3 == 0 ? longText : QByteArray("PTOMEAS_PCHANGED"), quint8(i));
    // Values with many decimals, halves that round to even, negatives, large totals.
    static const double pv[] = {1.23456, 0.0625, -2.71828, 123.4565, 0.0005, -0.0015, 9999.9995, 3.4e38};
    r.PV = pv[i % 8] + (i % 8 == 7 ? 0 : i * 0.001);
    r.DIST = 4.1234567 - i * 0.0137;
    r.LEV = -0.03125 + i * 0.5;
    SetText(r.DISTLEVunitstr, i % 2 ? QByteArray("cm") : QByteArray("unit-of-length-20chr"), 3);
    SetText(r.PVunitstr, QByteArray("m3/h \xE9t\xE9 long unit text"), 5); // cut at 20
    r.TOT1 = 1234567.8915 + i;
    r.TOT2 = -98765.4325 - i * 3.3;
    SetText(r.TOTunitstr, QByteArray("m3"), 7);
    r.temperature = 25.125 + i * 0.1;
    SetText(r.temperatureunitstr, i % 2 ? QByteArray("Fgrad") : QByteArray("Cgrad"), 9);
    r.current = 4.0 + i * 0.01;
    r.es.error = quint16(i % 5 == 0 ? 0 : 0x1A * i);
    r.es.status = quint16(0x4621 + i);
    SetText(r.es.Errorstr, QByteArray("NO ECHO / SENSOR ERROR TEXT ").append(QByteArray::number(i)), 11);
    SetText(r.es.Warningstr, QByteArray("LOW SIGNAL WARNING FOR A LONG TIME AND MORE TEXT THAN FITS"), 13);
    r.es.PVmode = quint8(i * 3);
    SetText(r.es.PVmodestr, QByteArray("LEVEL"), 15);
    r.es.MenuState = quint8(i * 5 + 1);
    SetText(r.es.MenuStateStr, QByteArray("REMOTE MENU STATE ").append(QByteArray::number(i)), 17);
    const int bits = i * 37 + 5;
    r.es.SimulationActive = bits & 1;
    r.es.UPSWPresent = bits & 2;
    r.es.Relay = bits & 4;
    r.es.ULockActive = bits & 8;
    r.es.FLocked = bits & 16;
    r.es.DiagBurstActive = bits & 32;
    r.es.LoggerOpened = bits & 64;
    r.es.CalibrationActive = bits & 128;
    r.es.PVValid = bits & 256;
    r.es.fill = quint8(0xC3 ^ i);
    r.peakinfo_amp = -(i % 64);
    r.peakinfo_index = quint8(i % 32);
    r.peakinfo_total = quint8((i * 3) % 32);
    r.SNratio = quint8(i * 11);
    r.pchk = quint8(255 - i);
    r.debug1_gain = quint8(i % 8);
    r.debug1_phase = quint8(i % 4);
    r.debug1_sensorindex = quint8(i % 16);
    r.debug2 = quint8(i * 13);
    r.chk = quint8(i * 17 + 1);
    return r;
}

void FillStore(TLogStore& store, int count)
{
    store.Clear();
    for (int i = 0; i < count; ++i) store.Log_AddToArray(MakeTestRow(i));
}

QByteArray ImageBytes(const THART_PAS_LOG_Row& row)
{
    QByteArray b(kImageRowSize, '\0');
    EncodeImageRow(row, reinterpret_cast<quint8*>(b.data()));
    return b;
}

QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteFileBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

} // namespace quentry::test
