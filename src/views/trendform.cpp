#include "trendform.h"

#include "messageservice.h"
#include "recordpanel.h"
#include "trendchart.h"
#include "trendprint.h"
#include "wire/datetime.h"

#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QTimeEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace quentry {
namespace {

const QString kNoFilteredResult = QStringLiteral("No Filtered result.");
const QString kRangeNotCorrect =
    QStringLiteral("Date And Time Filters are Not Correct!\rPlease Check Date And Time Settings.");

// The standard named colours of the colour combo, then "Custom...".
const QList<QPair<const char*, QColor>>& namedColours()
{
    static const QList<QPair<const char*, QColor>> list = {
        {"Black", QColor(0, 0, 0)},       {"Maroon", QColor(128, 0, 0)},   {"Green", QColor(0, 128, 0)},
        {"Olive", QColor(128, 128, 0)},   {"Navy", QColor(0, 0, 128)},     {"Purple", QColor(128, 0, 128)},
        {"Teal", QColor(0, 128, 128)},    {"Gray", QColor(128, 128, 128)}, {"Silver", QColor(192, 192, 192)},
        {"Red", QColor(255, 0, 0)},       {"Lime", QColor(0, 255, 0)},     {"Yellow", QColor(255, 255, 0)},
        {"Blue", QColor(0, 0, 255)},      {"Fuchsia", QColor(255, 0, 255)}, {"Aqua", QColor(0, 255, 255)},
        {"White", QColor(255, 255, 255)},
    };
    return list;
}

QIcon swatch(const QColor& colour)
{
    QPixmap p(14, 14);
    p.fill(colour);
    return QIcon(p);
}

QLabel* header(const QString& text)
{
    auto* l = new QLabel(text);
    l->setAutoFillBackground(true);
    l->setAlignment(Qt::AlignCenter);
    QPalette p = l->palette();
    p.setColor(QPalette::Window, QColor(0x40, 0x40, 0x80));
    p.setColor(QPalette::WindowText, Qt::white);
    l->setPalette(p);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

QListWidget* checkList(const QString& name)
{
    auto* list = new QListWidget;
    list->setObjectName(name);
    list->setContextMenuPolicy(Qt::ActionsContextMenu);
    list->setMinimumWidth(150);
    list->setFixedHeight(104);
    return list;
}

std::vector<bool> checkStates(const QListWidget* list)
{
    std::vector<bool> states(std::size_t(list->count()));
    for (int i = 0; i < list->count(); ++i) states[std::size_t(i)] = list->item(i)->checkState() == Qt::Checked;
    return states;
}

TDateTime combine(const QDate& date, const QTime& time)
{
    return TryEncodeDateTime(date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second(),
                             time.msec())
        .value_or(0.0);
}

} // namespace

TTrendForm::TTrendForm(TMessageService& service, bool showTable, QWidget* parent)
    : QDialog(parent), FService(service), FShowTable(showTable)
{
    setObjectName(QStringLiteral("TrendForm"));
    setWindowTitle(QStringLiteral("Logger Trend Window"));
    setModal(true);
    buildWindow();
    resize(1180, 860);
    DesignWidth = width();
    DesignHeight = height();
    FFilter.ErrorFilterMask = 0;
    FChart->SetRecordSource([this](int position) -> const TLogRecord* {
        return FModel && position >= 1 && position <= FModel->RecordCount() ? &FModel->Record(position - 1) : nullptr;
    });
    connect(FChart, &TTrendChart::PositionClicked, this, &TTrendForm::Chart1Click);
}

TTrendForm::~TTrendForm()
{
    detach();
}

bool TTrendForm::TableRequested(const QStringList& arguments)
{
    return arguments.size() > 1 && arguments[1].contains(QLatin1String("/d"));
}

void TTrendForm::buildWindow()
{
    auto* menuBar = new QMenuBar(this);
    QMenu* main = menuBar->addMenu(QStringLiteral("Main"));
    main->setObjectName(QStringLiteral("Main"));
    main->addAction(QStringLiteral("Print Preview"), this, &TTrendForm::PrintPreview);
    main->addAction(QStringLiteral("Print"), this, &TTrendForm::ButtonPrintClick);
    main->addAction(QStringLiteral("Save as PDF/PNG..."), this, &TTrendForm::SaveChartAs);
    FServiceReport = main->addAction(QStringLiteral("Service Report..."), this, &TTrendForm::ServiceReportClick);
    FServiceReport->setObjectName(QStringLiteral("ServiceReport1"));
    main->addSeparator();
    main->addAction(QStringLiteral("Close"), this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(buildFilterStrip());

    FPanelHeader = header(QStringLiteral("Filtered Data Point"));
    layout->addWidget(FPanelHeader);
    FPanel = new TRecordPanel;
    // The panel is hidden while the chart is rebuilt; keeping its room spares the chart a
    // resize, and so a full redraw, on every hide and show.
    QSizePolicy keep = FPanel->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    FPanel->setSizePolicy(keep);
    layout->addWidget(FPanel);

    FTable = new QTableView;
    FTable->setObjectName(QStringLiteral("DBGrid1"));
    FTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    FTable->setSelectionMode(QAbstractItemView::SingleSelection);
    FTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FTable->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);

    auto* chartBox = new QWidget;
    auto* chartLayout = new QVBoxLayout(chartBox);
    chartLayout->setContentsMargins(0, 0, 0, 0);
    chartLayout->setSpacing(0);
    auto* chartHeader = new QHBoxLayout;
    chartHeader->setSpacing(0);
    chartHeader->addWidget(header(QStringLiteral("Filtered Trend")), 1);
    auto* showAll = new QToolButton;
    showAll->setObjectName(QStringLiteral("ShowAllButton"));
    showAll->setText(QStringLiteral("Show All"));
    showAll->setToolTip(QStringLiteral("Show the whole range again (or double-click the chart)"));
    chartHeader->addWidget(showAll);
    chartLayout->addLayout(chartHeader);
    FChart = new TTrendChart;
    FChart->setMinimumHeight(300);
    chartLayout->addWidget(FChart, 1);
    connect(showAll, &QToolButton::clicked, FChart, &TTrendChart::ShowAll);

    FSplitter = new QSplitter(Qt::Vertical);
    FSplitter->setObjectName(QStringLiteral("Splitter1"));
    FSplitter->addWidget(FTable);
    FSplitter->addWidget(chartBox);
    FSplitter->setStretchFactor(1, 3);
    FTable->hide();
    layout->addWidget(FSplitter, 1);
}

QWidget* TTrendForm::buildFilterStrip()
{
    auto* strip = new QWidget;
    auto* row = new QHBoxLayout(strip);
    row->setContentsMargins(0, 0, 0, 0);

    auto* filter = new QGroupBox(QStringLiteral(" Filter "));
    auto* grid = new QGridLayout(filter);
    auto dateEdit = [](const char* name) {
        auto* e = new QDateEdit;
        e->setObjectName(QString::fromLatin1(name));
        e->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        return e;
    };
    auto timeEdit = [](const char* name) {
        auto* e = new QTimeEdit;
        e->setObjectName(QString::fromLatin1(name));
        e->setDisplayFormat(QStringLiteral("HH:mm:ss"));
        return e;
    };
    FBeginDate = dateEdit("BeginDate");
    FBeginTime = timeEdit("BeginTime");
    FEndDate = dateEdit("EndDate");
    FEndTime = timeEdit("EndTime");
    grid->addWidget(new QLabel(QStringLiteral("Begin date:")), 0, 0);
    grid->addWidget(FBeginDate, 0, 1);
    grid->addWidget(FBeginTime, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("End date:")), 1, 0);
    grid->addWidget(FEndDate, 1, 1);
    grid->addWidget(FEndTime, 1, 2);
    auto* buttons = new QHBoxLayout;
    auto button = [&](const QString& text, const char* name) {
        auto* b = new QPushButton(text);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        buttons->addWidget(b);
        return b;
    };
    connect(button(QStringLiteral("Reset Date"), "ButtonDate"), &QPushButton::clicked, this, [this] {
        ResetDateFilter();
        ApplyFilter();
    });
    connect(button(QStringLiteral("Reset"), "ButtonResetFilter"), &QPushButton::clicked, this, &TTrendForm::ResetFilter);
    connect(button(QStringLiteral("Apply"), "ButtonApplyFilter"), &QPushButton::clicked, this, &TTrendForm::ApplyFilter);
    grid->addLayout(buttons, 2, 0, 1, 3);
    grid->setRowStretch(3, 1);

