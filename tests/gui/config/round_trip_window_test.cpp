// SPDX-License-Identifier: MIT
// What the operator reads is what the printer gets back: the real pages read
// from the simulated printer, then Set and Save without an edit, and the
// bytes on the wire and in the file are compared with what was read (the
// lines the core builds from the read record itself). Fractional speeds,
// lengths off the two-decimal grid, texts longer than the typing limits,
// texts outside ASCII in several encodings, the unit switch, and Clear.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <set>

#include "../control_named.h"
#include "../scripted_prompter.h"
#include "../test_window.h"
#include "core/config/config_file.h"
#include "core/config/config_write.h"
#include "core/i18n/language_table.h"
#include "gui/main_window.h"
#include "gui/pages/config_page.h"
#include "gui/widgets/radio_group.h"
#include "support/diagnostic_wire.h"
#include "support/sim_process.h"

using namespace m350::gui;
using F = m350::Field;
using m350test::kPasswordRead;

namespace {

// 40, 42 and 45 characters: past the typing limits of 32.
const std::string kLongHost = "M350-SIM-warehouse-north-dock-labeller-7";
const std::string kLongUser = "svc-label-printers@warehouse.example.local";
const std::string kLongPassword = "correct-horse-battery-staple-0123456789-ABCDE";

class RoundTripWindow : public ::testing::Test {
  protected:
    void start(std::vector<std::string> simArgs, int language = m350::kLangEnglish) {
        sim = std::make_unique<m350test::SimProcess>(std::move(simArgs));
        ASSERT_TRUE(sim->ok()) << sim->error();
        StartupOptions options = m350test::loopbackPrinter(sim->tcpPort());
        options.language = language;
        main = std::make_unique<MainWindow>(options, m350test::testSeams(prompter, progress));
        page = main->configPage();
        settle();
        read = page->record();
        ASSERT_EQ(read.byte(F::dpiKnown), 1);  // the start-up read reached the printer
    }
    // What each connection received since the last call.
    std::vector<std::string> settle() {
        sim->waitForQuiet();
        std::vector<std::string> out;
        const auto t = sim->transcript();
        for (std::size_t i = seen; i < t.size(); ++i) out.push_back(t[i].rx);
        seen = t.size();
        return out;
    }
    // Set on a page: the gate's query, then the page's bytes.
    std::vector<std::string> set(int tab) {
        auto* tabs = m350test::controlNamed<QTabWidget>(*main, "PageControl2");
        tabs->setTabVisible(tab, true);
        tabs->setCurrentIndex(tab);
        m350test::controlNamed<QPushButton>(*main, "ButtonConfigSet")->click();
        return settle();
    }
    // The bytes the core sends for a record's page: what was read, in a unit.
    static std::string linesOf(m350::ConfigRecord r, bool inch, int tab) {
        r.setByte(F::inchUnits, inch ? 1 : 0);
        std::string all;
        for (const std::string& line : m350::configPageLines(r, tab)) all += line;
        return all;
    }
    // Save to a file and read it back.
    m350::ConfigFileContents save(const QString& name) {
        const QString path = dir.filePath(name);
        prompter.files.push_back(path);
        m350test::controlNamed<QPushButton>(*main, "ButtonSave")->click();
        m350::ConfigFileContents contents;
        EXPECT_EQ(m350::loadConfigFile(path.toStdString(), contents), m350::ConfigFileResult::kOk)
            << name.toStdString();
        return contents;
    }
    void chooseUnit(int index) {
        m350test::controlNamed<RadioGroup>(*main, "RadioGroupUnit")->button(index)->click();
    }
    void chooseEncoding(const char* name) {
        auto* action = main->findChild<QAction*>(QStringLiteral("ActionTextEncoding") +
                                                 QString::fromLatin1(name));
        ASSERT_NE(action, nullptr) << name;
        action->trigger();
    }
    QLineEdit* edit(const char* name) { return m350test::controlNamed<QLineEdit>(*main, name); }
    static QString utf8(const std::string& s) { return QString::fromStdString(s); }

