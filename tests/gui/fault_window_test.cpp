// SPDX-License-Identifier: MIT
// The window after a fault: the same window meets a printer that misbehaves
// (silent, broken, hanging up, endless, trickling, resetting the connection
// while the program writes, not reading at all) and then a good one. Each
// faulty read ends within its shortened limit with a message, leaves the form
// as it was, and the next read on the same window works. The configuration
// Save against what can stand at a path, and a full disk: a clear message,
// nothing damaged, no temporary file, the form unchanged.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "control_named.h"
#include "scripted_prompter.h"
#include "support/hostile_peer.h"
#include "support/sim_process.h"
#include "support/test_files.h"
#include "test_window.h"

using namespace m350::gui;
using m350test::PeerMode;

namespace {

constexpr int kLimitMs = 400;

struct FaultyLinkWindow {
    m350test::ScriptedPrompter prompter;
    m350test::RecordingProgress progress;
    std::unique_ptr<MainWindow> main;

    explicit FaultyLinkWindow(int port)
        : main(std::make_unique<MainWindow>(m350test::loopbackPrinter(port),
                                            m350test::testSeams(prompter, progress))) {
        auto& t = main->link().timeouts;
        t.netReadMs = t.netWriteMs = kLimitMs;
        t.replySlowMsPerByte = 50;  // a trickle of one byte in 300 ms is too slow
        t.progressHideMs = 0;
    }
    void click(const char* name) { m350test::controlNamed<QPushButton>(*main, name)->click(); }
    // Every box of the four settings pages.
    QStringList form() {
        QStringList out;
        for (const char* page : {"TabSheet5", "TabSheet6", "TabSheet7", "TabSheet8"})
            for (auto* e : m350test::controlNamed<QWidget>(*main, page)->findChildren<QLineEdit*>())
                out << e->objectName() + "=" + e->text();
        return out;
    }
};

}  // namespace

TEST(FaultWindow, AReadThatMeetsAFaultKeepsTheFormAndTheNextReadWorks) {
    m350test::SimProcess good;
    ASSERT_TRUE(good.ok()) << good.error();
    m350test::HostilePeer peer(good.tcpPort());
    ASSERT_TRUE(peer.ok());
    FaultyLinkWindow w(peer.port());
    w.click("ButtonRead");
    ASSERT_TRUE(w.prompter.messages.isEmpty()) << w.prompter.messages.join("|").toStdString();
    const QStringList read = w.form();
    auto* offset = m350test::controlNamed<QLineEdit>(*w.main, "EditOffset");

    struct Fault {
        const char* what;
        const char* simFault;  // a simulator with this fault behind the relay
        PeerMode mode;
    };
    const Fault faults[] = {
        {"silent", "silent", PeerMode::kRelay},
        {"hang-up mid-reply", "drop", PeerMode::kRelay},
        {"slow beyond the limit", "slow:1500", PeerMode::kRelay},
        {"endless stream", "stream", PeerMode::kRelay},
        {"trickle", "trickle:300", PeerMode::kRelay},
        {"peer reset during a write", nullptr, PeerMode::kReset},
        {"stalled write", nullptr, PeerMode::kStall},
    };
    for (const Fault& f : faults) {
        SCOPED_TRACE(f.what);
        std::unique_ptr<m350test::SimProcess> bad;
        if (f.simFault) {
            bad = std::make_unique<m350test::SimProcess>(
                std::vector<std::string>{"--fault", f.simFault});
            ASSERT_TRUE(bad->ok()) << bad->error();
            peer.setUpstream(bad->tcpPort());
        }
        peer.setMode(f.mode, 1);
        // What the operator typed stays through a failed read.
        offset->setText(QStringLiteral("7"));
        w.prompter.confirms = {true, true};  // both reads replace the unsent 7
        const QStringList typed = w.form();
        ASSERT_NE(typed, read);
        const auto messages = w.prompter.messages.size();
        const auto start = std::chrono::steady_clock::now();
        w.click("ButtonRead");
        const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - start);
        EXPECT_LT(took.count(), 20 * kLimitMs) << "the read waited without end";
        EXPECT_GT(w.prompter.messages.size(), messages) << "the failure was not reported";
        EXPECT_TRUE(w.form() == typed) << "a failed read changed the form";

        // The same window, a good printer again: the read works.
        peer.setUpstream(good.tcpPort());
        peer.setMode(PeerMode::kRelay);
        const auto before = w.prompter.messages.size();
        const int connections = peer.connections();
        w.click("ButtonRead");
        EXPECT_EQ(w.prompter.messages.size(), before)
            << w.prompter.messages.join("|").toStdString();
        EXPECT_GT(peer.connections(), connections);
        EXPECT_TRUE(w.form() == read)
            << "the read after the fault did not show the printer's values";
    }
}

