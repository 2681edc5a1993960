#include "simuform.h"

#include "messageservice.h"
#include "simugridmodel.h"
#include "simulatordlgform.h"
#include "waiting.h"

#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QTableView>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <cmath>

namespace quentry {
namespace {

const QString kCaption = QStringLiteral("Simulation");
constexpr int kWindowHeight = 600;

// "Courier New" where it is installed, else the system's fixed font, at the form's size.
QFont gridFont(const QFont& form)
{
    QFont f(QStringLiteral("Courier New"), form.pointSize());
    f.setStyleHint(QFont::TypeWriter);
    if (QFontInfo(f).fixedPitch()) return f;
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSize(form.pointSize());
    return fixed;
}

QFont captionFont(const QFont& form)
{
    QFont f = form;
    f.setFamilies({QStringLiteral("MS Sans Serif"), form.family()});
    return f;
}

// The editor a grid column takes on a double-click.
enum class TEditKind : quint8 { None, Event, Float, Hex };

TEditKind editKind(int column)
{
    switch (column) {
    case 3: return TEditKind::Event;
    case 4: case 6: case 7: case 9: case 10: case 12: case 14:
    case 17: case 18: case 19: case 20: case 21: case 22: case 23: case 24: case 25: return TEditKind::Float;
    case 15: case 16: return TEditKind::Hex;
    default: return TEditKind::None;
    }
}

int decimals(int column)
{
    switch (column) {
    case 4: case 6: case 7: case 9: case 10: return 3;
    case 12: return 1;
    case 14: return 2;
    default: return 0;
    }
}

// The low 8 bits of a whole number, as a byte field keeps it.
quint8 lowByte(double v) { return quint8(qint64(v) & 0xFF); }

void storeNumber(THART_PAS_LOG_Row& r, int column, double v)
{
    switch (column) {
    case 4: r.PV = v; break;
    case 6: r.DIST = v; break;
    case 7: r.LEV = v; break;
    case 9: r.TOT1 = v; break;
    case 10: r.TOT2 = v; break;
    case 12: r.temperature = v; break;
    case 14: r.current = v; break;
    case 17: r.peakinfo_amp = qint32(v); break;
    case 18: r.peakinfo_index = lowByte(v); break;
    case 19: r.peakinfo_total = lowByte(v); break;
    case 20: r.SNratio = lowByte(v); break;
    case 21: r.pchk = lowByte(v); break;
    case 22: r.debug1_gain = lowByte(v); break;
    case 23: r.debug1_phase = lowByte(v); break;
    case 24: r.debug1_sensorindex = lowByte(v); break;
    case 25: r.debug2 = lowByte(v); break;
    default: break;
    }
}

QSpinBox* intEdit(const char* name, int minimum, int maximum, int value)
{
    auto* e = new QSpinBox;
    e->setObjectName(QString::fromLatin1(name));
    e->setRange(minimum, maximum);
    e->setValue(value);
    e->setAlignment(Qt::AlignRight);
    return e;
}

QDoubleSpinBox* numberEdit(const char* name, double value)
{
    auto* e = new QDoubleSpinBox;
    e->setObjectName(QString::fromLatin1(name));
    e->setLocale(QLocale::c());
    e->setDecimals(3);
    e->setRange(-99999.0, 99999.0);
    e->setValue(value);
    e->setAlignment(Qt::AlignRight);
    return e;
}

QGroupBox* group(const QString& caption, std::initializer_list<QWidget*> widgets)
{
    auto* box = new QGroupBox(caption);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(6, 2, 6, 4);
    for (QWidget* w : widgets) row->addWidget(w);
    return box;
}

QLabel* unit(const QString& text) { return new QLabel(text); }

// The input strip in a frameless scroll area: on a screen narrower than the strip it
// scrolls sideways instead of making the window wider than the screen.
class TInputStripArea final : public QScrollArea
{
public:
    explicit TInputStripArea(QWidget* strip)
    {
        setObjectName(QStringLiteral("InputStrip"));
        setFrameShape(QFrame::NoFrame);
        setWidgetResizable(true);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        setWidget(strip);
    }
    QSize sizeHint() const override
    {
        QSize s = widget()->sizeHint();
        if (width() < widget()->minimumSizeHint().width()) s.rheight() += horizontalScrollBar()->sizeHint().height();
        return s;
    }
    QSize minimumSizeHint() const override { return {0, sizeHint().height()}; }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        const bool before = FScrolls;
        QScrollArea::resizeEvent(event);
        FScrolls = width() < widget()->minimumSizeHint().width();
        if (FScrolls != before) updateGeometry();
    }

private:
    bool FScrolls = false;
};

// Columns that show texts rather than numbers; their widths also fit the texts shown.
constexpr int kTextColumns[] = {3, 5, 8, 11, 13};

} // namespace

