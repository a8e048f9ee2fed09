// SPDX-License-Identifier: MIT
// The configuration pages of the main window against the simulated printer:
// what Read, Clear, Set, Save and load show, and the exact bytes each page's
// Set puts on the wire.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>

#include "../control_named.h"
#include "../scripted_prompter.h"
#include "../test_window.h"
#include "core/config/config_file.h"
#include "gui/language_apply.h"
#include "gui/main_window.h"
#include "gui/pages/config_page.h"
#include "gui/widgets/form_kit.h"
#include "gui/widgets/radio_group.h"
#include "support/scripted_port.h"
#include "support/sim_process.h"

using namespace m350::gui;

using F = m350::Field;

namespace {

const std::string kCtlIn = "\x10";
const std::string kCtlOut = "\x1eXA\x1eJUS\x1eXZ\r\n";
const std::string kFmtIn = "\x1eXA\x1e";
const std::string kFmtOut = "\x1eJUS\x1eXZ\r\n";

class ConfigForm : public ::testing::Test {
  protected:
    void start(std::vector<std::string> simArgs = {}) {
        sim = std::make_unique<m350test::SimProcess>(std::move(simArgs));
        ASSERT_TRUE(sim->ok()) << sim->error();
        main = std::make_unique<MainWindow>(m350test::loopbackPrinter(sim->tcpPort()),
                                            m350test::testSeams(prompter, progress));
        page = main->configPage();
    }

