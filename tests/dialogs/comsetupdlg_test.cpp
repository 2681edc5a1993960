// The communication setup dialog and the Yes/No dialog.
#include "comsetupdlg.h"
#include "messageservice.h"
#include "waiting.h"
#include "yesnodlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>

using namespace quentry;

namespace {

void choose(QComboBox* box, int index)
{
    box->setCurrentIndex(index);
    emit box->activated(index); // as the user's pick raises it
}

} // namespace

TEST(ComSetupDlg, AdapterFixesTheProtocol)
{
    TComSetupDlgForm dlg;
    auto* adapter = dlg.findChild<QComboBox*>("ComboBoxAdapter");
    auto* mode = dlg.findChild<QComboBox*>("ComboBoxProtokol");
    EXPECT_FALSE(mode->isEnabled()) << "the user cannot change the mode";
    EXPECT_EQ(mode->currentText(), "HART");
    EXPECT_EQ(adapter->currentIndex(), -1);

    choose(adapter, 3);
    EXPECT_EQ(mode->currentText(), "FAST (MODE3)");
    EXPECT_EQ(dlg.Protokoll(), prt_MODE3);
    EXPECT_EQ(dlg.IrDAAdapterType, iratype_TAMBO);
    dlg.ButtonOKClick();
    EXPECT_EQ(dlg.Adapter(), 3);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);

    choose(adapter, 0);
    EXPECT_EQ(mode->currentText(), "HART");
    EXPECT_EQ(dlg.Protokoll(), prt_HART);
    EXPECT_EQ(dlg.IrDAAdapterType, iratype_RS232);

    // The setters select without applying the rule.
    dlg.SetAdapter(2);
    EXPECT_EQ(adapter->currentText(), "MOREL - IrDA - RS232");
    EXPECT_EQ(mode->currentText(), "HART");
    dlg.SetProtokoll(prt_MODE3);
    EXPECT_EQ(mode->currentText(), "FAST (MODE3)");

    dlg.SetQuickReplies(true);
    EXPECT_TRUE(dlg.QuickReplies());
    EXPECT_EQ(dlg.findChild<QCheckBox*>("CheckBoxQuickReplies")->text(),
              "Quick replies (end a reply as soon as it is complete)");
}

TEST(ComSetupDlg, PortListAndPortNumbers)
{
    TComSetupDlgForm dlg;
    dlg.SetPortLister([] { return QStringList{"COM1", "COM10", "COM2", "ttyUSB0"}; });
    dlg.RefreshPortList();
    auto* port = dlg.findChild<QComboBox*>("ComboBoxPort");
    ASSERT_EQ(port->count(), 4);
    EXPECT_EQ(port->currentText(), "COM1") << "replacing the items keeps the text shown";

    EXPECT_EQ(dlg.InitPortComboBoxByComPortNumber(10), 1);
    EXPECT_EQ(port->currentText(), "COM10");
    EXPECT_EQ(dlg.InitPortComboBoxByComPortNumber(7), -1);
    EXPECT_EQ(port->currentIndex(), -1);

    const struct { QString text; quint16 number; } cases[] = {
        {"COM12", 12}, {"COM3", 3}, {"COMX", 0}, {"/dev/pts/7", 0}, {"ttyUSB0", 0}};
    for (const auto& c : cases) {
        port->setEditText(c.text);
        dlg.ButtonOKClick();
        EXPECT_EQ(dlg.Port, c.number) << qPrintable(c.text);
        EXPECT_EQ(dlg.PortName(), c.text) << "the whole name is carried";
    }

    EXPECT_EQ(dlg.InitPortComboBoxByName("/dev/ttyUSB0"), 3);
    EXPECT_EQ(dlg.InitPortComboBoxByName("/dev/pts/9"), -1);
    EXPECT_EQ(dlg.PortName(), "/dev/pts/9");
}

TEST(ComSetupDlg, PortListFollowsPortsPluggedInWhileShownAndKeepsTheTypedText)
{
    TComSetupDlgForm dlg;
    QStringList present{"ttyS0"};
    int looks = 0;
    dlg.SetPortLister([&] {
        ++looks;
        return present;
    });
    dlg.SetPortPollInterval(20);
    auto* port = dlg.findChild<QComboBox*>("ComboBoxPort");
    const auto items = [port] {
        QStringList l;
        for (int i = 0; i < port->count(); ++i) l << port->itemText(i);
        return l;
    };
    dlg.show();
    EXPECT_EQ(items(), QStringList{"ttyS0"});
    port->lineEdit()->clear();
    QTest::keyClicks(port->lineEdit(), "/dev/ttyUS");

    present = {"ttyS0", "ttyUSB0"}; // plugged in
    EXPECT_TRUE(WaitUntil([&] { return items().size() == 2; }, 2000));
    EXPECT_EQ(port->currentText(), "/dev/ttyUS") << "what the user typed stays";
    EXPECT_EQ(port->lineEdit()->cursorPosition(), 10);
    present = {"ttyUSB0"}; // the other pulled out
    EXPECT_TRUE(WaitUntil([&] { return items() == QStringList{"ttyUSB0"}; }, 2000));
    EXPECT_EQ(port->currentText(), "/dev/ttyUS");

    dlg.hide();
    const int hiddenFrom = looks;
    WaitFor(100);
    EXPECT_EQ(looks, hiddenFrom) << "no looking while the dialog is not shown";
    EXPECT_EQ(TComSetupDlgForm::kPortPollMs, 1000);
}

TEST(YesNoDlg, EnterAnswersNoAndYesNeedsItsButton)
{
    TMessageService service; // not scripted: the dialog really runs
    TYesNoBottomDlgForm dlg(service);
    const auto press = [&dlg](auto action) {
        QTimer::singleShot(0, &dlg, [&dlg, action] { action(dlg); });
        // Never a hang: if the answer does not close it, the dialog is closed as No.
        QTimer::singleShot(3000, &dlg, [&dlg] { if (dlg.isVisible()) dlg.done(1000); });
    };

    press([](QDialog& d) { QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &d, Qt::Key_Return); });
    EXPECT_EQ(dlg.ShowModal("Confirmation", "Are You sure to delete all records from the Device?"),
              TYesNoBottomDlgForm::mrNo);
    EXPECT_EQ(dlg.windowTitle(), "Confirmation");
    EXPECT_EQ(dlg.Message(), "Are You sure to delete all records from the Device?");

    press([](QDialog& d) { d.findChild<QPushButton*>("ButtonYes")->click(); });
    EXPECT_EQ(dlg.ShowModal("Confirmation", "Sure?"), TYesNoBottomDlgForm::mrYes);

    press([](QDialog& d) { d.reject(); }); // Escape or the close box
    EXPECT_EQ(dlg.ShowModal("Confirmation", "Sure?"), TYesNoBottomDlgForm::mrNo);
}
