// SPDX-License-Identifier: MIT
// The network utilities in their windows: the Ethernet setup dialog, its use
// over the link from ButtonEthernet (byte for byte against the simulated
// printer), and the discovery window's list, proposals and per-device
// requests against a simulator answering UDP on loopback.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <QTreeWidget>
#include <cstdlib>
#include <fstream>

#include "../control_named.h"
#include "../scripted_prompter.h"
#include "../test_window.h"
#include "core/i18n/text_encoding.h"
#include "core/net/udp_protocol.h"
#include "gui/dialogs/ethernet_setup_dialog.h"
#include "gui/dialogs/net_setup_dialog.h"
#include "gui/main_window.h"
#include "gui/widgets/form_kit.h"
#include "gui/widgets/radio_group.h"
#include "support/diagnostic_wire.h"
#include "support/sim_process.h"

using namespace m350::gui;
using m350test::controlNamed;
using m350test::kAnnounce;
using m350test::kPasswordRead;
using m350test::ScriptedPrompter;
using m350test::SimProcess;

namespace m350test {
inline std::string bytesOf(const std::vector<std::uint8_t>& v) {
    return std::string(v.begin(), v.end());
}
}  // namespace m350test

namespace {

QLineEdit* edit(QWidget& w, const char* name) {
    return controlNamed<QLineEdit>(w, name);
}
QPushButton* button(QWidget& w, const char* name) {
    return controlNamed<QPushButton>(w, name);
}
RadioGroup* dhcpRadio(QWidget& w) {
    return controlNamed<RadioGroup>(w, "RadioGroupDHCP");
}

m350::NetSettings dhcpRecord() {
    m350::NetSettings s;
    s.dhcp = true;
    s.ip = "0.0.0.0";
    s.currentIp = "10.0.0.77";
    s.mask = "255.255.255.0";
    s.gateway = "10.0.0.1";
    s.name = "Dock";
    s.mac = "02:00:00:35:00:01";
    return s;
}

// ---- Ethernet setup dialog --------------------------------------------------

TEST(EthernetSetup, OpensWithTheRecordAndTheEnableRule) {
    struct Case {
        bool dhcp;
        const char* ipShown;
        int radio;
        bool addressEnabled;
    } cases[] = {{true, "10.0.0.77", 0, false}, {false, "0.0.0.0", 1, true}};
    for (const auto& c : cases) {
        m350::NetSettings s = dhcpRecord();
        s.dhcp = c.dhcp;
        s.confirmed = true;
        EthernetSetupDialog d(s, 0, "CP1252", {40, 50});
        EXPECT_EQ(d.objectName(), "TFormEthernetSetup");
        EXPECT_EQ(d.windowTitle(), "Ethernet Setup");
        EXPECT_EQ(d.pos(), QPoint(40, 50));
        EXPECT_FALSE(s.confirmed);  // set to 0 when the dialog opens
        EXPECT_EQ(dhcpRadio(d)->itemIndex(), c.radio);
        EXPECT_EQ(edit(d, "EditIP")->text(), c.ipShown);
        EXPECT_EQ(edit(d, "EditMask")->text(), "255.255.255.0");
        EXPECT_EQ(edit(d, "EditGateWay")->text(), "10.0.0.1");
        EXPECT_EQ(edit(d, "EditPrinterName")->text(), "Dock");
        EXPECT_EQ(edit(d, "EditMACAddr")->text(), "02:00:00:35:00:01");
        EXPECT_FALSE(edit(d, "EditMACAddr")->isEnabled());
        EXPECT_TRUE(edit(d, "EditMACAddr")->isReadOnly());
        for (const char* n :
             {"LabelIP", "LabelMask", "LabelGateWay", "EditIP", "EditMask", "EditGateWay"})
            EXPECT_EQ(controlNamed<QWidget>(d, n)->isEnabled(), c.addressEnabled) << n;
    }
}

TEST(EthernetSetup, RadioGroupSwitchesTheAddressRowsAtOnce) {
    m350::NetSettings s = dhcpRecord();
    EthernetSetupDialog d(s, 0, "CP1252", {});
    dhcpRadio(d)->button(1)->click();
    EXPECT_TRUE(edit(d, "EditIP")->isEnabled());
    EXPECT_TRUE(controlNamed<QWidget>(d, "LabelGateWay")->isEnabled());
    dhcpRadio(d)->button(0)->click();
    EXPECT_FALSE(edit(d, "EditIP")->isEnabled());
    EXPECT_FALSE(edit(d, "EditMask")->isEnabled());
}

TEST(EthernetSetup, EachButtonWritesOnlyItsPartOfTheRecord) {
    {
        // DHCP on: "Set IP" keeps the shown current address as the configured one.
        m350::NetSettings s = dhcpRecord();
        EthernetSetupDialog d(s, 0, "CP1252", {});
        button(d, "ButtonSetIP")->click();
        EXPECT_TRUE(s.confirmed);
        EXPECT_EQ(s.action, m350::NetSettings::kSetIp);
        EXPECT_TRUE(s.dhcp);
        EXPECT_EQ(s.ip, "10.0.0.77");
        EXPECT_EQ(d.result(), QDialog::Accepted);
    }
    {
        m350::NetSettings s = dhcpRecord();
        EthernetSetupDialog d(s, 0, "CP1252", {});
        dhcpRadio(d)->button(1)->click();
        edit(d, "EditIP")->setText("10.0.0.5");
        edit(d, "EditMask")->setText("255.0.0.0");
        edit(d, "EditGateWay")->setText("10.0.0.1");
        edit(d, "EditPrinterName")->setText("Ignored");
        button(d, "ButtonSetIP")->click();
        EXPECT_FALSE(s.dhcp);
        EXPECT_EQ(s.ip, "10.0.0.5");
        EXPECT_EQ(s.mask, "255.0.0.0");
        EXPECT_EQ(s.gateway, "10.0.0.1");
        EXPECT_EQ(s.name, "Dock");
    }
    {
        // "Set Printer Name" with a changed address stores the name only.
        m350::NetSettings s = dhcpRecord();
        EthernetSetupDialog d(s, 0, "CP1252", {});
        dhcpRadio(d)->button(1)->click();
        edit(d, "EditIP")->setText("10.9.9.9");
        edit(d, "EditPrinterName")->setText("Front");
        button(d, "ButtonSetPrinterName")->click();
        EXPECT_TRUE(s.confirmed);
        EXPECT_EQ(s.action, m350::NetSettings::kSetName);
        EXPECT_EQ(s.name, "Front");
        EXPECT_EQ(s.ip, "0.0.0.0");
        EXPECT_TRUE(s.dhcp);
    }
    {
        m350::NetSettings s = dhcpRecord();
        EthernetSetupDialog d(s, 0, "CP1252", {});
        edit(d, "EditPrinterName")->setText("Changed");
        button(d, "ButtonCancel")->click();
        EXPECT_FALSE(s.confirmed);
        EXPECT_EQ(s.name, "Dock");
        EXPECT_EQ(d.result(), QDialog::Rejected);
    }
}

TEST(EthernetSetup, ANameOfMoreThanFifteenCharactersOrAQuoteCannotBeTyped) {
    m350::NetSettings s = dhcpRecord();
    EthernetSetupDialog d(s, 0, "CP1252", {});
    EXPECT_EQ(edit(d, "EditPrinterName")->maxLength(), 15);
    d.show();
    edit(d, "EditPrinterName")->clear();
    edit(d, "EditPrinterName")->setFocus();
    for (char c : std::string(20, 'x')) edit(d, "EditPrinterName")->insert(QString(QChar(c)));
    EXPECT_EQ(edit(d, "EditPrinterName")->text(), QString(15, 'x'));
    // What could not stand in the command line is refused, never replaced.
    for (QLineEdit* e : {edit(d, "EditPrinterName"), edit(d, "EditIP")}) {
        e->clear();
        for (const QString& typed :
             {QStringLiteral("a"), QStringLiteral("\""), QStringLiteral("é"), QStringLiteral("中"),
              QStringLiteral("\t"), QStringLiteral("b")})
            e->insert(typed);
        EXPECT_EQ(e->text(), "ab") << e->objectName().toStdString();
    }
}

// ---- ButtonEthernet over the link -------------------------------------------

const std::string kNetReport = kAnnounce +
                               "DIAGNOSTIC REPORT CONFIGIP\r\nDIAGNOSTIC REPORT GATEWAY\r\n"
                               "DIAGNOSTIC REPORT IPMASK\r\nDIAGNOSTIC REPORT LASTUSEDIP\r\n"
                               "DIAGNOSTIC REPORT NETNAME\r\nDIAGNOSTIC REPORT MACADDR\r\n";

struct EthernetWindow {
    ScriptedPrompter prompter;
    m350test::RecordingProgress progress;
    SimProcess sim;
    std::unique_ptr<MainWindow> window;
    std::size_t seen = 0;