    template <class W>
    W* find(const char* name) {
        W* w = main->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QLineEdit* edit(const char* name) { return find<QLineEdit>(name); }
    QComboBox* combo(const char* name) { return find<QComboBox>(name); }
    void type(const char* name, const char* text) {
        edit(name)->setText(QString::fromLatin1(text));
    }
    void choose(const char* name, int item) { combo(name)->setCurrentIndex(item); }
    void click(const char* name) { find<QPushButton>(name)->click(); }
    void chooseUnit(int index) {
        m350test::controlNamed<m350::gui::RadioGroup>(*main, "RadioGroupUnit")
            ->button(index)
            ->click();
    }
    void showPage(int index) {
        m350test::controlNamed<QTabWidget>(*main, "PageControl2")->setTabVisible(index, true);
        m350test::controlNamed<QTabWidget>(*main, "PageControl2")->setCurrentIndex(index);
    }

    // Presses Set and returns what the last connection carried to the
    // printer (the password gate's query comes before it).
    std::string set() {
        const std::size_t before = closedConnections();
        click("ButtonConfigSet");
        sim->waitForClosed(before + 2, 3000);
        auto t = sim->transcript();
        return t.size() > before ? t.back().rx : std::string();
    }
    std::size_t closedConnections() {
        std::size_t n = 0;
        for (const auto& c : sim->transcript()) n += c.closed ? 1 : 0;
        return n;
    }
    std::string allRx() { return sim->allRx(); }

    // Every box and list of the four settings pages and the information box.
    QStringList snapshot() {
        QStringList out;
        for (QWidget* root : {m350test::controlNamed<QWidget>(*main, "TabSheet5"),
                              m350test::controlNamed<QWidget>(*main, "TabSheet6"),
                              m350test::controlNamed<QWidget>(*main, "TabSheet7"),
                              m350test::controlNamed<QWidget>(*main, "TabSheet8"),
                              static_cast<QWidget*>(m350test::controlNamed<QGroupBox>(
                                  *main, "GroupBoxPrinterInfo"))}) {
            for (auto* e : root->findChildren<QLineEdit*>())
                out << e->objectName() + "=" + e->text() + (e->isHidden() ? " hidden" : "");
            for (auto* c : root->findChildren<QComboBox*>())
                out << c->objectName() + "#" + QString::number(c->currentIndex());
            for (auto* l : root->findChildren<QLabel*>())
                if (l->objectName().startsWith("LabelUnit"))
                    out << l->objectName() + ":" + l->text();
        }
        return out;
    }

    m350test::ScriptedPrompter prompter;
    m350test::RecordingProgress progress;
    std::unique_ptr<m350test::SimProcess> sim;
    std::unique_ptr<MainWindow> main;
    ConfigPage* page = nullptr;
};

TEST_F(ConfigForm, StartUpReadIsShownAndEveryMappedControlExists) {
    start();
    EXPECT_FALSE(edit("EditVersion")->text().isEmpty());
    EXPECT_EQ(edit("EditVersion")->text().toStdString(), page->record().text(F::version));
    EXPECT_EQ(page->record().real(F::dotsPerMm), 8.0f);
    EXPECT_FALSE(edit("EditSpeed")->text().isEmpty());
    EXPECT_TRUE(prompter.shown.isEmpty());

    // The language binder finds every configuration control it names.
    const QStringList missing = m350::gui::applyMainWindowLanguage(main.get(), 0);
    for (const QString& m : missing)
        EXPECT_EQ(page->control(m.section(' ', 0, 0)), nullptr) << m.toStdString();
    for (const char* name :
         {"LabelUnit1", "LabelUnit9", "ComboBoxWiFiDHCP", "cbbExWiFiDHCP", "lblExWiFiGateway",
          "btnEnableExtSetup", "LabelDataBit", "LabelThresholdDetection", "ComboBoxThreshold"})
        EXPECT_NE(page->control(QString::fromLatin1(name)), nullptr) << name;

    // Lists, limits and range labels as the pages define them.
    EXPECT_EQ(combo("ComboBoxCodePage")->count(), 37);
    EXPECT_EQ(combo("ComboBoxCodePage")->itemText(36), "8859-15");
    EXPECT_EQ(combo("ComboBoxCountryCode")->count(), 23);
    EXPECT_EQ(combo("ComboBoxDensity")->itemText(16), "15");
    EXPECT_EQ(combo("ComboBoxBaudrate")->itemText(8), "115200");
    EXPECT_EQ(combo("cbxWiFiEapType")->itemText(5), "LEAP");
    EXPECT_EQ(combo("cbxFtpcEnabled")->count(), 2);
    // No box cuts what is typed: Set names what the printer cannot take.
    for (const char* name : {"EditLeftPositionZ", "EditSpeed", "edtFtpPath", "Edit1Printname"})
        EXPECT_EQ(m350::gui::typingLimit(edit(name)), 0) << name;
    EXPECT_EQ(find<QLabel>("LabelRangeLeftPositionZ")->text(), "-9999 to 9999");
    EXPECT_EQ(edit("edtFtpPswd")->echoMode(), QLineEdit::Password);
    EXPECT_FALSE(find<QWidget>("gbWirelessExtDev")
                     ->isVisibleTo(m350test::controlNamed<QWidget>(*main, "TabSheet9")));
}

TEST_F(ConfigForm, ClearShowsTheDefaults) {
    start();
    m350test::controlNamed<QTabWidget>(*main, "PageControl2")->setCurrentIndex(0);
    click("ButtonClear");
    EXPECT_EQ(edit("EditSpeed")->text(), "3");
    EXPECT_EQ(edit("EditControlPrefixZ")->text(), "~");
    EXPECT_EQ(edit("EditFormatPrefixZ")->text(), "^");
    EXPECT_EQ(edit("EditDelimiterCharZ")->text(), ",");
    EXPECT_EQ(edit("EditCuttingCounter")->text(), "0");
    EXPECT_EQ(edit("EditResetCuttingCounter")->text(), "0");
    EXPECT_EQ(edit("EditVersion")->text(), "");
    const QStringList keep{"EditSpeed", "EditControlPrefixZ", "EditFormatPrefixZ",
                           "EditDelimiterCharZ"};
    for (QWidget* sheet : {m350test::controlNamed<QWidget>(*main, "TabSheet5"),
                           m350test::controlNamed<QWidget>(*main, "TabSheet6"),
                           m350test::controlNamed<QWidget>(*main, "TabSheet7"),
                           m350test::controlNamed<QWidget>(*main, "TabSheet8")}) {
        for (auto* e : sheet->findChildren<QLineEdit*>()) {
            if (keep.contains(e->objectName())) continue;
            EXPECT_EQ(e->text(), "") << e->objectName().toStdString();
            if (e->objectName().endsWith("Base")) {
                EXPECT_TRUE(e->isHidden());
            }
        }
        for (auto* c : sheet->findChildren<QComboBox*>())
            EXPECT_EQ(c->currentIndex(), -1) << c->objectName().toStdString();
    }
    EXPECT_EQ(page->record().real(F::dpi), 200.0f);
}

TEST_F(ConfigForm, SetSendsThePageShowingExactly) {
    start();
    click("ButtonClear");  // 200 dpi, every setting absent

    type("EditSpeed", "4");
    type("EditWidth", "4.00");
    type("EditHeight", "3,00x");  // only the speed box takes a comma
    showPage(0);
    prompter.messages.clear();
    // Refused before anything is written: the last connection is the
    // password gate's query.
    EXPECT_EQ(set().find("SPEED 4"), std::string::npos);
    ASSERT_EQ(prompter.messages.size(), 1);
    EXPECT_TRUE(prompter.messages[0].contains("Paper Height"));
    EXPECT_TRUE(prompter.messages[0].contains("3,00x"));
    EXPECT_EQ(allRx().find("SPEED 4"), std::string::npos);

    type("EditHeight", "3.00");
    choose("ComboBoxMediaSensor", 1);
    type("EditGapSize", "0.12");
    type("EditGapOffset", "0");
    choose("ComboBoxPrintOut", 4);
    type("EditCutterPiece", "5");
    EXPECT_EQ(set(),
              "SPEED 4.0\r\nSIZE 4.00,3.00\r\nGAP 0.12,0.00\r\n"
              "SET TEAR OFF\r\nSET PEEL OFF\r\nSET CUTTER 5\r\n");  // no intensity given

    showPage(1);
    type("EditDarknessZ", "15");
    choose("ComboBoxPrintModeZ", 3);
    type("EditPrintWidthZ", "2.00");
    EXPECT_EQ(set(), kCtlIn + "SD15" + kCtlOut + kFmtIn + "MMC" + kFmtOut + kFmtIn + "PW400" +
                         kFmtOut + kCtlIn + "CT~" + kCtlOut + kCtlIn + "CC^" + kCtlOut + kCtlIn +
                         "CD," + kCtlOut);

    showPage(2);
    type("EditHeatD", "12");
    type("EditLabelWidthD", "2");
    choose("ComboBoxControlCodesD", 1);
    EXPECT_EQ(set(),
              "\x02KZH12\r\r\n~KZH12\r\r\n~KZH12|\r\n"
              "\x02KcLW0200;CCS;\r\r\n~KcLW0200;CCS;\r\r\n~KcLW0200;CCS;|\r\n");

    showPage(3);
    choose("ComboBoxBaudrate", 4);
    choose("ComboBoxDatabit", 2);
    choose("ComboBoxParity", 1);
    choose("ComboBoxStopBit", 1);
    EXPECT_EQ(set(), "SET COM1 96,N,8,1\r\n");

    // Clear forgot the modules: the Bluetooth page writes nothing.
    showPage(5);
    EXPECT_EQ(set(), "");

    // The FTP page sends all six settings; no selection is -1.
    showPage(6);
    choose("cbxFtpcEnabled", -1);
    type("edtFtpSrvIp", "ftp.lan");
    EXPECT_EQ(set(),
              "FTPUPD ENABLE \"-1\"\r\nFTPUPD SRVIP \"ftp.lan\"\r\nFTPUPD PATH \"\"\r\n"
              "FTPUPD DESCFILE \"\"\r\nFTPUPD ID \"\"\r\nFTPUPD PSWD \"\"\r\n");
    EXPECT_EQ(edit("edtFtpUser")->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(prompter.messages.size() == 1) << prompter.messages.join("|").toStdString();
}

TEST_F(ConfigForm, SetOnTheModulePagesOfAPrinterThatHasThem) {
    start();
    ASSERT_EQ(page->record().byte(F::btPresent), 1);
    ASSERT_EQ(page->record().byte(F::wifiPresent), 1);
    showPage(5);
    EXPECT_TRUE(edit("EditBTName")->isEnabled());
    type("EditBTName", "Lab-BT");
    type("EditBTPinCode", "1234");
    EXPECT_EQ(set(), "BT PINCODE \"1234\"\r\nBT NAME \"Lab-BT\"\r\n");

    showPage(4);
    ASSERT_TRUE(find<QPushButton>("ButtonConfigSet")->isEnabled());
    type("EditWiFiSSID", "Lab");
    choose("ComboBoxWiFiEncryption", 5);
    type("EditWiFiKey", "secret123");
    choose("ComboBoxWiFiDHCP", 2);
    choose("cbxWiFiEapType", 0);
    type("Edit1Printname", "P1");
    type("edtRoamRssi", "-65");
    type("edtScanRssi", "12");
    type("edtWifiRawPort", "9101");
    const m350::ConfigRecord& r = page->record();
    const std::string rf = r.present(F::wifiFreq) ? r.text(F::wifiFreq) : "";
    EXPECT_EQ(set(),
              "WLAN SSID \"Lab\"\r\nWLAN SECURI WPAPSK\r\nWLAN WPA \"secret123\"\r\n"
              "WLAN WEP1 \"\"\r\nWLAN EAP 0,0,\"\",\"\"\r\nWLAN DHCP\r\n"
              "WLAN HOSTNAME \"P1\"\r\nWLAN RF \"" +
                  rf + "\"\r\nWLAN ROAM \"-65\",\"12\"\r\nWLAN PORT \"9101\"\r\n");
    EXPECT_EQ(edit("EditWiFiKey")->echoMode(), QLineEdit::Password);

    // A module that is not there: Set goes dark on this page only.
    page->markWirelessNotRead();
    EXPECT_FALSE(find<QPushButton>("ButtonConfigSet")->isEnabled());
    EXPECT_FALSE(find<QPushButton>("btnWirlessFactoryDef")->isEnabled());
    showPage(0);
    EXPECT_TRUE(find<QPushButton>("ButtonConfigSet")->isEnabled());
    showPage(4);
    EXPECT_FALSE(find<QPushButton>("ButtonConfigSet")->isEnabled());
    EXPECT_EQ(edit("edtWiFiMac")->palette().color(QPalette::Base), QColor(Qt::red));
}

TEST_F(ConfigForm, MillimetresShowTheReadWidthAndTheUnitChoiceConvertsIt) {
    start({"--set", "PAPERWIDTH=812"});
    chooseUnit(1);
    EXPECT_EQ(find<QLabel>("LabelUnit1")->text(), "mm");
    click("ButtonRead");
    EXPECT_EQ(edit("EditWidth")->text(), "101.50");
    EXPECT_NE(std::find(progress.calls.begin(), progress.calls.end(), "close"),
              progress.calls.end());
    // The same width in the other unit, not the same number relabelled.
    chooseUnit(0);
    EXPECT_EQ(edit("EditWidth")->text(), "4.00");
    EXPECT_EQ(find<QLabel>("LabelUnit9")->text(), "inch");
    showPage(0);
    EXPECT_NE(set().find("SIZE 4.00,"), std::string::npos);
}

TEST_F(ConfigForm, LoadThenSetConvertsWithTheFormRecordsResolution) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    m350::ConfigFileContents file;
    file.unit = 1;
    file.record.setReal(F::dpi, 300.0f);
    file.record.setReal(F::dotsPerMm, 11.8f);
    file.record.setReal(F::maxLength, 1180.0f);  // 100 mm at 11.8 dots per mm
    const QString path = dir.filePath("printer300.dcf");
    ASSERT_EQ(m350::saveConfigFile(path.toStdString(), file), m350::ConfigFileResult::kOk);

    start();
    prompter.files.push_back(path);
    click("ButtonLoad");
    EXPECT_EQ(m350test::controlNamed<m350::gui::RadioGroup>(*main, "RadioGroupUnit")->itemIndex(),
              1);
    EXPECT_EQ(find<QLabel>("LabelUnit5")->text(), "mm");
    EXPECT_EQ(edit("EditMaximumLength")->text(), "100.00");
    EXPECT_EQ(edit("EditPrinterStatus")->text(), "Ready");
    EXPECT_EQ(page->record().real(F::dotsPerMm), 8.0f);  // still the printer's

    showPage(0);
    prompter.confirms = {true};  // the file's values on the other tabs stay unsent
    const std::string sent = set();
    EXPECT_NE(sent.find("LIMITFEED 800.00 dot\r\n"), std::string::npos) << sent;

    // A file that is not a configuration file changes nothing.
    const QString bad = dir.filePath("bad.dcf");
    QFile f(bad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(2848, '\0'));
    f.close();
    const QStringList before = snapshot();
    prompter.files.push_back(bad);
    click("ButtonLoad");
    EXPECT_EQ(prompter.messages.last(), "File Data Error");
    EXPECT_EQ(snapshot(), before);
}

TEST_F(ConfigForm, SaveThenLoadGivesTheSameControls) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    start();
    chooseUnit(1);
    click("ButtonRead");
    type("EditGapInten", "7");
    const QStringList shown = snapshot();

