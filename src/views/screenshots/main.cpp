// quentry-views-screenshots: renders the trend window (a full generated image, narrowed to
// a few hours, temperature on the right axis) and the simulator window offscreen into PNG
// files, for the README and for a look at the layout.
//   quentry-views-screenshots <directory>
#include "logsimulator.h"
#include "logtable.h"
#include "messageservice.h"
#include "screenshotwriter.h"
#include "simuform.h"
#include "simulatordlgform.h"
#include "trendform.h"
#include "waiting.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QTemporaryDir>
#include <QTableView>
#include <QTimeEdit>
#include <cstdio>

using namespace quentry;

namespace {

TScreenshotWriter gShots;

void Save(QWidget& widget, const QString& name)
{
    gShots.save(widget, name);
}

template <class T> T* Child(QWidget& parent, const char* name)
{
    return parent.findChild<T*>(QString::fromLatin1(name));
}

} // namespace

int main(int argc, char** argv)
{
    // Offscreen on a 1920 x 1080 screen, so the windows take the size they would on a desk.
    QTemporaryDir scratch;
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if ((platform.isEmpty() || platform == "offscreen") && scratch.isValid()) {
        QFile config(scratch.filePath(QStringLiteral("screen.json")));
        if (config.open(QIODevice::WriteOnly))
            config.write(R"({"screens": [{"name": "shot", "x": 0, "y": 0, "width": 1920, "height": 1080,
                            "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
        config.close();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName().toLocal8Bit());
    }
    QApplication app(argc, argv);
    if (!gShots.open(argc, argv)) return 1;
    TMessageService service;
    service.setScripted(true); // nothing may wait for a person here

    // A full image as the simulator makes it, with a lost echo now and then.
    TLogStore store(&service);
    TSimulationInputs in;
    in.StartDate = QDate(2020, 3, 1);
    store.SetLogCount(TLogSimulator(in).Generate(store.LogRows()));
    for (int i = 5; i < store.LogCount(); i += 37) store.Row(i).es.error |= 0x0001;

    TLogTable table;
    TOperationContext context;
    context.Feedback = &service;
    table.ConvertToTable(store, context);

    TTrendForm trend(service, false);
    trend.SetDataSet(&table.Model());
    trend.show();
    WaitFor(200);
    // Six hours of the third day, temperature on the right axis.
    Child<QDateEdit>(trend, "BeginDate")->setDate(QDate(2020, 3, 3));
    Child<QTimeEdit>(trend, "BeginTime")->setTime(QTime(6, 0));
    Child<QDateEdit>(trend, "EndDate")->setDate(QDate(2020, 3, 3));
    Child<QTimeEdit>(trend, "EndTime")->setTime(QTime(12, 0));
    Child<QComboBox>(trend, "ComboBoxRightAxis")->setCurrentIndex(4);
    trend.ApplyFilter();
    trend.Chart1Click(trend.CurrentPosition() + 20);
    Child<QWidget>(trend, "ButtonApplyFilter")->setFocus(); // as after a click on "Apply"
    Child<QDateEdit>(trend, "BeginDate")->setSelectedSection(QDateTimeEdit::NoSection);
    Save(trend, QStringLiteral("trend"));
    trend.hide();

    TSimuForm simulator(service, store);
    simulator.SetInputs(in);
    simulator.show();
    simulator.GridView().selectRow(6);
    Save(simulator, QStringLiteral("simulator"));

    TSimulatorDlgForm& editor = simulator.Editor();
    editor.FloatEditor()->setDecimals(3);
    editor.FloatEditor()->setValue(30.0);
    editor.FloatEditor()->show();
    editor.show();
    Save(editor, QStringLiteral("edit-value"));
    editor.hide();
    simulator.reject();

    return gShots.exitCode();
}