TEST(FaultWindow, SaveAgainstWhatStandsAtThePath) {
    namespace fs = std::filesystem;
    m350test::SimProcess sim;
    ASSERT_TRUE(sim.ok()) << sim.error();
    FaultyLinkWindow w(sim.tcpPort());
    w.click("ButtonRead");
    const QStringList read = w.form();
    QTemporaryDir dir;
    const std::string d = dir.path().toStdString();
    { std::ofstream(d + "/old.dcf") << "old contents"; }

    struct Case {
        const char* what;
        std::string name;               // chosen in the Save box
        std::function<void()> prepare;  // what stands there before
        const char* reason;             // part of the message; empty: saved
        std::function<void()> after;    // what must hold afterwards
        int added = 0;                  // new names in the folder
        bool fullDisk = false;
    };
    const Case cases[] = {
        {"a link is followed, the link stays", d + "/link.dcf",
         [&] { fs::create_symlink(d + "/target.dcf", d + "/link.dcf"); }, "",
         [&] {
             EXPECT_TRUE(fs::is_symlink(d + "/link.dcf"));
             EXPECT_EQ(fs::file_size(d + "/target.dcf"), 2848u);
         },
         1},
        {"a link to /dev/null is refused", d + "/null.dcf",
         [&] { fs::create_symlink("/dev/null", d + "/null.dcf"); }, "it is a device",
         [] { EXPECT_TRUE(fs::is_character_file("/dev/null")); }},
        {"a FIFO is refused", d + "/fifo.dcf", [&] { ::mkfifo((d + "/fifo.dcf").c_str(), 0600); },
         "it is a FIFO", [&] { EXPECT_TRUE(fs::is_fifo(d + "/fifo.dcf")); }},
        {"a folder is refused", d + "/folder.dcf", [&] { fs::create_directory(d + "/folder.dcf"); },
         "it is a directory", [&] { EXPECT_TRUE(fs::is_empty(d + "/folder.dcf")); }},
        {"a name with a space and a newline", d + "/my \nprinter.dcf", [] {}, "",
         [&] { EXPECT_EQ(fs::file_size(d + "/my \nprinter.dcf"), 2848u); }, 1},
        {"a full disk keeps the old file", d + "/old.dcf", [] {}, "File too large",
         [&] { EXPECT_EQ(m350test::readAll(d + "/old.dcf"), "old contents"); }, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.prepare();
        const auto entries = std::distance(fs::directory_iterator(d), fs::directory_iterator());
        const auto messages = w.prompter.messages.size();
        w.prompter.files.push_back(QString::fromStdString(c.name));
        rlimit saved{};
        if (c.fullDisk) {
            // The file size limit stands in for a full disk: writes past 1000
            // bytes fail with EFBIG (the signal it raises is ignored).
            std::signal(SIGXFSZ, SIG_IGN);
            ::getrlimit(RLIMIT_FSIZE, &saved);
            rlimit small{1000, saved.rlim_max};
            ::setrlimit(RLIMIT_FSIZE, &small);
        }
        w.click("ButtonSave");
        if (c.fullDisk) {
            ::setrlimit(RLIMIT_FSIZE, &saved);
            std::signal(SIGXFSZ, SIG_DFL);
        }
        if (*c.reason) {
            ASSERT_EQ(w.prompter.messages.size(), messages + 1);
            EXPECT_TRUE(w.prompter.messages.last().startsWith("The file cannot be written.\n"))
                << w.prompter.messages.last().toStdString();
            EXPECT_TRUE(w.prompter.messages.last().contains(c.reason))
                << w.prompter.messages.last().toStdString();
        } else {
            EXPECT_EQ(w.prompter.messages.size(), messages)
                << w.prompter.messages.join("|").toStdString();
        }
        c.after();
        // No temporary file beside it; a new name adds just itself.
        EXPECT_EQ(std::distance(fs::directory_iterator(d), fs::directory_iterator()),
                  entries + c.added);
        EXPECT_TRUE(w.form() == read);
    }
}
