#pragma once
// Writes window screenshots as PNG files into one directory, for the README's pictures.
// The screenshot programs share it; failures are counted so they can exit non-zero.
#include <QDir>
#include <QString>

class QWidget;

namespace quentry {

class TScreenshotWriter
{
public:
    // The directory from the first program argument, else docs/screenshots; false (and a
    // line on stderr) when it cannot be created.
    bool open(int argc, char** argv);
    // Lets layouts and paints settle, then writes name.png and prints its path.
    void save(QWidget& widget, const QString& name);
    void fail() { ++FFailures; }
    const QDir& directory() const { return FOut; }
    int exitCode() const { return FFailures == 0 ? 0 : 1; }

private:
    QDir FOut;
    int FFailures = 0;
};

} // namespace quentry
