#include "simugridmodel.h"

#include "rowdecode.h"
#include "wire/datetime.h"

#include <QColor>
#include <QDateTime>

namespace quentry {
namespace {

const QColor kSkyBlue(0xA6, 0xCA, 0xF0);

QString fixed(double v, int decimals) { return QString::number(v, 'f', decimals); }

} // namespace

TSimuGridModel::TSimuGridModel(QObject* parent) : QAbstractTableModel(parent) {}

int TSimuGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kRows;
}

int TSimuGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumns;
}

QString TSimuGridModel::Caption(int column)
{
    static const char* const captions[kColumns] = {
        "No",       "Index",        "Date\nTime",  "Event",      "PV",        "PV\nUnit", "DIST",
        "LEV",      "D/L\nUnit",    "TOT1",        "TOT2",       "TOT\nUnit", "Temp",     "Temp\nUnit",
        "Current",  "Error",        "Status",      "Peak\nAmp.", "Peak\nIndex", "Peak\nTotal", "SN\nRatio",
        "Pchk",     "Gain",         "Kezdet",      "Sensor\nIndex", "Debug2", "",
    };
    return column >= 0 && column < kColumns ? QString::fromLatin1(captions[column]) : QString();
}

QString TSimuGridModel::WidthSample(int column)
{
    switch (column) {
    case 0: return QString::asprintf("%05d", 0);
    case 1: return QString::asprintf("%06d", 0);
    case 2: return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm "));
    case 3: return QString::fromLatin1(EventText(8).data(), qsizetype(EventText(8).size()));
    case 4: case 6: case 7: return QString::asprintf("%7.3f", 0.0);
    case 5: case 8: case 13: return QStringLiteral("Cgrad");
    case 9: case 10: return QString::asprintf("%9.3f", 0.0);
    case 11: return QStringLiteral("cuft/l");
    case 12: return QStringLiteral("Temp");
    case 14: return QStringLiteral("Current");
    case 15: return QStringLiteral("Error");
    case 16: return QStringLiteral("Status");
    case 17: return QStringLiteral("Peak");
    case 18: return QStringLiteral("Index");
    case 19: return QStringLiteral("Total");
    case 20: return QStringLiteral("Ratio");
    case 21: return QStringLiteral("Pchk");
    case 22: return QStringLiteral("Gain");
    case 23: return QStringLiteral("Kezdet");
    case 24: return QStringLiteral("Sensor");
    case 25: return QStringLiteral("Debug2");
    default: return {};
    }
}

QString TSimuGridModel::CellText(const THART_PAS_LOG_Row& r, int gridRow, int column)
{
    switch (column) {
    case 0: return QString::asprintf("%5d", gridRow);
    case 1: return QString::number(r.index);
    case 2: return toQDateTime(r.datetime).toString(QStringLiteral("yyyy-MM-dd hh:mm"));
    case 3: return r.eventstr.str();
    case 4: return fixed(r.PV, 3);
    case 5: return r.PVunitstr.str();
    case 6: return fixed(r.DIST, 3);
    case 7: return fixed(r.LEV, 3);
    case 8: return r.DISTLEVunitstr.str();
    case 9: return fixed(r.TOT1, 3);
    case 10: return fixed(r.TOT2, 3);
    case 11: return r.TOTunitstr.str();
    case 12: return fixed(r.temperature, 1);
    case 13: return r.temperatureunitstr.str();
    case 14: return fixed(r.current, 2);
    case 15: return QString::asprintf("%04X", r.es.error);
    case 16: return QString::asprintf("%04X", r.es.status);
    case 17: return QString::number(r.peakinfo_amp);
    case 18: return QString::number(r.peakinfo_index);
    case 19: return QString::number(r.peakinfo_total);
    case 20: return QString::number(r.SNratio);
    case 21: return QString::number(r.pchk);
    case 22: return QString::number(r.debug1_gain);
    case 23: return QString::number(r.debug1_phase);
    case 24: return QString::number(r.debug1_sensorindex);
    case 25: return QString::number(r.debug2);
    default: return {};
    }
}

QVariant TSimuGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= kRows || index.column() >= kColumns) return {};
    const int row = index.row(), column = index.column();
    if (role == Qt::BackgroundRole) return column == 0 ? QVariant(kSkyBlue) : QVariant();
    if (role == Qt::TextAlignmentRole)
        return column == 2 || column == 3 || column == 5 || column == 8 || column == 11 || column == 13
                   ? QVariant(int(Qt::AlignLeft | Qt::AlignVCenter))
                   : QVariant(int(Qt::AlignRight | Qt::AlignVCenter));
    if (role != Qt::DisplayRole) return {};
    if (column == 0) return QString::asprintf("%5d", row + 1);
    if (FRows && row < FShown) return CellText((*FRows)[std::size_t(row)], row + 1, column);
    if (column == 1 && row < FIndexRows) return QString::number(FIndexStart + row);
    return {};
}

QVariant TSimuGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal) return {};
    if (role == Qt::DisplayRole) return Caption(section);
    if (role == Qt::BackgroundRole) return kSkyBlue;
    return {};
}

// The grid's shape never changes, so these announce changed cells rather than a reset:
// a reset would also give the view back its default column widths and drop the selection.
void TSimuGridModel::ClearGrid()
{
    FShown = 0;
    FIndexRows = 0;
    emit dataChanged(index(0, 1), index(kRows - 1, kColumns - 1), {Qt::DisplayRole});
}

void TSimuGridModel::UpdateGrid(int count)
{
    FShown = std::clamp(count, 0, kRows);
    FIndexRows = 0;
    emit dataChanged(index(0, 1), index(kRows - 1, kColumns - 1), {Qt::DisplayRole});
}

void TSimuGridModel::UpdateRecord(int gridRow)
{
    if (gridRow < 1 || gridRow > kRows) return;
    FShown = std::max(FShown, gridRow);
    emit dataChanged(index(gridRow - 1, 1), index(gridRow - 1, kColumns - 1), {Qt::DisplayRole});
}

void TSimuGridModel::SimulateIndex(int start, int total)
{
    FIndexStart = start;
    FIndexRows = total > 1 ? std::min(total - 1, kRows) : 0;
    if (FIndexRows > 0) emit dataChanged(index(0, 1), index(FIndexRows - 1, 1), {Qt::DisplayRole});
}

} // namespace quentry
