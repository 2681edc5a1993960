// The log window: dropping while hidden, the copy rule, clearing, the 1001-entry cap,
// colours by class and saving both lists.
#include "logentrymodel.h"
#include "logform.h"

#include <QBrush>
#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace quentry;

namespace {

QStringList classes(const TLogEntryModel& list)
{
    QStringList out;
    for (int i = 0; i < list.count(); ++i) out << list.entry(i).classText;
    return out;
}

} // namespace

TEST(LogForm, HiddenWindowDropsEverything)
{
    TLogForm form;
    form.Add("ERR", "checksum");
    form.Elog_Add("LOGGER", "notice");
    EXPECT_EQ(form.CommunicationList().count(), 0) << "the clearing notices of creation are dropped too";
    EXPECT_EQ(form.ErrorList().count(), 0);
}

TEST(LogForm, CopyRuleAndClearing)
{
    TLogForm form;
    form.show();
    const QDateTime when(QDate(2024, 5, 6), QTime(7, 8, 9));
    const struct { const char* cls; bool copied; } cases[] = {
        {"ERR", true}, {"FERR", true}, {"COMLOG", true}, {"STX", false}, {"RETRY", false}, {"err", false}};
    for (const auto& c : cases) {
        const int errorsBefore = form.ErrorList().count();
        form.Add(when, c.cls, "text");
        EXPECT_EQ(form.CommunicationList().entry(form.CommunicationList().count() - 1).classText, c.cls);
        EXPECT_EQ(form.ErrorList().count() - errorsBefore, c.copied ? 1 : 0) << c.cls;
    }
    const TLogEntry& copy = form.ErrorList().entry(form.ErrorList().count() - 1);
    EXPECT_EQ(copy.time, "07:08:09") << "the copy keeps the given time";

    form.Clr();
    ASSERT_EQ(form.CommunicationList().count(), 1);
    EXPECT_EQ(form.CommunicationList().entry(0).message, "Logger window cleared.");
    EXPECT_EQ(classes(form.ErrorList()).last(), "COMLOG") << "the notice is copied to the error list";

    form.Elog_Clr();
    ASSERT_EQ(form.ErrorList().count(), 1);
    EXPECT_EQ(form.ErrorList().entry(0).classText, "ERRORLOG");
    EXPECT_EQ(form.CommunicationList().count(), 1);
}

TEST(LogForm, ListsHoldAtMost1001Entries)
{
    TLogForm form;
    form.show();
    form.Clr();
    for (int i = 1; i <= 1001; ++i) form.Add("SEND", QString::number(i));
    ASSERT_EQ(form.CommunicationList().count(), 1001);
    EXPECT_EQ(form.CommunicationList().entry(0).message, "1") << "1002 entries so far: the notice went first";
    form.Add("SEND", "1002");
    EXPECT_EQ(form.CommunicationList().count(), 1001);
    EXPECT_EQ(form.CommunicationList().entry(0).message, "2");
    EXPECT_EQ(form.CommunicationList().entry(1000).message, "1002");
    for (int i = 0; i < 1100; ++i) form.Elog_Add("LOGGER", QString::number(i));
    EXPECT_EQ(form.ErrorList().count(), 1001);
}

TEST(LogForm, ColoursFollowTheClass)
{
    TLogEntryModel list("Class");
    const QDateTime now = QDateTime::currentDateTime();
    const struct { const char* cls; QColor time, text; QColor background; } cases[] = {
        {"STX", Qt::black, Qt::blue, {}},
        {"ACK", Qt::black, QColor(0, 128, 0), {}},
        {"FERR", Qt::black, Qt::black, Qt::red},
        {"ERR", Qt::black, Qt::black, Qt::red},
        {"FAILURE", QColor(128, 0, 0), QColor(128, 0, 0), {}},
        {"SYS", Qt::black, Qt::black, {}},
    };
    for (const auto& c : cases) {
        list.append(now, c.cls, "m");
        const int row = list.count() - 1;
        EXPECT_EQ(list.data(list.index(row, 0), Qt::ForegroundRole).value<QBrush>().color(), c.time) << c.cls;
        EXPECT_EQ(list.data(list.index(row, 2), Qt::ForegroundRole).value<QBrush>().color(), c.text) << c.cls;
        const QVariant bg = list.data(list.index(row, 1), Qt::BackgroundRole);
        if (c.background.isValid())
            EXPECT_EQ(bg.value<QBrush>().color(), c.background) << c.cls;
        else
            EXPECT_FALSE(bg.isValid()) << c.cls;
    }
    list.append(now, "RETRY", "m");
    EXPECT_TRUE(list.data(list.index(list.count() - 1, 2), Qt::BackgroundRole).isValid());
}

TEST(LogForm, HiddenErrorViewKeepsTheFirstPage)
{
    TLogForm form;
    form.show();
    form.HideErrorView();
    EXPECT_FALSE(form.ErrorLogVisible());
    auto* pages = form.findChild<QTabWidget*>("PageControl1");
    pages->setCurrentIndex(1);
    EXPECT_EQ(pages->currentIndex(), 0);
    form.ShowErrorView();
    EXPECT_TRUE(form.ErrorLogVisible());
    ASSERT_EQ(form.ErrorList().count(), 1) << "showing the error page clears it";
    pages->setCurrentIndex(1);
    EXPECT_EQ(pages->currentIndex(), 1);
}

TEST(LogForm, SaveWritesBothLists)
{
    TLogForm form;
    form.show();
    form.Clr();
    form.Elog_Clr();
    form.Add(QDateTime(QDate(2024, 1, 1), QTime(10, 0, 1)), "ERR", "no reply");
    QTemporaryDir dir;
    const QString path = dir.filePath("log.txt");
    ASSERT_TRUE(form.SaveToFile(path));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList lines = QString::fromUtf8(f.readAll()).split('\n');
    const int errorHeader = lines.indexOf("Error Log.");
    ASSERT_GT(errorHeader, 0);
    EXPECT_EQ(lines.first(), "Communication Log.");
    EXPECT_TRUE(lines.mid(1, errorHeader).contains("10:00:01\tERR\tno reply"));
    EXPECT_TRUE(lines.mid(errorHeader).contains("10:00:01\tERR\tno reply"));
    EXPECT_FALSE(form.SaveToFile(dir.filePath("missing/log.txt")));
}