    m350test::ScriptedPrompter prompter;
    m350test::RecordingProgress progress;
    std::unique_ptr<m350test::SimProcess> sim;
    std::unique_ptr<MainWindow> main;
    ConfigPage* page = nullptr;
    m350::ConfigRecord read;
    std::size_t seen = 0;
    QTemporaryDir dir;
};

// Numbers that do not survive the boxes' texts: a speed of 3.3 in a box of
// two characters, 2000 dots at 203 dpi (9.85 inch, 1999.55 dots back), and
// at 300 dpi in mm 812 dots (68.81 mm, 811 dots back) and 271 (22.97 mm,
// 270 back). Set on every settings page, in both units, sends what was read.
TEST_F(RoundTripWindow, NumbersGoBackAsTheyWereRead) {
    const struct {
        std::vector<std::string> args;
        std::string expectInCommon;  // a line the read record must produce
    } printers[] = {
        {{"--set", "SPEED=3.3", "--set", "MAXLENGTH=2000", "--set", "PAPERHEIGHT=609"},
         "LIMITFEED 2000.00 dot\r\n"},
        {{"--dpi", "300", "--set", "SPEED=2.5", "--set", "ZLABELWIDTH=812", "--set",
          "DCOLUMNOFFSET=271", "--set", "GAPSIZE=271", "--set", "PAPERWIDTH=812"},
         "SPEED 2.5\r\n"},
    };
    for (const auto& printer : printers) {
        start(printer.args);
        EXPECT_NE(linesOf(read, true, m350::kPageCommon).find(printer.expectInCommon),
                  std::string::npos);
        for (int unit : {0, 1, 0}) {
            chooseUnit(unit);
            for (int tab : {m350::kPageCommon, m350::kPageZ, m350::kPageD, m350::kPageRs232}) {
                const auto sent = set(tab);
                ASSERT_EQ(sent.size(), 2u)
                    << "tab " << tab << prompter.messages.join("|").toStdString();
                EXPECT_EQ(sent[0], kPasswordRead);
                EXPECT_EQ(sent[1], linesOf(read, unit == 0, tab))
                    << "tab " << tab << " unit " << unit;
            }
        }
        // The file holds the very numbers read.
        const m350::ConfigFileContents file = save(QStringLiteral("numbers.dcf"));
        for (F f : {F::speed, F::maxLength, F::paperWidth, F::paperHeight, F::gapSize,
                    F::zLabelWidth, F::dLabelWidth, F::dColumnOffset, F::dRowOffset}) {
            EXPECT_EQ(file.record.present(f), read.present(f)) << m350::fieldInfoOf(f).name;
            EXPECT_EQ(file.record.number(f), read.number(f)) << m350::fieldInfoOf(f).name;
        }
        EXPECT_TRUE(prompter.messages.isEmpty()) << prompter.messages.join("|").toStdString();
        main.reset();
        seen = 0;
    }
}

// Texts longer than the typing limits show and go back whole: a 40-character
// host name, a 42-character EAP user, a 45-character password, a roaming
// trigger of -100 in a box of three.
TEST_F(RoundTripWindow, LongTextsGoBackWhole) {
    start({"--wifi", "eap", "--set", "WIFIUSERNAME=" + kLongUser, "--set",
           "WIFIPASSWD=" + kLongPassword, "--set", "WIFIROAMTRIG=-100"});
    EXPECT_EQ(edit("Edit1Printname")->text(), utf8(kLongHost));
    EXPECT_EQ(edit("edtWiFiUsername")->text(), utf8(kLongUser));
    EXPECT_EQ(edit("edtWiFiPasswd")->text(), utf8(kLongPassword));
    EXPECT_EQ(edit("edtRoamRssi")->text(), QStringLiteral("-100"));

    const auto sent = set(m350::kPageWireless);
    ASSERT_EQ(sent.size(), 2u) << prompter.messages.join("|").toStdString();
    EXPECT_EQ(sent[1], linesOf(read, true, m350::kPageWireless));
    EXPECT_NE(sent[1].find("WLAN HOSTNAME \"" + kLongHost + "\"\r\n"), std::string::npos);
    EXPECT_NE(sent[1].find("WLAN EAP 2,1,\"" + kLongUser + "\",\"" + kLongPassword + "\"\r\n"),
              std::string::npos);
    EXPECT_NE(sent[1].find("WLAN ROAM \"-100\",\"10\"\r\n"), std::string::npos);

    const m350::ConfigFileContents file = save(QStringLiteral("long.dcf"));
    EXPECT_EQ(file.record.text(F::wifiPrintName), kLongHost);
    EXPECT_EQ(file.record.text(F::wifiUsername), kLongUser);
    EXPECT_EQ(file.record.text(F::wifiPassword), kLongPassword);
    EXPECT_EQ(file.record.integer(F::wifiRoamTrigger), -100);
    EXPECT_EQ(file.record.integer(F::wifiEap), read.integer(F::wifiEap));
    EXPECT_TRUE(prompter.messages.isEmpty()) << prompter.messages.join("|").toStdString();
}

// Texts outside ASCII: shown in the interface language's code page or the
// encoding chosen, and a box left alone sends back its bytes whatever the
// encoding makes of them.
TEST_F(RoundTripWindow, TextsKeepTheirBytesInEveryEncoding) {
    const std::string ssid = "\xd1\xea\xeb\xe0\xe4-3";  // "Склад-3" in CP1251
    const std::string btName = "Caf\xc3\xa9";           // "Café" in UTF-8
    start({"--wifi", "wpa", "--set", "WIFISSID=" + ssid, "--set", "BTNAME=" + btName, "--set",
           "_WPAKEY=\xef\xe0\xf0\xee\xeb\xfc"
           "12"},
          m350::kLangRussian);
    EXPECT_EQ(edit("EditWiFiSSID")->text(), QStringLiteral("Склад-3"));
    EXPECT_EQ(edit("EditBTName")->text(), QStringLiteral("CafГ©"));
    EXPECT_EQ(edit("EditWiFiKey")->text(), QStringLiteral("пароль12"));

    // The same bytes back whichever encoding shows them, and in the file.
    for (const char* encoding : {"Language", "UTF-8", "CP1252", "CP932"}) {
        chooseEncoding(encoding);
        for (int tab : {m350::kPageWireless, m350::kPageBluetooth}) {
            const auto sent = set(tab);
            ASSERT_EQ(sent.size(), 2u) << encoding << prompter.messages.join("|").toStdString();
            EXPECT_EQ(sent[1], linesOf(read, true, tab)) << encoding << " tab " << tab;
        }
        const m350::ConfigFileContents file = save(QStringLiteral("texts.dcf"));
        EXPECT_EQ(file.record.text(F::wifiSsid), ssid) << encoding;
        EXPECT_EQ(file.record.text(F::btName), btName) << encoding;
        EXPECT_EQ(file.record.text(F::wifiKey), read.text(F::wifiKey)) << encoding;
    }
    EXPECT_TRUE(prompter.messages.isEmpty()) << prompter.messages.join("|").toStdString();

    // Another interface language reads the same bytes in its code page and
    // still sends them back as they were.
    chooseEncoding("Language");
    main->onLanguageChanged(m350::kLangEnglish);
    EXPECT_EQ(edit("EditWiFiSSID")->text(), QStringLiteral("Ñêëàä-3"));
    auto english = set(m350::kPageWireless);
    ASSERT_EQ(english.size(), 2u);
    EXPECT_EQ(english[1], linesOf(read, true, m350::kPageWireless));
    main->onLanguageChanged(m350::kLangRussian);
    EXPECT_EQ(edit("EditWiFiSSID")->text(), QStringLiteral("Склад-3"));

    // In UTF-8 the Bluetooth name reads as the printer meant it, and typed
    // text goes out in UTF-8.
    chooseEncoding("UTF-8");
    EXPECT_EQ(edit("EditBTName")->text(), QStringLiteral("Café"));
    edit("EditWiFiSSID")->setText(QStringLiteral("Café"));
    auto sent = set(m350::kPageWireless);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_NE(sent[1].find("WLAN SSID \"Caf\xc3\xa9\"\r\n"), std::string::npos) << sent[1];

    // Back to the language's code page: a Cyrillic key goes out in CP1251.
    chooseEncoding("Language");
    edit("EditWiFiSSID")->setText(QStringLiteral("Склад-4"));
    edit("EditWiFiKey")->setText(QStringLiteral("секрет12"));
    sent = set(m350::kPageWireless);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_NE(sent[1].find("WLAN SSID \"\xd1\xea\xeb\xe0\xe4-4\"\r\n"), std::string::npos);
    EXPECT_NE(sent[1].find("WLAN WPA \"\xf1\xe5\xea\xf0\xe5\xf2"
                           "12\"\r\n"),
              std::string::npos);
}

// A typed character the encoding cannot hold is refused on Set and on Save,
// naming the box; nothing goes out and no file is written.
TEST_F(RoundTripWindow, ACharacterTheEncodingCannotHoldIsRefused) {
    start({"--wifi", "wpa"});
    EXPECT_EQ(edit("EditWiFiKey")->text(), QStringLiteral("simsecret123"));
    edit("EditWiFiKey")->setText(QStringLiteral("пароль12"));
    const auto sent = set(m350::kPageWireless);
    EXPECT_EQ(sent, std::vector<std::string>{});  // refused before the password is asked for
    ASSERT_EQ(prompter.messages.size(), 1);
    EXPECT_TRUE(prompter.messages[0].contains("WLAN Key")) << prompter.messages[0].toStdString();
    EXPECT_TRUE(prompter.messages[0].contains(QStringLiteral("п")));
    EXPECT_TRUE(prompter.messages[0].contains("CP1252"));

    const QString path = dir.filePath(QStringLiteral("refused.dcf"));
    prompter.files.push_back(path);
    m350test::controlNamed<QPushButton>(*main, "ButtonSave")->click();
    EXPECT_EQ(prompter.messages.size(), 2);
    EXPECT_FALSE(QFile::exists(path));

    // The same key in UTF-8 goes out, as UTF-8.
    chooseEncoding("UTF-8");
    const auto accepted = set(m350::kPageWireless);
    ASSERT_EQ(accepted.size(), 2u) << prompter.messages.join("|").toStdString();
    EXPECT_NE(accepted[1].find("WLAN WPA \"\xd0\xbf\xd0\xb0\xd1\x80\xd0\xbe\xd0\xbb\xd1\x8c"
                               "12\"\r\n"),
              std::string::npos);
    // A typed text longer than the setting keeps is refused too, not cut.
    edit("EditWiFiSSID")->setText(QString(64, QLatin1Char('s')));
    EXPECT_EQ(set(m350::kPageWireless), std::vector<std::string>{});
    EXPECT_TRUE(prompter.messages.last().contains("WLAN SSID"));
    EXPECT_TRUE(prompter.messages.last().contains("63"));
}

// The unit switch converts: a 4 x 3 inch label stays 4 x 3 inch in mm, and a
// width typed in inch is the same width in mm.
TEST_F(RoundTripWindow, TheUnitSwitchKeepsTheLengths) {
    start({"--set", "PAPERWIDTH=812", "--set", "PAPERHEIGHT=609"});
    EXPECT_EQ(edit("EditWidth")->text(), QStringLiteral("4.00"));
    chooseUnit(1);
    EXPECT_EQ(edit("EditWidth")->text(), QStringLiteral("101.50"));
    EXPECT_EQ(edit("EditHeight")->text(), QStringLiteral("76.13"));  // 76.125, half away
    auto sent = set(m350::kPageCommon);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1], linesOf(read, false, m350::kPageCommon));
    EXPECT_NE(sent[1].find("SIZE 101.50 mm,76.13 mm\r\n"), std::string::npos);

    chooseUnit(0);
    edit("EditWidth")->setText(QStringLiteral("2"));
    edit("EditHeight")->setText(QStringLiteral("not a number"));
    prompter.confirms = {true, true};  // both switches convert what was typed
    chooseUnit(1);
    EXPECT_EQ(edit("EditWidth")->text(), QStringLiteral("50.75"));  // 406 dots
    EXPECT_EQ(edit("EditHeight")->text(), QStringLiteral("not a number"));
    edit("EditHeight")->setText(QStringLiteral("76.13"));
    chooseUnit(0);
    EXPECT_EQ(edit("EditWidth")->text(), QStringLiteral("2.00"));
    sent = set(m350::kPageCommon);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_NE(sent[1].find("SIZE 2.00,3.00\r\n"), std::string::npos) << sent[1];
}

