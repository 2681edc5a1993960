#pragma once
// One list of the log window: time, class and message of each entry, at most 1001
// entries (the oldest goes first), coloured by class. A model, so a list that takes an
// entry every few milliseconds during a logger read only lays out the rows in view.
#include <QAbstractTableModel>
#include <QDateTime>
#include <QString>
#include <deque>

namespace quentry {

struct TLogEntry
{
    QString time;      // "hh:mm:ss"
    QString classText;
    QString message;
};

class TLogEntryModel final : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int kMaxEntries = 1001;

    // secondHeader: "Class" for the communication list, "Source" for the error list.
    explicit TLogEntryModel(const QString& secondHeader, QObject* parent = nullptr);

    void append(const QDateTime& when, const QString& classText, const QString& message);
    void clear();
    int count() const { return int(FEntries.size()); }
    const TLogEntry& entry(int row) const { return FEntries[std::size_t(row)]; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QString FSecondHeader;
    std::deque<TLogEntry> FEntries;
};

} // namespace quentry