TSimuForm::TSimuForm(TMessageService& service, TLogStore& store, QWidget* parent)
    : QDialog(parent), FService(service), FStore(store)
{
    setObjectName(QStringLiteral("SimuForm"));
    setWindowTitle(kCaption);
    setModal(true);
    LOGPtr = &store.LogRows();
    LOGIndex = store.LogCount();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 0);
    layout->setSpacing(6);
    // The inputs scroll on a narrow screen; the buttons stay in reach at the right.
    auto* top = new QHBoxLayout;
    FStrip = new TInputStripArea(buildInputStrip());
    top->addWidget(FStrip, 1);
    top->addLayout(buildButtons());
    layout->addLayout(top);

    FGrid = new TSimuGridModel(this);
    FGrid->SetRows(LOGPtr);
    FView = new QTableView;
    FView->setObjectName(QStringLiteral("JvgStringGrid1"));
    FView->setModel(FGrid);
    FView->setFont(gridFont(font()));
    FView->setSelectionBehavior(QAbstractItemView::SelectRows);
    FView->setSelectionMode(QAbstractItemView::SingleSelection);
    FView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FView->setWordWrap(false);
    FView->verticalHeader()->hide();
    FView->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    QHeaderView* captions = FView->horizontalHeader();
    captions->setFont(captionFont(font()));
    captions->setSectionResizeMode(QHeaderView::Interactive);
    captions->setDefaultAlignment(Qt::AlignCenter);
    captions->setHighlightSections(false);
    captions->setStretchLastSection(false);
    captions->setMinimumSectionSize(2);
    // Sky-blue fixed cells, as column 0 is in the model.
    captions->setStyleSheet(QStringLiteral("QHeaderView::section { background-color: #A6CAF0; "
                                           "border: 0px; border-right: 1px solid #808080; "
                                           "border-bottom: 1px solid #808080; padding: 0px 2px; }"));
    layout->addWidget(FView, 1);
    connect(FView->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { JvgStringGrid1SelectCell(current.column(), current.row() + 1); });
    connect(FView, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        JvgStringGrid1SelectCell(index.column(), index.row() + 1);
        JvgStringGrid1DblClick();
    });

    auto* status = new QWidget;
    status->setObjectName(QStringLiteral("StatusBar1"));
    auto* panels = new QHBoxLayout(status);
    panels->setContentsMargins(0, 2, 0, 2);
    for (int i = 0; i < 3; ++i) {
        FStatus[i] = new QLabel;
        FStatus[i]->setFrameShape(QFrame::Panel);
        FStatus[i]->setFrameShadow(QFrame::Sunken);
        FStatus[i]->setMinimumWidth(i == 0 ? 240 : 120);
        FStatus[i]->setContentsMargins(4, 0, 4, 0);
        panels->addWidget(FStatus[i], i == 2 ? 1 : 0);
    }
    layout->addWidget(status);

    FEditor = new TSimulatorDlgForm(service, this);
    applyColumnWidths();
    resize(800, kWindowHeight);
}

TSimuForm::~TSimuForm() = default;