    explicit EthernetWindow(std::vector<std::string> args) : sim(std::move(args)) {
        window =
            std::make_unique<MainWindow>(m350test::loopbackPrinter(sim.tcpPort()),
                                         m350test::testSeams(prompter, progress, QSize(1024, 768)));
        settle();
    }
    std::vector<std::string> settle() {
        sim.waitForQuiet();
        std::vector<std::string> out;
        auto t = sim.transcript();
        for (std::size_t i = seen; i < t.size(); ++i) out.push_back(t[i].rx);
        seen = t.size();
        return out;
    }
};

TEST(EthernetButton, ReadsEditsAndWritesOverTheLinkByteForByte) {
    struct Case {
        const char* what;
        std::vector<std::string> simArgs;
        std::function<void(QDialog&)> operate;
        std::vector<std::string> sent;  // after the network report
    } cases[] = {
        {"static address",
         {},
         [](QDialog& d) {
             dhcpRadio(d)->button(1)->click();
             edit(d, "EditIP")->setText("127.0.0.20");
             edit(d, "EditMask")->setText("255.0.0.0");
             edit(d, "EditGateWay")->setText("127.0.0.1");
             button(d, "ButtonSetIP")->click();
         },
         {kPasswordRead, "NET IP \"127.0.0.20\",\"255.0.0.0\",\"127.0.0.1\"\r\n"}},
        {"DHCP: exactly NET DHCP",
         {"--set", "CONFIGIP=127.0.0.5"},
         [](QDialog& d) {
             dhcpRadio(d)->button(0)->click();
             button(d, "ButtonSetIP")->click();
         },
         {kPasswordRead, "NET DHCP\r\n"}},
        {"name",
         {},
         [](QDialog& d) {
             edit(d, "EditPrinterName")->setText("Front");
             button(d, "ButtonSetPrinterName")->click();
         },
         {kPasswordRead, "NET NAME \"Front\"\r\n"}},
        {"cancelled: nothing after the report",
         {},
         [](QDialog& d) { button(d, "ButtonCancel")->click(); },
         {}},
        {"password refused: nothing written",
         {"--password", "Secret"},
         [](QDialog& d) { button(d, "ButtonSetIP")->click(); },
         {kPasswordRead}},
    };
    for (auto& c : cases) {
        EthernetWindow w(c.simArgs);
        ASSERT_TRUE(w.sim.ok()) << w.sim.error();
        QPoint placed;
        w.prompter.dialogs["TFormEthernetSetup"] = [&](QDialog& d) {
            placed = d.pos();
            c.operate(d);
            return d.result();
        };
        button(*w.window, "ButtonEthernet")->click();
        std::vector<std::string> want = {kNetReport};
        want.insert(want.end(), c.sent.begin(), c.sent.end());
        EXPECT_EQ(w.settle(), want) << c.what;
        EXPECT_EQ(placed, w.window->dialogPlace()) << c.what;
        EXPECT_TRUE(w.prompter.messages.isEmpty()) << c.what;
        EXPECT_TRUE(w.window->isEnabled()) << c.what;
    }
}

TEST(EthernetButton, AFailedReportShowsItsTextAndOpensNoDialog) {
    EthernetWindow w({"--fault", "silent:CONFIGIP"});
    ASSERT_TRUE(w.sim.ok()) << w.sim.error();
    w.window->link().timeouts.netReadMs = 300;
    w.window->netSettings().name = "kept";
    button(*w.window, "ButtonEthernet")->click();
    EXPECT_EQ(w.prompter.shown, QStringList{"message: Data Receiving Error"});
    EXPECT_EQ(w.window->netSettings().name, "kept");
}

// ---- Discovery window on loopback -------------------------------------------

NetworkSeams loopbackTo(const SimProcess& sim, std::vector<QUrl>* opened = nullptr) {
    NetworkSeams n = m350test::quietNetwork(sim.udpPort());
    n.udp.idleMs = 300;
    n.udp.replyWaitMs = 1000;
    n.openUrl = [opened](const QUrl& u) {
        if (opened) opened->push_back(u);
    };
    return n;
}

std::vector<std::string> rxDatagrams(const SimProcess& sim, std::size_t atLeast) {
    std::vector<std::string> rx;
    for (int i = 0; i < 300; ++i) {
        rx.clear();
        std::ifstream in(sim.transcriptPath());
        std::string id, what, hex;
        while (in >> id >> what) {
            std::getline(in, hex);
            if (what == "RX" && hex.size() > 1) rx.push_back(m350test::decodeHex(hex.substr(1)));
        }
        if (rx.size() >= atLeast) break;
        QThread::msleep(10);
    }
    return rx;
}

TEST(Discovery, ListsEveryAnswerAndProposesTheFirstAddress) {
    SimProcess sim({"--udp", "127.0.0.1:0", "--set", "NETNAME=Dock", "--set",
                    "LASTUSEDIP=127.0.0.33", "--udp-state", "2", "--udp-model", "M350-300"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    ScriptedPrompter prompter;
    m350::NetAddress a;
    NetSetupDialog d(a, 0, "CP1252", prompter, nullptr, loopbackTo(sim));
    auto* list = controlNamed<QTreeWidget>(d, "ListView1");
    ASSERT_EQ(list->topLevelItemCount(), 2);  // both passes reach it
    for (int i = 0; i < 2; ++i) {
        QTreeWidgetItem* row = list->topLevelItem(i);
        EXPECT_EQ(row->text(0), "Dock");
        EXPECT_EQ(row->text(1), "02:00:00:35:00:01");
        EXPECT_EQ(row->text(2), "127.0.0.33");
        EXPECT_EQ(row->text(3), "M350-300");
        EXPECT_EQ(row->text(4), "Pause");
    }
    EXPECT_EQ(a.address, "127.0.0.33");
    EXPECT_TRUE(list->topLevelItem(0)->isSelected());
    EXPECT_EQ(edit(d, "EditIPAddr")->text(), "127.0.0.33");
    EXPECT_TRUE(button(d, "ButtonDiscover")->isEnabled());
}

TEST(Discovery, EveryOpeningStartsAtSequenceOneAndDiscoverCountsOn) {
    SimProcess sim({"--udp", "127.0.0.1:0", "--udp-answer", "none"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    ScriptedPrompter prompter;
    m350::NetAddress a;
    a.address = "10.1.1.1";
    { NetSetupDialog first(a, 0, "CP1252", prompter, nullptr, loopbackTo(sim)); }
    NetSetupDialog second(a, 0, "CP1252", prompter, nullptr, loopbackTo(sim));
    button(second, "ButtonDiscover")->click();
    EXPECT_EQ(a.address, "10.1.1.1");  // a set address is never replaced
    const auto rx = rxDatagrams(sim, 6);
    ASSERT_EQ(rx.size(), 6u);
    const std::string one = m350test::bytesOf(m350::discoveryRequest(1));
    const std::string two = m350test::bytesOf(m350::discoveryRequest(2));
    EXPECT_EQ(rx, (std::vector<std::string>{one, one, one, one, two, two}));
}

TEST(Discovery, RowClickWebPageAndFactoryDefault) {
    SimProcess sim(
        {"--udp", "127.0.0.1:0", "--set", "LASTUSEDIP=127.0.0.44", "--set", "NETNAME=Changed"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    ScriptedPrompter prompter;
    std::vector<QUrl> opened;
    m350::NetAddress a;
    a.address = "10.1.1.1";
    NetSetupDialog d(a, 0, "CP1252", prompter, nullptr, loopbackTo(sim, &opened));
    auto* list = controlNamed<QTreeWidget>(d, "ListView1");
    ASSERT_EQ(list->topLevelItemCount(), 2);

    // Nothing selected: the per-device buttons do nothing.
    button(d, "ButtonFactoryDefault")->click();
    EXPECT_TRUE(prompter.shown.isEmpty());

    list->topLevelItem(1)->setSelected(true);
    d.onDeviceListClicked();
    EXPECT_EQ(edit(d, "EditIPAddr")->text(), "127.0.0.44");
    // The web page of the typed address, not of the row.
    edit(d, "EditIPAddr")->setText("printer-7:8080");
    button(d, "ButtonBrowser")->click();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].toString(), "http://printer-7:8080");

    prompter.answers = {false};
    button(d, "ButtonFactoryDefault")->click();
    EXPECT_EQ(prompter.shown, QStringList{"question: Are you sure?"});
    EXPECT_EQ(list->topLevelItemCount(), 2);
    prompter.answers = {true};
    button(d, "ButtonFactoryDefault")->click();
    EXPECT_EQ(list->topLevelItemCount(), 0);
    const auto rx = rxDatagrams(sim, 3);
    ASSERT_EQ(rx.size(), 3u);
    EXPECT_EQ(rx[2], m350test::bytesOf(
                         m350::factoryDefaultRequest(2, *m350::parseMac("02:00:00:35:00:01"))));
    // The printer went back to its factory name.
    button(d, "ButtonDiscover")->click();
    ASSERT_GT(list->topLevelItemCount(), 0);
    EXPECT_EQ(list->topLevelItem(0)->text(0), "M350-SIM");
}

TEST(Discovery, ChangeIpReadsShowsAndWritesEverything) {
    struct Case {
        const char* what;
        std::function<void(QDialog&)> operate;
        std::size_t datagrams;  // after the two discovery requests
    } cases[] = {
        {"cancel: only the two reads", [](QDialog& d) { button(d, "ButtonCancel")->click(); }, 2},
        {"set printer name: all four writes",
         [](QDialog& d) {
             edit(d, "EditPrinterName")->setText("Renamed");
             button(d, "ButtonSetPrinterName")->click();
         },
         6},
    };
    for (auto& c : cases) {
        SimProcess sim({"--udp", "127.0.0.1:0", "--set", "CONFIGIP=10.4.0.2", "--set",
                        "IPMASK=255.255.0.0", "--set", "GATEWAY=10.4.0.1", "--set",
                        "NETNAME=Dock"});
        ASSERT_TRUE(sim.ok()) << sim.error();
        ScriptedPrompter prompter;
        m350::NetAddress a;
        a.address = "x";
        NetSetupDialog d(a, 0, "CP1252", prompter, nullptr, loopbackTo(sim));
        d.move(70, 80);
        auto* list = controlNamed<QTreeWidget>(d, "ListView1");
        ASSERT_EQ(list->topLevelItemCount(), 2);
        list->topLevelItem(0)->setSelected(true);
        QStringList shownInDialog;
        QPoint placed;
        prompter.dialogs["TFormEthernetSetup"] = [&](QDialog& e) {
            placed = e.pos();
            shownInDialog = {edit(e, "EditIP")->text(), edit(e, "EditMask")->text(),
                             edit(e, "EditGateWay")->text(), edit(e, "EditPrinterName")->text(),
                             edit(e, "EditMACAddr")->text()};
            EXPECT_EQ(dhcpRadio(e)->itemIndex(), 1);
            c.operate(e);
            return e.result();
        };
        button(d, "ButtonChangeIP")->click();
        EXPECT_EQ(placed, QPoint(70, 80)) << c.what;
        EXPECT_EQ(shownInDialog,
                  (QStringList{"10.4.0.2", "255.255.0.0", "10.4.0.1", "Dock", "02:00:00:35:00:01"}))
            << c.what;
        const auto rx = rxDatagrams(sim, 2 + c.datagrams);
        ASSERT_EQ(rx.size(), 2 + c.datagrams) << c.what;
        m350::SettingsRequests want(2, *m350::parseMac("02:00:00:35:00:01"));
        EXPECT_EQ(rx[2], m350test::bytesOf(want.readIp())) << c.what;
        EXPECT_EQ(rx[3], m350test::bytesOf(want.readMode())) << c.what;
        if (c.datagrams == 6) {
            // The address is written back as read, with the new name.
            EXPECT_EQ(rx[4], m350test::bytesOf(want.writeName("Renamed")));
            EXPECT_EQ(rx[5], m350test::bytesOf(
                                 want.writeIp({10, 4, 0, 2}, {255, 255, 0, 0}, {10, 4, 0, 1})));
            EXPECT_EQ(rx[6], m350test::bytesOf(want.writeMode(false)));
            EXPECT_EQ(rx[7], m350test::bytesOf(want.apply()));
            EXPECT_EQ(list->topLevelItemCount(), 0);
        } else {
            EXPECT_EQ(list->topLevelItemCount(), 2);
        }
    }
}

// A missing or foreign settings reply, or a mistyped address, writes nothing;
// the printer's name goes back as the bytes it sent, shown in its encoding.
TEST(Discovery, ChangeIpWritesOnlyWhatItReadFromThatPrinter) {
    struct Case {
        const char* what;
        std::vector<std::string> sim;
        const char* mask;     // typed before Set IP; null: Set IP unchanged
        const char* message;  // shown instead of writing; null: written
        bool dialogOpens;
    } cases[] = {
        {"IP settings unanswered",
         {"--udp-drop", "read-ip"},
         nullptr,
         "The printer did not answer the settings read. Nothing was changed.",
         false},
        {"address mode unanswered",
         {"--udp-drop", "read-mode"},
         nullptr,
         "The printer did not answer the settings read. Nothing was changed.",
         false},
        {"a mistyped mask", {}, "1..2.3", "\"1..2.3\"", true},
        {"another device answers first", {"--udp-impostor", "mac"}, nullptr, nullptr, true},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {
            "--udp", "127.0.0.1:0",        "--set", "CONFIGIP=10.4.0.2",
            "--set", "IPMASK=255.255.0.0", "--set", "GATEWAY=10.4.0.1",
            "--set", "NETNAME=Caf\xe9\\x"};
        args.insert(args.end(), c.sim.begin(), c.sim.end());
        SimProcess sim(args);
        ASSERT_TRUE(sim.ok()) << sim.error();
        ScriptedPrompter prompter;
        m350::NetAddress a;
        a.address = "x";
        NetSetupDialog d(a, 0, "CP1252", prompter, nullptr, loopbackTo(sim));
        auto* list = controlNamed<QTreeWidget>(d, "ListView1");
        ASSERT_GT(list->topLevelItemCount(), 0) << c.what;
        EXPECT_EQ(list->topLevelItem(0)->text(0), QStringLiteral("Café\\x")) << c.what;
        list->topLevelItem(0)->setSelected(true);
        bool opened = false;
        prompter.dialogs["TFormEthernetSetup"] = [&](QDialog& e) {
            opened = true;
            EXPECT_EQ(edit(e, "EditIP")->text(), "10.4.0.2") << c.what;
            EXPECT_EQ(edit(e, "EditPrinterName")->text(), QStringLiteral("Café\\x")) << c.what;
            if (c.mask) edit(e, "EditMask")->setText(c.mask);
            button(e, "ButtonSetIP")->click();
            return e.result();
        };
        button(d, "ButtonChangeIP")->click();
        EXPECT_EQ(opened, c.dialogOpens) << c.what;
        const auto rx = rxDatagrams(sim, c.message ? 4 : 8);
        if (c.message) {
            ASSERT_EQ(prompter.messages.size(), 1) << c.what;
            EXPECT_TRUE(prompter.messages[0].contains(QString::fromUtf8(c.message)))
                << c.what << ": " << prompter.messages[0].toStdString();
            for (const auto& datagram : rx) EXPECT_LT(datagram.size(), 1064u) << c.what;
            continue;
        }
        ASSERT_EQ(rx.size(), 8u) << c.what;
        m350::SettingsRequests want(2, *m350::parseMac("02:00:00:35:00:01"));
        EXPECT_EQ(rx[4], m350test::bytesOf(want.writeName("Caf\xe9\\x"))) << c.what;
        EXPECT_EQ(rx[5],
                  m350test::bytesOf(want.writeIp({10, 4, 0, 2}, {255, 255, 0, 0}, {10, 4, 0, 1})))
            << c.what;
    }
}

// ---- On a real network -------------------------------------------------------

TEST(DiscoveryNamespace, ThreePrintersTheWindowListsEachAnswer) {
    const char* dir = std::getenv("M350_NETNS_DIR");
    if (!dir)
        GTEST_SKIP() << "runs only inside tests/net/printer_netns.sh (a network namespace of "
                        "the test's own)";
    ScriptedPrompter prompter;
    NetworkSeams real;  // the real broadcast and multicast addresses
    real.openUrl = [](const QUrl&) {};
    m350::NetAddress a;
    NetSetupDialog d(a, 0, "CP1252", prompter, nullptr, real);
    auto* list = controlNamed<QTreeWidget>(d, "ListView1");
    ASSERT_EQ(list->topLevelItemCount(), 3);
    QStringList rows;
    for (int i = 0; i < 3; ++i)
        rows << list->topLevelItem(i)->text(0) + " " + list->topLevelItem(i)->text(2) + " " +
                    list->topLevelItem(i)->text(4);
    EXPECT_EQ(rows.last(), "Alpha 10.203.0.10 Ready");
    rows.sort();
    EXPECT_EQ(rows, (QStringList{"Alpha 10.203.0.10 Ready", "Alpha 10.203.0.10 Ready",
                                 "Beta 10.203.0.11 Paper Jam"}));
    // The proposal is the first row's address.
    EXPECT_EQ(QString::fromStdString(a.address), list->topLevelItem(0)->text(2));
}

}  // namespace
