// The dialog, driven offscreen against a file-backed registry in a temporary directory;
// every box is answered by ScriptedBoxes.
#include "aboutbox.h"
#include "fileregistry.h"
#include "portselectdialog.h"
#include "rs485setting.h"
#include "scriptedboxes.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QContextMenuEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>

using namespace duvane;
namespace fs = std::filesystem;

namespace {

const QString kCom1 = QStringLiteral("COM1 - Port 0x3F8");
const QString kCom2 = QStringLiteral("COM2 - Port 0x2F8");

class PortSelectTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        dialog.reset();
        // Every action closes the key it opened.
        EXPECT_EQ(store.openKeyCount(), 0);
    }

    fs::path valueFile() const
    {
        return root / "System" / "CurrentControlSet" / "Services" / "VxD" / "RS485Port" / "RS485Port";
    }

    void storeBytes(const std::string& bytes)
    {
        fs::create_directories(valueFile().parent_path());
        std::ofstream(valueFile(), std::ios::binary) << bytes;
    }

    void storeValue(std::uint32_t value)
    {
        FileRegistry plain(root);
        ASSERT_TRUE(plain.createKey(kRs485KeyPath)->writeDword(kRs485ValueName, value));
    }

    // What a fresh look at the files finds; null when there is no such value.
    std::optional<std::uint32_t> storedValue() const
    {
        FileRegistry plain(root);
        auto key = plain.openKey(kRs485KeyPath);
        std::uint32_t value = 0;
        if (!key || !key->readDword(kRs485ValueName, value)) return std::nullopt;
        return value;
    }

    PortSelectDialog& open()
    {
        dialog = std::make_unique<PortSelectDialog>(store, boxes);
        dialog->show();
        return *dialog;
    }

    QListWidget* list() const { return dialog->findChild<QListWidget*>("portList"); }

    int selectedRow() const
    {
        const auto selected = list()->selectedItems();
        return selected.isEmpty() ? -1 : list()->row(selected.first());
    }

    void select(int row) { list()->setCurrentRow(row, QItemSelectionModel::ClearAndSelect); }

    void click(const char* button)
    {
        auto* b = dialog->findChild<QPushButton*>(button);
        ASSERT_NE(b, nullptr) << button;
        QTest::mouseClick(b, Qt::LeftButton);
    }

    void doubleClick(int row)
    {
        const QRect rect = list()->visualItemRect(list()->item(row));
        // A double-click is a press, a release and the double-click event, as from a mouse.
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, rect.center());
    }

    // The dialog is still up and has not been given a result.
    bool staysOpen() const { return dialog->isVisible() && dialog->result() == 0; }

    void expectOnlyError(const QString& text)
    {
        ASSERT_EQ(boxes.asked.size(), 1u);
        const MessageBoxRequest& box = boxes.asked.front();
        EXPECT_EQ(box.text, text);
        EXPECT_EQ(box.caption, "Error Message");
        EXPECT_EQ(box.icon, QMessageBox::Critical);
        EXPECT_EQ(box.buttons, QMessageBox::Ok);
        EXPECT_EQ(box.owner, dialog.get());
    }

    QTemporaryDir dir;
    fs::path root = fs::path(dir.path().toStdString()) / "HKEY_LOCAL_MACHINE";
    FileRegistry store{root};
    ScriptedBoxes boxes;
    std::unique_ptr<PortSelectDialog> dialog;
};

} // namespace

