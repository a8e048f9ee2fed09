// SPDX-License-Identifier: MIT
// What the operator types reaches the simulated printer exactly, or nothing
// does and a message names the box by its caption: hostile texts, numbers
// typed key by key, ranges and addresses, on the configuration pages and in
// the dialogs, compared on the wire.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>

#include "../control_named.h"
#include "../scripted_prompter.h"
#include "../test_window.h"
#include "gui/main_window.h"
#include "gui/widgets/radio_group.h"
#include "support/sim_process.h"

using namespace m350::gui;

namespace {

// One box typed and one button pressed: what the printer got, what was said.
struct Outcome {
    std::string wire;
    QStringList messages;
};

class TypedValues : public ::testing::Test {
  protected:
    void start(std::vector<std::string> simArgs) {
        sim = std::make_unique<m350test::SimProcess>(std::move(simArgs));
        ASSERT_TRUE(sim->ok()) << sim->error();
        main = std::make_unique<MainWindow>(m350test::loopbackPrinter(sim->tcpPort()),
                                            m350test::testSeams(prompter, progress));
        settle();
    }
    std::string settle() {
        sim->waitForQuiet();
        std::string out;
        const auto t = sim->transcript();
        for (std::size_t i = seen; i < t.size(); ++i) out += t[i].rx;
        seen = t.size();
        return out;
    }
    template <class T>
    T* find(const char* name) {
        return m350test::controlNamed<T>(*main, name);
    }
    // Types text into a box key by key (pasted when it holds control bytes,
    // which no key gives), presses the button, puts the box back.
    Outcome attempt(int tab, const char* box, const QString& text,
                    const char* button = "ButtonConfigSet") {
        auto* tabs = find<QTabWidget>("PageControl2");
        tabs->setCurrentIndex(tab);
        auto* e = find<QLineEdit>(box);
        const QString before = e->text();
        e->clear();
        if (!text.contains(QRegularExpression(QStringLiteral("[\\x00-\\x1f]"))))
            QTest::keyClicks(e, text);
        // What no key gives, or a box's validator refuses as typed (a minus
        // in a length), arrives as a paste would.
        if (e->text() != text) e->setText(text);
        prompter.messages.clear();
        // A box put back after an earlier row leaves its tab with an unsent
        // change; the question about it is answered yes.
        prompter.confirms.assign(1, true);
        find<QPushButton>(button)->click();
        Outcome o{settle(), prompter.messages};
        e->setText(before);
        return o;
    }

