#include "asciiexport.h"

#include "filereplacement.h"
#include "wire/datetime.h"

#include <QFile>
#include <QLocale>
#include <charconv>

namespace quentry {
namespace {

// printf-like pieces, written without the C library so the process locale cannot change them.
class TLine
{
public:
    explicit TLine(QByteArray& out) : FOut(out) {}

    void Text(const char* s) { FOut.append(s); }
    void Text(const QByteArray& s) { FOut.append(s); }
    void Char(char c) { FOut.append(c); }
    // "%<width>d"
    void Int(qint64 v, int width)
    {
        char buf[24];
        const auto r = std::to_chars(buf, buf + sizeof buf, v);
        Padded(buf, r.ptr, width);
    }
    // "%<width>X": upper-case hexadecimal, filled with blanks
    void Hex(quint32 v, int width)
    {
        char buf[16];
        auto r = std::to_chars(buf, buf + sizeof buf, v, 16);
        for (char* p = buf; p != r.ptr; ++p)
            if (*p >= 'a' && *p <= 'f') *p = char(*p - 'a' + 'A');
        Padded(buf, r.ptr, width);
    }
    // "%<width>.<decimals>f"
    void Fixed(double v, int width, int decimals)
    {
        char buf[400]; // the longest double in fixed notation has 309 integer digits
        const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
        Padded(buf, r.ptr, width);
    }
    // "%<width>s": right-aligned, never cut
    void Right(const QByteArray& s, int width)
    {
        for (qsizetype n = s.size(); n < width; ++n) FOut.append(' ');
        FOut.append(s);
    }
    // Two digits with a leading zero.
    void Two(int v)
    {
        FOut.append(char('0' + v / 10 % 10));
        FOut.append(char('0' + v % 10));
    }

private:
    void Padded(const char* b, const char* e, int width)
    {
        for (auto n = e - b; n < width; ++n) FOut.append(' ');
        FOut.append(b, qsizetype(e - b));
    }
    QByteArray& FOut;
};

template <int N> QByteArray Bytes(const TShortString<N>& s)
{
    return QByteArray(s.chars.data(), s.size());
}

void DateTimeColumns(TLine& l, TDateTime t, char timeSeparator)
{
    // "yyyy-mm-dd, hh:nn, "; a stamp that no calendar holds is written as zeros.
    const TDateTimeParts p = TryDecodeDateTime(t).value_or(TDateTimeParts{});
    char year[8];
    const auto r = std::to_chars(year, year + sizeof year, p.year);
    for (auto n = r.ptr - year; n < 4; ++n) l.Char('0');
    l.Text(QByteArray(year, qsizetype(r.ptr - year)));
    l.Char('-');
    l.Two(p.month);
    l.Char('-');
    l.Two(p.day);
    l.Text(", ");
    l.Two(p.hour);
    l.Char(timeSeparator);
    l.Two(p.minute);
    l.Text(", ");
}

} // namespace

QByteArray Log_AddASC(const THART_PAS_LOG_Row& r, int rowCounter, char timeSeparator)
{
    QByteArray out;
    out.reserve(256);
    TLine l(out);
    l.Int(rowCounter, 6);
    l.Text(", ");
    DateTimeColumns(l, r.datetime, timeSeparator);
    l.Int(r.index, 6);
    l.Text(", ");
    l.Right(Bytes(r.eventstr), 15);
    l.Text(", ");
    const QByteArray distLevUnit = Bytes(r.DISTLEVunitstr);
    const QByteArray totUnit = Bytes(r.TOTunitstr);
    const auto valueUnit = [&](double v, int width, int decimals, const QByteArray& unit) {
        l.Fixed(v, width, decimals);
        l.Char(' ');
        l.Text(unit);
        l.Text(", ");
    };
    valueUnit(r.PV, 7, 3, Bytes(r.PVunitstr));
    valueUnit(r.DIST, 7, 3, distLevUnit);
    valueUnit(r.LEV, 7, 3, distLevUnit);
    valueUnit(r.temperature, 3, 1, Bytes(r.temperatureunitstr));
    l.Fixed(r.current, 5, 2);
    l.Text(", ");
    valueUnit(r.TOT1, 9, 3, totUnit);
    valueUnit(r.TOT2, 9, 3, totUnit);
    l.Hex(r.es.error, 4);
    l.Text(", ");
    l.Hex(r.es.status, 4);
    l.Text(", ");
    l.Int(r.SNratio, 3);
    l.Text(", ");
    l.Int(r.peakinfo_index, 3);
    l.Text(", ");
    l.Int(r.peakinfo_total, 3);
    l.Text(", ");
    l.Int(r.peakinfo_amp, 3);
    l.Text(" dB,");
    for (const quint8 v : {r.debug1_gain, r.debug1_phase, r.debug1_sensorindex, r.pchk, r.event}) {
        l.Int(v, 3);
        l.Text(", ");
    }
    l.Int(r.chk, 3);
    return out;
}

char SystemTimeSeparator()
{
    // The first character between the hour and minute fields of the short time format.
    const QString f = QLocale::system().timeFormat(QLocale::ShortFormat);
    const qsizetype h = f.indexOf(QLatin1Char('h'), 0, Qt::CaseInsensitive);
    if (h >= 0)
        for (qsizetype i = h; i < f.size(); ++i) {
            const QChar c = f[i];
            if (c.toLower() == QLatin1Char('h')) continue;
            if (c.unicode() < 0x80 && c != QLatin1Char('m') && c != QLatin1Char('\'') && !c.isSpace())
                return char(c.unicode());
            break;
        }
    return ':';
}

TFileResult ExportAscii(const QString& path, const TLogStore& store, const TOperationContext& context,
                        char timeSeparator)
{
    return ExportAscii(path, store.LogCount(), [&store](int i) -> const THART_PAS_LOG_Row& { return store.Row(i); },
                       context, timeSeparator);
}

TFileResult ExportAscii(const QString& path, int count, const TRowAt& rowAt, const TOperationContext& context,
                        char timeSeparator)
{
    TFileResult result;
    TElapsedClock ownClock;
    TElapsedClock& clock = context.Clock ? *context.Clock : ownClock;
    TRowLoopProgress loop(context, clock);
    const QString name = FileNameOnly(path);

    TProgressOptions o;
    o.caption = QStringLiteral("Saving Database");
    o.centre = TCentre::Screen;
    o.text = QStringLiteral("Creating Database...\r\r");
    loop.Show(o);
    clock.Start();
    loop.ProcessEvents();

    TFileReplacement replacement(path);
    QFile file;
    if (replacement.Begin()) file.setFileName(replacement.WorkPath());
    if (replacement.WorkPath().isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        loop.Hide();
        result.error =
            QStringLiteral("Error creating %1!\r%2")
                .arg(name, replacement.WorkPath().isEmpty() ? replacement.ErrorString() : file.errorString());
        context.Feedback->showError(result.error);
        return result;
    }

    loop.Hide();
    o.maximum = count - 1;
    o.cancelButton = true;
    const QString prefix = QStringLiteral("Exporting to ") + name + QStringLiteral("\rPlease Wait!\r");
    o.text = prefix;
    loop.Show(o);

    QByteArray line;
    int written = 0;
    bool writeFailed = false;
    for (int i = 0; i < count; ++i) {
        loop.SetPosition(i);
        if (loop.Canceled()) {
            result.canceled = true;
            break;
        }
        line = Log_AddASC(rowAt(i), i, timeSeparator);
        line.append("\r\n");
        if (file.write(line) != line.size()) {
            writeFailed = true;
            break;
        }
        ++written;
        loop.SetElapsedText(prefix, PercentOf(i, o.maximum));
        loop.AfterRow(i);
    }
    // A full disk may show only when the buffer goes out.
    if (!writeFailed && !file.flush()) writeFailed = true;
    QString why = file.errorString();
    file.close();
    loop.Hide();
    // A cancelled export is kept with the rows written so far, as it always was.
    if (!writeFailed && !replacement.Commit()) {
        writeFailed = true;
        why = replacement.ErrorString();
    }

    result.records = written;
    if (writeFailed) {
        result.error = QStringLiteral("Error writing %1!\r%2").arg(name, why);
        context.Feedback->showError(result.error);
        return result;
    }
    result.ok = true;
    if (context.FullLog)
        result.label4 = QStringLiteral("Exported %1 record(s), ").arg(written) + clock.FormatElapsed(100);
    return result;
}

} // namespace quentry
