#include "imagefile.h"

#include "filereplacement.h"
#include "imagerow.h"
#include "wire/crc16.h"
#include "wire/wireconv.h"

#include <QFile>
#include <QFileInfo>
#include <cmath>

namespace quentry {
namespace {

int RoundedPercent(int i, int count) { return int(std::nearbyint(double(i) / double(count) * 100)); }

// Why a path cannot be a log image before a byte of it is read; empty when it may be one.
QString RefusedBeforeReading(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir()) return QStringLiteral("it is a folder");
    if (!info.isFile()) return QStringLiteral("it is a device file, not a file of rows");
    if (info.size() == 0) return QStringLiteral("the file is empty");
    return {};
}

QString CannotWrite(const QString& name, const QString& reason)
{
    return QStringLiteral("Error writing %1!\r%2").arg(name, reason);
}

} // namespace

void EncodeImageRecord(const THART_PAS_LOG_Row& row, quint8* out)
{
    EncodeImageRow(row, out);
    writeLE16(out + kImageRowSize, CRC16(out, 0, kImageRowSize));
}

TFileResult SaveImage(const QString& path, const TLogStore& store, const TOperationContext& context)
{
    TFileResult result;
    const int count = store.LogCount();
    if (count == 0) {
        result.error = QStringLiteral("no records to save");
        return result;
    }
    TElapsedClock ownClock;
    TElapsedClock& clock = context.Clock ? *context.Clock : ownClock;
    TRowLoopProgress loop(context, clock);
    clock.Start();
    loop.ProcessEvents();

    const QString name = FileNameOnly(path);
    TFileReplacement replacement(path);
    if (!replacement.Begin()) {
        result.error = CannotWrite(name, replacement.ErrorString());
        context.Feedback->showError(result.error);
        return result;
    }

    TProgressOptions o;
    o.caption = QStringLiteral("Saving Image");
    o.maximum = 100;
    o.centre = TCentre::Screen;
    o.cancelButton = true;
    const QString prefix = QStringLiteral("Saving to ") + name + QStringLiteral("\rPlease Wait!\r");
    o.text = prefix;
    loop.Show(o);

    QByteArray image(qsizetype(kImageHeaderSize) + qsizetype(kImageRecordSize) * count, '\0');
    auto* out = reinterpret_cast<quint8*>(image.data());
    int written = 0;
    for (int i = 0; i < count; ++i) {
        const int position = RoundedPercent(i, count);
        loop.SetPosition(position);
        if (loop.Canceled()) {
            result.canceled = true;
            break;
        }
        EncodeImageRecord(store.Row(i), out + kImageHeaderSize + qsizetype(kImageRecordSize) * i);
        ++written;
        loop.SetElapsedText(prefix, PercentOf(position, 100));
        loop.AfterRow(i);
    }
    loop.Hide();

    if (written == 0) { // nothing worth a file: keep whatever was there
        result.error = QStringLiteral("canceled before the first record");
        return result;
    }
    // The count always says how many rows follow, so even a cancelled save loads again.
    writeLE32(out, quint32(written));
    image.truncate(qsizetype(kImageHeaderSize) + qsizetype(kImageRecordSize) * written);
    QFile file(replacement.WorkPath());
    const bool whole = file.open(QIODevice::WriteOnly) && file.write(image) == image.size() && file.flush();
    const QString why = file.errorString();
    file.close();
    if (!whole || !replacement.Commit()) {
        result.error = CannotWrite(name, whole ? replacement.ErrorString() : why);
        context.Feedback->showError(result.error);
        return result;
    }
    result.ok = true;
    result.records = written;
    if (context.FullLog)
        result.label4 = QStringLiteral("Saved %1 record(s), ").arg(written) + clock.FormatElapsed(100);
    return result;
}

