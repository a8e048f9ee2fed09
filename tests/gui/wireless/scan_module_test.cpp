// SPDX-License-Identifier: MIT
// The scans, the external module's setup and the access-point profiles on the
// real main window against the simulated printer. The groups the layout
// hides are shown here; every wait goes through the pause seam and the
// module's answers get a short time limit, so nothing sleeps for real.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QEnterEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QtTest/QTest>

#include "../control_named.h"
#include "../scripted_prompter.h"
#include "../test_window.h"
#include "core/i18n/text_encoding.h"
#include "gui/main_window.h"
#include "gui/pages/ap_profile_page.h"
#include "support/diagnostic_wire.h"
#include "support/scripted_port.h"
#include "support/sim_process.h"

using namespace m350::gui;

using m350test::kAnnounce;
using m350test::kPasswordRead;
using m350test::kWirelessTab;
using m350test::ScriptedPrompter;
using m350test::SimProcess;

namespace {

class ScanAndModule : public ::testing::Test {
  protected:
    MainWindow& start(std::vector<std::string> simArgs = {}) {
        simArgs.insert(simArgs.end(), {"--scan-delay", "50"});
        sim = std::make_unique<SimProcess>(simArgs);
        EXPECT_TRUE(sim->ok()) << sim->error();
        MainWindowSeams seams = m350test::testSeams(prompter, progress, QSize(1024, 768));
        seams.sleep = [this](int ms) { pauses.push_back(ms); };
        seams.timeouts = [](m350::LinkTimeouts& t) { t.moduleReadMs = 250; };
        window = std::make_unique<MainWindow>(m350test::loopbackPrinter(sim->tcpPort()), seams);
        settle();
        prompter.shown.clear();
        prompter.messages.clear();
        pauses.clear();
        return *window;
    }
    std::vector<std::string> settle() {
        sim->waitForQuiet(300);
        std::vector<std::string> out;
        const auto t = sim->transcript();
        for (std::size_t i = seen; i < t.size(); ++i) out.push_back(t[i].rx);
        seen = t.size();
        return out;
    }
    template <class W>
    W* find(const char* name) {
        W* w = window->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QLineEdit* edit(const char* name) { return find<QLineEdit>(name); }
    bool on(const char* name) { return find<QWidget>(name)->isEnabled(); }
    void click(const char* name) { find<QPushButton>(name)->click(); }
    void choose(const char* combo, int index) {
        auto* c = find<QComboBox>(combo);
        c->setCurrentIndex(index);
        emit c->activated(index);
    }
    // The operator clicks a row of a list.
    void clickRow(const char* list, int row) {
        auto* l = find<QTreeWidget>(list);
        QTreeWidgetItem* item = l->topLevelItem(row);
        ASSERT_NE(item, nullptr);
        l->setCurrentItem(item);
        emit l->itemClicked(item, 0);
    }
    std::vector<std::pair<QString, QString>> rows(const char* list) {
        std::vector<std::pair<QString, QString>> out;
        auto* l = find<QTreeWidget>(list);
        for (int i = 0; i < l->topLevelItemCount(); ++i)
            out.emplace_back(l->topLevelItem(i)->text(0), l->topLevelItem(i)->text(1));
        return out;
    }
    QTabWidget* tabs() { return m350test::controlNamed<QTabWidget>(*window, "PageControl2"); }
    // What the layout keeps out of sight, shown.
    void showHidden() {
        for (const char* name :
             {"gbWirelessExtDev", "ListView1", "ButtonScanAP", "ListView2", "Button1"})
            find<QWidget>(name)->show();
    }

    ScriptedPrompter prompter;
    m350test::RecordingProgress progress;
    std::vector<int> pauses;
    std::unique_ptr<SimProcess> sim;
    std::unique_ptr<MainWindow> window;
    std::size_t seen = 0;
};

using Rows = std::vector<std::pair<QString, QString>>;

TEST_F(ScanAndModule, BluetoothScanListClickAndMaster) {
    start({"--bt", "Scanner,02:00:00:00:00:0A", "--bt", ",02:00:00:00:00:0B", "--bt",
           "Scanner,02:00:00:00:00:0A"});
    tabs()->setCurrentIndex(5);
    click("ScanBT");
    EXPECT_EQ(rows("ListView3"), (Rows{{"Scanner", "02:00:00:00:00:0A"},
                                       {"", "02:00:00:00:00:0B"},
                                       {"Scanner", "02:00:00:00:00:0A"}}));
    EXPECT_TRUE(prompter.shown.isEmpty());
    // Sixty seconds in 600 ms pauses, each followed by a step of the window;
    // then the pause before the window hides.
    std::vector<int> want(100, 600);
    want.push_back(200);
    EXPECT_EQ(pauses, want);
    EXPECT_TRUE(window->isEnabled());

    clickRow("ListView3", 1);
    EXPECT_EQ(edit("EditBTName_d")->text(), "");
    EXPECT_EQ(edit("EditBTMAC_d")->text(), "02:00:00:00:00:0B");
    clickRow("ListView3", 0);
    EXPECT_EQ(edit("EditBTName_d")->text(), "Scanner");
    click("BlueToothMaster");
    edit("EditBTMAC_d")->clear();
    click("BlueToothMaster");
    EXPECT_EQ(settle(),
              (std::vector<std::string>{kAnnounce + "DIAGNOSTIC REPORT SCANBT\r\n",
                                        "BT DMAC \"02:00:00:00:00:0A\"\r\n", "BT DMAC \"\"\r\n"}));
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST_F(ScanAndModule, BluetoothScanWithoutAModuleSaysSoAndClearsTheList) {
    start({"--bluetooth", "no"});
    auto* list = find<QTreeWidget>("ListView3");
    new QTreeWidgetItem(list, {QStringLiteral("old"), QStringLiteral("row")});
    click("ScanBT");
    EXPECT_EQ(list->topLevelItemCount(), 0);
    EXPECT_EQ(prompter.messages, QStringList{"Can't find Bluetooth module!"});
}

TEST_F(ScanAndModule, AccessPointScansFillTheirListsAndClicksFillTheirGroups) {
    start({"--ap", "Office,2", "--ap", "Office,2", "--ap", "Office,1", "--ap", "Cafe,3"});
    tabs()->setCurrentIndex(kWirelessTab);
    showHidden();
    click("Button1");
    const Rows want = {{"Office", "WPA"}, {"Office", "WEP"}, {"Cafe", "NONE"}};
    EXPECT_EQ(rows("ListView2"), want);
    std::vector<int> wait(60, 200);
    wait.push_back(200);
    EXPECT_EQ(pauses, wait);
    clickRow("ListView2", 1);
    EXPECT_EQ(edit("EditWiFiSSID")->text(), "Office");
    EXPECT_EQ(find<QComboBox>("ComboBoxWiFiEncryption")->currentIndex(), 1);
    // The combo's change rule does not run: the key box stays as it was.
    edit("EditWiFiKey")->setEnabled(false);
    clickRow("ListView2", 0);
    EXPECT_EQ(find<QComboBox>("ComboBoxWiFiEncryption")->currentIndex(), 5);
    EXPECT_FALSE(on("EditWiFiKey"));
    clickRow("ListView2", 2);
    EXPECT_EQ(find<QComboBox>("ComboBoxWiFiEncryption")->currentIndex(), 0);

    click("ButtonScanAP");
    EXPECT_EQ(rows("ListView1"), want);
    clickRow("ListView1", 0);
    EXPECT_EQ(edit("edtExWiFiSSID")->text(), "Office");
    EXPECT_EQ(find<QComboBox>("cbbExWiFiEncryption")->currentIndex(), 5);
    EXPECT_EQ(settle(), (std::vector<std::string>{kAnnounce + "DIAGNOSTIC REPORT SCANAP\r\n",
                                                  kAnnounce + "DIAGNOSTIC REPORT SCANAP\r\n"}));
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST_F(ScanAndModule, AccessPointScanWithoutAModule) {
    start({"--wifi", "off"});
    showHidden();
    click("Button1");
    EXPECT_EQ(prompter.messages, QStringList{"Can't find external module!"});
    EXPECT_EQ(find<QTreeWidget>("ListView2")->topLevelItemCount(), 0);
}

TEST_F(ScanAndModule, ModuleSetupEnterWriteAndReset) {
    start({"--ext-module", "PRN01"});
    tabs()->setCurrentIndex(kWirelessTab);
    showHidden();
    EXPECT_FALSE(on("edtExBTName"));
    prompter.answers = {true};
    click("btnEnableExtSetup");
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(prompter.shown[0].startsWith("question: The COM port will be set to 115200,N,8,1"));
    EXPECT_EQ(settle(), (std::vector<std::string>{kPasswordRead, "SET COM1 115,N,8,1\r\n",
                                                  "DEBUG 4193,7,2\r\n", "\r\rAT+STA\r", "\r\r\r",
                                                  "AT+GLN\r"}));
    EXPECT_EQ(edit("edtExBTName")->text(), "PRN01");
    EXPECT_EQ(edit("edtExBTPinCode")->text(), "");
    for (const char* name : {"edtExBTName", "edtExBTPinCode", "lblExBTName", "btnSetToModule"})
        EXPECT_TRUE(on(name)) << name;
    EXPECT_EQ(find<QPushButton>("btnEnableExtSetup")->text(), "Exit Setup");
    EXPECT_TRUE(window->isEnabled());

    // The page is locked while the module is set up.
    tabs()->setCurrentIndex(0);
    EXPECT_EQ(tabs()->currentIndex(), kWirelessTab);

    // No: the mode stays and nothing goes out.
    prompter.answers = {false};
    click("btnSetToModule");
    EXPECT_TRUE(settle().empty());
    EXPECT_TRUE(on("btnSetToModule"));

    edit("edtExBTName")->setText("NEWNAME");
    edit("edtExBTPinCode")->setText("2468");
    prompter.answers = {true};
    prompter.shown.clear();
    click("btnSetToModule");
    EXPECT_EQ(prompter.shown, QStringList{"question: Do you want to setup the module?"});
    const auto rx = settle();
    ASSERT_GE(rx.size(), 4u);
    EXPECT_EQ(rx[0], "at+sln=NEWNAME\r");
    EXPECT_EQ(rx[1], "at+pin=2468\r");
    EXPECT_NE(rx[2].find("WLAN"), std::string::npos) << rx[2];
    EXPECT_EQ(rx.back(), "\x1b!R");
    EXPECT_FALSE(on("btnSetToModule"));
    EXPECT_FALSE(on("edtExBTName"));
    EXPECT_EQ(find<QPushButton>("btnEnableExtSetup")->text(), "Enable Setup");
    tabs()->setCurrentIndex(0);
    EXPECT_EQ(tabs()->currentIndex(), 0);
}

// Scan results and the module's name are printer texts: shown in the printer
// text encoding, and a name not changed goes back as its own bytes.
TEST_F(ScanAndModule, PrinterTextsAreReadInThePrinterTextEncoding) {
    start({"--ext-module", "Caf\xe9", "--ap", "Caf\xe9,2", "--bt", "Caf\xe9,02:00:00:00:00:0A"})
        .setTextEncodingChoice("CP1252");
    tabs()->setCurrentIndex(kWirelessTab);
    showHidden();
    click("Button1");
    EXPECT_EQ(rows("ListView2"), (Rows{{QStringLiteral("Café"), "WPA"}}));
    tabs()->setCurrentIndex(5);
    click("ScanBT");
    EXPECT_EQ(rows("ListView3"), (Rows{{QStringLiteral("Café"), "02:00:00:00:00:0A"}}));
    tabs()->setCurrentIndex(kWirelessTab);
    settle();
    prompter.answers = {true};
    click("btnEnableExtSetup");
    settle();
    EXPECT_EQ(edit("edtExBTName")->text(), QStringLiteral("Café"));
    edit("edtExBTPinCode")->setText("2468");
    prompter.answers = {true};
    click("btnSetToModule");
    const auto rx = settle();
    ASSERT_GE(rx.size(), 2u);
    EXPECT_EQ(rx[0], "at+sln=Caf\xe9\r");
    EXPECT_EQ(rx[1], "at+pin=2468\r");
}

TEST_F(ScanAndModule, FocusLeavingTheWirelessPageGoesToSetupWhileSettingUp) {
    start({"--ext-module", "PRN01"});
    tabs()->setCurrentIndex(kWirelessTab);
    showHidden();
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window.get())) GTEST_SKIP() << "no active window here";
    auto* outside = find<QWidget>("ButtonRead");
    outside->setFocus();
    EXPECT_TRUE(outside->hasFocus());  // not in setup mode: the focus goes where it is sent
    prompter.answers = {true};
    click("btnEnableExtSetup");
    settle();
    outside->setFocus();
    EXPECT_TRUE(find<QWidget>("btnSetToModule")->hasFocus());
    edit("EditWiFiSSID")->setFocus();  // within the page: stays
    EXPECT_TRUE(edit("EditWiFiSSID")->hasFocus());
}

TEST_F(ScanAndModule, ModuleSetupWithoutAModuleStillWritesAndResets) {
    start();
    tabs()->setCurrentIndex(kWirelessTab);
    showHidden();
    prompter.answers = {true};
    click("btnEnableExtSetup");
    const auto entered = settle();
    // The gate, the switch, the unconfirmed debug line, the unanswered detection.
    EXPECT_EQ(entered, (std::vector<std::string>{kPasswordRead, "SET COM1 115,N,8,1\r\n",
                                                 "DEBUG 4193,7,2\r\n", "\r\rAT+STA\r"}));
    EXPECT_FALSE(on("edtExBTName"));
    EXPECT_TRUE(on("btnSetToModule"));
    prompter.answers = {true};
    click("btnSetToModule");
    const auto rx = settle();
    ASSERT_EQ(rx.size(), 2u);
    EXPECT_NE(rx[0].find("WLAN"), std::string::npos) << rx[0];
    EXPECT_EQ(rx[1], "\x1b!R");
    EXPECT_TRUE(prompter.messages.isEmpty()) << prompter.messages.join("|").toStdString();
}

TEST_F(ScanAndModule, ExitSetupResetsWithoutWriting) {
    start({"--ext-module", "PRN01"});
    showHidden();
    prompter.answers = {true};
    click("btnEnableExtSetup");
    settle();
    click("btnEnableExtSetup");
    EXPECT_EQ(settle(), std::vector<std::string>{"\x1b!R"});
    EXPECT_FALSE(on("btnSetToModule"));
    EXPECT_EQ(find<QPushButton>("btnEnableExtSetup")->text(), "Enable Setup");

    // No to the first question: nothing at all.
    prompter.answers = {false};
    click("btnEnableExtSetup");
    EXPECT_TRUE(settle().empty());
    EXPECT_FALSE(on("btnSetToModule"));
}

TEST_F(ScanAndModule, ExternalGroupDhcpAndEncryptionRules) {
    start();
    showHidden();
    choose("cbbExWiFiDHCP", 1);
    for (const char* c : {"lblExWiFiIP", "edtExWiFiIP", "edtExWiFiMask", "edtExWiFiGateway"})
        EXPECT_TRUE(on(c)) << c;
    choose("cbbExWiFiDHCP", 2);
    EXPECT_FALSE(on("edtExWiFiGateway"));
    choose("cbbExWiFiEncryption", 3);
    EXPECT_TRUE(on("edtExWiFiKey"));
    choose("cbbExWiFiEncryption", 0);
    EXPECT_FALSE(on("edtExWiFiKey"));
    EXPECT_FALSE(on("lblExWiFiKey"));
}

TEST_F(ScanAndModule, ProfileListRules) {
    start();
    auto* list = find<QListWidget>("lbxApProfile");
    auto* ssid = edit("edtSSID");
    click("btnAddAp");
    EXPECT_EQ(prompter.messages, QStringList{"SSID is empty!"});
    for (int i = 0; i < kMaxApProfiles; ++i) {
        ssid->setText(QStringLiteral("AP%1").arg(i));
        click("btnAddAp");
    }
    EXPECT_EQ(list->count(), 8);
    ssid->setText(QStringLiteral("ninth"));
    click("btnAddAp");
    EXPECT_EQ(list->count(), 8);
    EXPECT_EQ(prompter.messages.last(), "The profiles are full!");
    // Full wins over empty.
    ssid->clear();
    click("btnAddAp");
    EXPECT_EQ(prompter.messages.last(), "The profiles are full!");

    auto order = [&] {
        QStringList out;
        for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
        return out;
    };
    const QStringList before = order();
    list->setCurrentRow(0);
    click("btnUpAp");
    EXPECT_EQ(order(), before);
    list->setCurrentRow(7);
    click("btnDownAp");
    EXPECT_EQ(order(), before);
    list->setCurrentRow(2);
    click("btnDownAp");
    EXPECT_EQ(list->item(3)->text(), "AP2");
    EXPECT_EQ(list->currentRow(), 3);
    click("btnUpAp");
    EXPECT_EQ(order(), before);
    click("btnDelAp");
    EXPECT_EQ(list->count(), 7);
    list->clearSelection();
    list->setCurrentRow(-1);
    click("btnDelAp");
    EXPECT_EQ(list->count(), 7);
    EXPECT_TRUE(settle().empty());
}

TEST_F(ScanAndModule, ProfileSecurityAndEapRules) {
    start();
    choose("cbxSecurity", 4);  // WPA-Enterprise
    EXPECT_FALSE(on("edtKey"));
    for (const char* c : {"cbxEapType", "cbxInnerEap", "edtUsername", "edtPassword"})
        EXPECT_TRUE(on(c)) << c;
    EXPECT_FALSE(on("edtSrvCer"));
    choose("cbxEapType", 1);  // EAP-TLS
    for (const char* c : {"edtSrvCer", "btnClientKeyBrowse", "edtClientCer"})
        EXPECT_TRUE(on(c)) << c;
    EXPECT_FALSE(on("edtUsername"));
    choose("cbxEapType", 2);  // EAP-TTLS
    EXPECT_TRUE(on("edtUsername"));
    EXPECT_TRUE(on("btnSrvCerBrowse"));
    EXPECT_FALSE(on("btnClientCerBrowse"));
    EXPECT_FALSE(on("cbxInnerEap"));
    choose("cbxEapType", 4);  // PEAP
    EXPECT_TRUE(on("cbxInnerEap"));
    EXPECT_FALSE(on("edtSrvCer"));
    choose("cbxEapType", 0);  // empty: nothing changes
    EXPECT_TRUE(on("cbxInnerEap"));
    choose("cbxSecurity", 3);  // WPA-PSK
    EXPECT_TRUE(on("edtKey"));
    EXPECT_FALSE(on("cbxEapType"));
    EXPECT_FALSE(on("Label18"));

    auto* how = find<QLabel>("lblHowToConvert");
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QCoreApplication::sendEvent(how, &enter);
    EXPECT_TRUE(how->font().underline());
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(how, &leave);
    EXPECT_FALSE(how->font().underline());
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(how, &release);
    ASSERT_EQ(prompter.messages.size(), 1);
    EXPECT_TRUE(
        prompter.messages[0].contains("openssl pkcs12 -in MYCERT.pfx -out MYCERT.pem -nodes"));
    EXPECT_FALSE(prompter.messages[0].contains("C:>"));
}

}  // namespace