    prompter.files.push_back(dir.filePath("saved"));  // no extension typed
    click("ButtonSave");
    const QString path = dir.filePath("saved.dcf");
    ASSERT_TRUE(QFile::exists(path));
    EXPECT_EQ(QFile(path).size(), 2848);
    EXPECT_EQ(page->record().integer(F::gapInten), 7);  // Save builds the form record

    chooseUnit(0);
    click("ButtonClear");
    prompter.files.push_back(path);
    click("ButtonLoad");
    EXPECT_EQ(snapshot(), shown);
    EXPECT_TRUE(prompter.messages.isEmpty()) << prompter.messages.join("|").toStdString();

    // A bad entry writes no file and keeps the old one whole.
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray good = saved.readAll();
    saved.close();
    type("EditOffset", "12,5");
    prompter.files.push_back(path);
    click("ButtonSave");
    prompter.files.push_back(dir.filePath("other.dcf"));
    click("ButtonSave");
    ASSERT_EQ(prompter.messages.size(), 2);
    EXPECT_TRUE(prompter.messages[0].contains("Offset"));
    EXPECT_TRUE(prompter.messages[0].contains("12,5"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), good);
    EXPECT_FALSE(QFile::exists(dir.filePath("other.dcf")));

    // A file that cannot be written says so, and why.
    type("EditOffset", "3");
    prompter.files.push_back(dir.filePath("no/such/dir/x.dcf"));
    click("ButtonSave");
    ASSERT_EQ(prompter.messages.size(), 3);
    EXPECT_TRUE(prompter.messages[2].contains("x.dcf"));
    EXPECT_TRUE(prompter.messages[2].contains("No such file or directory"));

