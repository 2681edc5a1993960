#pragma once
// The simulator's row grid as a model over the log store's row array: 12 288 rows of 27
// columns read straight from the rows, so showing a full image costs nothing. Row r shows
// store row r once it is shown (UpdateGrid, UpdateRecord); until then only its number.
#include "logstore.h"

#include <QAbstractTableModel>

namespace quentry {

class TSimuGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int kColumns = 27;
    static constexpr int kRows = 12288;

    explicit TSimuGridModel(QObject* parent = nullptr);

    void SetRows(const TLogArray* rows) { FRows = rows; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Every cell but the row numbers empty.
    void ClearGrid();
    // Shows rows 0 .. count - 1 of the array.
    void UpdateGrid(int count);
    // Shows (again) grid row gridRow (1-based), i.e. store row gridRow - 1.
    void UpdateRecord(int gridRow);
    // The index column of grid rows 1 .. total - 1 before generation: start, start + 1, ...
    void SimulateIndex(int start, int total);

    // The text of a cell from a row, as the grid shows it.
    static QString CellText(const THART_PAS_LOG_Row& row, int gridRow, int column);
    // Caption lines of a column ("Date\nTime").
    static QString Caption(int column);
    // The sample a column's width is measured from; empty for the narrow last column.
    static QString WidthSample(int column);

    int ShownRows() const { return FShown; }

private:
    const TLogArray* FRows = nullptr;
    int FShown = 0;        // rows 0 .. FShown - 1 show their store row
    int FIndexStart = 0;   // SimulateIndex
    int FIndexRows = 0;
};

} // namespace quentry
