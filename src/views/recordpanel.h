#pragma once
// The "Filtered Data Point" panel: the values of one log table row in four coloured blocks
// and a column of read-only check boxes.
#include "logrecord.h"

#include <QFrame>
#include <QList>
#include <functional>

class QLabel;
class QCheckBox;

namespace quentry {

class TRecordPanel : public QFrame
{
    Q_OBJECT
public:
    explicit TRecordPanel(QWidget* parent = nullptr);

    // Shows the record; nothing (empty values) for null.
    void ShowRecord(const TLogRecord* record);
    // The value text shown beside a caption ("Index:", "PV:", ...); for tests.
    QString ValueText(const QString& caption) const;

private:
    struct TValue
    {
        QString caption;
        QLabel* value;
        std::function<QString(const TLogRecord&)> text;
    };
    struct TFlag
    {
        QCheckBox* box;
        bool TLogRecord::*field;
    };
    QList<TValue> FValues;
    QList<TFlag> FFlags;
};

} // namespace quentry
