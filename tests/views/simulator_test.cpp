// The log image simulator: the generated rows, the window over the store (generation,
// Cancel, refused inputs, editing by column) and the command-line tool writing the same
// image, driven offscreen with scripted boxes.
#include "imagefile.h"
#include "logsimulator.h"
#include "messageservice.h"
#include "rowdecode.h"
#include "simugridmodel.h"
#include "simuform.h"
#include "simulatordlgform.h"
#include "statusdecode.h"
#include "wire/datetime.h"

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace quentry;

namespace {

TSimulationInputs Defaults()
{
    TSimulationInputs in;
    in.StartDate = QDate(2020, 3, 1);
    return in;
}

double MinutesBetween(const THART_PAS_LOG_Row& a, const THART_PAS_LOG_Row& b)
{
    return (b.datetime - a.datetime) * 1440.0;
}

QByteArray Contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct TSimuWindow : ::testing::Test
{
    TMessageService service;
    TLogStore store;
    std::unique_ptr<TSimuForm> form;

    void SetUp() override
    {
        service.setScripted(true);
        form = std::make_unique<TSimuForm>(service, store);
    }
    void Generate(int rows, TSimulationInputs in = Defaults())
    {
        in.TotalIndex = rows;
        form->SetInputs(in);
        form->findChild<QPushButton*>("ButtonGenerate")->click();
    }
    QString Cell(int gridRow, int column) const
    {
        return form->Grid().index(gridRow - 1, column).data().toString();
    }
    QStringList Messages() const
    {
        QStringList texts;
        for (const TMessage& m : service.shownMessages()) texts << m.text;
        return texts;
    }
    // Double-clicks a cell with the editor answered by answer.
    void Edit(int gridRow, int column, TMessageService::TDialogAnswer answer)
    {
        service.queueDialogAnswer(std::move(answer));
        form->JvgStringGrid1SelectCell(column, gridRow);
        form->JvgStringGrid1DblClick();
    }
};

} // namespace