TEST_F(PortSelectTest, ShowsTheTwoPortsTheLabelButtonsAndHints)
{
    open();
    EXPECT_EQ(dialog->windowTitle(), "Duvane");
    EXPECT_FALSE(dialog->windowIcon().isNull());
    ASSERT_EQ(list()->count(), 2);
    EXPECT_EQ(list()->item(0)->text(), kCom1);
    EXPECT_EQ(list()->item(1)->text(), kCom2);
    const auto text = [&](const char* name) { return dialog->findChild<QLabel*>(name)->text(); };
    EXPECT_EQ(text("portLabel"), "RS-485 Comm Ports ");
    EXPECT_EQ(text("hintSelect"), "Select port from above list and select OK");
    EXPECT_EQ(text("hintReadCurrent"), "Read Current to view current port settings.");
    EXPECT_EQ(dialog->findChild<QPushButton*>("okButton")->text(), "OK");
    EXPECT_EQ(dialog->findChild<QPushButton*>("readCurrentButton")->text(), "Read Current");
    EXPECT_EQ(dialog->findChild<QPushButton*>("cancelButton")->text(), "Cancel");
    EXPECT_TRUE(dialog->findChild<QPushButton*>("okButton")->isDefault());
}

TEST_F(PortSelectTest, StartSelectsTheStoredPortAndNothingOtherwiseWithoutAMessage)
{
    struct Case
    {
        const char* what;
        std::optional<std::string> bytes; // null: no key at all
        bool failOpen;
        int row;
    };
    const Case cases[] = {
        {"no key", std::nullopt, false, -1},
        {"key without the value", std::string(), false, -1},
        {"0x2F8", std::string("\xF8\x02\x00\x00", 4), false, 1},
        {"0x3F8", std::string("\xF8\x03\x00\x00", 4), false, 0},
        {"0x2F9", std::string("\xF9\x02\x00\x00", 4), false, -1},
        {"0x2F8 in two bytes", std::string("\xF8\x02", 2), false, -1},
        {"0x2F8 but the key cannot be opened", std::string("\xF8\x02\x00\x00", 4), true, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(root);
        if (c.bytes) {
            fs::create_directories(valueFile().parent_path());
            if (!c.bytes->empty()) storeBytes(*c.bytes);
        }
        store.setFailing(FileRegistry::Operation::Open, c.failOpen);
        boxes.asked.clear();
        open();
        EXPECT_EQ(selectedRow(), c.row);
        EXPECT_TRUE(boxes.asked.empty());
    }
}

TEST_F(PortSelectTest, ConfirmedChoiceCreatesTheKeyWritesTheAddressAndEnds)
{
    open();
    ASSERT_EQ(selectedRow(), -1);
    select(1);
    click("okButton");

    ASSERT_EQ(boxes.asked.size(), 2u);
    const MessageBoxRequest& confirm = boxes.asked[0];
    EXPECT_EQ(confirm.text, "Do you wish to use:  COM2 - Port 0x2F8");
    EXPECT_EQ(confirm.caption, "Confirmation Message");
    EXPECT_EQ(confirm.icon, QMessageBox::Question);
    EXPECT_EQ(confirm.buttons, QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(confirm.owner, dialog.get());
    const MessageBoxRequest& done = boxes.asked[1];
    EXPECT_EQ(done.text, "RS-485 Port setting updated");
    EXPECT_EQ(done.caption, "Information Message");
    EXPECT_EQ(done.icon, QMessageBox::Information);
    EXPECT_EQ(done.buttons, QMessageBox::Ok);
    EXPECT_EQ(done.owner, dialog.get());

    EXPECT_EQ(storedValue(), 760u);
    std::ifstream in(valueFile(), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), std::string("\xF8\x02\x00\x00", 4));
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

TEST_F(PortSelectTest, DoubleClickWritesThatEntryOverTheStoredOne)
{
    storeValue(0x2F8);
    open();
    doubleClick(0);
    ASSERT_EQ(boxes.asked.size(), 2u);
    EXPECT_EQ(boxes.asked[0].text, "Do you wish to use:  COM1 - Port 0x3F8");
    EXPECT_EQ(storedValue(), 0x3F8u);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

TEST_F(PortSelectTest, AnythingButOkInTheConfirmationWritesNothingAndKeepsTheDialog)
{
    for (auto answer : {QMessageBox::Cancel, QMessageBox::NoButton}) {
        boxes.asked.clear();
        boxes.answers = {answer};
        open();
        select(1);
        click("okButton");
        EXPECT_EQ(boxes.asked.size(), 1u) << answer;
        EXPECT_FALSE(fs::exists(valueFile().parent_path())) << "the key must not even be created";
        EXPECT_TRUE(staysOpen());
        EXPECT_EQ(selectedRow(), 1);
    }
}

TEST_F(PortSelectTest, OkWithoutASelectionAsksForOne)
{
    open();
    click("okButton");
    expectOnlyError("A port must be selected from list");
    EXPECT_TRUE(staysOpen());
    EXPECT_FALSE(fs::exists(root));
}

TEST_F(PortSelectTest, RegistryFailuresOnOkAreReportedAndTheDialogStays)
{
    struct Case
    {
        std::vector<FileRegistry::Operation> failing;
        const char* message;
    };
    using Op = FileRegistry::Operation;
    const Case cases[] = {
        {{Op::Open, Op::Create}, "Cannot create registry key"},
        {{Op::Write}, "Cannot write value in registry"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        storeValue(0x3F8);
        open();
        for (auto op : c.failing) store.setFailing(op, true);
        boxes.asked.clear();
        boxes.answers = {QMessageBox::Ok};
        select(1);
        click("okButton");
        ASSERT_EQ(boxes.asked.size(), 2u);
        EXPECT_EQ(boxes.asked[0].caption, "Confirmation Message");
        boxes.asked.erase(boxes.asked.begin());
        expectOnlyError(c.message);
        EXPECT_TRUE(staysOpen());
        for (auto op : c.failing) store.setFailing(op, false);
        EXPECT_EQ(storedValue(), 0x3F8u);
    }
}

TEST_F(PortSelectTest, ReadCurrentShowsAndSelectsTheStoredPort)
{
    struct Case
    {
        std::uint32_t stored;
        int selectedBefore;
        const char* shown;
        int selectedAfter;
    };
    const Case cases[] = {
        {0x3F8, 1, "COM1 - Port 0x3F8", 0},
        {0x2F8, -1, "COM2 - Port 0x2F8", 1},
        {0x2F9, 1, "Uknown port number", 1},
        {0x2F9, -1, "Uknown port number", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        open();
        storeValue(c.stored); // after start, so the start-up preselection does not interfere
        list()->clearSelection();
        if (c.selectedBefore >= 0) select(c.selectedBefore);
        boxes.asked.clear();
        click("readCurrentButton");
        ASSERT_EQ(boxes.asked.size(), 1u);
        EXPECT_EQ(boxes.asked[0].text,
                  QStringLiteral("Current port setting:  %1\n\nPress OK to continue.").arg(c.shown));
        EXPECT_EQ(boxes.asked[0].caption, "Information Message");
        EXPECT_EQ(boxes.asked[0].icon, QMessageBox::Information);
        EXPECT_EQ(boxes.asked[0].owner, dialog.get());
        EXPECT_EQ(selectedRow(), c.selectedAfter);
        EXPECT_TRUE(staysOpen());
    }
    EXPECT_EQ(storedValue(), 0x2F9u); // reading never writes
}

TEST_F(PortSelectTest, ReadCurrentFailuresAreReportedAndTheDialogStays)
{
    struct Case
    {
        const char* what;
        std::optional<std::string> bytes; // null: no key
        std::optional<FileRegistry::Operation> failing;
        const char* message;
    };
    const Case cases[] = {
        {"no key", std::nullopt, std::nullopt, "Cannot open key in registry"},
        {"key refuses to open", std::string("\xF8\x02\x00\x00", 4), FileRegistry::Operation::Open,
         "Cannot open key in registry"},
        {"no value", std::string(), std::nullopt, "Cannot open value in registry"},
        {"value refuses to read", std::string("\xF8\x02\x00\x00", 4), FileRegistry::Operation::Read,
         "Cannot open value in registry"},
        {"value of two bytes", std::string("\xF8\x02", 2), std::nullopt, "Cannot open value in registry"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(root);
        open();
        if (c.bytes) {
            fs::create_directories(valueFile().parent_path());
            if (!c.bytes->empty()) storeBytes(*c.bytes);
        }
        if (c.failing) store.setFailing(*c.failing, true);
        select(0);
        boxes.asked.clear();
        click("readCurrentButton");
        expectOnlyError(c.message);
        EXPECT_TRUE(staysOpen());
        EXPECT_EQ(selectedRow(), 0);
        if (c.failing) store.setFailing(*c.failing, false);
    }
}

TEST_F(PortSelectTest, CancelEscapeAndTheCloseBoxEndWithoutWriting)
{
    const std::function<void()> ways[] = {
        [&] { click("cancelButton"); },
        [&] { QTest::keyClick(dialog.get(), Qt::Key_Escape); },
        [&] { dialog->close(); },
    };
    for (const auto& leave : ways) {
        storeValue(0x3F8);
        open();
        select(1);
        leave();
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(dialog->result(), QDialog::Rejected);
        EXPECT_TRUE(boxes.asked.empty());
        EXPECT_EQ(storedValue(), 0x3F8u);
    }
}

TEST_F(PortSelectTest, AboutBoxIsReachedFromTheContextMenu)
{
    open();
    auto* about = dialog->findChild<QAction*>("aboutAction");
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->text(), "&About Duvane...");

    // A right-click on the port list reaches the dialog's menu too.
    QStringList offered;
    QTimer::singleShot(0, dialog.get(), [&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (const QAction* action : menu->actions()) offered << action->text();
            menu->close();
        }
    });
    const QPoint at = list()->viewport()->rect().center();
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, at, list()->viewport()->mapToGlobal(at));
    QApplication::sendEvent(list()->viewport(), &rightClick);
    EXPECT_EQ(offered, QStringList{"&About Duvane..."});

    about->trigger();
    ASSERT_EQ(boxes.dialogs.size(), 1u);
    const ShownDialog& shown = boxes.dialogs.front();
    EXPECT_EQ(shown.caption, "About Duvane");
    EXPECT_EQ(shown.labels, QStringList{"Duvane Version 1.0"});
    EXPECT_EQ(shown.buttons, QStringList{"OK"});
    EXPECT_TRUE(shown.hasPixmap);
    EXPECT_EQ(shown.owner, dialog.get());
    EXPECT_TRUE(staysOpen());
}

// The real boxes: what the user sees is what the request says, and the button pressed comes back.
TEST(WidgetMessageBoxesTest, ShowsTheRequestedBoxOwnedByTheDialogAndReturnsTheAnswer)
{
    QWidget owner;
    owner.show();
    WidgetMessageBoxes boxes;
    QString caption, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QWidget* parent = nullptr;
    int buttonCount = 0;
    QTimer::singleShot(0, &owner, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return; // the test fails below; exec() was then never entered
        caption = box->windowTitle();
        text = box->text();
        icon = box->icon();
        parent = box->parentWidget();
        buttonCount = static_cast<int>(box->buttons().size());
        box->button(QMessageBox::Cancel)->click();
    });
    const auto answer = boxes.ask(ConfirmationBox(&owner, QStringLiteral("Do you wish to use:  x")));
    EXPECT_EQ(answer, QMessageBox::Cancel);
    EXPECT_EQ(caption, "Confirmation Message");
    EXPECT_EQ(text, "Do you wish to use:  x");
    EXPECT_EQ(icon, QMessageBox::Question);
    EXPECT_EQ(parent, &owner);
    EXPECT_EQ(buttonCount, 2);

    QTimer::singleShot(0, &owner, [&] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->accept();
    });
    AboutBox about(&owner);
    EXPECT_EQ(boxes.run(about), QDialog::Accepted);
}
