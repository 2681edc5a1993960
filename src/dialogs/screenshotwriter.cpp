#include "screenshotwriter.h"

#include "waiting.h"

#include <QPixmap>
#include <QWidget>
#include <cstdio>

namespace quentry {

bool TScreenshotWriter::open(int argc, char** argv)
{
    FOut.setPath(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs/screenshots"));
    if (FOut.mkpath(QStringLiteral("."))) return true;
    std::fprintf(stderr, "cannot create %s\n", qPrintable(FOut.path()));
    return false;
}

void TScreenshotWriter::save(QWidget& widget, const QString& name)
{
    WaitFor(150); // layouts and paints settle
    const QString path = FOut.filePath(name + QStringLiteral(".png"));
    if (widget.grab().save(path)) {
        std::printf("%s\n", qPrintable(path));
    } else {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        fail();
    }
}

} // namespace quentry
