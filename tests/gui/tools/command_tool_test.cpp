// SPDX-License-Identifier: MIT
// The Command Tool page and Print Test Page driven through their controls
// against the simulated printer: the bytes the printer received, the
// messages shown, the buffers and history kept between runs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextCursor>
#include <cstring>
#include <fstream>

#include "../control_named.h"
#include "../scripted_prompter.h"
#include "../test_window.h"
#include "gui/main_window.h"
#include "gui/pages/command_tool_page.h"
#include "gui/widgets/radio_group.h"
#include "support/sim_process.h"

using namespace m350::gui;
using m350test::controlNamed;
using m350test::SimProcess;

namespace {

// Records the progress window and, at every position, what the window's
// controls looked like meanwhile.
class WatchingProgress final : public m350::ProgressSink {
  public:
    std::vector<std::string> calls;
    std::function<void()> onPosition;
    void open(const std::string& caption) override { calls.push_back("open " + caption); }
    void setPosition(int p) override {
        calls.push_back("pos " + std::to_string(p));
        if (onPosition) onPosition();
    }
    void close() override { calls.push_back("close"); }
    void pump() override {}
};

std::string readAll(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class CommandTool : public ::testing::Test {
  protected:
    void start(std::vector<std::string> simArgs = {}) {
        if (!sim) {
            sim = std::make_unique<SimProcess>(std::move(simArgs));
            ASSERT_TRUE(sim->ok()) << sim->error();
        }
        auto seams = m350test::testSeams(prompter, recording);
        seams.progress = &progress;
        seams.dataFolder = data.path();
        window.reset();
        window = std::make_unique<MainWindow>(m350test::loopbackPrinter(sim->tcpPort()),
                                              std::move(seams));
        window->show();
        QApplication::setActiveWindow(window.get());
        settle();
        prompter.messages.clear();
        progress.calls.clear();
    }
    // The bytes of each connection since the last call, once all are closed.
    std::vector<std::string> settle() {
        sim->waitForQuiet();
        std::vector<std::string> out;
        auto t = sim->transcript();
        for (std::size_t i = seen; i < t.size(); ++i) out.push_back(t[i].rx);
        seen = t.size();
        return out;
    }
    template <class W = QWidget>
    W* control(const char* name) {
        return controlNamed<W>(*window, name);
    }
    QPlainTextEdit* editor() { return control<QPlainTextEdit>("RichEditTText"); }
    void type(const QString& text) { editor()->setPlainText(text); }
    void select(int from, int to) {
        QTextCursor c = editor()->textCursor();
        c.setPosition(from);
        c.setPosition(to, QTextCursor::KeepAnchor);
        editor()->setTextCursor(c);
    }
    void chooseEncoding(const QString& name) {
        auto* combo = control<QComboBox>("ComboBoxTextEncoding");
        combo->setCurrentIndex(name.isEmpty() ? 0 : combo->findData(name));
        ASSERT_GE(combo->currentIndex(), 0) << name.toStdString();
    }
    void pickBuffer(int index) { control<RadioGroup>("RadioGroupSelect")->button(index)->click(); }
    QString file(const QString& name, const std::string& bytes) {
        const QString path = files.filePath(name);
        std::ofstream(path.toStdString(), std::ios::binary) << bytes;
        return path;
    }
    void click(const char* name) { control<QPushButton>(name)->click(); }

    QTemporaryDir data, files;
    m350test::ScriptedPrompter prompter;
    m350test::RecordingProgress recording;
    WatchingProgress progress;
    std::unique_ptr<SimProcess> sim;
    std::unique_ptr<MainWindow> window;
    std::size_t seen = 0;
};

TEST_F(CommandTool, SendPutsTheEditorsBytesOnTheWire) {
    start();
    struct Case {
        const char* what;
        QString text;
        int from, to;  // selection; -1: none
        QString encoding;
        std::string bytes;
    };
    const Case cases[] = {
        {"two lines, no final break", "SIZE 4,2\nCLS", -1, -1, "CP1252", "SIZE 4,2\r\nCLS"},
        {"an empty last line ends in CR LF", "SIZE 4,2\nCLS\n", -1, -1, "CP1252",
         "SIZE 4,2\r\nCLS\r\n"},
        {"part of a line", "TEXT 10,20,\"3\"", 5, 10, "CP1252", "10,20"},
        {"a selection across lines", "CLS\nPRINT 1\nEND", 2, 9, "CP1252", "S\r\nPRINT"},
        {"an empty editor", "", -1, -1, "CP1252", ""},
        {"CP1252", "TEXT \"Caf\u00e9 \u20ac\"", -1, -1, "CP1252", "TEXT \"Caf\xE9 \x80\""},
        {"UTF-8", "TEXT \"Caf\u00e9\"", -1, -1, "UTF-8", "TEXT \"Caf\xC3\xA9\""},
        {"CP932", "TEXT \"\u30d7\u30ea\u30f3\u30bf\"", -1, -1, "CP932",
         "TEXT \"\x83\x76\x83\x8A\x83\x93\x83\x5E\""},
        {"GBK", "\u6253\u5370\u673a", -1, -1, "GBK", "\xB4\xF2\xD3\xA1\xBB\xFA"},
        {"CP1251", "\u043f\u0430\u0440\u043e\u043b\u044c", -1, -1, "CP1251",
         "\xEF\xE0\xF0\xEE\xEB\xFC"},
    };
    for (const auto& c : cases) {
        type(c.text);
        if (c.from >= 0) select(c.from, c.to);
        chooseEncoding(c.encoding);
        bool sendEnabled = true, sendFileEnabled = true, windowEnabled = false;
        progress.onPosition = [&] {
            sendEnabled = control<QPushButton>("ButtonSend")->isEnabled();
            sendFileEnabled = control<QPushButton>("ButtonSendFile")->isEnabled();
            windowEnabled = window->isEnabled();
        };
        progress.calls.clear();
        editor()->clearFocus();
        click("ButtonSend");
        EXPECT_EQ(settle(), std::vector<std::string>{c.bytes}) << c.what;
        EXPECT_TRUE(prompter.messages.isEmpty()) << c.what;
        // Only the two send buttons wait for the send, in percent mode.
        if (!c.bytes.empty()) {
            EXPECT_FALSE(sendEnabled) << c.what;
            EXPECT_FALSE(sendFileEnabled) << c.what;
            EXPECT_TRUE(windowEnabled) << c.what;
            EXPECT_EQ(progress.calls.back(), "close") << c.what;
            EXPECT_NE(std::find(progress.calls.begin(), progress.calls.end(), "pos 100"),
                      progress.calls.end())
                << c.what;
        }
        EXPECT_TRUE(control<QPushButton>("ButtonSend")->isEnabled());
        EXPECT_TRUE(control<QPushButton>("ButtonSendFile")->isEnabled());
        EXPECT_TRUE(editor()->hasFocus()) << c.what;
        // The editor keeps its text.
        EXPECT_EQ(editor()->toPlainText(), c.text) << c.what;
    }
}

TEST_F(CommandTool, AutoFollowsTheProgramsPrinterTextEncoding) {
    start();
    auto* combo = control<QComboBox>("ComboBoxTextEncoding");
    auto* languages = control<QComboBox>("ComboBoxLanguage");
    struct Case {
        int language;
        QString caption;
        QString text;
        std::string bytes;
    };
    const Case cases[] = {
        {3, "Auto: CP932", "\u30d7\u30ea", "\x83\x76\x83\x8A"},  // Japanese
        {1, "Auto: CP950", "\u5370\u8868", "\xA6\x4C\xAA\xED"},  // Traditional Chinese
        {0, "Auto: CP1252", "Caf\u00e9", "Caf\xE9"},
    };
    chooseEncoding("");
    for (const auto& c : cases) {
        languages->setCurrentIndex(c.language);
        languages->activated(c.language);
        EXPECT_EQ(combo->itemText(0), c.caption);
        type(c.text);
        click("ButtonSend");
        EXPECT_EQ(settle(), std::vector<std::string>{c.bytes}) << c.caption.toStdString();
    }
    EXPECT_TRUE(prompter.messages.isEmpty());
}

TEST_F(CommandTool, TextTheEncodingCannotHoldIsNeitherSentNorSaved) {
    start();
    type("TEXT \"\u65e5\"");
    chooseEncoding("CP1252");
    click("ButtonSend");
    prompter.files.push_back(files.filePath("out.txt"));
    click("ButtonSaveFile");
    const QString refusal =
        "The text holds \"\u65e5\", which the encoding CP1252 cannot hold. Nothing was %1.";
    EXPECT_EQ(prompter.messages, (QStringList{refusal.arg("sent"), refusal.arg("saved")}));
    EXPECT_TRUE(settle().empty());
    EXPECT_FALSE(QFile::exists(files.filePath("out.txt")));
}

TEST_F(CommandTool, BuffersSwitchAndLoadAppends) {
    start();
    type("SIZE 4,2");
    pickBuffer(1);
    EXPECT_EQ(editor()->toPlainText(), "");
    type("CLS");
    pickBuffer(0);
    EXPECT_EQ(editor()->toPlainText(), "SIZE 4,2");
    // The item already shown: nothing changes, the unsaved edit stays.
    type("SIZE 3,1");
    pickBuffer(0);
    EXPECT_EQ(editor()->toPlainText(), "SIZE 3,1");
    pickBuffer(11);
    pickBuffer(1);
    EXPECT_EQ(editor()->toPlainText(), "CLS");

    // Load appends the file's text up to its first NUL, CR LF as line breaks.
    prompter.files.push_back(file("a.prn", std::string("\r\nPRINT 1\r\n\0junk", 16)));
    click("ButtonLoadFile");
    EXPECT_EQ(editor()->toPlainText(), "CLS\nPRINT 1\n");
    click("ButtonSend");
    EXPECT_EQ(settle(), std::vector<std::string>{"CLS\r\nPRINT 1\r\n"});
    // Pasted CR LF is one line break too.
    QApplication::clipboard()->setText("SIZE 4,2\r\nCLS\r\n");
    editor()->moveCursor(QTextCursor::Start);
    editor()->paste();
    click("ButtonSend");
    EXPECT_EQ(settle(), std::vector<std::string>{"SIZE 4,2\r\nCLS\r\nCLS\r\nPRINT 1\r\n"});
    EXPECT_TRUE(prompter.messages.isEmpty());
}

TEST_F(CommandTool, LoadReadsTheChosenEncodingAndSendsTheFileUnchanged) {
    start();
    struct Case {
        const char* encoding;
        std::string bytes;
        QString message;  // empty: loaded, and Send gives the bytes back
    };
    const Case cases[] = {
        {"CP932", "TEXT 10,10,\"0\",0,1,1,\"\x83\x76\x83\x8A\x83\x93\x83\x5E\"\r\nPRINT 1\r\n", ""},
        {"CP950", "TEXT \"\xA6\x4C\xAA\xED\xBE\xF7\"\r\n", ""},
        {"CP1252", "TEXT \"Caf\xE9\"\r\n", ""},
        // A no-break space, TAB, ESC and form feed are command bytes like any other.
        {"CP1252",
         "TEXT \"a\xA0"
         "b\"\t\x1B!R\x0C\r\n",
         ""},
        {"UTF-8", "TEXT \"Caf\xC3\xA9\"", ""},
        {"UTF-8", "TEXT \"Caf\xE9\"\r\n",
         "%1 is not UTF-8 text: the byte at offset 9 does not decode."},
        {"CP1252", "CLS\r\n\x81", "%1 is not CP1252 text: the byte at offset 5 does not decode."},
        {"CP932", "\xED\x40", "%1 is not CP932 text: the byte at offset 0 does not decode."},
    };
    int n = 0;
    for (const auto& c : cases) {
        type("");
        chooseEncoding(c.encoding);
        const QString path = file(QString("load%1.prn").arg(n++), c.bytes);
        prompter.files.push_back(path);
        prompter.messages.clear();
        click("ButtonLoadFile");
        if (c.message.isEmpty()) {
            EXPECT_TRUE(prompter.messages.isEmpty()) << c.encoding;
            click("ButtonSend");
            EXPECT_EQ(settle(), std::vector<std::string>{c.bytes}) << c.encoding;
        } else {
            ASSERT_EQ(prompter.messages.size(), 1);
            EXPECT_TRUE(prompter.messages[0].startsWith(c.message.arg(path)))
                << prompter.messages[0].toStdString();
            EXPECT_EQ(editor()->toPlainText(), "");
        }
    }
    // A file that is not there says so; nothing changes.
    type("CLS");
    prompter.messages.clear();
    prompter.files.push_back(files.filePath("absent.prn"));
    click("ButtonLoadFile");
    EXPECT_EQ(prompter.messages.size(), 1);
    EXPECT_EQ(editor()->toPlainText(), "CLS");
    // Nor is a text past the editor's limit cut: it is refused whole.
    const QString big = file("big.prn", std::string(CommandToolPage::kMaxCharacters - 2, 'a'));
    prompter.files.push_back(big);
    click("ButtonLoadFile");
    ASSERT_EQ(prompter.messages.size(), 2);
    EXPECT_EQ(prompter.messages[1], big +
                                        " does not fit: the editor holds at most 10485760 "
                                        "characters. Nothing was loaded.");
    EXPECT_EQ(editor()->toPlainText(), "CLS");
}

TEST_F(CommandTool, SaveWritesCrLfAndNothingMore) {
    start();
    chooseEncoding("CP1252");
    type("SIZE 4,2\nTEXT \"\u00e9\"");
    const QString path = file("out.prn", "an older, longer file that is replaced");
    prompter.files.push_back(path);
    click("ButtonSaveFile");
    EXPECT_EQ(readAll(path), "SIZE 4,2\r\nTEXT \"\xE9\"");
    // Only the buffer shown is saved.
    pickBuffer(2);
    type("CLS\n");
    prompter.files.push_back(path);
    click("ButtonSaveFile");
    EXPECT_EQ(readAll(path), "CLS\r\n");
    EXPECT_TRUE(prompter.messages.isEmpty());
    // A folder that does not exist is a message, not silence.
    prompter.files.push_back(files.filePath("no/such/folder/out.prn"));
    click("ButtonSaveFile");
    ASSERT_EQ(prompter.messages.size(), 1);
    EXPECT_TRUE(prompter.messages[0].contains("no/such/folder/out.prn"))
        << prompter.messages[0].toStdString();
    EXPECT_TRUE(settle().empty());
}

TEST_F(CommandTool, SendFileSendsTheFileUnchangedAndFailuresSaySo) {
    start();
    std::string bytes = "SIZE 4,2\nCLS\r\n";
    for (int i = 0; i < 300; ++i) bytes.push_back(static_cast<char>(i));
    prompter.files.push_back(file("job.bin", bytes));
    click("ButtonSendFile");
    EXPECT_EQ(settle(), std::vector<std::string>{bytes});
    EXPECT_TRUE(prompter.messages.isEmpty());

    prompter.files.push_back(files.filePath("absent.bin"));
    click("ButtonSendFile");
    EXPECT_EQ(prompter.messages, QStringList{"Open file Error!!!"});
    click("ButtonSendFile");  // cancelled: nothing
    EXPECT_EQ(prompter.messages.size(), 1);
    EXPECT_TRUE(settle().empty());

    // A link failure shows its text, keeps the editor and records no history.
    type("PRINT 1\n");
    sim->stop();
    click("ButtonSend");
    prompter.files.push_back(file("job.prn", "PRINT 1\r\n"));
    click("ButtonSendFile");
    EXPECT_EQ(prompter.messages,
              (QStringList{"Open file Error!!!", "Port Open Error", "Port Open Error"}));
    EXPECT_EQ(editor()->toPlainText(), "PRINT 1\n");
    EXPECT_TRUE(control<QPushButton>("ButtonSend")->isEnabled());
    EXPECT_TRUE(control<QPushButton>("ButtonSendFile")->isEnabled());
    EXPECT_EQ(control<QComboBox>("ComboBoxHistory")->count(), 0);
}

TEST_F(CommandTool, BuffersAndHistoryOutliveTheWindow) {
    start();
    type("SIZE 4,2");
    pickBuffer(4);
    type("CLS\nPRINT 1\n");
    click("ButtonSend");
    type("PRINT 2\n");
    click("ButtonSend");
    settle();
    auto* history = control<QComboBox>("ComboBoxHistory");
    ASSERT_EQ(history->count(), 2);
    EXPECT_EQ(history->itemText(0), "PRINT 2");
    EXPECT_EQ(history->currentIndex(), -1);

    start();  // a new window on the same data folder: the next run
    EXPECT_EQ(editor()->toPlainText(), "SIZE 4,2");
    pickBuffer(4);
    EXPECT_EQ(editor()->toPlainText(), "PRINT 2\n");
    history = control<QComboBox>("ComboBoxHistory");
    ASSERT_EQ(history->count(), 2);
    // Recalling an older text puts it in the editor; Send sends it again.
    history->activated(1);
    EXPECT_EQ(editor()->toPlainText(), "CLS\nPRINT 1\n");
    click("ButtonSend");
    EXPECT_EQ(settle(), std::vector<std::string>{"CLS\r\nPRINT 1\r\n"});
    EXPECT_EQ(history->itemText(0), "CLS (2 lines)");
    EXPECT_TRUE(QFile::exists(data.filePath("command-tool.json")));
}

// Two windows on the same data folder keep each other's buffers, whichever
// closes last, and a window shows another's text for a buffer it did not
// touch once it saves.
TEST_F(CommandTool, TwoWindowsKeepEachOthersBuffers) {
    start();
    auto seams = m350test::testSeams(prompter, recording);
    seams.dataFolder = data.path();
    auto other = std::make_unique<MainWindow>(m350test::loopbackPrinter(sim->tcpPort()), seams);
    auto write = [](MainWindow& w, int buffer, const char* text) {
        controlNamed<RadioGroup>(w, "RadioGroupSelect")->button(buffer)->click();
        controlNamed<QPlainTextEdit>(w, "RichEditTText")->setPlainText(text);
    };
    write(*window, 0, "FIRST 1");
    write(*other, 1, "SECOND 2");
    write(*window, 2, "FIRST 3");
    write(*other, 3, "SECOND 4");
    window.reset();
    other.reset();
    start();  // the next run
    for (const char* want : {"FIRST 1", "SECOND 2", "FIRST 3", "SECOND 4"}) {
        pickBuffer(static_cast<int>(want[strlen(want) - 1] - '1'));
        EXPECT_EQ(editor()->toPlainText(), want);
    }
    other = std::make_unique<MainWindow>(m350test::loopbackPrinter(sim->tcpPort()), seams);
    write(*window, 5, "FIRST 6");
    window->findChild<CommandToolPage*>()->saveStore();
    controlNamed<RadioGroup>(*other, "RadioGroupSelect")->button(5)->click();
    EXPECT_EQ(controlNamed<QPlainTextEdit>(*other, "RichEditTText")->toPlainText(), "FIRST 6");
}

// Print Test Page: what the configuration page shows, the resolution last
// read from the printer.
class TestPageButton : public CommandTool {
  protected:
    void chooseUnit(int index) { control<RadioGroup>("RadioGroupUnit")->button(index)->click(); }
};

TEST_F(TestPageButton, TheLabelFollowsTheTypedPaperAndThePrintersResolution) {
    const std::string head = "CLS\r\nDIRECTION 0,0\r\n";
    struct Case {
        const char* dpi;
        int unit;  // 0 inch, 1 mm
        const char *width, *height;
        std::string body;  // between DIRECTION and PRINT; "-" with a message
        QString message;
    };
    const Case cases[] = {
        {"203", 0, "4.00", "3.00",
         "BOX 16,16,796,593,4\r\nBARCODE  124,32,\"25\",76,1,90,2,4,\"1234567890\"\r\n"
         "TEXT  140,32,\"0\",0,42,42,\"TEST\"\r\n",
         ""},
        {"300", 0, "4", "3",
         "BOX 24,24,1176,876,4\r\nBARCODE  183,47,\"25\",112,1,90,3,6,\"1234567890\"\r\n"
         "TEXT  206,47,\"0\",0,41,41,\"TEST\"\r\n",
         ""},
        // Millimetres at 8 dots per mm, the printer's, not the defaults' 11.8.
        {"203", 1, "50", "30",
         "BOX 16,16,384,224,4\r\nBARCODE  78,32,\"25\",30,1,90,2,4,\"1234\"\r\n"
         "TEXT  94,32,\"0\",0,13,13,\"TEST\"\r\n",
         ""},
        {"203", 1, "25", "12.5", "BOX 16,16,184,84,4\r\nBARCODE  60,32,\"25\",12,1,90,2,4,\"\"\r\n",
         ""},
        {"203", 1, "3.75", "75", "", ""},
        {"203", 0, "", "3.00", "-", "Please Entry Paper Width"},
        {"203", 0, "4.00", "", "-", "Please Entry Paper Height"},
    };
    for (const auto& c : cases) {
        sim.reset();
        seen = 0;
        sim = std::make_unique<SimProcess>(std::vector<std::string>{"--dpi", c.dpi});
        ASSERT_TRUE(sim->ok()) << sim->error();
        start();
        chooseUnit(c.unit);
        control<QLineEdit>("EditWidth")->setText(c.width);
        control<QLineEdit>("EditHeight")->setText(c.height);
        click("ButtonTestPatern");
        if (c.body == "-") {
            EXPECT_EQ(prompter.messages, QStringList{c.message}) << c.width << " " << c.height;
            EXPECT_TRUE(settle().empty());
        } else {
            EXPECT_TRUE(prompter.messages.isEmpty()) << prompter.messages.join("|").toStdString();
            EXPECT_EQ(settle(), std::vector<std::string>{head + c.body + "PRINT 1\r\n"})
                << c.dpi << " " << c.width << " x " << c.height;
        }
        EXPECT_TRUE(window->isEnabled());
    }
    // The printer gone: the result text, as for every printer function.
    sim->stop();
    control<QLineEdit>("EditHeight")->setText("3.00");
    click("ButtonTestPatern");
    EXPECT_EQ(prompter.messages, (QStringList{"Please Entry Paper Height", "Port Open Error"}));
}

TEST(TestPageWithoutRead, AsksForTheConfigurationFirstAndSendsNothing) {
    m350test::ScriptedPrompter prompter;
    m350test::RecordingProgress progress;
    auto seams = m350test::testSeams(prompter, progress);
    QTemporaryDir data;
    seams.dataFolder = data.path();
    auto state = std::make_shared<m350test::ScriptedPortState>();
    state->failOpen = true;
    seams.makePort = [state](m350::LinkContext&, int) {
        return std::make_unique<m350test::ScriptedPort>(state);
    };
    MainWindow window({}, std::move(seams));
    const int opens = state->opens;
    prompter.messages.clear();
    controlNamed<QPushButton>(window, "ButtonTestPatern")->click();
    EXPECT_EQ(prompter.messages, QStringList{"Please read printer config first"});
    EXPECT_EQ(state->opens, opens);
}

}  // namespace