TEST(LogSimulator, RowsFollowTheTriangleAndTheClock)
{
    TSimulationInputs longCycle = Defaults();
    longCycle.SimulationTime = 120;
    TSimulationInputs raised = Defaults();
    raised.PVStart = 2.0;
    struct Case
    {
        const char* what;
        TSimulationInputs in;
        int row;
        double level, dist, current;
        int echoes, amplitude;
    };
    const Case cases[] = {
        {"first row", Defaults(), 0, 0.0, 6.0, 4.0, 1, 63},
        {"x = 50", Defaults(), 6, 6.0, 0.0, 20.0, 20, 3},
        {"next cycle at 60 min", Defaults(), 12, 0.0, 6.0, 4.0, 1, 63},
        {"x = 25", Defaults(), 3, 3.0, 3.0, 12.0, 11, 33},
        {"cycle 120: x = 100 at 60 min", longCycle, 12, 0.0, 6.0, 4.0, 1, 63},
        {"cycle 120: x above 100 at 65 min", longCycle, 13, 6.0, 0.0, 20.0, 20, 63},
        {"cycle 120: x above 100 at 115 min", longCycle, 23, 6.0, 0.0, 20.0, 20, 63},
        {"cycle 120: next cycle at 120 min", longCycle, 24, 0.0, 6.0, 4.0, 1, 63},
        {"PV 2..6: the span, not the limits", raised, 6, 4.0, 2.0, 20.0, 20, 3},
        {"PV 2..6: bottom", raised, 0, 0.0, 6.0, 4.0, 1, 63},
    };
    for (const Case& c : cases) {
        const THART_PAS_LOG_Row r = TLogSimulator(c.in).Row(c.row);
        EXPECT_DOUBLE_EQ(r.LEV, c.level) << c.what;
        EXPECT_DOUBLE_EQ(r.DIST, c.dist) << c.what;
        EXPECT_DOUBLE_EQ(r.PV, c.level * 5.0) << c.what;
        EXPECT_DOUBLE_EQ(r.current, c.current) << c.what;
        EXPECT_EQ(r.peakinfo_total, c.echoes) << c.what;
        EXPECT_EQ(r.peakinfo_amp, c.amplitude) << c.what;
    }

    // The fields every row carries.
    const TLogSimulator sim(Defaults());
    const THART_PAS_LOG_Row first = sim.Row(0);
    EXPECT_EQ(first.index, 1);
    EXPECT_EQ(first.event, 7);
    EXPECT_EQ(first.eventstr.str(), "SCHEDULED");
    EXPECT_EQ(first.PVunitstr.str(), UnitCodeToStr(29));
    EXPECT_EQ(first.DISTLEVunitstr.str(), UnitCodeToStr(45));
    EXPECT_EQ(first.TOTunitstr.str(), UnitCodeToStr(43));
    EXPECT_EQ(first.temperatureunitstr.str(), UnitCodeToStr(32));
    EXPECT_EQ(first.es.status, 0x4621);
    EXPECT_EQ(first.es.error, 0);
    EXPECT_EQ(first.SNratio, 80);
    EXPECT_EQ(first.debug1_phase, 3);
    EXPECT_EQ(first.chk, 0);
    EXPECT_EQ(toQDateTime(first.datetime), QDateTime(QDate(2020, 3, 1), QTime(12, 10)));

    // Five minutes apart; the 12 288th row 61 435 minutes after the first.
    EXPECT_NEAR(MinutesBetween(first, sim.Row(1)), 5.0, 1e-6);
    EXPECT_NEAR(MinutesBetween(first, sim.Row(12287)), 61435.0, 1e-6);

    // The daily swing: 12:10 (a = 710/720), midnight (710 min later), 18:00 (350 min later).
    EXPECT_NEAR(first.temperature, 49.47, 0.005);
    EXPECT_DOUBLE_EQ(sim.Row(142).temperature, 12.0);
    EXPECT_DOUBLE_EQ(sim.Row(70).temperature, 31.0);

    // The index is 16 bits wide.
    TSimulationInputs wrap = Defaults();
    wrap.StartIndex = 65535;
    EXPECT_EQ(TLogSimulator(wrap).Row(0).index, 65535);
    EXPECT_EQ(TLogSimulator(wrap).Row(1).index, 0);
}

TEST(LogSimulator, InputsThatCannotBeGeneratedAreRefused)
{
    struct Case
    {
        const char* what;
        void (*change)(TSimulationInputs&);
        bool refused;
    };
    const Case cases[] = {
        {"a full logger", [](TSimulationInputs& in) { in.TotalIndex = 12288; }, false},
        {"one row", [](TSimulationInputs& in) { in.TotalIndex = 1; }, false},
        {"more rows than the grid", [](TSimulationInputs& in) { in.TotalIndex = 12289; }, true},
        {"no rows", [](TSimulationInputs& in) { in.TotalIndex = 0; }, true},
        {"period 0", [](TSimulationInputs& in) { in.LoggerPeriod = 0; }, true},
        {"simulation time 0", [](TSimulationInputs& in) { in.SimulationTime = 0; }, true},
        {"negative simulation time", [](TSimulationInputs& in) { in.SimulationTime = -60; }, true},
    };
    for (const Case& c : cases) {
        TSimulationInputs in = Defaults();
        c.change(in);
        EXPECT_EQ(!CheckSimulationInputs(in).isEmpty(), c.refused) << c.what;
    }
}

