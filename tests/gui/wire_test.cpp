// SPDX-License-Identifier: MIT
// The main window over a real TCP connection to the simulated printer: the
// exact bytes of the first contact and of Get Status.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <chrono>

#include "gui/main_window.h"
#include "scripted_prompter.h"
#include "support/sim_process.h"
#include "test_window.h"

using namespace m350::gui;

namespace {

struct WireWindow {
    m350test::ScriptedPrompter prompter;
    m350test::RecordingProgress progress;
    std::unique_ptr<MainWindow> main;
    explicit WireWindow(int port)
        : main(std::make_unique<MainWindow>(m350test::loopbackPrinter(port),
                                            m350test::testSeams(prompter, progress))) {}
};

TEST(MainWindowWire, FirstContactThenGetStatus) {
    m350test::SimProcess sim({"--status-byte", "0x21"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    WireWindow w(sim.tcpPort());
    ASSERT_TRUE(sim.waitForClosed(2));
    auto t = sim.transcript();
    ASSERT_GE(t.size(), 2u);
    EXPECT_EQ(t[0].rx, "");  // the connection test sends nothing
    EXPECT_EQ(t[1].rx, "\x1B\x5A\r\n");
    const std::size_t before = t.size();

    w.main->findChild<QPushButton*>("ButtonGetStatus")->click();
    EXPECT_EQ(w.main->findChild<QLineEdit*>("EditPrinterStatus")->text(), "Cover Open");
    ASSERT_TRUE(sim.waitForClosed(before + 1));
    t = sim.transcript();
    ASSERT_EQ(t.size(), before + 1);
    EXPECT_EQ(t.back().rx, "\x1B!?\x1B!S\r\n");
    EXPECT_TRUE(w.prompter.shown.isEmpty());
}

TEST(MainWindowWire, NoPrinterListeningIsSilentAndGetStatusSaysSo) {
    int port = 0;
    {
        m350test::SimProcess sim;
        ASSERT_TRUE(sim.ok()) << sim.error();
        port = sim.tcpPort();
    }  // stopped: nothing listens on the port now
    WireWindow w(port);
    EXPECT_TRUE(w.prompter.shown.isEmpty());
    w.main->findChild<QPushButton*>("ButtonGetStatus")->click();
    EXPECT_EQ(w.prompter.messages, QStringList{"Port Open Error"});
}

// A printer that hangs up in the middle of a reply: the read reports the
// failure, the pages keep what they showed, and the window is usable again.
TEST(MainWindowWire, PrinterDroppingTheConnectionMidReplyLeavesTheWindowUsable) {
    m350test::SimProcess sim({"--fault", "drop:SPEED", "--status-byte", "0"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    WireWindow w(sim.tcpPort());
    auto* speed = w.main->findChild<QLineEdit*>("EditSpeed");
    ASSERT_NE(speed, nullptr);
    const QString shown = speed->text();
    bool disabledDuringMessage = false;
    w.prompter.onMessage = [&](const QString&) { disabledDuringMessage = !w.main->isEnabled(); };

    w.main->findChild<QPushButton*>("ButtonRead")->click();
    EXPECT_EQ(w.prompter.messages, QStringList{"Data Receiving Error"});
    EXPECT_TRUE(disabledDuringMessage);
    EXPECT_TRUE(w.main->isEnabled());
    EXPECT_EQ(speed->text(), shown);

    w.main->findChild<QPushButton*>("ButtonGetStatus")->click();
    EXPECT_EQ(w.main->findChild<QLineEdit*>("EditPrinterStatus")->text(), "Ready");
    EXPECT_EQ(w.prompter.messages.size(), 1);
}

// A printer that sends bytes without end and never a reply: the start-up
// contact still ends, silently, and the window comes up and stays usable.
TEST(MainWindowWire, APrinterStreamingWithoutEndDoesNotKeepTheWindowAway) {
    m350test::SimProcess sim({"--fault", "stream"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    const auto start = std::chrono::steady_clock::now();
    WireWindow w(sim.tcpPort());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_TRUE(w.prompter.shown.isEmpty());
    ASSERT_TRUE(sim.waitForQuiet());
    auto t = sim.transcript();
    ASSERT_EQ(t.size(), 3u);
    // The configuration read gave up on its first reply.
    EXPECT_EQ(t[2].rx, "\r\nDIAGNOSTIC INTERFACE NET\r\n");

    w.main->findChild<QPushButton*>("ButtonRead")->click();
    EXPECT_EQ(w.prompter.messages, QStringList{"Data Receiving Error"});
    EXPECT_TRUE(w.main->isEnabled());
}

}  // namespace
