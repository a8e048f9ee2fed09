// SPDX-License-Identifier: MIT
// One operation at a time in the window, Cancel in the progress window,
// closing during an operation and the start-up contact after the window
// shows; on a scripted port, so every open and every chunk is counted.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <climits>

#include "control_named.h"
#include "scripted_prompter.h"
#include "support/sim_process.h"
#include "test_window.h"

using namespace m350::gui;
using m350test::controlNamed;

namespace {

struct Rig {
    m350test::ScriptedPrompter prompter;
    m350test::RecordingProgress recording;
    std::shared_ptr<m350test::ScriptedPortState> port =
        std::make_shared<m350test::ScriptedPortState>();
    std::unique_ptr<MainWindow> window;

    // realProgress: the window's own progress dialog instead of the recording.
    explicit Rig(bool realProgress = false, bool contactAfterShow = false) {
        auto seams = m350test::testSeams(prompter, recording);
        seams.progress = realProgress ? nullptr : &recording;
        seams.contactAfterShow = contactAfterShow;
        auto state = port;
        seams.makePort = [state](m350::LinkContext&, int) {
            return std::make_unique<m350test::ScriptedPort>(state);
        };
        m350::gui::StartupOptions options;
        options.interfaceIndex = m350::kCom;
        options.language = 0;
        window = std::make_unique<MainWindow>(options, std::move(seams));
        window->show();
        port->chunks.clear();  // the start-up contact's
    }
    // The command tool sends this many 64-byte chunks.
    void typeChunks(int chunks) {
        controlNamed<QPlainTextEdit>(*window, "RichEditTText")
            ->setPlainText(QString(64 * chunks, QLatin1Char('x')));
    }
    void click(const char* name) { controlNamed<QPushButton>(*window, name)->click(); }
    // f runs on the GUI thread while the worker waits after chunk n.
    void atChunk(std::size_t n, std::function<void()> f) {
        port->afterChunk = [n, f](std::size_t c) {
            if (c == n) QMetaObject::invokeMethod(qApp, f, Qt::BlockingQueuedConnection);
        };
    }
    std::string written() const {
        std::string all;
        for (const auto& c : port->chunks) all += c;
        return all;
    }
};

// Clicks Cancel in the progress window, if one shows, and gives its
// operation's name.
QString clickCancel() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* b = w->findChild<QPushButton*>("ButtonCancel"); b && b->isVisible()) {
            b->click();
            return w->findChild<QLabel*>("LabelOperation")->text();
        }
    return {};
}

}  // namespace

TEST(OneOperation, ClicksElsewhereDuringASendDoNothing) {
    for (const char* button : {"ButtonGetStatus", "ButtonSelfTest", "ButtonRead", "ButtonGet",
                               "ButtonSendFile", "ButtonInterFace"}) {
        SCOPED_TRACE(button);
        Rig rig;
        rig.typeChunks(20);
        const int opens = rig.port->opens;
        int opensMeanwhile = -1, busy = 0;
        bool enabled = true;
        rig.atChunk(3, [&] {
            auto* b = controlNamed<QAbstractButton>(*rig.window, button);
            enabled = b->isEnabled();
            b->click();
            m350::StatusFlags flags{};
            busy = rig.window->runStandard(m350::ops::readStatus(flags));
            opensMeanwhile = rig.port->opens;
        });
        rig.click("ButtonSend");
        EXPECT_FALSE(enabled);
        EXPECT_EQ(busy, kBusy);
        EXPECT_EQ(opensMeanwhile, opens + 1);  // the send's own connection only
        EXPECT_EQ(rig.written(), std::string(64 * 20, 'x'));
        EXPECT_TRUE(rig.prompter.shown.isEmpty()) << rig.prompter.shown.join("|").toStdString();
        // Afterwards the page's controls work again.
        EXPECT_TRUE(controlNamed<QAbstractButton>(*rig.window, button)->isEnabled());
    }
}

TEST(OneOperation, CancelInTheProgressWindowEndsTheSendAtTheNextChunk) {
    Rig rig(true);
    rig.typeChunks(200);
    QString name;
    rig.atChunk(3, [&] { name = clickCancel(); });
    rig.click("ButtonSend");
    EXPECT_EQ(name, "Sending to the printer");
    EXPECT_EQ(rig.port->chunks.size(), 3u);
    EXPECT_EQ(rig.port->opens, rig.port->closes);
    EXPECT_EQ(rig.prompter.messages, QStringList{"Cancelled"});
}