TEST_F(TSimuWindow, GenerateFillsTheStoreAndEveryGridRow)
{
    form->adjustSize(); // as the message service does before the modal run
    form->show();
    EXPECT_EQ(form->windowTitle(), "Simulation");
    const QRect screen = form->screen()->availableGeometry();
    EXPECT_LE(form->width(), screen.width());
    EXPECT_LE(form->height(), screen.height());
    EXPECT_GE(form->height(), screen.height() * 3 / 4) << "room for the grid";
    Generate(12288);
    EXPECT_TRUE(Messages().isEmpty());
    EXPECT_EQ(form->StatusText(), "Simulation done.");
    EXPECT_EQ(form->LOGIndex, 12288);

    EXPECT_EQ(Cell(1, 0), "    1");
    EXPECT_EQ(Cell(1, 1), "1");
    EXPECT_EQ(Cell(1, 2), "2020-03-01 12:10");
    EXPECT_EQ(Cell(1, 3), "SCHEDULED");
    EXPECT_EQ(Cell(1, 4), "0.000");
    EXPECT_EQ(Cell(1, 6), "6.000");
    EXPECT_EQ(Cell(1, 12), "49.5");
    EXPECT_EQ(Cell(1, 14), "4.00");
    EXPECT_EQ(Cell(1, 15), "0000");
    EXPECT_EQ(Cell(1, 16), "4621");
    EXPECT_EQ(Cell(7, 4), "30.000");
    EXPECT_EQ(Cell(12288, 0), "12288");
    EXPECT_EQ(Cell(12288, 1), "12288");
    EXPECT_EQ(Cell(12288, 2), toQDateTime(store.Row(12287).datetime).toString("yyyy-MM-dd hh:mm"));

    // The store counts the rows once the window closes, however it closes.
    EXPECT_EQ(store.LogCount(), 0);
    form->findChild<QPushButton*>("ButtonCancel")->click();
    EXPECT_EQ(store.LogCount(), 12288);
    EXPECT_EQ(store.Row(12287), TLogSimulator(Defaults()).Row(12287));
    EXPECT_EQ(store.Row(12288), THART_PAS_LOG_Row{}) << "the spare row stays empty";

    // Shown again, the window shows the store's rows.
    form->show();
    EXPECT_EQ(form->LOGIndex, 12288);
    EXPECT_EQ(Cell(12288, 16), "4621");
}

TEST_F(TSimuWindow, RefusedInputsSayWhyAndKeepTheStore)
{
    TLogSimulator(Defaults()).Generate(store.LogRows());
    store.SetLogCount(20);
    form->show();
    struct Case
    {
        int total, period, cycle;
        QString says;
    };
    const Case cases[] = {
        {12289, 5, 60, "Total Index must lie between 1 and 12288."},
        {100, 0, 60, "Logger Period must be at least 1 min."},
        {100, 5, 0, "Simulation Time must be at least 1 min."},
    };
    for (const Case& c : cases) {
        service.clearShown();
        TSimulationInputs in = Defaults();
        in.LoggerPeriod = c.period;
        in.SimulationTime = c.cycle;
        Generate(c.total, in);
        EXPECT_EQ(Messages(), QStringList{c.says + "\rNothing was generated."});
        EXPECT_EQ(form->LOGIndex, 20);
        EXPECT_EQ(Cell(20, 1), "20") << "the grid still shows the store";
    }
    form->reject();
    EXPECT_EQ(store.LogCount(), 20);
    EXPECT_EQ(store.Row(0).es.status, 0x4621);
}

TEST_F(TSimuWindow, CancelStopsAfterTheCurrentRowAndKeepsWhatWasGenerated)
{
    store.SetLogCount(TLogSimulator(Defaults()).Generate(store.LogRows())); // an older image
    form->show();
    // The progress dialog's Cancel, pressed while row 100 is shown.
    QObject::connect(&form->Grid(), &QAbstractItemModel::dataChanged, [](const QModelIndex& from) {
        if (from.row() != 99) return;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* p = qobject_cast<QProgressDialog*>(w); p && p->isVisible()) p->cancel();
    });
    TSimulationInputs in = Defaults();
    in.StartIndex = 500;
    Generate(12288, in);
    EXPECT_EQ(form->LOGIndex, 100);
    EXPECT_EQ(form->StatusText(), "Simulation done.");
    EXPECT_EQ(Cell(100, 1), "599");
    EXPECT_EQ(Cell(101, 2), "") << "row 101 was not generated";
    form->reject(); // the window's Cancel undoes nothing
    EXPECT_EQ(store.LogCount(), 100);
    EXPECT_EQ(store.Row(99).index, 599);
    EXPECT_EQ(store.Row(100), THART_PAS_LOG_Row{}) << "the older image is gone";
}

