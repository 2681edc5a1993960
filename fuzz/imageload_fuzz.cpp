// Log image loading on arbitrary file contents: never a crash, and what is accepted is
// consistent. Also decodes any 455 bytes as a row and checks that encoding gives them back.
#include "imagefile.h"
#include "imagerow.h"

#include <QDir>
#include <QFile>
#include <QCoreApplication>
#include <cstdlib>
#include <cstring>

using namespace quentry;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QString path = QDir::temp().filePath(QStringLiteral("quentry-fuzz-%1.img").arg(QCoreApplication::applicationPid()));
    static TLogStore store;
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    const TFileResult r = LoadImage(path, store, {});
    if (r.ok != (store.LogCount() > 0)) std::abort();
    if (store.LogCount() > kImageMaxRowCount) std::abort();
    if (r.ok && size < std::size_t(kImageHeaderSize + kImageRecordSize * store.LogCount())) std::abort();

    if (size >= std::size_t(kImageRowSize)) {
        quint8 again[kImageRowSize];
        EncodeImageRow(DecodeImageRow(data), again);
        for (int i = 0; i < kImageRowSize; ++i) {
            const bool flag = i >= kImageErrStatOffset + 180 && i < kImageErrStatOffset + 189;
            const quint8 want = flag ? quint8(data[i] != 0) : data[i];
            if (again[i] != want) std::abort();
        }
    }
    return 0;
}