    // A FIFO as the target is refused and stays a FIFO.
    const QString fifo = dir.filePath("fifo.dcf");
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    prompter.files.push_back(fifo);
    click("ButtonSave");
    ASSERT_EQ(prompter.messages.size(), 4);
    EXPECT_TRUE(prompter.messages[3].contains("it is a FIFO"))
        << prompter.messages[3].toStdString();
    EXPECT_TRUE(QFileInfo(fifo).isFile() == false);

    // A saved file whose SSID holds a quote is refused by name on Load, and
    // the controls stay as they were.
    QByteArray image = good;
    const auto& ssid = m350::fieldInfoOf(F::wifiSsid);
    image[12 + ssid.offset] = 1;
    const QByteArray quoted("Office\" 0,\"xFORMAT F");
    image.replace(12 + ssid.valueOffset(), quoted.size() + 1, quoted + QByteArray(1, '\0'));
    const QString spoiled = dir.filePath("quote.dcf");
    QFile q(spoiled);
    ASSERT_TRUE(q.open(QIODevice::WriteOnly));
    q.write(image);
    q.close();
    const QStringList before = snapshot();
    prompter.files.push_back(spoiled);
    click("ButtonLoad");
    ASSERT_EQ(prompter.messages.size(), 5);
    EXPECT_EQ(prompter.messages[4], "File Data Error: wifiSsid");
    EXPECT_EQ(snapshot(), before);
}

// Save writes only what Load takes back. A record as a printer reports it
// (an SSID in its code page) saves and loads; a typed quote or control byte is
// refused by the field's name before any file is touched, and the form keeps
// what it had.
TEST_F(ConfigForm, SaveRefusesWhatLoadWouldRefuse) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    start({"--set", "WIFISSID=Caf\xE9 \xA4\x40"});
    click("ButtonRead");
    const QString path = dir.filePath("printer.dcf");
    prompter.files.push_back(path);
    click("ButtonSave");
    ASSERT_TRUE(prompter.messages.isEmpty()) << prompter.messages.join("|").toStdString();
    m350::ConfigFileContents loaded;
    ASSERT_EQ(m350::loadConfigFile(path.toStdString(), loaded), m350::ConfigFileResult::kOk);
    EXPECT_EQ(loaded.record.text(F::wifiSsid), "Caf\xE9 \xA4\x40");

    const m350::ConfigRecord kept = page->record();
    struct Case {
        const char* typed;
        const char* file;
    };
    for (const Case c : {Case{"Office\" 0,\"x", "quote.dcf"}, Case{"tab\there", "tab.dcf"}}) {
        type("EditWiFiSSID", c.typed);
        const int before = int(prompter.messages.size());
        prompter.files.push_back(dir.filePath(c.file));
        click("ButtonSave");
        ASSERT_EQ(prompter.messages.size(), before + 1) << c.typed;
        EXPECT_TRUE(prompter.messages.last().startsWith("\"WLAN SSID\" cannot hold"))
            << c.typed << prompter.messages.last().toStdString();
        EXPECT_FALSE(QFile::exists(dir.filePath(c.file))) << c.typed;
        EXPECT_EQ(page->record(), kept) << c.typed;
    }
}

}  // namespace