TEST_F(TSimuWindow, ClosingWhileGeneratingStopsAndKeepsTheRows)
{
    form->show();
    QObject::connect(&form->Grid(), &QAbstractItemModel::dataChanged, form.get(), [this](const QModelIndex& from) {
        if (from.row() == 9) form->findChild<QPushButton*>("ButtonCancel")->click();
    });
    Generate(12288);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->result(), QDialog::Rejected);
    EXPECT_EQ(store.LogCount(), 10);
}

TEST_F(TSimuWindow, EditsStoreTheValueByColumn)
{
    form->show();
    Generate(10);
    const auto accept = [](QDialog&) { return int(QDialog::Accepted); };

    // Status 4621, OK without a change: 0x4621 again.
    EXPECT_EQ(Cell(1, 16), "4621");
    Edit(1, 16, [](QDialog& d) {
        EXPECT_EQ(static_cast<TSimulatorDlgForm&>(d).HexEditor()->value(), 0x4621);
        return int(QDialog::Accepted);
    });
    EXPECT_EQ(store.Row(0).es.status, 0x4621);
    EXPECT_EQ(Cell(1, 16), "4621");

    // A new error word.
    Edit(2, 15, [](QDialog& d) {
        static_cast<TSimulatorDlgForm&>(d).HexEditor()->setValue(0x2a05);
        return int(QDialog::Accepted);
    });
    EXPECT_EQ(store.Row(1).es.error, 0x2A05);
    EXPECT_EQ(Cell(2, 15), "2A05");

    // Numbers: decimals by column; a byte column keeps the low 8 bits; Cancel stores the
    // cell's own value again.
    Edit(3, 4, [](QDialog& d) {
        auto* e = static_cast<TSimulatorDlgForm&>(d).FloatEditor();
        EXPECT_EQ(e->decimals(), 3);
        e->setValue(12.5);
        return int(QDialog::Accepted);
    });
    EXPECT_DOUBLE_EQ(store.Row(2).PV, 12.5);
    EXPECT_EQ(Cell(3, 4), "12.500");
    Edit(3, 20, [](QDialog& d) {
        static_cast<TSimulatorDlgForm&>(d).FloatEditor()->setValue(300);
        return int(QDialog::Accepted);
    });
    EXPECT_EQ(store.Row(2).SNratio, 300 & 0xFF);
    Edit(3, 17, [](QDialog& d) {
        static_cast<TSimulatorDlgForm&>(d).FloatEditor()->setValue(70000);
        return int(QDialog::Accepted);
    });
    EXPECT_EQ(store.Row(2).peakinfo_amp, 70000);
    Edit(3, 14, [](QDialog& d) {
        static_cast<TSimulatorDlgForm&>(d).FloatEditor()->setValue(9.99);
        return int(QDialog::Rejected);
    });
    EXPECT_DOUBLE_EQ(store.Row(2).current, TLogSimulator(Defaults()).Row(2).current);

    // Events: a listed text gives its code; a typed text code 0 and stays as typed.
    const QString text8 = QString::fromLatin1(EventText(8).data(), qsizetype(EventText(8).size()));
    Edit(4, 3, [&](QDialog& d) {
        auto* e = static_cast<TSimulatorDlgForm&>(d).EventEditor();
        EXPECT_EQ(e->currentText(), "SCHEDULED");
        e->setCurrentText(text8);
        return int(QDialog::Accepted);
    });
    EXPECT_EQ(store.Row(3).event, 8);
    EXPECT_EQ(store.Row(3).eventstr.str(), text8);
    Edit(5, 3, [](QDialog& d) {
        static_cast<TSimulatorDlgForm&>(d).EventEditor()->setCurrentText("Pump test");
        return int(QDialog::Accepted);
    });
    EXPECT_EQ(store.Row(4).event, 0);
    EXPECT_EQ(Cell(5, 3), "Pump test");

    // Columns without an editor change nothing.
    const THART_PAS_LOG_Row before = store.Row(5);
    Edit(6, 2, accept);
    Edit(6, 5, accept);
    EXPECT_EQ(store.Row(5), before);
    EXPECT_TRUE(Messages().isEmpty());
}

