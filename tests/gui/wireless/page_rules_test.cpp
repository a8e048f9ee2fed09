// SPDX-License-Identifier: MIT
// The wireless page's rules on the real main window against the simulated
// printer: what the operator's choices enable, the boxes that empty when
// entered, the FTP slashes, the certificate browse, the key check before Set
// and the wireless factory default, with the bytes that reach the printer.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <cstdlib>

#include "../control_named.h"
#include "../scripted_prompter.h"
#include "../test_window.h"
#include "gui/main_window.h"
#include "gui/pages/config_page.h"
#include "support/diagnostic_wire.h"
#include "support/scripted_port.h"
#include "support/sim_process.h"

using namespace m350::gui;

using m350test::kPasswordRead;
using m350test::kWirelessTab;
using m350test::ScriptedPrompter;
using m350test::SimProcess;

namespace {

class WirelessPage : public ::testing::Test {
  protected:
    MainWindow& start(std::vector<std::string> simArgs = {}) {
        sim = std::make_unique<SimProcess>(simArgs);
        EXPECT_TRUE(sim->ok()) << sim->error();
        window =
            std::make_unique<MainWindow>(m350test::loopbackPrinter(sim->tcpPort()),
                                         m350test::testSeams(prompter, progress, QSize(1024, 768)));
        settle();
        prompter.shown.clear();
        prompter.messages.clear();
        return *window;
    }
    // Bytes each connection received since the last call.
    std::vector<std::string> settle() {
        sim->waitForQuiet();
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
    // The operator picks an item.
    void choose(const char* combo, int index) {
        auto* c = find<QComboBox>(combo);
        c->setCurrentIndex(index);
        emit c->activated(index);
    }
    void focus(QWidget* w, QEvent::Type type, Qt::FocusReason reason = Qt::TabFocusReason) {
        QFocusEvent e(type, reason);
        QCoreApplication::sendEvent(w, &e);
    }
    void showWirelessPage() {
        m350test::controlNamed<QTabWidget>(*window, "PageControl2")->setCurrentIndex(kWirelessTab);
    }

    ScriptedPrompter prompter;
    m350test::RecordingProgress progress;
    std::unique_ptr<SimProcess> sim;
    std::unique_ptr<MainWindow> window;
    std::size_t seen = 0;
};

TEST_F(WirelessPage, EncryptionEapAndDhcpChoicesEnableTheirControls) {
    start({"--wifi", "wpa"});
    edit("EditWiFiKey")->setText("a key typed");
    choose("ComboBoxWiFiEncryption", 6);
    EXPECT_TRUE(on("cbxWiFiEapType"));
    EXPECT_FALSE(on("EditWiFiKey"));
    EXPECT_FALSE(on("LabelWiFiKey"));
    EXPECT_TRUE(edit("EditWiFiKey")->text().isEmpty());

    // EAP-TLS as the first choice: the CA certificate and the client's own.
    choose("cbxWiFiEapType", 1);
    for (const char* c : {"edtWiFiUsername", "edtWiFiPasswd", "edtWiFiSrvCerPath",
                          "btnWiFiSrvCerBrowse", "edtWiFiClientCerPath", "edtWiFiPrivKeyPath",
                          "btnWiFiClientCerBrowse", "btnWiFiPrivKeyBrowse"})
        EXPECT_TRUE(on(c)) << c;
    choose("cbxWiFiEapType", 4);  // PEAP: the CA certificate only
    EXPECT_TRUE(on("btnWiFiSrvCerBrowse"));
    EXPECT_FALSE(on("edtWiFiClientCerPath"));
    EXPECT_FALSE(on("btnWiFiPrivKeyBrowse"));
    choose("cbxWiFiEapType", 3);  // EAP-FAST: no certificate at all
    EXPECT_FALSE(on("btnWiFiSrvCerBrowse"));
    EXPECT_FALSE(on("edtWiFiSrvCerPath"));

    // Back to WEP1: the EAP choice and the credentials are dropped.
    edit("edtWiFiUsername")->setText("user");
    edit("edtWiFiPasswd")->setText("secret");
    choose("ComboBoxWiFiEncryption", 1);
    EXPECT_EQ(find<QComboBox>("cbxWiFiEapType")->currentIndex(), 0);
    EXPECT_FALSE(on("cbxWiFiEapType"));
    EXPECT_TRUE(edit("edtWiFiUsername")->text().isEmpty());
    EXPECT_TRUE(edit("edtWiFiPasswd")->text().isEmpty());
    EXPECT_FALSE(on("edtWiFiUsername"));
    EXPECT_TRUE(on("EditWiFiKey"));

    choose("ComboBoxWiFiDHCP", 1);
    for (const char* c : {"LabelWiFiIP", "EditWiFiIP", "EditWiFiMask", "EditWiFiGateway"})
        EXPECT_TRUE(on(c)) << c;
    choose("ComboBoxWiFiDHCP", 2);
    for (const char* c : {"LabelWiFiGateway", "EditWiFiIP", "EditWiFiMask", "EditWiFiGateway"})
        EXPECT_FALSE(on(c)) << c;
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST_F(WirelessPage, SecretBoxesEmptyWhenEnteredAndFtpPathTakesSlashes) {
    start();
    for (const char* name :
         {"EditWiFiKey", "edtWiFiUsername", "edtWiFiPasswd", "edtFtpUser", "edtFtpPswd"}) {
        QLineEdit* e = edit(name);
        e->setText("stored");
        e->setEchoMode(QLineEdit::Password);
        // Returning to the window is no new entry: what was typed stays.
        focus(e, QEvent::FocusIn, Qt::ActiveWindowFocusReason);
        EXPECT_EQ(e->text(), "stored") << name;
        focus(e, QEvent::FocusIn);
        EXPECT_TRUE(e->text().isEmpty()) << name;
        EXPECT_EQ(e->echoMode(), QLineEdit::Normal) << name;
    }
    // Other boxes keep their text.
    edit("EditWiFiSSID")->setText("net");
    focus(edit("EditWiFiSSID"), QEvent::FocusIn);
    EXPECT_EQ(edit("EditWiFiSSID")->text(), "net");

    QLineEdit* path = edit("edtFtpPath");
    path->setText("dir\\sub\\");
    focus(path, QEvent::FocusIn);
    EXPECT_EQ(path->text(), "dir\\sub\\");
    focus(path, QEvent::FocusOut);
    EXPECT_EQ(path->text(), "dir/sub/");
}

TEST_F(WirelessPage, CertificateBrowseKeepsToEightThreeNames) {
    start();
    choose("ComboBoxWiFiEncryption", 6);
    choose("cbxWiFiEapType", 1);
    auto* ca = find<QPushButton>("btnWiFiSrvCerBrowse");
    ca->setEnabled(true);

    prompter.files = {"/home/op/certs/ROOTCA01.PEM"};
    ca->click();
    EXPECT_EQ(edit("edtWiFiSrvCerPath")->text(), "/home/op/certs/ROOTCA01.PEM");
    ASSERT_EQ(prompter.fileRequests.size(), 1u);
    EXPECT_EQ(prompter.fileRequests[0].filter,
              "Certificate files (*.der *.cer *.pem);;All files (*)");

    prompter.files = {"/home/op/certs/ROOTCA012.PEM"};
    ca->click();
    EXPECT_EQ(prompter.messages, QStringList{"Not compatible with 8.3 filenames for printer"});
    EXPECT_EQ(edit("edtWiFiSrvCerPath")->text(), "/home/op/certs/ROOTCA01.PEM");

    // A cancelled dialog changes nothing.
    ca->click();
    EXPECT_EQ(edit("edtWiFiSrvCerPath")->text(), "/home/op/certs/ROOTCA01.PEM");

    prompter.files = {"/k/CLIENT.KEY", "/k/USER.DER"};
    find<QPushButton>("btnWiFiPrivKeyBrowse")->click();
    find<QPushButton>("btnWiFiClientCerBrowse")->click();
    EXPECT_EQ(edit("edtWiFiPrivKeyPath")->text(), "/k/CLIENT.KEY");
    EXPECT_EQ(edit("edtWiFiClientCerPath")->text(), "/k/USER.DER");
    EXPECT_EQ(prompter.fileRequests[3].filter,
              "Certificate files (*.der *.cer *.pem *.key);;All files (*)");

    // The external module's CA browse button fills this page's path edit.
    auto* ext = find<QPushButton>("btnExWiFiSrvCerBrowse");
    ext->setEnabled(true);
    prompter.files = {"/x/EXT.PEM"};
    ext->click();
    EXPECT_EQ(edit("edtWiFiSrvCerPath")->text(), "/x/EXT.PEM");
}

// The key check runs after the password read and before anything is built
// or written.
TEST_F(WirelessPage, KeyCheckStopsSetBeforeAnythingIsWritten) {
    MainWindow& w = start({"--wifi", "wep"});
    showWirelessPage();
    auto* set = m350test::controlNamed<QPushButton>(w, "ButtonConfigSet");
    ASSERT_TRUE(set->isEnabled());
    struct Case {
        int encryption;
        const char* key;
        const char* message;  // null: refused silently
    };
    const Case refused[] = {
        {1, "abcdefghijkl", "The length is invalid!!"},
        {2, "0123456789abcdefABCDEF012g", "The format is not valid!!"},
        {5, "1234567", nullptr},
        {5, "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdeg", nullptr},
    };
    for (const auto& c : refused) {
        choose("ComboBoxWiFiEncryption", c.encryption);
        edit("EditWiFiKey")->setText(QString::fromLatin1(c.key));
        set->click();
        // Refused before the password is asked for, always with a message.
        EXPECT_EQ(settle(), std::vector<std::string>{}) << c.key;
        ASSERT_EQ(prompter.messages.size(), 1) << c.key;
        if (c.message)
            EXPECT_EQ(prompter.messages[0], c.message) << c.key;
        else
            EXPECT_TRUE(prompter.messages[0].contains("WLAN Key")) << c.key;
        prompter.messages.clear();
    }

    // A key shown after a read empties when the box is entered; WEP then
    // needs it typed again.
    choose("ComboBoxWiFiEncryption", 1);
    edit("EditWiFiKey")->setText("abcde");
    focus(edit("EditWiFiKey"), QEvent::FocusIn);
    set->click();
    EXPECT_EQ(settle(), std::vector<std::string>{});
    EXPECT_EQ(prompter.messages, QStringList{"The length is invalid!!"});
    prompter.messages.clear();

    // A good key lets the page be written.
    choose("ComboBoxWiFiEncryption", 1);
    edit("EditWiFiKey")->setText("Hello World!~");
    set->click();
    const auto sent = settle();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0], kPasswordRead);
    EXPECT_NE(sent[1].find("Hello World!~"), std::string::npos);
    EXPECT_TRUE(prompter.messages.isEmpty()) << prompter.messages.join("|").toStdString();
}

// After the key check's message the focus is on the key, which is empty and
// shown in clear, as entering it makes it: what the operator types next is
// the whole new key. The message box takes the window's activation as a
// real one does, so the key's focus arrives only once the window is active
// again.
TEST_F(WirelessPage, AKeyCheckMessageEmptiesTheKeyAndGivesItTheFocus) {
    start({"--wifi", "wep"});
    window->show();
    QApplication::setActiveWindow(window.get());
    showWirelessPage();
    QWidget box;
    prompter.onMessage = [&](const QString&) {
        box.show();
        QApplication::setActiveWindow(&box);
        QCoreApplication::processEvents();
    };
    choose("ComboBoxWiFiEncryption", 1);
    QLineEdit* key = edit("EditWiFiKey");
    key->setText(QStringLiteral("abcdefghijkl"));  // no WEP length
    find<QPushButton>("ButtonConfigSet")->click();
    box.hide();
    QApplication::setActiveWindow(window.get());
    QCoreApplication::processEvents();
    EXPECT_EQ(settle(), std::vector<std::string>{});  // before the password is asked for
    EXPECT_EQ(prompter.messages, QStringList{"The length is invalid!!"});
    EXPECT_EQ(window->focusWidget(), key);
    EXPECT_EQ(key->text(), QString());
    EXPECT_EQ(key->echoMode(), QLineEdit::Normal);
    QTest::keyClicks(key, QStringLiteral("abcde"));
    EXPECT_EQ(key->text(), QStringLiteral("abcde"));
}

TEST_F(WirelessPage, FactoryDefaultSendsTheLineAndMarksTheModuleUnknown) {
    MainWindow& w = start();
    showWirelessPage();
    ConfigPage& page = *w.configPage();
    auto* button = find<QPushButton>("btnWirlessFactoryDef");
    ASSERT_TRUE(button->isEnabled());
    ASSERT_FALSE(page.macNoModule());
    edit("edtWiFiSrvCerPath")->setText("/c/CA.PEM");
    edit("edtWiFiPrivKeyPath")->setText("/c/K.KEY");
    const QString mac = edit("edtWiFiMac")->text();
    ASSERT_EQ(mac, QStringLiteral("02:00:00:35:0A:01"));

    prompter.confirms = {true};
    button->click();
    EXPECT_EQ(settle(), (std::vector<std::string>{kPasswordRead, "WLAN DEFAULT\r\n"}));
    EXPECT_EQ(
        prompter.shown,
        QStringList{"confirm: Restore the wireless factory settings? The SSID and key are lost."});
    EXPECT_TRUE(page.macNoModule());
    EXPECT_EQ(edit("edtWiFiMac")->palette().color(QPalette::Base), QColor(Qt::red));
    // Only the colours say so: the address read stays.
    EXPECT_EQ(edit("edtWiFiMac")->text(), mac);
    EXPECT_FALSE(m350test::controlNamed<QPushButton>(w, "ButtonConfigSet")->isEnabled());
    EXPECT_FALSE(button->isEnabled());
    EXPECT_EQ(edit("edtWiFiSrvCerPath")->text(), "CA Certificate");
    EXPECT_EQ(edit("edtWiFiClientCerPath")->text(), "User Certificate");
    EXPECT_EQ(edit("edtWiFiPrivKeyPath")->text(), "Private Key");

    // Set comes back on other pages only.
    m350test::controlNamed<QTabWidget>(w, "PageControl2")->setCurrentIndex(0);
    EXPECT_TRUE(m350test::controlNamed<QPushButton>(w, "ButtonConfigSet")->isEnabled());
    showWirelessPage();
    EXPECT_FALSE(m350test::controlNamed<QPushButton>(w, "ButtonConfigSet")->isEnabled());
}

TEST_F(WirelessPage, FactoryDefaultAsksForThePrinterPassword) {
    start({"--password", "Secret"});
    showWirelessPage();
    prompter.confirms = {true};
    find<QPushButton>("btnWirlessFactoryDef")->click();  // the password prompt is cancelled
    EXPECT_EQ(settle(), std::vector<std::string>{kPasswordRead});
    EXPECT_EQ(
        prompter.shown,
        (QStringList{"confirm: Restore the wireless factory settings? The SSID and key are lost.",
                     "dialog: TFormPassword"}));
    EXPECT_FALSE(window->configPage()->macNoModule());
    EXPECT_TRUE(find<QPushButton>("btnWirlessFactoryDef")->isEnabled());
}

// A failed write still leaves the module marked unknown.
TEST_F(WirelessPage, FailedFactoryDefaultShowsItsMessageAndMarksTheModuleAnyway) {
    MainWindow& w = start();
    showWirelessPage();
    setenv("M350_LPT1", "/nonexistent/m350-lp", 1);
    m350test::controlNamed<QComboBox>(w, "ComboBoxInterFace")->setCurrentIndex(2);
    w.onInterfaceChanged(2);
    prompter.confirms = {true};
    find<QPushButton>("btnWirlessFactoryDef")->click();
    unsetenv("M350_LPT1");
    EXPECT_EQ(prompter.messages, QStringList{"Port Open Error"});
    EXPECT_TRUE(w.configPage()->macNoModule());
    EXPECT_FALSE(m350test::controlNamed<QPushButton>(w, "ButtonConfigSet")->isEnabled());
}

}  // namespace
