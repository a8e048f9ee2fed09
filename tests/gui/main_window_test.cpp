// SPDX-License-Identifier: MIT
// The main window against a scripted printer: selectors, status bar, screen
// fit, first contact, Get Status and the one-shot function buttons.
#include "gui/main_window.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <tuple>

#include "control_named.h"
#include "core/i18n/language_table.h"
#include "gui/dialogs/rs232_setup_dialog.h"
#include "gui/language_apply.h"
#include "gui/mnemonics.h"
#include "gui/pages/config_page.h"
#include "gui/status_clock.h"
#include "gui/widgets/radio_group.h"
#include "scripted_prompter.h"
#include "support/scripted_port.h"
#include "test_window.h"

using namespace m350::gui;

using m350test::ScriptedPort;
using m350test::ScriptedPortState;
using m350test::ScriptedPrompter;

namespace {

class MainWindowTest : public ::testing::Test {
  protected:
    // Builds the window; the port state may be prepared before.
    MainWindow& make(m350::gui::StartupOptions options = {}, QSize screen = {1024, 768}) {
        // English whatever the machine's locale, unless a test chooses.
        if (!options.language) options.language = 0;
        MainWindowSeams seams;
        seams.prompter = &prompter;
        seams.screenSize = [screen] { return screen; };
        seams.progress = &progress;
        seams.sleep = [](int) {};
        seams.settings = &remembered;
        seams.dataFolder = settingsDir.path();
        auto state = port;
        seams.makePort = [this, state](m350::LinkContext&, int iface) {
            ifaces.push_back(iface);
            if (window) enabledDuringOp.push_back(window->isEnabled());
            return std::make_unique<ScriptedPort>(state);
        };
        window = std::make_unique<MainWindow>(options, seams);
        return *window;
    }
    // Forget what the start-up exchange did.
    void resetPort() {
        *port = ScriptedPortState{};
        ifaces.clear();
        enabledDuringOp.clear();
    }
    std::string written() const {
        std::string all;
        for (const auto& c : port->chunks) all += c;
        return all;
    }
    template <class W>
    W* find(const char* name) {
        W* w = window->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void click(const char* name) { find<QPushButton>(name)->click(); }
    void chooseInterface(int index) {
        auto* combo = find<QComboBox>("ComboBoxInterFace");
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }

    ScriptedPrompter prompter;
    m350test::RecordingProgress progress;
    QTemporaryDir settingsDir;
    QSettings remembered{settingsDir.filePath(QStringLiteral("m350-utility.ini")),
                         QSettings::IniFormat};
    std::shared_ptr<ScriptedPortState> port = std::make_shared<ScriptedPortState>();
    std::vector<int> ifaces;
    std::vector<bool> enabledDuringOp;
    std::unique_ptr<MainWindow> window;
};

TEST_F(MainWindowTest, WindowShapeAndPages) {
    MainWindow& w = make();
    EXPECT_EQ(w.windowTitle(), "M350 Configuration Utility 2.07");
    EXPECT_FALSE(w.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(w.minimumSize(), w.maximumSize());

    auto* pages = find<QTabWidget>("PageControl1");
    ASSERT_EQ(pages->count(), 4);
    EXPECT_EQ(pages->currentIndex(), 0);
    EXPECT_EQ(m350::gui::withoutMnemonic(pages->tabText(0)), "Printer Configuration");
    EXPECT_EQ(m350::gui::withoutMnemonic(pages->tabText(3)), "Command Tool");
    for (const char* group : {"GroupBoxPrinterStatus", "GroupBoxPrintreConfig",
                              "GroupBoxPrinterFunction", "GroupBoxPrinterInfo"})
        EXPECT_NE(w.findChild<QWidget*>(group), nullptr) << group;
    // The other pages are made when first shown.
    const char* later[] = {"GroupBoxFileDownload", "GroupBoxFileInfo",    "GroupBoxFileFormat",
                           "GroupBoxFontSelect",   "GroupBoxSatndEncode", "GroupBoxEncodeTable"};
    for (const char* group : later) EXPECT_EQ(w.findChild<QWidget*>(group), nullptr) << group;
    for (int i = 3; i >= 0; --i) pages->setCurrentIndex(i);
    for (const char* group : later) EXPECT_NE(w.findChild<QWidget*>(group), nullptr) << group;

    // Six sub-pages to work with: FTP Update hidden, WiFi AP taken out but kept.
    auto* sub = find<QTabWidget>("PageControl2");
    ASSERT_EQ(sub->count(), 7);
    const char* names[] = {"TabSheet5", "TabSheet6",  "TabSheet7", "TabSheet8",
                           "TabSheet9", "TabSheet11", "tsFtpUpd"};
    const char* captions[] = {"Common", "Z", "D", "RS-232", "Wireless", "Bluetooth", "FTP Update"};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(sub->widget(i)->objectName(), names[i]);
        EXPECT_EQ(m350::gui::withoutMnemonic(sub->tabText(i)), captions[i]);
        EXPECT_EQ(sub->isTabVisible(i), i != 6);
    }
    EXPECT_EQ(sub->currentIndex(), 0);
    EXPECT_EQ(sub->indexOf(w.findChild<QWidget*>("TabSheet10")), -1);
    EXPECT_NE(w.findChild<QWidget*>("TabSheet10"), nullptr);

    EXPECT_EQ(find<QComboBox>("ComboBoxLanguage")->count(), 14);
    EXPECT_EQ(find<m350::gui::RadioGroup>("RadioGroupUnit")->itemIndex(), 0);
    EXPECT_FALSE(find<QPushButton>("ButtonActEmulation")->isVisibleTo(&w));
    EXPECT_TRUE(find<QPushButton>("ButtonLineModeOut")->isVisibleTo(&w));
    // The layout's "Calibrate Sensor " gives way to the language table's text
    // when the language is applied at start-up.
    EXPECT_EQ(m350::gui::withoutMnemonic(find<QPushButton>("ButtonSensorCalibrate")->text()),
              "Calibrate Sensor");
}

TEST_F(MainWindowTest, InterfaceSelectorEnableTable) {
    make();
    auto* setup = find<QPushButton>("ButtonInterFace");
    auto* status = find<QPushButton>("ButtonGetStatus");
    auto* read = find<QPushButton>("ButtonRead");
    EXPECT_EQ(find<QComboBox>("ComboBoxInterFace")->currentText(), "USB");
    // USB's Setup chooses the device, so Setup is there for every interface.
    EXPECT_TRUE(setup->isEnabled());
    struct Row {
        int index;
        bool setup, status, read;
    } rows[] = {{2, true, false, false},
                {1, true, true, true},
                {3, true, true, true},
                {0, true, true, true},
                {2, true, false, false}};
    for (const Row& r : rows) {
        chooseInterface(r.index);
        EXPECT_EQ(setup->isEnabled(), r.setup) << r.index;
        EXPECT_EQ(status->isEnabled(), r.status) << r.index;
        EXPECT_EQ(read->isEnabled(), r.read) << r.index;
    }
}

TEST_F(MainWindowTest, StatusBarPanels) {
    MainWindow& w = make();
    EXPECT_EQ(w.panelText(0), "LPT1");
    EXPECT_EQ(w.panelText(1), "COM1 9600,N,8,1 RTS ");
    EXPECT_EQ(w.panelText(2), "");
    EXPECT_FALSE(w.panelText(3).isEmpty());

    // The RS232 dialog sets COM3, 19200, even parity.
    prompter.dialogs["TFormRs232Setup"] = [](QDialog& d) {
        auto& dialog = static_cast<Rs232SetupDialog&>(d);
        m350test::controlNamed<QComboBox>(dialog, "ComboBoxComPort")->setCurrentIndex(2);
        m350test::controlNamed<QComboBox>(dialog, "ComboBoxBaudRate")->setCurrentIndex(3);
        m350test::controlNamed<QComboBox>(dialog, "ComboBoxParity")->setCurrentIndex(2);
        m350test::controlNamed<QPushButton>(dialog, "ButtonSet")->click();
        return dialog.result();
    };
    chooseInterface(m350::kCom);
    click("ButtonInterFace");
    EXPECT_EQ(w.panelText(1), "COM3 19200,E,8,1 RTS ");
    EXPECT_EQ(w.portSettings().serial.portName, "COM3");

    // The LPT dialog's choice shows in panel 0.
    prompter.dialogs["TFormLPTSetup"] = [](QDialog& d) {
        d.findChild<QComboBox*>("ComboBoxLPT")->setCurrentIndex(2);
        d.findChild<QPushButton*>("ButtonSet")->click();
        return d.result();
    };
    chooseInterface(m350::kLpt);
    click("ButtonInterFace");
    EXPECT_EQ(w.panelText(0), "LPT3");
    EXPECT_EQ(w.panelText(2), "");
    EXPECT_TRUE(prompter.messages.isEmpty());
}

TEST_F(MainWindowTest, EthernetSetupEditsTheLinkAddress) {
    MainWindow& w = make();
    prompter.dialogs["TFormNetSetup"] = [](QDialog& d) {
        EXPECT_EQ(d.findChild<QLineEdit*>("EditIPAddr")->text(), "192.168.1.100");
        d.findChild<QLineEdit*>("EditIPAddr")->setText("127.0.0.1");
        d.findChild<QLineEdit*>("EditPort")->setText("9101");
        d.findChild<QPushButton*>("ButtonExit")->click();
        return d.result();
    };
    chooseInterface(m350::kEthernet);
    click("ButtonInterFace");
    EXPECT_EQ(w.portSettings().net.address, "127.0.0.1");
    EXPECT_EQ(w.portSettings().net.port, 9101);
}

TEST_F(MainWindowTest, ScreenFitOnLargeScreen) {
    MainWindow& w = make({}, {1024, 768});
    EXPECT_EQ(w.size(), QSize(719, 603));
    EXPECT_FALSE(find<QScrollBar>("ScrollBar1")->isVisibleTo(&w));
    EXPECT_FALSE(find<QScrollBar>("ScrollBar1")->isEnabled());
    EXPECT_EQ(w.pos(), QPoint((1024 - 719) / 2, (768 - 603) / 2));
    EXPECT_EQ(find<QStatusBar>("StatusBar1")->geometry().bottom(), 602);
}

TEST_F(MainWindowTest, ScreenFitOnSmallScreenScrollsTheUpperPart) {
    MainWindow& w = make({}, {1024, 600});
    EXPECT_EQ(w.size(), QSize(739, 503));
    EXPECT_EQ(w.pos(), QPoint((1024 - 739) / 2, (600 - 503) / 2));
    auto* bar = find<QScrollBar>("ScrollBar1");
    EXPECT_TRUE(bar->isVisibleTo(&w));
    EXPECT_EQ(bar->maximum(), 100);
    EXPECT_EQ(bar->x(), 739 - 17);

    bar->setValue(100);
    EXPECT_EQ(find<QWidget>("GroupBoxLanguage")->y(), -100);
    EXPECT_EQ(find<QWidget>("GroupBoxInterFace")->y(), -100);
    EXPECT_EQ(find<QWidget>("RadioGroupUnit")->y(), -100);
    EXPECT_EQ(find<QWidget>("PageControl1")->y(), -52);
    bar->setValue(0);
    EXPECT_EQ(find<QWidget>("GroupBoxLanguage")->y(), 0);
    EXPECT_EQ(find<QWidget>("PageControl1")->y(), 48);
}

TEST_F(MainWindowTest, FirstContactTestsTheConnectionThenLeavesLineMode) {
    make();
    // Connection test (nothing sent), exit line mode, then the configuration
    // read, which a silent printer fails without a word or a progress window.
    ASSERT_GE(port->opens, 2);
    EXPECT_EQ(port->closes, port->opens);
    ASSERT_FALSE(port->chunks.empty());
    EXPECT_EQ(port->chunks[0], "\x1B\x5A\r\n");
    EXPECT_EQ(std::vector<int>(ifaces.begin(), ifaces.begin() + 2),
              (std::vector<int>{m350::kUsb, m350::kUsb}));
    EXPECT_TRUE(prompter.shown.isEmpty());
    EXPECT_TRUE(progress.calls.empty());
}

TEST_F(MainWindowTest, FirstContactIsSilentWhenNoPrinterAnswers) {
    port->failOpen = true;
    make();
    EXPECT_EQ(port->opens, 1);
    EXPECT_TRUE(port->chunks.empty());
    EXPECT_TRUE(prompter.shown.isEmpty());

    // A printer that takes the connection but not the bytes: still silent.
    resetPort();
    port->failWrites = true;
    window.reset();
    make();
    EXPECT_EQ(port->opens, 2);
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST_F(MainWindowTest, CommandLinePreselectsBeforeTheFirstContact) {
    m350::gui::StartupOptions options;
    options.interfaceIndex = m350::kCom;
    options.comName = "COM5";
    options.lptName = "LPT2";
    options.address = "127.0.0.1";
    options.port = 9200;
    options.language = 3;
    MainWindow& w = make(options);
    ASSERT_GE(ifaces.size(), 2u);
    for (int iface : ifaces) EXPECT_EQ(iface, m350::kCom);
    EXPECT_EQ(find<QComboBox>("ComboBoxInterFace")->currentIndex(), m350::kCom);
    EXPECT_TRUE(find<QPushButton>("ButtonInterFace")->isEnabled());
    EXPECT_EQ(w.panelText(0), "LPT2");
    EXPECT_EQ(w.panelText(1), "COM5 9600,N,8,1 RTS ");
    EXPECT_EQ(w.portSettings().net.address, "127.0.0.1");
    EXPECT_EQ(w.portSettings().net.port, 9200);
    EXPECT_EQ(w.language(), 3);

    // LPT from the command line disables the reading buttons at once.
    window.reset();
    options.interfaceIndex = m350::kLpt;
    make(options);
    EXPECT_FALSE(find<QPushButton>("ButtonGetStatus")->isEnabled());
    EXPECT_FALSE(find<QPushButton>("ButtonRead")->isEnabled());
}

TEST_F(MainWindowTest, AUsbDeviceNamedOnceIsTheLinksUntilAutoForgetsIt) {
    unsetenv("M350_USB");
    m350::gui::StartupOptions named;
    named.usbDevice = "1234:0002:SN-7";
    EXPECT_EQ(make(named).portSettings().usbDevice, "1234:0002:SN-7");
    window.reset();
    EXPECT_EQ(make().portSettings().usbDevice, "1234:0002:SN-7") << "remembered";
    window.reset();
    m350::gui::StartupOptions automatic;
    automatic.usbDevice = "auto";
    EXPECT_EQ(make(automatic).portSettings().usbDevice, "auto");
    window.reset();
    EXPECT_EQ(make().portSettings().usbDevice, "") << "forgotten";
}

TEST_F(MainWindowTest, GetStatusShowsTheWordByPriority) {
    make();
    auto* edit = find<QLineEdit>("EditPrinterStatus");
    EXPECT_TRUE(edit->isReadOnly());
    struct Case {
        std::string replies;
        const char* word;
    } cases[] = {
        {std::string("\x00", 1) + std::string(8, '\0'), "Ready"},
        {"\x21" + std::string(8, '\0'), "Cover Open"},
        {"\xA1" + std::string(8, '\0'), "Cover Open"},
        {"\x84" + std::string(8, '\0'), "Other Error"},
        {"\x0C" + std::string(4, '\0') + "\x0C" + std::string(3, '\0'), "Ribbon Encoder Err."},
        {"\x0C" + std::string(4, '\0') + "\x04" + std::string(3, '\0'), "Out of Ribbon"},
        {"\x08", "Ready"},  // no extended reply: the ribbon detail is unknown
        {"\x06" + std::string(8, '\0'), "Out of Paper"},
        {"\x32" + std::string(8, '\0'), "Paper Jam"},
        {"\x30" + std::string(8, '\0'), "Pause"},
        {"\x20" + std::string(8, '\0'), "Printing"},
        {"\x40" + std::string(8, '\0'), "Ready"},
    };
    for (const Case& c : cases) {
        resetPort();
        port->replies.push_back(c.replies);
        click("ButtonGetStatus");
        EXPECT_EQ(edit->text(), c.word) << c.word;
        EXPECT_EQ(written(), "\x1B!?\x1B!S\r\n");
    }
    EXPECT_TRUE(prompter.shown.isEmpty());
    EXPECT_TRUE(window->isEnabled());
}

TEST_F(MainWindowTest, GetStatusFailureShowsTheResultAndKeepsTheWord) {
    MainWindow& w = make();
    resetPort();
    port->replies.push_back("\x21" + std::string(8, '\0'));
    click("ButtonGetStatus");
    ASSERT_EQ(find<QLineEdit>("EditPrinterStatus")->text(), "Cover Open");
    const m350::StatusFlags before = w.statusFlags();

    resetPort();
    port->failOpen = true;
    bool enabledAtMessage = true;
    prompter.onMessage = [&](const QString&) { enabledAtMessage = w.isEnabled(); };
    click("ButtonGetStatus");
    EXPECT_EQ(prompter.messages, QStringList{"Port Open Error"});
    EXPECT_FALSE(enabledAtMessage);
    EXPECT_TRUE(w.isEnabled());
    EXPECT_EQ(find<QLineEdit>("EditPrinterStatus")->text(), "Cover Open");

    // A printer that answers the status byte and then stops taking bytes
    // fails; the window's flags stay those of the last good query.
    resetPort();
    port->replies.push_back("\x04");
    port->chunkSize = 64;
    prompter.messages.clear();
    click("ButtonGetStatus");  // succeeds: no extended reply is not an error
    EXPECT_EQ(find<QLineEdit>("EditPrinterStatus")->text(), "Out of Paper");
    resetPort();
    port->replies.push_back("");  // silent printer
    click("ButtonGetStatus");
    EXPECT_EQ(prompter.messages, QStringList{"Data Receiving Error"});
    EXPECT_EQ(find<QLineEdit>("EditPrinterStatus")->text(), "Out of Paper");
    EXPECT_NE(w.statusFlags(), before);
}

TEST_F(MainWindowTest, OneShotFunctionButtonsSendTheirCommands) {
    make();
    struct Case {
        const char* button;
        std::string bytes;
    } cases[] = {
        {"ButtonSelfTest", "SELFTEST\r\n"},
        {"ButtonIgnoreAuto", "\x1B!C"},
        {"ButtonLineModeOut", "\x1B\x5A\r\n"},
        {"ButtonRestPrinter", "\x1B!R"},
    };
    for (const Case& c : cases) {
        resetPort();
        click(c.button);
        EXPECT_EQ(written(), c.bytes) << c.button;
        EXPECT_EQ(port->opens, 1) << c.button;
        EXPECT_EQ(enabledDuringOp, std::vector<bool>{false}) << c.button;
        EXPECT_TRUE(window->isEnabled());
    }
    EXPECT_TRUE(prompter.shown.isEmpty());

    resetPort();
    port->failWrites = true;
    click("ButtonSelfTest");
    EXPECT_EQ(prompter.messages, QStringList{"Data Transmission Error"});
}

TEST_F(MainWindowTest, ResetMarksTheWirelessStateUnknownEvenOnFailure) {
    MainWindow& w = make();
    auto* mac = new QLineEdit(QStringLiteral("00:11:22:33:44:55"),
                              m350test::controlNamed<QWidget>(w, "TabSheet9"));
    mac->setObjectName(QStringLiteral("edtWiFiMac"));
    auto* def = new QPushButton(m350test::controlNamed<QWidget>(w, "TabSheet9"));
    def->setObjectName(QStringLiteral("btnWirlessFactoryDef"));
    m350test::controlNamed<QTabWidget>(w, "PageControl2")
        ->setCurrentWidget(m350test::controlNamed<QWidget>(w, "TabSheet9"));

    resetPort();
    port->failOpen = true;
    click("ButtonRestPrinter");
    EXPECT_EQ(prompter.messages, QStringList{"Port Open Error"});
    EXPECT_EQ(mac->text(), "00:00:00:00:00:00");
    EXPECT_EQ(mac->palette().color(QPalette::Base), QColor(Qt::red));
    EXPECT_FALSE(def->isEnabled());
    EXPECT_FALSE(m350test::controlNamed<QPushButton>(w, "ButtonConfigSet")->isEnabled());
}

TEST_F(MainWindowTest, ClockPanelSpeaksTheChosenLanguageEverySecond) {
    MainWindow& w = make();
    auto* timer = w.findChild<QTimer*>("Timer1");
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 1000);
    // Each language's own locale writes the date as soon as it is chosen.
    for (const auto& [language, name] : {std::pair{m350::kLangGerman, "de_DE"},
                                         std::pair{m350::kLangSimplifiedChinese, "zh_CN"}}) {
        const QLocale locale(QString::fromLatin1(name));
        w.onLanguageChanged(language);
        if (QLocale::system().language() == locale.language()) continue;
        EXPECT_TRUE(
            w.panelText(3).startsWith(locale.toString(QDate::currentDate(), QLocale::ShortFormat)));
    }
}

TEST(StatusClock, TheDesktopsRegionalFormWhereItSpeaksTheLanguage) {
    // Language, desktop locale, the locale the clock is written in.
    const std::tuple<int, const char*, const char*> rows[] = {
        {m350::kLangEnglish, "en_GB", "en_GB"},
        {m350::kLangEnglish, "de_DE", "en_US"},
        {m350::kLangGerman, "de_AT", "de_AT"},
        {m350::kLangTraditionalChinese, "zh_CN", "zh_TW"}};
    for (const auto& [language, desktop, expected] : rows)
        EXPECT_EQ(clockLocale(language, QLocale(QString::fromLatin1(desktop))).name(), expected);
    const QDateTime when(QDate(2026, 3, 4), QTime(15, 7, 9));
    for (const char* name : {"en_US", "de_DE", "zh_CN"})  // seconds after the minutes
        EXPECT_TRUE(clockText(when, QLocale(QString::fromLatin1(name))).contains(":07:09")) << name;
}

TEST_F(MainWindowTest, StatusWordIsInTheCurrentLanguage) {
    m350::gui::StartupOptions options;
    options.language = 6;
    make(options);
    resetPort();
    port->replies.push_back("\x01" + std::string(8, '\0'));
    click("ButtonGetStatus");
    const std::string_view german = m350::languageText(m350::kKeyCoverOpen, 6);
    ASSERT_FALSE(german.empty());
    EXPECT_NE(german, "Cover Open");
    EXPECT_EQ(find<QLineEdit>("EditPrinterStatus")->text().toStdString(), german);
}

}  // namespace

namespace {

// What an operator sees of a page's named controls: kind, text, place, state
// and font face, in name order.
std::string pageShape(const QWidget* sheet) {
    QStringList out;
    for (const QWidget* w : sheet->findChildren<QWidget*>()) {
        // Qt's own parts of a control (scroll area corners) are laid out when
        // first needed.
        if (w->objectName().isEmpty() || w->objectName().startsWith(u"qt_")) continue;
        QString text;
        if (auto* b = qobject_cast<const QAbstractButton*>(w)) {
            text = b->text();
        } else if (auto* l = qobject_cast<const QLabel*>(w)) {
            text = l->text();
        } else if (auto* g = qobject_cast<const QGroupBox*>(w)) {
            text = g->title();
        } else if (auto* c = qobject_cast<const QComboBox*>(w)) {
            for (int i = 0; i < c->count(); ++i) text += c->itemText(i) + u'|';
            text += QString::number(c->currentIndex());
        } else if (auto* e = qobject_cast<const QLineEdit*>(w)) {
            text = e->text();
        }
        out << QStringLiteral("%1 %2 [%3] %4,%5 %6x%7 visible=%8 enabled=%9 font=%10")
                   .arg(QString::fromLatin1(w->metaObject()->className()), w->objectName(), text)
                   .arg(w->x())
                   .arg(w->y())
                   .arg(w->width())
                   .arg(w->height())
                   .arg(w->isVisibleTo(sheet))
                   .arg(w->isEnabled())
                   .arg(w->font().family());
    }
    out.sort();
    return out.join(u'\n').toStdString();
}

}  // namespace

// A page made when first shown is the page a window started in the language
// of that moment made at start: the same controls with the same texts,
// places, states and faces, also when the language was switched before the
// page was shown, and again after a later switch (the page's face must follow
// the window's).
TEST(MainWindowPages, PagesMadeWhenFirstShownMatchPagesMadeAtStart) {
    struct Case {
        int startLanguage;
        int switchedTo;  // before the pages are shown; -1: none
    } cases[] = {{0, -1}, {2, -1}, {9, -1}, {0, 3}, {2, 0}, {13, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "start " << c.startLanguage << " switched to " << c.switchedTo);
        QTemporaryDir data;
        ScriptedPrompter prompter;
        m350test::RecordingProgress progress;
        auto make = [&](bool atStart, int language) {
            MainWindowSeams seams = m350test::testSeams(prompter, progress);
            m350test::withoutPrinter(seams);
            seams.buildAllPages = atStart;
            seams.dataFolder = data.path();
            StartupOptions options;
            options.language = language;
            auto w = std::make_unique<MainWindow>(options, seams);
            w->show();
            return w;
        };
        auto chooseLanguage = [](MainWindow& w, int language) {
            auto* list = w.findChild<QComboBox*>(QStringLiteral("ComboBoxLanguage"));
            list->setCurrentIndex(language);
            emit list->activated(language);
        };
        auto eager = make(true, c.switchedTo >= 0 ? c.switchedTo : c.startLanguage);
        auto lazy = make(false, c.startLanguage);
        if (c.switchedTo >= 0) chooseLanguage(*lazy, c.switchedTo);
        auto* eagerTabs = eager->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
        auto* lazyTabs = lazy->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
        for (int page = 1; page < 4; ++page) {
            ASSERT_TRUE(lazyTabs->widget(page)->findChildren<QWidget*>().isEmpty());
            eagerTabs->setCurrentIndex(page);
            lazyTabs->setCurrentIndex(page);
            const std::string made = pageShape(lazyTabs->widget(page));
            EXPECT_GT(std::count(made.begin(), made.end(), '\n'), 5);
            EXPECT_EQ(made, pageShape(eagerTabs->widget(page))) << "page " << page;
        }
        // Both made their pages the same way: the texts must also be what the
        // whole window's language gives.
        std::string before[4], after[4];
        for (int page = 1; page < 4; ++page) before[page] = pageShape(lazyTabs->widget(page));
        EXPECT_TRUE(applyMainWindowLanguage(lazy.get(), lazy->language()).isEmpty());
        for (int page = 1; page < 4; ++page) {
            after[page] = pageShape(lazyTabs->widget(page));
            EXPECT_EQ(before[page], after[page]) << "page " << page;
        }
        chooseLanguage(*eager, 9);
        chooseLanguage(*lazy, 9);
        for (int page = 1; page < 4; ++page)
            EXPECT_EQ(pageShape(lazyTabs->widget(page)), pageShape(eagerTabs->widget(page)))
                << "page " << page << " after a switch to Russian";
        EXPECT_TRUE(prompter.messages.empty());
    }
}