    FEventList = checkList(QStringLiteral("JvxCheckListBoxEvent"));
    FEventItems = TrendEventItems();
    for (const QString& text : FEventItems) {
        auto* item = new QListWidgetItem(text, FEventList);
        item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
        item->setCheckState(Qt::Unchecked);
    }
    FErrorList = checkList(QStringLiteral("JvxCheckListBoxErrorWarning"));
    for (const TErrorWarningMaskTable& m : ErrorWarningMasks) {
        auto* item = new QListWidgetItem(QString::fromLatin1(m.Name), FErrorList);
        item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
        item->setCheckState(Qt::Checked);
    }
    auto popup = [this](QListWidget* list, const char* deselectName, const char* selectName) {
        auto* deselect = new QAction(QStringLiteral("Deselect All"), list);
        deselect->setObjectName(QString::fromLatin1(deselectName));
        auto* select = new QAction(QStringLiteral("Select All"), list);
        select->setObjectName(QString::fromLatin1(selectName));
        connect(deselect, &QAction::triggered, this, [this, list] { checkAll(list, false); });
        connect(select, &QAction::triggered, this, [this, list] { checkAll(list, true); });
        list->addAction(deselect);
        list->addAction(select);
    };
    // Whole rows only, so no item shows cut in half.
    for (QListWidget* list : {FEventList, FErrorList})
        list->setFixedHeight(7 * list->sizeHintForRow(0) + 2 * list->frameWidth());
    popup(FEventList, "DeselectAll1", "SelectAll1");
    popup(FErrorList, "MenuItem1", "MenuItem2");
    auto listColumn = [](const QString& title, QListWidget* list) {
        auto* col = new QVBoxLayout;
        col->setSpacing(2);
        col->addWidget(new QLabel(title));
        col->addWidget(list);
        return col;
    };
    grid->addLayout(listColumn(QStringLiteral("Event Filter"), FEventList), 0, 3, 4, 1);
    grid->addLayout(listColumn(QStringLiteral("Error Event Filter"), FErrorList), 0, 4, 4, 1);
    grid->setColumnStretch(3, 2);
    grid->setColumnStretch(4, 1);
    row->addWidget(filter, 1);

