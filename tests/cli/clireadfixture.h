#pragma once
// quentry-cli and quentry-emulator as separate programs, the way a site script runs them:
// an emulator started on a pseudo-terminal, the tool run against it with a settings file
// and a site history of the test's own, its stderr watched while it runs.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <csignal>
#include <memory>

namespace quentry::test {

inline constexpr int kRowBytes = 457; // one row in the image file
inline constexpr int kImageHead = 4;

struct TRun
{
    int exit = -1;
    QString out, err;
};

inline QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline int imageRows(const QString& path)
{
    const qint64 size = contents(path).size();
    return size >= kImageHead ? int((size - kImageHead) / kRowBytes) : -1;
}

// The record indexes of a CSV export, in file order (the second column).
inline std::vector<int> csvIndexes(const QString& path)
{
    std::vector<int> v;
    const QList<QByteArray> lines = contents(path).split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i)
        if (!lines[i].trimmed().isEmpty()) v.push_back(lines[i].split(',').value(1).toInt());
    return v;
}

inline std::vector<int> indexes(std::initializer_list<std::pair<int, int>> runs)
{
    std::vector<int> v;
    for (const auto& [from, to] : runs)
        for (int i = from; i <= to; ++i) v.push_back(i);
    return v;
}

class CliRead : public ::testing::Test
{
protected:
    // Starts the emulator with a small HART logger (or FAST with --protocol fast in extra).
    QString startEmulator(const QStringList& extra)
    {
        if (emulator && emulator->state() != QProcess::NotRunning) {
            emulator->kill();
            emulator->waitForFinished(5000);
        }
        emulator = std::make_unique<QProcess>();
        emulator->setProgram(QStringLiteral(QUENTRY_EMULATOR_PROGRAM));
        emulator->setArguments(QStringList{"--turnaround", "2"} + extra);
        emulator->start();
        if (!emulator->waitForStarted(5000)) return {};
        while (!emulator->canReadLine())
            if (!emulator->waitForReadyRead(5000)) return {};
        const QString port = QString::fromLocal8Bit(emulator->readLine()).trimmed();
        protocol = extra.contains("fast") ? "fast" : "hart";
        return port;
    }

    QStringList link(const QString& port)
    {
        QFile f(dir.filePath("Quentry.ini"));
        if (!f.exists() && f.open(QIODevice::WriteOnly)) f.write("[Main]\nHistoryFile=history.sqlite\n");
        return {"--port", port, "--protocol", protocol, "--cycle", "20", "--settings", f.fileName()};
    }

    // The tool on its way; the caller waits for it with finish().
    void startCli(const QStringList& args)
    {
        cli = std::make_unique<QProcess>();
        cli->setProgram(QStringLiteral(QUENTRY_CLI_PROGRAM));
        cli->setArguments(args);
        cli->start();
        ASSERT_TRUE(cli->waitForStarted(5000));
    }

    // Waits until the tool has written text to stderr (progress comes every 10 %).
    bool waitForStderr(const QString& text, int ms = 20000)
    {
        QElapsedTimer t;
        t.start();
        while (!t.hasExpired(ms)) {
            cli->waitForReadyRead(100);
            FErr += QString::fromLocal8Bit(cli->readAllStandardError());
            if (FErr.contains(text)) return true;
        }
        return false;
    }

    TRun finish(int ms = 30000)
    {
        TRun r;
        if (!cli->waitForFinished(ms)) {
            cli->kill();
            cli->waitForFinished();
            r.err = "timed out";
            return r;
        }
        r.exit = cli->exitStatus() == QProcess::NormalExit ? cli->exitCode() : -1;
        r.out = QString::fromLocal8Bit(cli->readAllStandardOutput());
        r.err = FErr + QString::fromLocal8Bit(cli->readAllStandardError());
        FErr.clear();
        return r;
    }

    TRun runCli(const QStringList& args)
    {
        startCli(args);
        return finish();
    }

    QStringList allFiles(const QString& stem)
    {
        return {"--out", path(stem + ".img"), "--ascii", path(stem + ".txt"), "--dbf", path(stem + ".dbf"),
                "--csv", path(stem + ".csv")};
    }

    // Every requested file holds the same rows.
    void expectFilesHold(const QString& stem, int rows)
    {
        EXPECT_EQ(imageRows(path(stem + ".img")), rows);
        EXPECT_EQ(contents(path(stem + ".txt")).count("\r\n"), rows);
        EXPECT_EQ(int(csvIndexes(path(stem + ".csv")).size()), rows);
        EXPECT_TRUE(QFile::exists(path(stem + ".dbf")));
    }

    void TearDown() override
    {
        for (QProcess* p : {cli.get(), emulator.get()})
            if (p && p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(5000);
            }
    }

    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    QString protocol = "hart";
    std::unique_ptr<QProcess> emulator, cli;

private:
    QString FErr;
};


} // namespace quentry::test
