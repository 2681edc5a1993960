// The settings reader on arbitrary file contents: never a crash, every value in range.
#include "linktypes.h"
#include "settingsfile.h"

#include <QDir>
#include <QFile>
#include <QCoreApplication>
#include <cstdlib>

using namespace quentry;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A new name every run: QSettings keeps recently used files cached by name.
    static int run = 0;
    const QString path =
        QDir::temp().filePath(QStringLiteral("quentry-fuzz-%1-%2.ini").arg(QCoreApplication::applicationPid()).arg(run++ % 100000));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    const TStoredSettings s = ReadSettingsFile(path);
    QFile::remove(path);
    if (s.Protocol < prt_HART || s.Protocol > prt_FASTLINK_IRDA) std::abort();
    if (s.Adapter < 0 || s.Adapter > 3) std::abort();
    if (s.IrDAAdapter < 0 || s.IrDAAdapter > 1) std::abort();
    return 0;
}