    auto* trend = new QGroupBox(QStringLiteral(" Trend  "));
    auto* form = new QGridLayout(trend);
    FRightAxis = new QComboBox;
    FRightAxis->setObjectName(QStringLiteral("ComboBoxRightAxis"));
    FRightAxis->addItems({QStringLiteral("None"), QStringLiteral("Level"), QStringLiteral("Distance"),
                          QStringLiteral("Output Current"), QStringLiteral("Temperature")});
    connect(FRightAxis, &QComboBox::currentIndexChanged, this, &TTrendForm::ComboBoxRightAxisChange);
    FColour = new QComboBox;
    FColour->setObjectName(QStringLiteral("JvColorComboBox1"));
    fillColourCombo();
    connect(FColour, &QComboBox::activated, this, &TTrendForm::colourChosen);
    auto* apply = new QPushButton(QStringLiteral("Apply"));
    apply->setObjectName(QStringLiteral("ButtonApplyTrend"));
    apply->setAutoDefault(false);
    connect(apply, &QPushButton::clicked, this, &TTrendForm::ApplyFilter);
    auto* print = new QPushButton(QStringLiteral("Print"));
    print->setObjectName(QStringLiteral("ButtonPrint"));
    print->setAutoDefault(false);
    connect(print, &QPushButton::clicked, this, &TTrendForm::ButtonPrintClick);
    form->addWidget(new QLabel(QStringLiteral("Right Axis:")), 0, 0);
    form->addWidget(FRightAxis, 0, 1);
    form->addWidget(new QLabel(QStringLiteral("Color:")), 1, 0);
    form->addWidget(FColour, 1, 1);
    form->addWidget(apply, 2, 0, 1, 2);
    form->addWidget(print, 3, 0, 1, 2);
    form->setRowStretch(4, 1);
    row->addWidget(trend);
    return strip;
}

