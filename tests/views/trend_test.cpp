// The trend window: filters and their messages, series and axis rules, click selection,
// zoom, tooltip and printing, driven offscreen with scripted boxes.
#include "messageservice.h"
#include "pdftext.h"
#include "rowdecode.h"
#include "recordpanel.h"
#include "trendchart.h"
#include "trendfilter.h"
#include "trendfixture.h"
#include "trendform.h"
#include "trendseries.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimeEdit>
#include <cmath>
#include <gtest/gtest.h>

using namespace quentry;
using namespace quentry::test;

namespace {

TTrendFilter AllChecked()
{
    TTrendFilter f;
    const QStringList items = TrendEventItems();
    f.BuildEventCodeFilterArray(items, std::vector<bool>(std::size_t(items.size()), true));
    f.BuildErrorFilterMask(std::vector<bool>(ErrorWarningMasks.size(), true));
    f.FilterBegin = -1e6;
    f.FilterEnd = 1e6;
    return f;
}

TLogRecord Rec(quint16 event, quint16 error)
{
    return TrendRecord({0, event, error, 1.0}, 1);
}

struct TTrendWindow : ::testing::Test
{
    TMessageService service;
    TLogTableModel model;
    std::unique_ptr<TTrendForm> form;

    void SetUp() override { service.setScripted(true); }