TEST_F(TSimuWindow, RowsBeyondTheImageAreNotEdited)
{
    form->show();
    // Nothing generated yet.
    Edit(1, 16, [](QDialog&) { return int(QDialog::Accepted); });
    EXPECT_EQ(Messages(), QStringList{"There is no row to edit yet.\rGenerate an image or read the logger first."});
    EXPECT_EQ(store.Row(0), THART_PAS_LOG_Row{});

    service.clearShown();
    Generate(10);
    Edit(11, 4, [](QDialog& d) {
        static_cast<TSimulatorDlgForm&>(d).FloatEditor()->setValue(1.0);
        return int(QDialog::Accepted);
    });
    EXPECT_EQ(Messages(), QStringList{"Row 11 is not part of the image.\rOnly rows 1 to 10 can be edited."});
    EXPECT_EQ(store.Row(10), THART_PAS_LOG_Row{});
    EXPECT_EQ(Cell(11, 4), "");
}

TEST(SimulatorDlgForm, EventListLeavesOutRelaysAndRead)
{
    const QStringList items = TSimulatorDlgForm::EventChoices();
    EXPECT_FALSE(items.isEmpty());
    for (const char* hidden : {"RELAYON", "RELAYOFF", "READ"}) EXPECT_FALSE(items.contains(hidden)) << hidden;
    EXPECT_TRUE(items.contains("SCHEDULED"));
    EXPECT_EQ(TSimulatorDlgForm::EventCode("SCHEDULED"), 7);
    EXPECT_EQ(TSimulatorDlgForm::EventCode("no such event"), 0);
}

TEST_F(TSimuWindow, TheCommandLineWritesTheWindowsImage)
{
    QTemporaryDir dir;
    TSimulationInputs in;
    in.StartIndex = 65500;
    in.StartDate = QDate(2019, 11, 30);
    in.StartTime = QTime(23, 55);
    in.LoggerPeriod = 7;
    in.PVStart = 1.5;
    in.PVEnd = 4.25;
    in.SimulationTime = 90;
    form->show();
    Generate(777, in);
    form->accept();
    TOperationContext context;
    ASSERT_TRUE(SaveImage(dir.filePath("window.img"), store, context).ok);

    QProcess cli;
    cli.start(QStringLiteral(QUENTRY_CLI_PROGRAM),
              {"simulate", "--out", dir.filePath("cli.img"), "--start-index", "65500", "--rows", "777", "--start",
               "2019-11-30T23:55", "--period", "7", "--pv-start", "1.5", "--pv-end", "4.25", "--cycle", "90"});
    ASSERT_TRUE(cli.waitForFinished(60000));
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    const QByteArray window = Contents(dir.filePath("window.img"));
    EXPECT_EQ(window.size(), 4 + 777 * 457);
    EXPECT_TRUE(window == Contents(dir.filePath("cli.img")));

    // It loads back like a read image.
    TLogStore loaded;
    ASSERT_TRUE(LoadImage(dir.filePath("cli.img"), loaded, context).ok);
    EXPECT_EQ(loaded.LogCount(), 777);
    EXPECT_EQ(loaded.Row(776), store.Row(776));
    EXPECT_EQ(loaded.Row(35).index, 65535);
    EXPECT_EQ(loaded.Row(36).index, 0);
}