void TTrendForm::fillColourCombo()
{
    for (const auto& [name, colour] : namedColours()) FColour->addItem(swatch(colour), QString::fromLatin1(name), colour);
    FColour->addItem(QStringLiteral("Custom..."));
    FColour->setCurrentIndex(int(FColour->findText(QStringLiteral("Lime"))));
    FLastColourIndex = FColour->currentIndex();
}

QColor TTrendForm::comboColour() const
{
    return FColour->currentData().value<QColor>();
}

void TTrendForm::colourChosen(int index)
{
    if (FColour->itemText(index) == QLatin1String("Custom...")) {
        QColorDialog dialog(comboColour(), this);
        dialog.setOption(QColorDialog::DontUseNativeDialog);
        if (FService.exec(dialog, TCentre::MainWindow) != QDialog::Accepted || !dialog.currentColor().isValid()) {
            FColour->setCurrentIndex(FLastColourIndex);
            return;
        }
        const QColor c = dialog.currentColor();
        FColour->insertItem(index, swatch(c), c.name(), c);
        FColour->setCurrentIndex(index);
    }
    FLastColourIndex = FColour->currentIndex();
    FFlags.IsTrendValid = true; // shows at the next "Apply"
}

TRightAxis TTrendForm::rightChoice() const
{
    return TRightAxis(std::max(0, FRightAxis->currentIndex()));
}

void TTrendForm::ComboBoxRightAxisChange(int index)
{
    if (index == FFlags.LastRightAxisIndex) {
        FFlags.IsTrendValid = false;
    } else {
        FFlags.IsTrendValid = true;
        FFlags.LastRightAxisIndex = index;
    }
}

void TTrendForm::SetDataSet(TLogTableModel* table)
{
    detach();
    FOwnProxy = std::make_unique<TLogFilterProxy>();
    FOwnProxy->setSourceModel(table);
    SetDataSet(FOwnProxy.get());
}

void TTrendForm::SetDataSet(TLogFilterProxy* proxy)
{
    if (proxy != FOwnProxy.get()) {
        detach();
        FOwnProxy.reset();
    }
    FProxy = proxy;
    FModel = proxy ? proxy->LogModel() : nullptr;
    delete FCurrent;
    FCurrent = proxy ? new QItemSelectionModel(proxy, this) : nullptr;
    FTable->setModel(proxy);
    if (FCurrent) {
        FTable->setSelectionModel(FCurrent);
        connect(FCurrent, &QItemSelectionModel::currentRowChanged, this, &TTrendForm::showCurrentRow);
    }
}

void TTrendForm::setFiltering(bool on)
{
    if (!FProxy) return;
    if (on && FAttached)
        FProxy->SetRecordFilter([this](const TLogRecord& r, int) { return FFilter.DataSetFilterRecord(r); });
    else
        FProxy->SetRecordFilter({});
}

void TTrendForm::detach()
{
    if (FProxy && FAttached) FProxy->SetRecordFilter({});
    FAttached = false;
}