// A Save without an edit holds what was read, byte for byte, but for what
// the form defines itself: the unit, and the FTP settings it always writes
// (the read never asks for them).
TEST_F(RoundTripWindow, ASaveWithoutEditsHoldsWhatWasRead) {
    const std::set<std::string_view> formsOwn = {"inchUnits",  "ftpClientEnabled",   "ftpServer",
                                                 "ftpPath",    "ftpDescriptionFile", "ftpUser",
                                                 "ftpPassword"};
    for (const char* wifi : {"wpa", "wep", "eap"}) {
        start({"--wifi", wifi, "--set", "SPEED=3.3", "--set", "MAXLENGTH=2000", "--set",
               "WIFIROAMTRIG=-100", "--set", "WIFISSID=Caf\xe9 \x81"});
        for (int unit : {1, 0}) {
            chooseUnit(unit);
            const m350::ConfigFileContents file = save(QStringLiteral("as-read.dcf"));
            EXPECT_EQ(file.unit, unit);
            for (const m350::FieldInfo& info : m350::fieldTable()) {
                if (formsOwn.contains(info.name)) continue;
                const auto at = read.bytes().begin() + info.offset;
                EXPECT_TRUE(std::equal(at, read.bytes().begin() + info.end(),
                                       file.record.bytes().begin() + info.offset))
                    << wifi << " unit " << unit << ": " << info.name;
            }
        }
        EXPECT_TRUE(prompter.messages.isEmpty()) << prompter.messages.join("|").toStdString();
        main.reset();
        seen = 0;
    }
}

