// SPDX-License-Identifier: MIT
// The setup dialogs on their records: what each selects when it opens and
// what Set, Cancel and Exit leave in the record.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "control_named.h"
#include "gui/dialogs/lpt_setup_dialog.h"
#include "gui/dialogs/net_setup_dialog.h"
#include "gui/dialogs/rs232_setup_dialog.h"
#include "scripted_prompter.h"
#include "test_window.h"

using namespace m350::gui;

namespace {

bool SameSerial(const m350::SerialSettings& a, const m350::SerialSettings& b) {
    return a.portName == b.portName && a.baud == b.baud && a.dataBits == b.dataBits &&
           a.parity == b.parity && a.stopBits == b.stopBits && a.handshake == b.handshake &&
           a.xonXoff == b.xonXoff;
}

TEST(Rs232Setup, OpensOnTheRecordAndSetStoresItUnchanged) {
    m350::SerialSettings s;
    s.portName = "COM12";
    s.baud = m350::BaudRate::k115200;
    s.dataBits = m350::DataBits::kSeven;
    s.parity = m350::Parity::kOdd;
    s.stopBits = m350::StopBits::kTwo;
    s.handshake = m350::Handshake::kNone;
    s.xonXoff = m350::XonXoff::kOn;
    const m350::SerialSettings before = s;
    Rs232SetupDialog d(s, 0);
    EXPECT_EQ(d.windowTitle(), "RS232 Setup");
    EXPECT_EQ(d.size(), QSize(325, 215));
    EXPECT_EQ(m350test::controlNamed<QComboBox>(d, "ComboBoxComPort")->count(), 30);
    EXPECT_EQ(m350test::controlNamed<QComboBox>(d, "ComboBoxComPort")->currentIndex(), 11);
    EXPECT_EQ(m350test::controlNamed<QComboBox>(d, "ComboBoxBaudRate")->currentText(), "115200");
    EXPECT_EQ(m350test::controlNamed<QComboBox>(d, "ComboBoxDataBit")->currentText(), "7");
    EXPECT_EQ(m350test::controlNamed<QComboBox>(d, "ComboBoxParity")->currentText(), "Odd");
    EXPECT_EQ(m350test::controlNamed<QComboBox>(d, "ComboBoxStopBit")->currentText(), "2");
    EXPECT_EQ(m350test::controlNamed<QComboBox>(d, "ComboBoxHdShak")->currentText(), "None");
    EXPECT_EQ(m350test::controlNamed<QComboBox>(d, "ComboBoxSWShak")->currentText(), "Xon/Xoff");
    m350test::controlNamed<QPushButton>(d, "ButtonSet")->click();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_TRUE(SameSerial(s, before));
}

TEST(Rs232Setup, CancelLeavesTheRecordAndTheEmptyBaudItemStoresSeven) {
    m350::SerialSettings s;
    {
        Rs232SetupDialog d(s, 0);
        m350test::controlNamed<QComboBox>(d, "ComboBoxComPort")->setCurrentIndex(29);
        m350test::controlNamed<QComboBox>(d, "ComboBoxParity")->setCurrentIndex(2);
        m350test::controlNamed<QPushButton>(d, "ButtonCancel")->click();
        EXPECT_EQ(d.result(), QDialog::Rejected);
    }
    EXPECT_TRUE(SameSerial(s, m350::SerialSettings{}));

    Rs232SetupDialog d(s, 0);
    ASSERT_EQ(m350test::controlNamed<QComboBox>(d, "ComboBoxBaudRate")->count(), 8);
    EXPECT_EQ(m350test::controlNamed<QComboBox>(d, "ComboBoxBaudRate")->itemText(7), "");
    m350test::controlNamed<QComboBox>(d, "ComboBoxBaudRate")->setCurrentIndex(7);
    m350test::controlNamed<QComboBox>(d, "ComboBoxComPort")->setCurrentIndex(29);
    m350test::controlNamed<QPushButton>(d, "ButtonSet")->click();
    EXPECT_EQ(s.baud, m350::BaudRate::kUnset);
    EXPECT_EQ(s.portName, "COM30");
}

TEST(Rs232Setup, AnUnknownPortNameIsKeptRatherThanTurnedIntoCom0) {
    for (const char* name : {"COM31", "COM0", "ttyS0", "COM1x", "COM"}) {
        m350::SerialSettings s;
        s.portName = name;
        Rs232SetupDialog d(s, 0);
        EXPECT_EQ(m350test::controlNamed<QComboBox>(d, "ComboBoxComPort")->currentIndex(), -1)
            << name;
        m350test::controlNamed<QPushButton>(d, "ButtonSet")->click();
        EXPECT_EQ(s.portName, name);
    }
    EXPECT_EQ(portItemIndex("COM1", "COM", 30), 0);
    EXPECT_EQ(portItemIndex("LPT4", "LPT", 4), 3);
    EXPECT_EQ(portItemIndex("LPT5", "LPT", 4), -1);
}

TEST(Rs232Setup, OffersDevicesByPathAndSetStoresTheChoice) {
    const std::vector<m350::SerialDevice> devices = {
        {"/dev/serial/by-id/usb-X-port0", "usb-X-port0"}, {"/dev/ttyS0", ""}};
    struct Case {
        std::string devicePath;  // before
        int pick;                // item chosen (-1: as opened)
        int openedOn;            // item selected when the dialog opens
        std::string after;       // devicePath after Set
        std::string portName;    // record's port name after Set
    };
    const Case cases[] = {
        {"", 31, 0, "/dev/ttyS0", "COM1"},
        {"/dev/ttyS0", -1, 31, "/dev/ttyS0", "COM1"},
        {"/dev/ttyS0", 4, 31, "", "COM5"},
        {"/dev/pts/7", -1, 32, "/dev/pts/7", "COM1"},  // unplugged or not listed: kept
    };
    for (const Case& c : cases) {
        m350::SerialSettings s;
        std::string path = c.devicePath;
        Rs232SetupDialog d(s, 0);
        d.offerDevices(path, devices);
        auto* ports = m350test::controlNamed<QComboBox>(d, "ComboBoxComPort");
        EXPECT_EQ(ports->currentIndex(), c.openedOn) << c.devicePath;
        if (c.pick >= 0) ports->setCurrentIndex(c.pick);
        m350test::controlNamed<QPushButton>(d, "ButtonSet")->click();
        EXPECT_EQ(path, c.after) << c.devicePath;
        EXPECT_EQ(s.portName, c.portName) << c.devicePath;
    }
}

TEST(LptSetup, SetStoresTheChosenPortAndCancelDoesNot) {
    std::string name = "LPT1";
    {
        LptSetupDialog d(name, 0);
        EXPECT_EQ(d.size(), QSize(321, 37));
        EXPECT_EQ(m350test::controlNamed<QComboBox>(d, "ComboBoxLPT")->currentIndex(), 0);
        m350test::controlNamed<QComboBox>(d, "ComboBoxLPT")->setCurrentIndex(3);
        m350test::controlNamed<QPushButton>(d, "ButtonCancel")->click();
    }
    EXPECT_EQ(name, "LPT1");
    LptSetupDialog d(name, 0);
    m350test::controlNamed<QComboBox>(d, "ComboBoxLPT")->setCurrentIndex(2);
    m350test::controlNamed<QPushButton>(d, "ButtonSet")->click();
    EXPECT_EQ(name, "LPT3");
    LptSetupDialog again(name, 0);
    EXPECT_EQ(m350test::controlNamed<QComboBox>(again, "ComboBoxLPT")->currentText(), "LPT3");
}

TEST(NetSetup, ProposesTheFactoryAddressOnlyWhenNoneIsSet) {
    m350test::ScriptedPrompter prompter;
    m350::NetAddress a;
    {
        NetSetupDialog d(a, 0, "CP1252", prompter, nullptr, m350test::quietNetwork());
        EXPECT_EQ(d.windowTitle(), "TCP/IP Setup");
        EXPECT_EQ(d.size(), QSize(183, 162));
        // Proposed into the record itself, even when the window is then closed.
        EXPECT_EQ(a.address, "192.168.1.100");
        EXPECT_EQ(m350test::controlNamed<QLineEdit>(d, "EditIPAddr")->text(), "192.168.1.100");
        EXPECT_EQ(m350test::controlNamed<QLineEdit>(d, "EditPort")->text(), "9100");
        EXPECT_FALSE(m350test::controlNamed<QTreeWidget>(d, "ListView1")->isVisibleTo(&d));
        EXPECT_FALSE(m350test::controlNamed<QPushButton>(d, "ButtonDiscover")->isVisibleTo(&d));
        m350test::controlNamed<QLineEdit>(d, "EditIPAddr")->setText("printer-7");
        d.reject();
    }
    EXPECT_EQ(a.address, "192.168.1.100");

    a.address = "10.1.2.3";
    a.port = 6101;
    NetSetupDialog d(a, 0, "CP1252", prompter, nullptr, m350test::quietNetwork());
    EXPECT_EQ(m350test::controlNamed<QLineEdit>(d, "EditIPAddr")->text(), "10.1.2.3");
    EXPECT_EQ(m350test::controlNamed<QLineEdit>(d, "EditPort")->text(), "6101");
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST(NetSetup, ExitStoresAddressAndPortAndRefusesABadPort) {
    m350test::ScriptedPrompter prompter;
    m350::NetAddress a;
    a.address = "10.1.2.3";
    NetSetupDialog d(a, 0, "CP1252", prompter, nullptr, m350test::quietNetwork());
    m350test::controlNamed<QLineEdit>(d, "EditIPAddr")->setText("printer-7");
    m350test::controlNamed<QLineEdit>(d, "EditPort")->setText("abc");
    m350test::controlNamed<QPushButton>(d, "ButtonExit")->click();
    // The address is taken, the port keeps its value and the window stays.
    EXPECT_EQ(a.address, "printer-7");
    EXPECT_EQ(a.port, 9100);
    EXPECT_EQ(prompter.messages, QStringList{"'abc' is not a valid integer value"});
    EXPECT_NE(d.result(), QDialog::Accepted);

    m350test::controlNamed<QLineEdit>(d, "EditPort")->setText("70000");
    m350test::controlNamed<QPushButton>(d, "ButtonExit")->click();
    EXPECT_EQ(a.port, 9100);
    EXPECT_EQ(prompter.messages.size(), 2);

    m350test::controlNamed<QLineEdit>(d, "EditPort")->setText("9101");
    m350test::controlNamed<QPushButton>(d, "ButtonExit")->click();
    EXPECT_EQ(a.port, 9101);
    EXPECT_EQ(d.result(), QDialog::Accepted);
}

TEST(NetSetup, TheAddressFieldHoldsSixtyThreeCharacters) {
    m350test::ScriptedPrompter prompter;
    m350::NetAddress a;
    NetSetupDialog d(a, 0, "CP1252", prompter, nullptr, m350test::quietNetwork());
    m350test::controlNamed<QLineEdit>(d, "EditIPAddr")->setText(QString(80, 'h'));
    m350test::controlNamed<QPushButton>(d, "ButtonExit")->click();
    EXPECT_EQ(a.address, std::string(63, 'h'));
}

}  // namespace