void TTrendForm::setCurrentRow(int proxyRow)
{
    if (!FCurrent || !FProxy) return;
    if (proxyRow < 0 || proxyRow >= FProxy->rowCount()) return;
    FCurrent->setCurrentIndex(FProxy->index(proxyRow, 0),
                              QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    showCurrentRow();
}

void TTrendForm::showCurrentRow()
{
    const int position = CurrentPosition();
    FPanel->ShowRecord(position > 0 ? &FModel->Record(position - 1) : nullptr);
}

int TTrendForm::CurrentPosition() const
{
    if (!FCurrent || !FProxy || !FModel) return 0;
    const QModelIndex current = FCurrent->currentIndex();
    if (!current.isValid()) return 0;
    const int row = FProxy->mapToSource(current).row();
    return row >= 0 && row < FModel->RecordCount() ? row + 1 : 0;
}

void TTrendForm::setPanelVisible(bool visible)
{
    FPanel->setVisible(visible);
    FTable->setVisible(visible && FShowTable);
}

void TTrendForm::noFilteredResult()
{
    FService.error(kNoFilteredResult);
}

void TTrendForm::checkAll(QListWidget* list, bool checked)
{
    for (int i = 0; i < list->count(); ++i) list->item(i)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

bool TTrendForm::BuildEventCodeFilterArray()
{
    return FFilter.BuildEventCodeFilterArray(FEventItems, checkStates(FEventList));
}

bool TTrendForm::BuildErrorFilterMask()
{
    return FFilter.BuildErrorFilterMask(checkStates(FErrorList));
}

void TTrendForm::ResetDateFilter()
{
    setFiltering(false);
    for (QDateTimeEdit* e : {static_cast<QDateTimeEdit*>(FBeginDate), static_cast<QDateTimeEdit*>(FBeginTime),
                             static_cast<QDateTimeEdit*>(FEndDate), static_cast<QDateTimeEdit*>(FEndTime)}) {
        e->clearMinimumDateTime();
        e->clearMaximumDateTime();
    }
    if (FModel && FModel->RecordCount() > 0) {
        FFilter.FilterBegin = FModel->Record(0).recdatetim;
        FFilter.FilterEnd = FModel->Record(FModel->RecordCount() - 1).recdatetim;
    }
    const QDateTime begin = toQDateTime(FFilter.FilterBegin), end = toQDateTime(FFilter.FilterEnd);
    FBeginDate->setDate(begin.date());
    FBeginTime->setTime(begin.time());
    FEndDate->setDate(end.date());
    FEndTime->setTime(end.time());
    const bool oneDay = begin.date() == end.date();
    FBeginDate->setEnabled(!oneDay);
    FEndDate->setEnabled(!oneDay);
    setFiltering(true);
}

void TTrendForm::ResetFilter()
{
    checkAll(FEventList, true);
    checkAll(FErrorList, true);
    {
        const QSignalBlocker block(FRightAxis);
        FRightAxis->setCurrentIndex(0);
    }
    setFiltering(false);
    FTable->hide();
    BuildEventCodeFilterArray();
    BuildErrorFilterMask();
    FAttached = true;
    ResetDateFilter();
    FTable->setEnabled(true);
    FFlags.IsTrendValid = FFlags.EventCodeFilterChanged = FFlags.ErrorFilterMaskChanged = true;
    if (!RefreshChartLeft()) {
        noFilteredResult();
        return;
    }
    FChart->SetBottomRange(FirstPassingPosition(*FProxy), LastPassingPosition(*FProxy));
    FChart->replot(QCustomPlot::rpQueuedReplot);
    FFlags.LastRightAxisIndex = FRightAxis->currentIndex();
    FFlags.IsTrendValid = false;
}

void TTrendForm::ApplyFilter()
{
    FChart->SetRightColour(comboColour());
    FChart->replot(QCustomPlot::rpQueuedReplot);
    const QDate beginDate = FBeginDate->date(), endDate = FEndDate->date();
    if (beginDate > endDate || (beginDate == endDate && FBeginTime->time() > FEndTime->time())) {
        FService.error(kRangeNotCorrect);
        return;
    }
    RenderFilter();
}

void TTrendForm::RenderFilter()
{
    FFlags.EventCodeFilterChanged = BuildEventCodeFilterArray();
    FFlags.ErrorFilterMaskChanged = BuildErrorFilterMask();
    setFiltering(false);
    FChart->SetBottomRange(0, 0);
    FFilter.FilterBegin = combine(FBeginDate->date(), FBeginTime->time());
    FFilter.FilterEnd = combine(FEndDate->date(), FEndTime->time());
    setFiltering(true);
    setCurrentRow(0);
    if (FFlags.EventCodeFilterChanged || FFlags.ErrorFilterMaskChanged) RefreshChartLeft();
    if (!FProxy || FProxy->rowCount() == 0) {
        FChart->replot(QCustomPlot::rpQueuedReplot);
        noFilteredResult();
        return;
    }
    FChart->SetBottomRange(FirstPassingPosition(*FProxy), LastPassingPosition(*FProxy));
    FChart->replot(QCustomPlot::rpQueuedReplot);
    if (FFlags.Any()) {
        RefreshChartRight();
        FFlags.LastRightAxisIndex = FRightAxis->currentIndex();
        FFlags.IsTrendValid = false;
    }
}

bool TTrendForm::RefreshChartLeft()
{
    const int rows = FModel ? FModel->RecordCount() : 0;
    auto progress = FService.showProgress({QStringLiteral("Preparing Trend Chart - PV Axis"),
                                           QStringLiteral("Please Wait"), 0, rows, 0, false, false,
                                           TCentre::MainWindow});
    setPanelVisible(false);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    const bool any = FProxy && FSeries.RefreshChartLeft(*FProxy, rightChoice(), FFlags, progress.get());
    FChart->SetRightColour(comboColour());
    FChart->ShowSeries(FSeries);
    if (any) {
        FChart->SetBottomRange(FSeries.Axes.BottomMin, FSeries.Axes.BottomMax);
        FChart->replot(QCustomPlot::rpQueuedReplot);
        setCurrentRow(0);
        setPanelVisible(true);
    }
    return any;
}

void TTrendForm::RefreshChartRight()
{
    if (!FModel) return;
    auto progress = FService.showProgress({QStringLiteral("Preparing Trend Chart - Right Axis"),
                                           QStringLiteral("Please Wait"), 0, FModel->RecordCount(), 0, false,
                                           false, TCentre::MainWindow});
    setPanelVisible(false);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    const int current = CurrentPosition();
    setFiltering(false);
    FSeries.RefreshChartRight(*FModel, rightChoice(), progress.get());
    FChart->SetRightColour(comboColour());
    setFiltering(true);
    FChart->ShowSeries(FSeries);
    if (current > 0) setCurrentRow(NearestPassingRow(*FProxy, current));
    setPanelVisible(true);
}

void TTrendForm::Chart1Click(int n)
{
    // The row under the pointer is the passing row at position n, or the nearest one.
    if (FProxy) setCurrentRow(NearestPassingRow(*FProxy, n));
}

bool TTrendForm::PrintTo(QPrinter& printer)
{
    return PrintChart(*FChart, printer, DesignSize());
}

void TTrendForm::ButtonPrintClick()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dialog(&printer, this);
    if (FService.exec(dialog, TCentre::MainWindow) != QDialog::Accepted) return;
    TWaitCursor wait;
    if (!PrintTo(printer)) FService.error(QStringLiteral("The chart could not be printed."));
}

void TTrendForm::PrintPreview()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintPreviewDialog preview(&printer, this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* p) { PrintTo(*p); });
    FService.exec(preview, TCentre::MainWindow);
}