TFileResult LoadImage(const QString& path, TLogStore& store, const TOperationContext& context)
{
    TFileResult result;
    if (!QFileInfo::exists(path)) { // as a cancelled dialog: the store is not touched
        result.error = QStringLiteral("it does not exist");
        return result;
    }
    TElapsedClock ownClock;
    TElapsedClock& clock = context.Clock ? *context.Clock : ownClock;
    TRowLoopProgress loop(context, clock);
    clock.Start();
    loop.ProcessEvents();
    store.Clear();
    result.error = RefusedBeforeReading(path);
    if (!result.error.isEmpty()) return result;

    const QString name = FileNameOnly(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("Error reading %1!\r%2").arg(name, file.errorString());
        context.Feedback->showError(result.error);
        return result;
    }
    quint8 header[kImageHeaderSize];
    if (file.read(reinterpret_cast<char*>(header), kImageHeaderSize) != kImageHeaderSize) {
        result.error = QStringLiteral("the file is shorter than its 4-byte row count");
        return result;
    }
    const qint32 count = qint32(readLE32(header));
    if (count > kImageMaxRowCount || count < 0) {
        result.error = QStringLiteral("its row count %1 is not one a logger image can have (0 to %2)")
                           .arg(count)
                           .arg(kImageMaxRowCount);
        return result;
    }
    if (count == 0) {
        result.error = QStringLiteral("it holds no rows");
        return result;
    }
    // Known before a row is read: a file cut short is refused whole, with the check's message.
    const qint64 needed = kImageHeaderSize + qint64(kImageRecordSize) * count;
    if (file.size() < needed) {
        result.error = QStringLiteral("the file is too short for its %1 rows: %2 bytes, %3 needed")
                           .arg(count)
                           .arg(file.size())
                           .arg(needed);
        context.Feedback->showError(QStringLiteral("Crc Error!\rAborted!"));
        return result;
    }

    TProgressOptions o;
    o.caption = QStringLiteral("Loading Image");
    o.maximum = 100;
    o.centre = TCentre::Screen;
    const QString prefix = QStringLiteral("Loading from ") + name + QStringLiteral("\rPlease Wait!\r");
    o.text = prefix;
    loop.Show(o);

    // At most the records the count announces: a huge file costs no more than a full one.
    const QByteArray body = count > 0 ? file.read(qint64(kImageRecordSize) * count) : QByteArray();
    const auto* in = reinterpret_cast<const quint8*>(body.constData());
    int loaded = 0;
    for (int i = 0; i < count; ++i) {
        const int position = RoundedPercent(i, count);
        loop.SetPosition(position);
        const qsizetype at = qsizetype(kImageRecordSize) * i;
        const bool whole = at + kImageRecordSize <= body.size();
        if (!whole || CRC16(in + at, 0, kImageRowSize) != readLE16(in + at + kImageRowSize)) {
            store.Clear();
            loaded = 0;
            loop.Hide();
            result.error = whole ? QStringLiteral("row %1 of %2 fails its check").arg(i + 1).arg(count)
                                 : QStringLiteral("row %1 of %2 is cut short").arg(i + 1).arg(count);
            context.Feedback->showError(QStringLiteral("Crc Error!\rAborted!"));
            break;
        }
        store.Row(i) = DecodeImageRow(in + at);
        loaded = i + 1;
        loop.SetElapsedText(prefix, PercentOf(position, 100));
        loop.AfterRow(i);
    }
    store.SetLogCount(loaded);
    loop.Hide();
    if (context.FullLog)
        result.label4 = QStringLiteral("Loading from %1 record(s), ").arg(loaded) + clock.FormatElapsed(100);
    result.records = loaded;
    result.ok = loaded > 0;
    if (!result.ok && result.error.isEmpty()) result.error = QStringLiteral("it holds no rows");
    return result;
}

QString ImageMemoLine(const QString& path, bool loaded)
{
    return QStringLiteral("Image File: ") + path + (loaded ? QStringLiteral(" Loaded.") : QStringLiteral(" Canceled."));
}

} // namespace quentry
