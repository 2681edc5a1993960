#include "imagefile.h"

#include "imagerow.h"
#include "wire/crc16.h"
#include "wire/wireconv.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cmath>

namespace quentry {
namespace {

int RoundedPercent(int i, int count) { return int(std::nearbyint(double(i) / double(count) * 100)); }

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
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        result.error = CannotWrite(name, file.errorString());
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
        file.cancelWriting();
        result.error = QStringLiteral("canceled before the first record");
        return result;
    }
    // The count always says how many rows follow, so even a cancelled save loads again.
    writeLE32(out, quint32(written));
    image.truncate(qsizetype(kImageHeaderSize) + qsizetype(kImageRecordSize) * written);
    if (file.write(image) != image.size() || !file.commit()) {
        result.error = CannotWrite(name, file.errorString());
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
    if (!QFileInfo(path).isFile()) {
        result.error = QStringLiteral("file not found");
        return result;
    }
    TElapsedClock ownClock;
    TElapsedClock& clock = context.Clock ? *context.Clock : ownClock;
    TRowLoopProgress loop(context, clock);
    clock.Start();
    loop.ProcessEvents();
    store.Clear();

    const QString name = FileNameOnly(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("Error reading %1!\r%2").arg(name, file.errorString());
        context.Feedback->showError(result.error);
        return result;
    }
    quint8 header[kImageHeaderSize];
    if (file.read(reinterpret_cast<char*>(header), kImageHeaderSize) != kImageHeaderSize) {
        result.error = QStringLiteral("header shorter than 4 bytes");
        return result;
    }
    const qint32 count = qint32(readLE32(header));
    if (count > kImageMaxRowCount) {
        result.error = QStringLiteral("record count %1 out of range").arg(count);
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
            result.error = whole ? QStringLiteral("checksum error in record %1").arg(i)
                                 : QStringLiteral("record %1 cut short").arg(i);
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
    if (!result.ok && result.error.isEmpty()) result.error = QStringLiteral("no records");
    return result;
}

QString ImageMemoLine(const QString& path, bool loaded)
{
    return QStringLiteral("Image File: ") + path + (loaded ? QStringLiteral(" Loaded.") : QStringLiteral(" Canceled."));
}

} // namespace quentry