void TTrendForm::SaveChartAs()
{
    TFileDialogRequest request;
    request.caption = QStringLiteral("Save Chart");
    request.filter = QStringLiteral("PDF document (*.pdf);;PNG image (*.png)");
    request.defaultSuffix = QStringLiteral("pdf");
    request.confirmOverwrite = true;
    const QString path = FService.getSaveFileName(request);
    if (path.isEmpty()) return;
    TWaitCursor wait;
    if (!SaveChart(*FChart, path, DesignSize()))
        FService.error(QStringLiteral("The chart could not be written to %1.").arg(path));
}

void TTrendForm::ServiceReportClick()
{
    if (OnServiceReport) OnServiceReport(FFilter.FilterBegin, FFilter.FilterEnd);
}

void TTrendForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TTrendForm::FormShow()
{
    FFlags.LastRightAxisIndex = kNoRightAxisYet;
    FServiceReport->setEnabled(bool(OnServiceReport));
    ResetFilter();
    const QColor pointer = FChart->RightColour();
    const int index = FColour->findData(pointer);
    if (index >= 0) FColour->setCurrentIndex(index);
    FLastColourIndex = FColour->currentIndex();
}

void TTrendForm::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void TTrendForm::FormClose()
{
    detach();
    FTable->setEnabled(false);
}

} // namespace quentry