    m350test::ScriptedPrompter prompter;
    m350test::RecordingProgress progress;
    std::unique_ptr<m350test::SimProcess> sim;
    std::unique_ptr<MainWindow> main;
    std::size_t seen = 0;
};

struct Row {
    int tab;
    const char* box;
    const char* typed;
    const char* refusedBy;  // the caption the message names; nullptr: accepted
    const char* line;       // what the printer gets when accepted
};

void check(TypedValues& t, const Row& r, Outcome o, const std::string& why) {
    if (r.refusedBy) {
        EXPECT_EQ(o.wire, "") << why;
        ASSERT_EQ(o.messages.size(), 1) << why;
        EXPECT_TRUE(o.messages[0].contains(QString::fromUtf8(r.refusedBy)))
            << why << ": " << o.messages[0].toStdString();
        EXPECT_FALSE(o.messages[0].contains(QString::fromLatin1(r.box))) << why;
    } else {
        EXPECT_TRUE(o.messages.isEmpty()) << why << ": " << o.messages.join('|').toStdString();
        EXPECT_NE(o.wire.find(r.line), std::string::npos) << why << "\n" << o.wire;
    }
}

TEST_F(TypedValues, TextsGoOutAsTypedOrAreRefusedByCaption) {
    start({"--wifi", "wpa"});
    const Row rows[] = {
        {4, "EditWiFiSSID", "My\"Net", "WLAN SSID", nullptr},
        {4, "EditWiFiSSID", "AA\"\r\nINITIALPRINTER\r\n", "WLAN SSID", nullptr},
        {4, "EditWiFiSSID", "My Net", nullptr, "WLAN SSID \"My Net\"\r\n"},
        {4, "Edit1Printname", "dock\r\nKILL", "Network Printer Name", nullptr},
        {4, "EditWiFiKey", "1234567", "WLAN Key", nullptr},  // too short for WPA-Personal
        {5, "EditBTName", "Dock\"7", "Bluetooth Local Name", nullptr},
        {5, "EditBTPinCode", "12\n34", "Bluetooth PIN Code", nullptr},
        {5, "EditBTName", "Dock 7", nullptr, "BT NAME \"Dock 7\"\r\n"},
        {1, "EditControlPrefixZ", "~~", "Control Prefix", nullptr},  // never cut to one
    };
    for (const Row& r : rows) {
        const std::string why = std::string(r.box) + " <" + r.typed + ">";
        check(*this, r, attempt(r.tab, r.box, QString::fromUtf8(r.typed)), why);
    }
    // The Bluetooth master address goes between quotes too, without a gate.
    const Row dmac{5, "EditBTMAC_d", "AA\"\r\nINITIALPRINTER\r\n", "Device MAC Address", nullptr};
    check(*this, dmac, attempt(5, dmac.box, QString::fromUtf8(dmac.typed), "BlueToothMaster"),
          "BT DMAC");
}

TEST_F(TypedValues, NumbersTakeTheirWholeRangeAndPrecision) {
    start({});
    const Row rows[] = {
        {0, "EditSpeed", "2.5", nullptr, "SPEED 2.5\r\n"},
        {0, "EditSpeed", "3,5", nullptr, "SPEED 3.5\r\n"},
        {0, "EditSpeed", "3.25", "Speed", nullptr},  // the command carries one decimal
        {1, "EditLeftPositionZ", "123456", "Left Position", nullptr},
        {1, "EditLeftPositionZ", "-9999", nullptr, "LS-9999"},
        {0, "EditGapInten", "9999", "Gap Inten", nullptr},
    };
    for (const Row& r : rows) {
        const std::string why = std::string(r.box) + " <" + r.typed + ">";
        check(*this, r, attempt(r.tab, r.box, QString::fromUtf8(r.typed)), why);
    }
    // Letters are refused as they are typed; digits are never cut.
    auto* speed = find<QLineEdit>("EditSpeed");
    speed->clear();
    QTest::keyClicks(speed, "1x2.5.5");
    EXPECT_EQ(speed->text(), "12.55");
    for (const char* box : {"EditLeftPositionZ", "EditGapInten", "EditDarknessZ"}) {
        auto* e = find<QLineEdit>(box);
        e->clear();
        QTest::keyClicks(e, "123456");
        EXPECT_EQ(e->text(), "123456") << box;
    }
}

TEST_F(TypedValues, RangesOfPagesAndDialogsAreKept) {
    start({});
    const Row rows[] = {
        {1, "EditDarknessZ", "99", "Darkness", nullptr},
        {1, "EditDarknessZ", "30", nullptr, "SD30"},
        {0, "EditWidth", "-1", "Paper Width", nullptr},
        {1, "EditTearOffZ", "-121", "Tear Off", nullptr},
        {2, "EditHeatD", "31", "Heat", nullptr},
    };
    for (const Row& r : rows) {
        const std::string why = std::string(r.box) + " <" + r.typed + ">";
        check(*this, r, attempt(r.tab, r.box, QString::fromUtf8(r.typed)), why);
    }
    // The clock dialog stays open on a month 13 and names the box.
    struct DialogRow {
        const char* dialog;
        const char* button;
        const char* box;
        const char* typed;
        const char* ok;
        const char* caption;
    };
    const DialogRow dialogs[] = {
        {"TFormRTCSetup", "ButtonRTCSetTime", "EditMonth", "13", "ButtonSet", "Month"},
        {"TFormRTCSetup", "ButtonRTCSetTime", "EditHour", "25", "ButtonSet", "Hour"},
        {"TFormSensorCalibrate", "ButtonSensorCalibrate", "EditInten", "99", "ButtonSet",
         "Sensor Intensity"},
    };
    for (const DialogRow& d : dialogs) {
        bool stayedOpen = false;
        prompter.dialogs[d.dialog] = [&](QDialog& dialog) {
            auto* e = m350test::controlNamed<QLineEdit>(dialog, d.box);
            e->setText(QString::fromLatin1(d.typed));
            prompter.messages.clear();
            m350test::controlNamed<QPushButton>(dialog, d.ok)->click();
            stayedOpen = dialog.result() != QDialog::Accepted;
            return QDialog::Rejected;
        };
        find<QPushButton>(d.button)->click();
        settle();
        EXPECT_TRUE(stayedOpen) << d.box;
        ASSERT_EQ(prompter.messages.size(), 1) << d.box;
        EXPECT_TRUE(prompter.messages[0].contains(QString::fromLatin1(d.caption)))
            << prompter.messages[0].toStdString();
    }
}

TEST_F(TypedValues, AddressesAreDottedIpv4AndNeverReplaced) {
    start({"--wifi", "wpa"});
    auto* dhcp = find<QComboBox>("ComboBoxWiFiDHCP");
    dhcp->setCurrentIndex(1);  // OFF: the static address boxes
    find<QLineEdit>("EditWiFiIP")->setText("192.168.5.9");
    find<QLineEdit>("EditWiFiMask")->setText("255.255.255.0");
    find<QLineEdit>("EditWiFiGateway")->setText("192.168.5.1");
    const Row rows[] = {
        {4, "EditWiFiIP", "10.1.2.300", "IP", nullptr},
        {4, "EditWiFiMask", "255.255.0", "Mask", nullptr},
        {4, "EditWiFiGateway", "abc", "Gateway", nullptr},
        {4, "EditWiFiMask", "", "Mask", nullptr},  // emptied: never the stored mask
        {4, "EditWiFiIP", "192.168.5.10", nullptr,
         "WLAN IP \"192.168.5.10\",\"255.255.255.0\",\"192.168.5.1\"\r\n"},
    };
    for (const Row& r : rows) {
        const std::string why = std::string(r.box) + " <" + r.typed + ">";
        check(*this, r, attempt(r.tab, r.box, QString::fromUtf8(r.typed)), why);
    }
    // Ethernet Setup: the dialog names the address box and stays open.
    prompter.dialogs["TFormEthernetSetup"] = [&](QDialog& dialog) {
        m350test::controlNamed<RadioGroup>(dialog, "RadioGroupDHCP")->setItemIndex(1);
        m350test::controlNamed<QLineEdit>(dialog, "EditIP")->setText("10.1.2.300");
        prompter.messages.clear();
        m350test::controlNamed<QPushButton>(dialog, "ButtonSetIP")->click();
        EXPECT_NE(dialog.result(), QDialog::Accepted);
        return QDialog::Rejected;
    };
    find<QPushButton>("ButtonEthernet")->click();
    settle();
    ASSERT_EQ(prompter.messages.size(), 1);
    EXPECT_TRUE(prompter.messages[0].startsWith("\"IP\" holds \"10.1.2.300\""))
        << prompter.messages[0].toStdString();
}

}  // namespace
