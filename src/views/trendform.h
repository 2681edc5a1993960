#pragma once
// The trend window ("Logger Trend Window"): the log table's rows as a chart, narrowed by a
// date-time range, by event code and by error bits, with the row under the last click in
// the record panel. It never copies rows: it filters the log table through a
// TLogFilterProxy, so positions count every table row.
//
// How the main window shows it ("Show Trend", when the store holds rows):
//     logTable.ConvertToTable(store, context);          // table up to date with the store
//     TTrendForm form(service, TTrendForm::TableRequested(QCoreApplication::arguments()), this);
//     form.SetDataSet(&logTable.Model());
//     service.exec(form, TCentre::MainWindow);
// Nothing is returned; the log table itself is never changed.
#include "trendfilter.h"
#include "trendseries.h"

#include <QDialog>
#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QItemSelectionModel;
class QLabel;
class QListWidget;
class QPrinter;
class QPushButton;
class QSplitter;
class QTableView;
class QTimeEdit;

namespace quentry {

class TMessageService;
class TRecordPanel;
class TTrendChart;

class TTrendForm : public QDialog
{
    Q_OBJECT
public:
    // showTable: the table view under the record panel is shown (the "/d" switch).
    TTrendForm(TMessageService& service, bool showTable, QWidget* parent = nullptr);
    ~TTrendForm() override;

    // True when the program's first argument contains "/d".
    static bool TableRequested(const QStringList& arguments);

    // The log table to show; not owned. The window filters it through a proxy of its own.
    void SetDataSet(TLogTableModel* table);
    // Or through the caller's proxy: its record filter is set while the window is open and
    // removed when it closes, so the caller's views show every row again.
    void SetDataSet(TLogFilterProxy* proxy);

    // --- the window's operations (buttons call these; tests call them too) ----------
    bool BuildEventCodeFilterArray();
    bool BuildErrorFilterMask();
    void ResetDateFilter();
    void ResetFilter();
    void ApplyFilter();
    void RenderFilter();
    // Rebuilds PV and echo loss (and the right axis when flagged); false when no row passes.
    bool RefreshChartLeft();
    // Rebuilds the right-axis series over every table row.
    void RefreshChartRight();
    // The click at a bottom-axis position n: the passing row nearest to it becomes current.
    void Chart1Click(int n);
    // "Print": the printer dialog, then the chart over the whole page.
    void ButtonPrintClick();
    void PrintPreview();
    // "Save as PDF/PNG...": a file dialog, then the chart as PDF or PNG.
    void SaveChartAs();
    bool PrintTo(QPrinter& printer);

    // Main > "Service Report...": the report of the rows in the filter's date-time range
    // (every row of that period, whatever the event and error lists hide). Unset: the item
    // is disabled.
    std::function<void(TDateTime begin, TDateTime end)> OnServiceReport;
    void ServiceReportClick();

    // --- state, for the main window's tests and ours ------------------------------------
    TTrendChart& Chart() const { return *FChart; }
    const TTrendSeries& Series() const { return FSeries; }
    const TTrendFilter& Filter() const { return FFilter; }
    const TTrendFlags& Flags() const { return FFlags; }
    TRecordPanel& Panel() const { return *FPanel; }
    TLogFilterProxy* Proxy() const { return FProxy; }
    // Position (1-based, in the whole table) of the current row; 0 when none.
    int CurrentPosition() const;
    QSize DesignSize() const { return {DesignWidth, DesignHeight}; }

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void buildWindow();
    QWidget* buildFilterStrip();
    void setFiltering(bool on);
    void setCurrentRow(int proxyRow);
    void showCurrentRow();
    void setPanelVisible(bool visible);
    void noFilteredResult();
    void checkAll(QListWidget* list, bool checked);
    void fillColourCombo();
    QColor comboColour() const;
    void colourChosen(int index);
    TRightAxis rightChoice() const;
    void ComboBoxRightAxisChange(int index);
    void FormShow();
    void FormClose();
    void detach();

    TMessageService& FService;
    const bool FShowTable;
    TLogTableModel* FModel = nullptr;
    TLogFilterProxy* FProxy = nullptr;
    std::unique_ptr<TLogFilterProxy> FOwnProxy;
    QItemSelectionModel* FCurrent = nullptr;
    TTrendFilter FFilter;
    TTrendSeries FSeries;
    TTrendFlags FFlags;
    QStringList FEventItems;
    bool FAttached = false;
    int DesignWidth = 0, DesignHeight = 0;
    int FLastColourIndex = 0;

    QDateEdit* FBeginDate = nullptr;
    QTimeEdit* FBeginTime = nullptr;
    QDateEdit* FEndDate = nullptr;
    QTimeEdit* FEndTime = nullptr;
    QListWidget* FEventList = nullptr;
    QListWidget* FErrorList = nullptr;
    QComboBox* FRightAxis = nullptr;
    QComboBox* FColour = nullptr;
    QLabel* FPanelHeader = nullptr;
    TRecordPanel* FPanel = nullptr;
    QSplitter* FSplitter = nullptr;
    QTableView* FTable = nullptr;
    TTrendChart* FChart = nullptr;
    QAction* FServiceReport = nullptr;
};

} // namespace quentry
