// SPDX-License-Identifier: MIT
// What the window remembers between runs, where it keeps it (a folder of the
// test's own, never the user's settings), what the command line and
// --reset-settings do to it; the trace of the window's link; and the cause of
// a failed open as the message box's details.
#include <sys/stat.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <functional>

#include "control_named.h"
#include "core/i18n/text_encoding.h"
#include "gui/dialogs/rs232_setup_dialog.h"
#include "gui/pages/config_page.h"
#include "gui/widgets/radio_group.h"
#include "support/sim_process.h"
#include "support/trace_events.h"
#include "test_window.h"

using namespace m350::gui;

namespace {

class RememberedTest : public ::testing::Test {
  public:
    // A window as the program starts it, with no printer anywhere; English
    // unless the case is about the language.
    MainWindow& start(StartupOptions options = {}, bool forceEnglish = true) {
        window.reset();
        if (forceEnglish && !options.language) options.language = 0;
        MainWindowSeams seams = m350test::testSeams(prompter, progress, QSize(1024, 768));
        seams.settings = &store;
        m350test::withoutPrinter(seams);
        seams.makePort = [this, make = seams.makePort](m350::LinkContext& ctx, int iface) {
            ifaces.push_back(iface);
            return make(ctx, iface);
        };
        ifaces.clear();
        window = std::make_unique<MainWindow>(options, seams);
        return *window;
    }
    template <class W>
    W* find(const char* name) {
        return m350test::controlNamed<W>(*window, name);
    }
    void chooseInterface(int index) {
        auto* combo = find<QComboBox>("ComboBoxInterFace");
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }
    void setUpPort(int iface, const char* dialog, std::function<void(QDialog&)> edit) {
        chooseInterface(iface);
        prompter.dialogs[QString::fromLatin1(dialog)] = [edit](QDialog& d) {
            edit(d);
            return d.result();
        };
        find<QPushButton>("ButtonInterFace")->click();
    }