QWidget* TSimuForm::buildInputStrip()
{
    // The spin edits take values beyond what can be generated, so that such a value is met
    // with a message on "Generate" instead of being changed silently while typed.
    FStartIndex = intEdit("EditStartIndex", 0, 65535, 1);
    FTotalIndex = intEdit("EditTotalIndex", 0, 99999, kSimMaxRows);
    FStartDate = new QDateEdit(QDate::currentDate());
    FStartDate->setObjectName(QStringLiteral("DateStart"));
    FStartDate->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    FStartDate->setCalendarPopup(true);
    FStartTime = new QTimeEdit(QTime(12, 10));
    FStartTime->setObjectName(QStringLiteral("TimeStart"));
    FStartTime->setDisplayFormat(QStringLiteral("hh:mm:ss"));
    FLoggerPeriod = intEdit("EditLoggerPeriod", 0, 99999, 5);
    FPVStart = numberEdit("EditPVStart", 0.0);
    FPVEnd = numberEdit("EditPVEnd", 6.0);
    FSimulationTime = intEdit("EditSimulationTime", 0, 99999, 60);

    FGenerate = new QPushButton(QStringLiteral("Generate"));
    FGenerate->setObjectName(QStringLiteral("ButtonGenerate"));
    FOk = new QPushButton(QStringLiteral("Ok"));
    FOk->setObjectName(QStringLiteral("ButtonOk"));
    FCancel = new QPushButton(QStringLiteral("Cancel"));
    FCancel->setObjectName(QStringLiteral("ButtonCancel"));
    // The image is in the store already: Ok only closes the window.
    connect(FGenerate, &QPushButton::clicked, this, [this] { Simulate(); });
    connect(FOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(FCancel, &QPushButton::clicked, this, &QDialog::reject);
    FGenerate->setAutoDefault(false);
    FOk->setAutoDefault(false);
    FCancel->setAutoDefault(false);

    FInputs = new QWidget;
    auto* row = new QHBoxLayout(FInputs);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(group(QStringLiteral(" Start Index "), {FStartIndex}));
    row->addWidget(group(QStringLiteral(" Total Index "), {FTotalIndex}));
    row->addWidget(group(QStringLiteral(" Simulation Start Date "), {FStartDate, FStartTime}));
    row->addWidget(group(QStringLiteral(" Logger Period  "), {FLoggerPeriod, unit(QStringLiteral("min"))}));
    row->addWidget(group(QStringLiteral(" PV Value Limits And Simulation Time "),
                         {FPVStart, FPVEnd, FSimulationTime, unit(QStringLiteral("min"))}));

    row->addStretch(1);
    return FInputs;
}

QLayout* TSimuForm::buildButtons()
{
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(FGenerate);
    auto* closeRow = new QHBoxLayout;
    closeRow->addWidget(FOk);
    closeRow->addWidget(FCancel);
    buttons->addLayout(closeRow);
    buttons->addStretch(1);
    return buttons;
}

TSimulationInputs TSimuForm::Inputs() const
{
    TSimulationInputs in;
    in.StartIndex = FStartIndex->value();
    in.TotalIndex = FTotalIndex->value();
    in.StartDate = FStartDate->date();
    in.StartTime = FStartTime->time();
    in.LoggerPeriod = FLoggerPeriod->value();
    in.PVStart = FPVStart->value();
    in.PVEnd = FPVEnd->value();
    in.SimulationTime = FSimulationTime->value();
    return in;
}

void TSimuForm::SetInputs(const TSimulationInputs& in)
{
    FStartIndex->setValue(in.StartIndex);
    FTotalIndex->setValue(in.TotalIndex);
    FStartDate->setDate(in.StartDate);
    FStartTime->setTime(in.StartTime);
    FLoggerPeriod->setValue(in.LoggerPeriod);
    FPVStart->setValue(in.PVStart);
    FPVEnd->setValue(in.PVEnd);
    FSimulationTime->setValue(in.SimulationTime);
}

QString TSimuForm::StatusText() const
{
    return FStatus[0]->text();
}

void TSimuForm::setStatus(const QString& text)
{
    FStatus[0]->setText(text);
}

int TSimuForm::CaptionRowHeight() const
{
    return 6 + 2 * QFontMetrics(FView->horizontalHeader()->font()).height();
}

int TSimuForm::DataRowHeight() const
{
    // 1.5 times the character height, halves to even.
    const int fontHeight = std::max(fontMetrics().height(), QFontMetrics(FView->font()).height());
    return int(std::nearbyint(1.5 * fontHeight));
}

void TSimuForm::applyColumnWidths()
{
    const QFontMetrics grid(FView->font());
    // The sample plus the cell's own margins, so the widest text is not cut.
    const int margin = 2 * FView->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, FView) + 4;
    for (int c = 0; c < TSimuGridModel::kColumns; ++c) {
        const QString sample = TSimuGridModel::WidthSample(c);
        FView->setColumnWidth(c, sample.isEmpty() ? 2 : grid.horizontalAdvance(sample) + margin);
    }
}

