#pragma once
// The databases the history test cases run against, each as a way to open a fresh, empty
// history. Today one: an SQLite file in a temporary directory. A backend that needs a
// server starts it in its own Open and stops it when the backend is destroyed.
#include "historystore.h"
#include "sqlhistorystore.h"

#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <string>

namespace quentry::test {

class THistoryBackend
{
public:
    virtual ~THistoryBackend() = default;
    // A fresh, empty history; null (reason in error) when it cannot be had.
    virtual std::unique_ptr<THistoryStore> Open(QString& error) = 0;
    // The same history again, as a second program would open it.
    virtual std::unique_ptr<THistoryStore> Reopen(QString& error) = 0;
};

class TSqliteBackend final : public THistoryBackend
{
public:
    std::unique_ptr<THistoryStore> Open(QString& error) override { return TSqlHistoryStore::OpenFile(path(), error); }
    std::unique_ptr<THistoryStore> Reopen(QString& error) override { return Open(error); }
    QString path() const { return FDir.filePath("history.sqlite"); }

private:
    QTemporaryDir FDir;
};

struct TBackendMaker
{
    std::string name;
    std::function<std::unique_ptr<THistoryBackend>()> make;
};

inline std::vector<TBackendMaker> HistoryBackends()
{
    return {{"SQLite", [] { return std::make_unique<TSqliteBackend>(); }}};
}

} // namespace quentry::test
