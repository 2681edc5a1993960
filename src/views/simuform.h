#pragma once
// The simulator window ("Simulation"): generates a log image into the log store (a level
// triangle with current, echoes and a daily temperature swing), shows the store's rows in
// a 27-column grid and lets a person edit single values of them with the value editor.
//
// How the main window shows it ("Simulate Image"):
//     TSimuForm form(service, store, this);
//     service.exec(form, TCentre::MainWindow);
//     // the store now holds the generated and edited rows, LogCount set; mark the log
//     // table out of date.
// However the window closes (Ok, Cancel, the close box), the store keeps what was
// generated or edited: Cancel undoes nothing.
#include "logsimulator.h"
#include "logstore.h"

#include <QDialog>

class QDateEdit;
class QDoubleSpinBox;
class QLabel;
class QLayout;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QTableView;
class QTimeEdit;

namespace quentry {

class TMessageService;
class TSimuGridModel;
class TSimulatorDlgForm;

class TSimuForm : public QDialog
{
    Q_OBJECT
public:
    TSimuForm(TMessageService& service, TLogStore& store, QWidget* parent = nullptr);
    ~TSimuForm() override;

    // The store's row array and the number of valid rows at its start; LOGIndex is read
    // from the store on every show and written back when the window closes.
    TLogArray* LOGPtr = nullptr;
    int LOGIndex = 0;

    // --- the window's operations (buttons call these; tests call them too) ----------
    // The grid from the store, then row heights and the window width.
    void Render();
    void UpdateGrid(TLogArray* f_LOGPtr, int f_LOGIndex);
    void ClearGrid();
    // Shows store row f_row - 1 in grid row f_row (1-based).
    void UpdateRecord(int f_row);
    // Start Index, Start Index + 1, ... into the index column before generation.
    void SimulateIndex();
    // "Generate": refuses inputs it cannot generate with a message; false then.
    bool Simulate();
    // The selected cell (grid column, grid row counted from 1) and its editing.
    void JvgStringGrid1SelectCell(int f_col, int f_row);
    void JvgStringGrid1DblClick();

    // The inputs as the window holds them.
    TSimulationInputs Inputs() const;
    void SetInputs(const TSimulationInputs& in);

    TSimuGridModel& Grid() const { return *FGrid; }
    QTableView& GridView() const { return *FView; }
    TSimulatorDlgForm& Editor() const { return *FEditor; }
    QString StatusText() const;
    // Width and height of the caption row and of a data row.
    int CaptionRowHeight() const;
    int DataRowHeight() const;

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    QWidget* buildInputStrip();
    QLayout* buildButtons();
    void setStatus(const QString& text);
    void setBusy(bool busy);
    void applyColumnWidths();
    void fitTextColumns();
    void showCounts();
    int gridWidth() const;
    bool checkEditableRow(int gridRow);

    TMessageService& FService;
    TLogStore& FStore;
    TSimuGridModel* FGrid = nullptr;
    TSimulatorDlgForm* FEditor = nullptr;
    int FSelCol = 0, FSelRow = 0;
    bool FSimulating = false;
    bool FStopRequested = false; // the window was closed while generating
    int FPendingResult = -1;

    QSpinBox* FStartIndex = nullptr;
    QSpinBox* FTotalIndex = nullptr;
    QDateEdit* FStartDate = nullptr;
    QTimeEdit* FStartTime = nullptr;
    QSpinBox* FLoggerPeriod = nullptr;
    QDoubleSpinBox* FPVStart = nullptr;
    QDoubleSpinBox* FPVEnd = nullptr;
    QSpinBox* FSimulationTime = nullptr;
    QPushButton* FGenerate = nullptr;
    QPushButton* FOk = nullptr;
    QPushButton* FCancel = nullptr;
    QWidget* FInputs = nullptr;
    QScrollArea* FStrip = nullptr;
    QTableView* FView = nullptr;
    QLabel* FStatus[3] = {};
};

} // namespace quentry