    QTemporaryDir dir;
    QSettings store{dir.filePath(QStringLiteral("m350-utility.ini")), QSettings::IniFormat};
    m350test::ScriptedPrompter prompter;
    m350test::RecordingProgress progress;
    std::vector<int> ifaces;
    std::unique_ptr<MainWindow> window;
};

struct RememberCase {
    const char* name;
    std::function<void(RememberedTest&, MainWindow&)> choose;  // in the first window
    std::function<void(RememberedTest&, MainWindow&)> check;   // in the next one
    bool forceEnglish = true;
};

TEST_F(RememberedTest, AChoiceInOneWindowIsThereInTheNext) {
    const std::vector<RememberCase> cases = {
        {"interface", [](RememberedTest& t, MainWindow&) { t.chooseInterface(m350::kLpt); },
         [](RememberedTest& t, MainWindow& w) {
             EXPECT_EQ(w.interfaceIndex(), m350::kLpt);
             // Reading is off on the parallel port, as if chosen by hand.
             EXPECT_FALSE(t.find<QPushButton>("ButtonGetStatus")->isEnabled());
         }},
        {"serial settings",
         [](RememberedTest& t, MainWindow&) {
             t.setUpPort(m350::kCom, "TFormRs232Setup", [](QDialog& d) {
                 m350test::controlNamed<QComboBox>(d, "ComboBoxComPort")->setCurrentIndex(2);
                 m350test::controlNamed<QComboBox>(d, "ComboBoxBaudRate")->setCurrentIndex(6);
                 m350test::controlNamed<QComboBox>(d, "ComboBoxParity")->setCurrentIndex(1);
                 m350test::controlNamed<QPushButton>(d, "ButtonSet")->click();
             });
         },
         [](RememberedTest& t, MainWindow& w) {
             EXPECT_EQ(w.panelText(1), "COM3 115200,O,8,1 RTS ");
             EXPECT_EQ(w.interfaceIndex(), m350::kCom);
             // The first contact went out on the remembered interface.
             ASSERT_FALSE(t.ifaces.empty());
             EXPECT_EQ(t.ifaces.front(), m350::kCom);
         }},
        {"parallel port",
         [](RememberedTest& t, MainWindow&) {
             t.setUpPort(m350::kLpt, "TFormLPTSetup", [](QDialog& d) {
                 d.findChild<QComboBox*>("ComboBoxLPT")->setCurrentIndex(3);
                 d.findChild<QPushButton*>("ButtonSet")->click();
             });
         },
         [](RememberedTest&, MainWindow& w) { EXPECT_EQ(w.panelText(0), "LPT4"); }},
        {"network address",
         [](RememberedTest& t, MainWindow&) {
             t.setUpPort(m350::kEthernet, "TFormNetSetup", [](QDialog& d) {
                 d.findChild<QLineEdit*>("EditIPAddr")->setText("127.0.0.9");
                 d.findChild<QLineEdit*>("EditPort")->setText("9101");
                 d.findChild<QPushButton*>("ButtonExit")->click();
             });
         },
         [](RememberedTest&, MainWindow& w) {
             EXPECT_EQ(w.portSettings().net.address, "127.0.0.9");
             EXPECT_EQ(w.portSettings().net.port, 9101);
         }},
        {"unit",
         [](RememberedTest& t, MainWindow&) {
             t.find<RadioGroup>("RadioGroupUnit")->button(1)->click();
         },
         [](RememberedTest& t, MainWindow&) {
             EXPECT_EQ(t.find<RadioGroup>("RadioGroupUnit")->itemIndex(), 1);
         }},
        {"language chosen in the selector",
         [](RememberedTest& t, MainWindow&) {
             auto* combo = t.find<QComboBox>("ComboBoxLanguage");
             combo->setCurrentIndex(5);
             emit combo->activated(5);
         },
         [](RememberedTest& t, MainWindow& w) {
             EXPECT_EQ(w.language(), 5);
             EXPECT_EQ(t.find<QComboBox>("ComboBoxLanguage")->currentIndex(), 5);
         },
         false},
        {"printer text encoding",
         [](RememberedTest&, MainWindow& w) {
             w.configPage()->chooseTextEncoding(QStringLiteral("CP1251"));
             EXPECT_EQ(w.textEncodingChoice(), "CP1251");
         },
         // The next window gets it from what was remembered.
         [](RememberedTest&, MainWindow& w) { EXPECT_EQ(w.textEncodingChoice(), "CP1251"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        store.clear();
        c.choose(*this, start({}, c.forceEnglish));
        EXPECT_TRUE(prompter.messages.isEmpty()) << prompter.messages.join('|').toStdString();
        c.check(*this, start({}, c.forceEnglish));
    }
    // Nothing went anywhere but the test's own file.
    EXPECT_TRUE(QFile::exists(store.fileName()));
}

TEST_F(RememberedTest, FirstStartIsTheDefaultAndHandEditedValuesAreIgnored) {
    const std::vector<std::pair<const char*, QVariant>> bad = {
        {"link/interface", 7},
        {"serial/port", "COM99"},
        {"serial/baud", "fast"},
        {"parallel/port", "/dev/lp0"},
        {"network/address", "a b"},
        {"network/port", 70000},
        {"view/unit", 2},
        {"view/language", 14},
        {"printer/textEncoding", "KLINGON"},
    };
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round == 0 ? "nothing remembered" : "bad values");
        store.clear();
        if (round == 1)
            for (const auto& [key, value] : bad) store.setValue(QLatin1String(key), value);
        MainWindow& w = start({}, false);
        EXPECT_EQ(w.interfaceIndex(), m350::kUsb);
        EXPECT_EQ(w.panelText(0), "LPT1");
        EXPECT_EQ(w.panelText(1), "COM1 9600,N,8,1 RTS ");
        EXPECT_EQ(w.portSettings().net.address, "");
        EXPECT_EQ(w.portSettings().net.port, 9100);
        EXPECT_EQ(find<RadioGroup>("RadioGroupUnit")->itemIndex(), 0);
        EXPECT_EQ(w.textEncodingChoice(), "");
        EXPECT_EQ(ifaces.front(), m350::kUsb);
        // Starting stores nothing of its own.
        if (round == 0) {
            EXPECT_TRUE(store.allKeys().isEmpty()) << store.allKeys().join(',').toStdString();
        }
    }
}

TEST_F(RememberedTest, CommandLineWinsWithoutBeingRememberedAndResetForgets) {
    start();
    chooseInterface(m350::kEthernet);
    setUpPort(m350::kEthernet, "TFormNetSetup", [](QDialog& d) {
        d.findChild<QLineEdit*>("EditIPAddr")->setText("127.0.0.9");
        d.findChild<QPushButton*>("ButtonExit")->click();
    });
    find<RadioGroup>("RadioGroupUnit")->button(1)->click();

    StartupOptions options;
    options.interfaceIndex = m350::kCom;
    options.address = "127.0.0.7";
    MainWindow& named = start(options);
    EXPECT_EQ(named.interfaceIndex(), m350::kCom);
    EXPECT_EQ(named.portSettings().net.address, "127.0.0.7");
    EXPECT_EQ(find<RadioGroup>("RadioGroupUnit")->itemIndex(), 1) << "not named: remembered";

    MainWindow& plain = start();
    EXPECT_EQ(plain.interfaceIndex(), m350::kEthernet);
    EXPECT_EQ(plain.portSettings().net.address, "127.0.0.9");

    StartupOptions reset;
    reset.resetSettings = true;
    MainWindow& fresh = start(reset);
    EXPECT_EQ(fresh.interfaceIndex(), m350::kUsb);
    EXPECT_EQ(fresh.portSettings().net.address, "");
    EXPECT_EQ(find<RadioGroup>("RadioGroupUnit")->itemIndex(), 0);
    EXPECT_TRUE(store.allKeys().isEmpty());
}

TEST(WindowTrace, GetStatusTracedAsTheSimulatorSawIt) {
    m350test::SimProcess sim({"--status-byte", "0x21"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("trace.txt"));
    m350test::ScriptedPrompter prompter;
    m350test::RecordingProgress progress;
    StartupOptions options = m350test::loopbackPrinter(sim.tcpPort());
    options.tracePath = path.toStdString();
    {
        MainWindow w(options, m350test::testSeams(prompter, progress));
        w.findChild<QPushButton*>("ButtonGetStatus")->click();
        EXPECT_TRUE(prompter.messages.isEmpty());
    }
    ASSERT_TRUE(sim.waitForQuiet());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const std::string trace = f.readAll().toStdString();
    const m350test::LinkEvents ours = m350test::traceEvents(trace);
    EXPECT_TRUE(ours.badLines.empty());
    QFile t(QString::fromStdString(sim.transcriptPath()));
    ASSERT_TRUE(t.open(QIODevice::ReadOnly));
    const auto theirs = m350test::transcriptEvents(t.readAll().toStdString());
    // First contact (connection test, exit line mode, configuration read) and
    // Get Status, each connection byte for byte.
    ASSERT_GE(ours.connections.size(), 3u) << trace;
    EXPECT_EQ(ours.connections, theirs.connections) << trace;
    EXPECT_EQ(ours.connections.back()[1], (std::pair<std::string, std::string>("RX", "\x1B!?")));
}

TEST(WindowTrace, AFileThatIsNotRegularIsRefusedWithAMessage) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    m350test::ScriptedPrompter prompter;
    m350test::RecordingProgress progress;
    MainWindowSeams seams = m350test::testSeams(prompter, progress);
    m350test::withoutPrinter(seams);
    StartupOptions options;
    options.language = 0;
    options.tracePath = fifo.toStdString();
    MainWindow w(options, seams);
    ASSERT_EQ(prompter.messages.size(), 1);
    EXPECT_TRUE(prompter.messages[0].contains(QStringLiteral("a FIFO")))
        << prompter.messages[0].toStdString();
    EXPECT_EQ(w.link().trace, nullptr);
}

TEST(WindowErrorCause, AFailedOpenOffersTheCauseAsDetails) {
    int port = 0;
    {
        m350test::SimProcess sim;
        ASSERT_TRUE(sim.ok()) << sim.error();
        port = sim.tcpPort();
    }  // nothing listens there now
    m350test::ScriptedPrompter prompter;
    m350test::RecordingProgress progress;
    MainWindow w(m350test::loopbackPrinter(port), m350test::testSeams(prompter, progress));
    w.findChild<QPushButton*>("ButtonGetStatus")->click();
    // The text is the result text as ever; the cause is behind it.
    EXPECT_EQ(prompter.messages, QStringList{"Port Open Error"});
    ASSERT_EQ(prompter.details.size(), 1);
    const QString expected = QStringLiteral("127.0.0.1:%1: Connection refused\n").arg(port);
    EXPECT_TRUE(prompter.details[0].startsWith(expected)) << prompter.details[0].toStdString();
    EXPECT_TRUE(prompter.details[0].contains(QStringLiteral("port number")));
}

}  // namespace