TEST(OneOperation, ClosingDuringAnOperationAsksAndNeverHides) {
    for (const bool cancel : {false, true}) {
        SCOPED_TRACE(cancel ? "cancel" : "go on");
        Rig rig;
        rig.typeChunks(20);
        rig.prompter.answers = {cancel};
        bool closed = true, visible = false;
        rig.atChunk(3, [&] {
            closed = rig.window->close();
            visible = rig.window->isVisible();
        });
        rig.click("ButtonSend");
        EXPECT_FALSE(closed);
        EXPECT_TRUE(visible);
        EXPECT_TRUE(rig.prompter.shown.first().startsWith("question: An operation is running"));
        EXPECT_EQ(rig.port->chunks.size() < 20u, cancel);
        QApplication::processEvents();
        EXPECT_EQ(rig.window->isVisible(), !cancel);
    }
}

TEST(StartUp, TheWindowShowsBeforeTheFirstContact) {
    Rig rig(false, true);
    // Built and shown, and the printer not yet asked anything.
    EXPECT_TRUE(rig.window->isVisible());
    EXPECT_EQ(rig.port->opens, 0);
    QApplication::processEvents();
    EXPECT_GT(rig.port->opens, 0);
    EXPECT_FALSE(rig.window->operationRunning());
}

// A printer that takes every request and never answers. The exchanges wait
// on the worker: the GUI thread's timers fire meanwhile, from the start-up
// contact on, and Cancel clicked from one of them ends a wait whose own
// limit is far off.
TEST(SilentPrinter, TheWindowKeepsRunningAndCancelEndsTheWait) {
    m350test::SimProcess sim({"--fault", "silent"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    m350test::ScriptedPrompter prompter;
    m350test::RecordingProgress unused;
    auto seams = m350test::testSeams(prompter, unused);
    seams.progress = nullptr;  // the window's own, with Cancel
    seams.contactAfterShow = true;
    seams.timeouts = [](m350::LinkTimeouts& t) { t.netReadMs = 300; };
    MainWindow window(m350test::loopbackPrinter(sim.tcpPort()), std::move(seams));
    window.show();
    int ticks = 0, cancelAt = INT_MAX;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (window.operationRunning() && ++ticks >= cancelAt) clickCancel();
    });
    timer.start(20);
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks > 0 && !window.operationRunning(); }, 5000));
    window.link().timeouts.netReadMs = 20000;
    for (auto [button, request] : {std::pair{"ButtonGetStatus", "\x1b!?"},
                                   {"ButtonRead", "\r\nDIAGNOSTIC INTERFACE NET\r\n"}}) {
        SCOPED_TRACE(button);
        prompter.messages.clear();
        cancelAt = ticks + 10;
        QElapsedTimer took;
        took.start();
        controlNamed<QPushButton>(window, button)->click();
        EXPECT_GE(ticks, cancelAt);
        EXPECT_LT(took.elapsed(), 10000);  // not the read limit
        EXPECT_EQ(prompter.messages, QStringList{"Cancelled"});
        sim.waitForQuiet();
        EXPECT_EQ(sim.transcript().back().rx.rfind(request, 0), 0u);
    }
}

// Against a printer that answers at once: the second click of a double click
// arrives after the first print ended, and prints nothing.
TEST(DoubleClick, TheConfigurationPagePrintsOncePerClickNotPerDoubleClick) {
    for (const bool doubleClick : {true, false}) {
        SCOPED_TRACE(doubleClick ? "double click" : "two clicks");
        Rig rig;
        ASSERT_EQ(rig.window->runStandard(m350::ops::printSelfTest()), m350::kOk);
        const std::string once = rig.written();
        rig.port->chunks.clear();
        auto* b = controlNamed<QPushButton>(*rig.window, "ButtonSelfTest");
        QTest::mouseClick(b, Qt::LeftButton);
        // The rest of a double click as the window system delivers it, or a
        // second click.
        doubleClick ? QTest::mouseDClick(b, Qt::LeftButton) : QTest::mousePress(b, Qt::LeftButton);
        QTest::mouseRelease(b, Qt::LeftButton);
        EXPECT_EQ(rig.written(), doubleClick ? once : once + once);
    }
}