// Clear leaves no secret of the last printer for Save to write.
TEST_F(RoundTripWindow, ClearForgetsTheSecrets) {
    for (const char* wifi : {"wpa", "eap"}) {
        start({"--wifi", wifi, "--set", "BTPINCODE=8642"});
        EXPECT_EQ(edit("EditBTPinCode")->text(), QStringLiteral("8642"));
        m350test::controlNamed<QPushButton>(*main, "ButtonClear")->click();
        const m350::ConfigFileContents file = save(QStringLiteral("cleared.dcf"));
        for (F f : {F::wifiKey, F::wifiUsername, F::wifiPassword, F::btPinCode, F::ftpUser,
                    F::ftpPassword})
            EXPECT_EQ(file.record.text(f), "") << wifi << " " << m350::fieldInfoOf(f).name;
        for (const char* box : {"EditWiFiKey", "edtWiFiUsername", "edtWiFiPasswd", "EditBTPinCode",
                                "edtFtpUser", "edtFtpPswd"})
            EXPECT_EQ(edit(box)->text(), QString()) << wifi << " " << box;
        // Set on another page is not stopped by a key check on nothing.
        EXPECT_EQ(set(m350::kPageRs232).size(), 2u) << prompter.messages.join("|").toStdString();
        main.reset();
        seen = 0;
    }
}