    void Open(const std::vector<TRowSpec>& rows, int firstIndex = 100)
    {
        FillTable(model, rows, firstIndex);
        form = std::make_unique<TTrendForm>(service, false);
        form->SetDataSet(&model);
        form->show(); // the show resets the filter and builds the chart
    }
    template <class T> T* Child(const char* name) { return form->findChild<T*>(QString::fromLatin1(name)); }
    void Check(const char* list, int item, bool on)
    {
        Child<QListWidget>(list)->item(item)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
    QStringList Messages() const
    {
        QStringList texts;
        for (const TMessage& m : service.shownMessages()) texts << m.text;
        return texts;
    }
};

} // namespace

TEST(TrendFilter, OffersEveryEventTextButNothingAndRead)
{
    const QStringList items = TrendEventItems();
    EXPECT_EQ(items.size(), 38);
    EXPECT_FALSE(items.contains("READ"));
    EXPECT_FALSE(items.contains("NOTHING"));
}

TEST(TrendFilter, EventsAndErrorBitsDecideWhichRowsPass)
{
    TTrendFilter f = AllChecked();
    struct Case { quint16 event, error; bool passes; };
    const Case allChecked[] = {
        {0, 0, false},    {4, 0, false},  {40, 0, false}, {51, 0, false}, {255, 0, false}, {256 + 7, 0, true},
        {1, 0, true},     {39, 0, true},  {7, 0x0001, true}, {7, 0x1000, true}, {7, 0x2000, false},
        {7, 0xE000, false}, {7, 0x8001, true},
    };
    for (const Case& c : allChecked)
        EXPECT_EQ(f.DataSetFilterRecord(Rec(c.event, c.error)), c.passes) << c.event << " " << c.error;

    // Every error item unchecked: error word 0 still passes, any other word does not.
    EXPECT_TRUE(f.BuildErrorFilterMask(std::vector<bool>(13, false)));
    EXPECT_EQ(f.ErrorFilterMask, 0);
    EXPECT_TRUE(f.DataSetFilterRecord(Rec(7, 0)));
    EXPECT_FALSE(f.DataSetFilterRecord(Rec(7, 0x0001)));
    EXPECT_FALSE(f.BuildErrorFilterMask(std::vector<bool>(13, false))) << "unchanged mask";

    // Every event item unchecked: nothing passes.
    const QStringList items = TrendEventItems();
    EXPECT_TRUE(f.BuildEventCodeFilterArray(items, std::vector<bool>(std::size_t(items.size()), false)));
    EXPECT_EQ(f.EventCodeFilter[7], TTrendFilter::kUnchecked);
    EXPECT_EQ(f.EventCodeFilter[4], TTrendFilter::kNotOffered);
    EXPECT_FALSE(f.DataSetFilterRecord(Rec(7, 0)));
}

TEST(TrendFilter, RangeIsInclusiveWithinOneMillisecond)
{
    TTrendFilter f = AllChecked();
    TLogRecord r = Rec(7, 0);
    const double ms = 1.0 / 86400000.0;
    f.FilterBegin = r.recdatetim + 0.5 * ms;
    f.FilterEnd = r.recdatetim - 0.5 * ms;
    EXPECT_TRUE(f.DataSetFilterRecord(r));
    f.FilterBegin = r.recdatetim + 2 * ms;
    EXPECT_FALSE(f.DataSetFilterRecord(r));
    f.FilterBegin = r.recdatetim;
    f.FilterEnd = r.recdatetim - 2 * ms;
    EXPECT_FALSE(f.DataSetFilterRecord(r));
}

TEST(TrendSeries, LeftAxisStartsAtThreeAndGrowsByOnePercent)
{
    struct Case { double pv, max; };
    for (const Case c : {Case{2.97, 3.0}, Case{3.5, 3.535}, Case{0.0, 3.0}}) {
        TLogTableModel model;
        FillTable(model, {{0, 7, 0, 1.0}, {5, 7, 0, c.pv}});
        TLogFilterProxy proxy;
        proxy.setSourceModel(&model);
        TTrendSeries s;
        TTrendFlags flags;
        ASSERT_TRUE(s.RefreshChartLeft(proxy, TRightAxis::None, flags));
        EXPECT_NEAR(s.Axes.LeftMax, c.max, 1e-12) << c.pv;
        EXPECT_EQ(s.Axes.LeftMin, 0.0);
    }
}

TEST(TrendSeries, RightAxisRangesFollowTheChoice)
{
    TLogTableModel model;
    FillTable(model, RisingRows(20)); // current 4.5 .. 4.69, temp 20.5 .., LEV 0.1 .. 0.138
    TLogFilterProxy proxy;
    proxy.setSourceModel(&model);
    TTrendSeries s;
    s.RefreshChartRight(model, TRightAxis::OutputCurrent);
    EXPECT_EQ(s.Axes.RightMin, 0.0);
    EXPECT_EQ(s.Axes.RightMax, 23.0);
    EXPECT_EQ(s.Axes.RightTitle, "Output Current");
    EXPECT_EQ(s.RightSeriesTitle, "Current");
    s.RefreshChartRight(model, TRightAxis::Temperature);
    EXPECT_EQ(s.Axes.RightMin, -50.0);
    EXPECT_EQ(s.Axes.RightMax, 150.0);
    EXPECT_EQ(s.Axes.RightTitle, "Sensor Temperature");
    EXPECT_EQ(s.Right.size(), 20);

    // Level: reset to 0.1 by the right-axis rebuild, then only growing in the left rebuild.
    s.RefreshChartRight(model, TRightAxis::Level);
    const double fullMax = s.Axes.RightMax;
    EXPECT_NEAR(fullMax, (0.5 + 0.19) / 5 * 1.01, 1e-9);
    proxy.SetRecordFilter([](const TLogRecord& r, int) { return r.PV < 0.55; });
    TTrendFlags flags;
    flags.IsTrendValid = true;
    ASSERT_TRUE(s.RefreshChartLeft(proxy, TRightAxis::Level, flags));
    EXPECT_EQ(s.Axes.RightMax, fullMax) << "kept although the passing rows are lower";
    EXPECT_FALSE(flags.Any());
    EXPECT_EQ(flags.LastRightAxisIndex, int(TRightAxis::Level));
    s.RefreshChartRight(model, TRightAxis::Distance);
    EXPECT_EQ(s.Axes.RightTitle, "DIST");
    EXPECT_NEAR(s.Axes.RightMax, (6 - 0.5 / 5) * 1.01, 1e-9);

    s.RefreshChartRight(model, TRightAxis::None);
    EXPECT_FALSE(s.Axes.RightVisible);
    EXPECT_FALSE(s.RightActive);
    EXPECT_EQ(s.Right.size(), 0);
}

TEST(TrendSeries, LinesBreakWhereRowsAreMissingNotWhereTheFilterHidesRows)
{
    // Five-minute rows; three indices skipped after position 4, and after position 8 an
    // hour without a row while the index goes on.
    struct Row { int minute; quint16 index; };
    const Row rows[] = {{0, 100},  {5, 101},  {10, 102}, {15, 103}, {35, 107},
                        {40, 108}, {45, 109}, {50, 110}, {110, 111}, {115, 112}};
    std::vector<TLogRecord> records;
    for (const Row& r : rows) records.push_back(TrendRecord({r.minute, 7, 0, 1.0 + r.minute / 100.0}, r.index));
    TLogTableModel model;
    model.SetRecords(std::move(records));
    EXPECT_EQ(FindGapBreaks(model), (std::vector<int>{4, 8}));

    // Positions 2 and 5 hidden: the line goes on over 2, and still breaks before 6.
    TLogFilterProxy proxy;
    proxy.setSourceModel(&model);
    proxy.SetRecordFilter([](const TLogRecord& r, int) { return r.recindex != 101 && r.recindex != 107; });
    TTrendSeries s;
    TTrendFlags flags;
    flags.IsTrendValid = true;
    ASSERT_TRUE(s.RefreshChartLeft(proxy, TRightAxis::Temperature, flags));
    EXPECT_EQ(s.PV.x, (QVector<double>{1, 3, 4, 4.5, 6, 7, 8, 8.5, 9, 10}));
    for (int i = 0; i < s.PV.size(); ++i) EXPECT_EQ(std::isnan(s.PV.y[i]), i == 3 || i == 7) << i;
    EXPECT_EQ(s.Right.x, s.PV.x);
    EXPECT_TRUE(std::isnan(s.Right.y[3]));
    s.RefreshChartRight(model, TRightAxis::Temperature);
    EXPECT_EQ(s.Right.x, (QVector<double>{1, 2, 3, 4, 4.5, 5, 6, 7, 8, 8.5, 9, 10}));

    // The chart gets the break point, and the rows beside it keep their labels.
    TTrendChart chart;
    chart.SetRecordSource([&model](int p) { return &model.Record(p - 1); });
    ASSERT_TRUE(s.RefreshChartLeft(proxy, TRightAxis::None, flags));
    chart.ShowSeries(s);
    const auto point = chart.PVSeries()->data()->findBegin(4.5, false);
    ASSERT_NE(point, chart.PVSeries()->data()->constEnd());
    EXPECT_EQ(point->key, 4.5);
    EXPECT_TRUE(std::isnan(point->value));
    EXPECT_EQ(chart.BottomLabel(4), "2015.03.07.\n14:15");
    EXPECT_TRUE(chart.BottomLabel(5).isEmpty()) << "hidden row, no point";
}

TEST_F(TTrendWindow, ShowPlotsEveryPassingRowWithEchoMarksAndTheFirstRowInThePanel)
{
    Open(RisingRows(30));
    EXPECT_TRUE(service.shownMessages().isEmpty());
    const TTrendSeries& s = form->Series();
    EXPECT_EQ(s.PV.size(), 30);
    EXPECT_EQ(s.Echo.x, (QVector<double>{4, 14, 24}));
    EXPECT_EQ(s.Echo.y[0], s.PV.y[3]);
    EXPECT_EQ(form->Chart().BottomMin(), 1);
    EXPECT_EQ(form->Chart().BottomMax(), 30);
    EXPECT_EQ(s.FirstRecIndex, 100);
    EXPECT_EQ(form->CurrentPosition(), 1);
    EXPECT_EQ(form->Panel().ValueText("Index:"), "100");
    EXPECT_EQ(form->Panel().ValueText("PV:"), "0.5 m");
    EXPECT_EQ(form->Chart().BottomLabel(1), "2015.03.07.\n14:00");
    EXPECT_EQ(form->Chart().BottomLabel(13), "2015.03.07.\n15:00");
    EXPECT_FALSE(form->Chart().RightSeries()->visible());
    EXPECT_EQ(form->Flags().LastRightAxisIndex, 0);
}

TEST_F(TTrendWindow, RefusedRangesSayWhyAndChangeNothing)
{
    Open(RisingRows(300)); // 14:00 on 7 March .. 14:55 on 8 March
    auto* bd = Child<QDateEdit>("BeginDate");
    auto* bt = Child<QTimeEdit>("BeginTime");
    auto* ed = Child<QDateEdit>("EndDate");
    auto* et = Child<QTimeEdit>("EndTime");
    const QString refused = "Date And Time Filters are Not Correct!\rPlease Check Date And Time Settings.";

    bd->setDate(QDate(2015, 3, 9));
    form->ApplyFilter();
    EXPECT_EQ(Messages(), QStringList{refused});
    EXPECT_EQ(form->Chart().BottomMax(), 300) << "unchanged";

    service.clearShown();
    bd->setDate(QDate(2015, 3, 8));
    ed->setDate(QDate(2015, 3, 8));
    bt->setTime(QTime(10, 1));
    et->setTime(QTime(10, 0));
    form->ApplyFilter();
    EXPECT_EQ(Messages(), QStringList{refused});

    service.clearShown();
    bt->setTime(QTime(10, 0));
    form->ApplyFilter();
    EXPECT_TRUE(Messages().isEmpty()) << "equal times are a range of one instant";
    EXPECT_EQ(form->Proxy()->rowCount(), 1);
}

TEST_F(TTrendWindow, ADateOnlyChangeKeepsThePointsAndNarrowsTheBottomAxis)
{
    Open(RisingRows(48)); // 14:00 .. 17:55
    Child<QTimeEdit>("BeginTime")->setTime(QTime(15, 0));
    Child<QTimeEdit>("EndTime")->setTime(QTime(16, 0));
    form->ApplyFilter();
    EXPECT_EQ(form->Series().PV.size(), 48) << "nothing re-plotted";
    EXPECT_EQ(form->Chart().BottomMin(), 13);
    EXPECT_EQ(form->Chart().BottomMax(), 25);
    EXPECT_EQ(form->Proxy()->rowCount(), 13);
    EXPECT_EQ(form->CurrentPosition(), 13);

    // A log within one day: only the times can be changed.
    EXPECT_FALSE(Child<QDateEdit>("BeginDate")->isEnabled());
    EXPECT_FALSE(Child<QDateEdit>("EndDate")->isEnabled());
    // "Reset Date" brings the whole range back.
    Child<QPushButton>("ButtonDate")->click();
    EXPECT_EQ(form->Chart().BottomMin(), 1);
    EXPECT_EQ(form->Chart().BottomMax(), 48);
}

TEST_F(TTrendWindow, NoPassingRowSaysSoOnceAndLeavesTheChartEmpty)
{
    Open(RisingRows(10));
    form->findChild<QAction*>("DeselectAll1")->trigger();
    form->ApplyFilter();
    EXPECT_EQ(Messages(), QStringList{"No Filtered result."});
    EXPECT_EQ(form->Series().PV.size(), 0);
    EXPECT_TRUE(form->Panel().isHidden());

    // The range alone narrowed to nothing: the bottom axis stays at 0..0.
    service.clearShown();
    form->findChild<QAction*>("SelectAll1")->trigger();
    form->ApplyFilter();
    EXPECT_EQ(form->Series().PV.size(), 10);
    Child<QTimeEdit>("BeginTime")->setTime(QTime(14, 1));
    Child<QTimeEdit>("EndTime")->setTime(QTime(14, 4));
    form->ApplyFilter();
    EXPECT_EQ(Messages(), QStringList{"No Filtered result."});
    EXPECT_EQ(form->Chart().BottomMin(), 0);
    EXPECT_EQ(form->Chart().BottomMax(), 0);
}

TEST_F(TTrendWindow, ARightAxisChangeAloneCoversRowsTheEventFilterHides)
{
    std::vector<TRowSpec> rows = RisingRows(20);
    for (int i = 0; i < 20; i += 2) rows[std::size_t(i)].event = 8; // every other row another event
    Open(rows);
    // Uncheck the event of code 8.
    auto* events = Child<QListWidget>("JvxCheckListBoxEvent");
    const QString text8 = QString::fromLatin1(std::string(EventTextList()[8]).c_str());
    events->findItems(text8, Qt::MatchExactly).first()->setCheckState(Qt::Unchecked);
    form->ApplyFilter();
    EXPECT_EQ(form->Series().PV.size(), 10);

    Child<QComboBox>("ComboBoxRightAxis")->setCurrentIndex(3);
    EXPECT_TRUE(form->Flags().IsTrendValid);
    form->ApplyFilter();
    EXPECT_EQ(form->Series().PV.size(), 10);
    EXPECT_EQ(form->Series().Right.size(), 20);
    EXPECT_TRUE(form->Chart().yAxis2->visible());
    EXPECT_EQ(form->Chart().yAxis2->range().upper, 23.0);
    EXPECT_EQ(form->Chart().RightSeries()->name(), "Current");
    EXPECT_FALSE(form->Flags().IsTrendValid);

    Child<QComboBox>("ComboBoxRightAxis")->setCurrentIndex(0);
    form->ApplyFilter();
    EXPECT_FALSE(form->Chart().yAxis2->visible());
    EXPECT_FALSE(form->Chart().RightSeries()->visible());
}

TEST_F(TTrendWindow, AClickSelectsThePassingRowUnderThePointer)
{
    // First table row passing, indices rising by one: position 5 is FirstRecIndex + 4.
    Open(RisingRows(12));
    form->Chart1Click(5);
    EXPECT_EQ(form->CurrentPosition(), 5);
    EXPECT_EQ(form->Panel().ValueText("Index:"), "104");

    // The first two rows hidden and indices wrapping at 65535: FirstRecIndex + n - 1 would
    // name another row (or none); the row under the pointer is the one at position n.
    std::vector<TRowSpec> rows = RisingRows(12);
    rows[0].event = rows[1].event = 0;
    rows[6].event = 0;
    Open(rows, 65533);
    EXPECT_EQ(form->Series().FirstRecIndex, 65535);
    form->Chart1Click(5);
    EXPECT_EQ(form->CurrentPosition(), 5);
    EXPECT_EQ(form->Panel().ValueText("Index:"), "1");
    form->Chart1Click(7); // hidden: the nearest passing row, the lower one on a tie
    EXPECT_EQ(form->CurrentPosition(), 6);
    form->Chart1Click(40);
    EXPECT_EQ(form->CurrentPosition(), 12);
}

TEST_F(TTrendWindow, ClickZoomAndTooltipWorkOnTheDrawnChart)
{
    Open(RisingRows(100));
    TTrendChart& chart = form->Chart();
    chart.resize(900, 400);
    chart.replot();
    const int x5 = int(chart.xAxis->coordToPixel(5));
    EXPECT_EQ(chart.PositionAt(x5), 5);

    chart.ZoomBottom(40, 60);
    EXPECT_TRUE(chart.Zoomed());
    chart.replot();
    const int x50 = int(chart.xAxis->coordToPixel(50));
    EXPECT_EQ(chart.PositionAt(x50), 50);
    emit chart.PositionClicked(chart.PositionAt(x50));
    EXPECT_EQ(form->CurrentPosition(), 50);

    const QPoint at(x50, int(chart.yAxis->coordToPixel(form->Series().PV.y[49])));
    const QString tip = chart.ToolTipAt(at);
    EXPECT_TRUE(tip.startsWith("2015.03.07. 18:05:00")) << tip.toStdString();
    EXPECT_TRUE(tip.contains("PV: 0.990")) << tip.toStdString();
    EXPECT_TRUE(tip.contains("EV7"));
    EXPECT_TRUE(chart.ToolTipAt(at + QPoint(0, 40)).isEmpty());

    chart.ShowAll();
    EXPECT_FALSE(chart.Zoomed());
}

TEST_F(TTrendWindow, CloseShowsEveryRowAgainThroughTheCallersProxy)
{
    FillTable(model, RisingRows(10));
    TLogFilterProxy mainProxy;
    mainProxy.setSourceModel(&model);
    form = std::make_unique<TTrendForm>(service, false);
    form->SetDataSet(&mainProxy);
    form->show();
    form->findChild<QAction*>("MenuItem1")->trigger();
    Check("JvxCheckListBoxEvent", 0, false);
    Child<QTimeEdit>("BeginTime")->setTime(QTime(14, 20));
    form->ApplyFilter();
    EXPECT_EQ(mainProxy.rowCount(), 6);
    form->reject();
    EXPECT_EQ(mainProxy.rowCount(), 10);
}

TEST_F(TTrendWindow, PrintWritesOnePageWithTheChart)
{
    Open(RisingRows(500));
    QTemporaryDir dir;
    const QString pdf = dir.filePath("trend.pdf");
    service.queueDialogAnswer([&](QDialog& d) {
        auto* print = qobject_cast<QPrintDialog*>(&d);
        EXPECT_NE(print, nullptr);
        print->printer()->setOutputFormat(QPrinter::PdfFormat);
        print->printer()->setOutputFileName(pdf);
        return int(QDialog::Accepted);
    });
    Child<QPushButton>("ButtonPrint")->click();
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_EQ(QString::fromLatin1(bytes).count(QRegularExpression("/Type\\s*/Page[^s]")), 1);
    EXPECT_GT(bytes.size(), 20000) << "500 points and their axes are drawn";
    EXPECT_TRUE(service.shownMessages().isEmpty());
    // Texts keep their size against the plot when the chart is scaled to the page: the
    // title stays about 11 points high instead of taking the printer's resolution.
    if (const auto boxes = PdfText(pdf, {"-bbox"})) {
        const QRegularExpression title(R"re(yMin="([\d.]+)" xMax="[\d.]+" yMax="([\d.]+)">Trend<)re");
        const QRegularExpressionMatch m = title.match(*boxes);
        ASSERT_TRUE(m.hasMatch()) << boxes->left(2000).toStdString();
        const double height = m.captured(2).toDouble() - m.captured(1).toDouble();
        EXPECT_GT(height, 5.0);
        EXPECT_LT(height, 20.0);
    }

    // A cancelled printer dialog prints nothing; the legend is back beside the plot.
    QFile::remove(pdf);
    Child<QPushButton>("ButtonPrint")->click();
    EXPECT_FALSE(QFile::exists(pdf));

    // The same chart as PDF and PNG through "Save as PDF/PNG...".
    for (const char* name : {"saved.pdf", "saved.png"}) {
        const QString path = dir.filePath(name);
        service.queueFileName(path);
        form->SaveChartAs();
        EXPECT_GT(QFileInfo(path).size(), 5000) << name;
    }
    // A name without a suffix becomes a PDF; a path that cannot be written says so.
    service.queueFileName(dir.filePath("mail"));
    form->SaveChartAs();
    EXPECT_TRUE(QFile::exists(dir.filePath("mail.pdf")));
    service.queueFileName(dir.filePath("no/such/dir/chart.png"));
    form->SaveChartAs();
    ASSERT_FALSE(service.shownMessages().isEmpty());
    EXPECT_TRUE(service.shownMessages().last().text.startsWith("The chart could not be written to"));
}