int TSimuForm::gridWidth() const
{
    int width = 0;
    for (int c = 0; c < TSimuGridModel::kColumns; ++c) width += FView->columnWidth(c) + 1; // and a grid line
    return width + 2 * FView->frameWidth() + FView->verticalScrollBar()->sizeHint().width();
}

void TSimuForm::Render()
{
    UpdateGrid(LOGPtr, LOGIndex);
    FView->horizontalHeader()->setFixedHeight(CaptionRowHeight());
    FView->verticalHeader()->setDefaultSectionSize(DataRowHeight());
    applyColumnWidths();
    fitTextColumns();
    showCounts();
    // As wide as the grid (or the input strip), never wider or taller than the screen.
    const QMargins m = layout()->contentsMargins();
    const int top = FStrip->widget()->sizeHint().width() + FGenerate->sizeHint().width() * 2 + 12;
    int w = std::max(gridWidth(), top) + m.left() + m.right();
    int h = std::max(height(), kWindowHeight); // the message service sizes a dialog to its hint first
    if (const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen()) {
        const QRect area = s->availableGeometry();
        // The frame the window system adds (none before the first show).
        const int frameW = frameGeometry().width() - geometry().width();
        const int frameH = frameGeometry().height() - geometry().height();
        w = std::min(w, area.width() - frameW);
        h = std::min(h, area.height() - frameH);
    }
    resize(w, h);
}

void TSimuForm::fitTextColumns()
{
    if (!LOGPtr) return;
    const QFontMetrics grid(FView->font());
    const int margin = 2 * FView->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, FView) + 4;
    for (const int c : kTextColumns) {
        // Few distinct texts, so each is measured once.
        QSet<QString> texts;
        const int shown = std::min(FGrid->ShownRows(), LOGIndex);
        for (int r = 0; r < shown; ++r) texts.insert(TSimuGridModel::CellText((*LOGPtr)[std::size_t(r)], r + 1, c));
        int width = FView->columnWidth(c);
        for (const QString& t : std::as_const(texts)) width = std::max(width, grid.horizontalAdvance(t) + margin);
        FView->setColumnWidth(c, width);
    }
}

void TSimuForm::showCounts()
{
    FStatus[1]->setText(QStringLiteral("Rows: %1").arg(LOGIndex));
    FStatus[2]->setText(QStringLiteral("Double-click a value to edit it."));
}

void TSimuForm::UpdateGrid(TLogArray* f_LOGPtr, int f_LOGIndex)
{
    ClearGrid();
    FGrid->SetRows(f_LOGPtr);
    FGrid->UpdateGrid(f_LOGPtr ? f_LOGIndex : 0);
}

void TSimuForm::ClearGrid()
{
    FGrid->ClearGrid();
}

void TSimuForm::UpdateRecord(int f_row)
{
    FGrid->UpdateRecord(f_row);
}

void TSimuForm::SimulateIndex()
{
    const TSimulationInputs in = Inputs();
    FGrid->SimulateIndex(in.StartIndex, in.TotalIndex);
}

void TSimuForm::setBusy(bool busy)
{
    FInputs->setEnabled(!busy);
    FGenerate->setEnabled(!busy);
    FOk->setEnabled(!busy);
}