// Set with "Verify" ticked reads the page back: the speed the printer kept
// is named with what was written and what it reports, a page it took whole
// is confirmed, and without the tick nothing is read back.
TEST_F(RoundTripWindow, VerifyAfterSetNamesTheSettingThePrinterKept) {
    start({"--read-only", "SPEED"});
    auto* verify = m350test::controlNamed<QCheckBox>(*main, "CheckBoxVerifySet");
    ASSERT_FALSE(verify->isChecked());
    EXPECT_TRUE(verify->isVisibleTo(main.get()));
    struct Case {
        const char* what;
        bool ticked;
        QString speed;
        std::size_t connections;  // the gate and the write, then the read back
        QString message;          // the message shown; empty for none
    };
    const Case cases[] = {
        {"not ticked", false, QStringLiteral("4.0"), 2, QString()},
        {"the speed kept", true, QStringLiteral("4.0"), 3,
         QStringLiteral("The printer did not take 1 of the settings written:\n\n"
                        "speed: written \"4.0\", the printer reports \"2.5\"")},
        {"everything taken", true, QStringLiteral("2.5"), 3,
         QStringLiteral("The printer took every setting of this page.")},
    };
    for (const auto& c : cases) {
        verify->setChecked(c.ticked);
        edit("EditSpeed")->setText(c.speed);
        prompter.messages.clear();
        const auto sent = set(m350::kPageCommon);
        EXPECT_EQ(sent.size(), c.connections) << c.what;
        if (sent.size() == 3) {
            EXPECT_EQ(sent[2].rfind("\r\nDIAGNOSTIC INTERFACE NET\r\nDIAGNOSTIC REPORT ", 0), 0u)
                << c.what;
        }
        if (c.message.isEmpty()) {
            EXPECT_TRUE(prompter.messages.isEmpty()) << c.what;
        } else {
            EXPECT_EQ(prompter.messages, QStringList{c.message}) << c.what;
        }
    }
}

}  // namespace