bool TSimuForm::Simulate()
{
    if (FSimulating) return false;
    const TSimulationInputs in = Inputs();
    // The grid has 12 288 data rows and the row array one more; a period or cycle below one
    // minute would stop the clock or divide by zero.
    const QString problem = CheckSimulationInputs(in);
    if (!problem.isEmpty()) {
        FService.show({QMessageBox::Warning, kCaption, problem + QStringLiteral("\rNothing was generated."),
                       QMessageBox::Ok, QMessageBox::NoButton, TCentre::MainWindow});
        return false;
    }
    FSimulating = true;
    FStopRequested = false;
    setBusy(true);

    TProgressOptions options;
    options.caption = QStringLiteral("Simulating ...");
    options.text = QStringLiteral("Simulation in progress ... \rPlease Wait!");
    options.maximum = in.TotalIndex;
    options.cancelButton = true;
    options.smooth = true;
    options.centre = TCentre::Screen;
    auto progress = FService.showProgress(options);

    setStatus(QStringLiteral("Clearing ..."));
    ProcessPendingEvents();
    ClearGrid();
    SimulateIndex();
    LOGIndex = 0;
    setStatus(QStringLiteral("Simulation running..."));
    ProcessPendingEvents();

    const TLogSimulator simulator(in);
    LOGIndex = simulator.Generate(
        *LOGPtr,
        [&](int i) {
            progress->setPosition(i);
            if (progress->canceled() || FStopRequested) return false;
            ProcessPendingEvents(); // the Cancel button and the grid stay alive
            return true;
        },
        [this](int i) { UpdateRecord(i + 1); });

    progress.reset();
    setStatus(QStringLiteral("Simulation done."));
    showCounts();
    fitTextColumns();
    FSimulating = false;
    setBusy(false);
    if (FStopRequested) done(FPendingResult); // closed while generating: close now
    return true;
}

void TSimuForm::JvgStringGrid1SelectCell(int f_col, int f_row)
{
    FSelCol = f_col;
    FSelRow = f_row;
}

bool TSimuForm::checkEditableRow(int gridRow)
{
    // A row beyond the image would be written without being counted, so the edit would
    // vanish with the next save: such rows are not edited.
    if (gridRow <= LOGIndex) return true;
    const QString text = LOGIndex == 0
                             ? QStringLiteral("There is no row to edit yet.\rGenerate an image or read the logger first.")
                             : QStringLiteral("Row %1 is not part of the image.\rOnly rows 1 to %2 can be edited.")
                                   .arg(gridRow)
                                   .arg(LOGIndex);
    FService.show({QMessageBox::Information, QStringLiteral("Edit Value"), text, QMessageBox::Ok,
                   QMessageBox::NoButton, TCentre::MainWindow});
    return false;
}

void TSimuForm::JvgStringGrid1DblClick()
{
    if (FSimulating || !LOGPtr) return;
    const int column = FSelCol, gridRow = FSelRow;
    const TEditKind kind = editKind(column);
    if (kind == TEditKind::None || gridRow < 1 || gridRow > TSimuGridModel::kRows) return;
    if (!checkEditableRow(gridRow)) return;

    THART_PAS_LOG_Row& r = (*LOGPtr)[std::size_t(gridRow - 1)];
    QString text = TSimuGridModel::CellText(r, gridRow, column).trimmed();
    // The row is written whether the editor was left with OK or not: after Cancel the
    // cell's own text is read and stored again.
    switch (kind) {
    case TEditKind::Event: {
        const int code = FEditor->ShowEvent(text);
        r.event = quint8(code);
        r.eventstr = text.trimmed();
        break;
    }
    case TEditKind::Float: storeNumber(r, column, FEditor->ShowFloat(text, decimals(column))); break;
    case TEditKind::Hex: {
        const quint16 word = quint16(FEditor->ShowHex(text, 4));
        if (column == 15) r.es.error = word;
        else r.es.status = word;
        break;
    }
    case TEditKind::None: break;
    }
    UpdateRecord(gridRow);
}

void TSimuForm::showEvent(QShowEvent* event)
{
    LOGPtr = &FStore.LogRows();
    LOGIndex = FStore.LogCount();
    Render();
    QDialog::showEvent(event);
}

void TSimuForm::done(int result)
{
    if (FSimulating) {
        // Closing stops the generation after the current row; Simulate closes then.
        FStopRequested = true;
        FPendingResult = result;
        return;
    }
    FStore.SetLogCount(LOGIndex);
    QDialog::done(result);
}

} // namespace quentry
