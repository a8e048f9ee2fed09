// One operation at a time in the window, Cancel in the progress window,
// closing during an operation, the start-up contact after the window shows
// and one print per double click; on a scripted port, so every open and every
// chunk is counted, and against a simulated printer that never answers.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

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
    std::string written() const {
        std::string all;
        for (const auto& c : port->chunks) all += c;
        return all;
    }
};

}  // namespace

// The send's worker stops after its third chunk until a button of another
// page (or the window's entry itself) was tried on the GUI thread.
TEST(OneOperation, ClicksElsewhereDuringASendDoNothing) {
    for (const char* button : {"ButtonGetStatus", "ButtonSelfTest", "ButtonRead", "ButtonGet",
                               "ButtonSendFile", "ButtonInterFace"}) {
        SCOPED_TRACE(button);
        Rig rig;
        rig.typeChunks(20);
        const int opens = rig.port->opens;
        int opensMeanwhile = -1, busy = 0;
        bool enabled = true;
        rig.port->afterChunk = [&](std::size_t chunks) {
            if (chunks != 3) return;
            m350test::onGuiThread([&] {
                auto* b = controlNamed<QAbstractButton>(*rig.window, button);
                enabled = b->isEnabled();
                b->click();
                m350::StatusFlags flags{};
                busy = rig.window->runStandard(m350::ops::readStatus(flags));
                opensMeanwhile = rig.port->opens;
            });
        };
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
    // The operator's click on the GUI thread while the worker waits after
    // its third chunk.
    QString name;
    rig.port->afterChunk = [&](std::size_t chunks) {
        if (chunks != 3) return;
        m350test::onGuiThread([&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (w->objectName() != QLatin1String("TFormProcess") || !w->isVisible()) continue;
                if (auto* cancel = w->findChild<QPushButton*>(QStringLiteral("ButtonCancel"))) {
                    name = w->findChild<QLabel*>(QStringLiteral("LabelOperation"))->text();
                    cancel->click();
                }
            }
        });
    };
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
        rig.port->afterChunk = [&](std::size_t chunks) {
            if (chunks != 3) return;
            m350test::onGuiThread([&] {
                closed = rig.window->close();
                visible = rig.window->isVisible();
            });
        };
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

namespace {

// Whatever the operation, the printer takes the request and never answers.
struct SilentWindow {
    m350test::ScriptedPrompter prompter;
    m350test::RecordingProgress unused;
    std::unique_ptr<MainWindow> window;

    SilentWindow(int port, bool contactAfterShow) {
        auto seams = m350test::testSeams(prompter, unused);
        seams.progress = nullptr;  // the window's own progress, with Cancel
        seams.contactAfterShow = contactAfterShow;
        // The start-up contact gives up soon.
        seams.timeouts = [](m350::LinkTimeouts& t) { t.netReadMs = 300; };
        window = std::make_unique<MainWindow>(m350test::loopbackPrinter(port), std::move(seams));
        window->show();
    }
};

QPushButton* visibleCancel() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("TFormProcess") && w->isVisible())
            return w->findChild<QPushButton*>(QStringLiteral("ButtonCancel"));
    return nullptr;
}

}  // namespace

// The exchange waits on its worker: the GUI thread's timers keep firing, and
// Cancel, clicked from one of them, ends a wait whose own limit is far off.
TEST(SilentPrinter, TheWindowKeepsRunningAndCancelEndsTheWait) {
    m350test::SimProcess sim({"--fault", "silent"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    const struct {
        const char* button;
        std::string request;  // what the printer receives first
    } cases[] = {{"ButtonGetStatus", "\x1b!?"}, {"ButtonRead", "\r\nDIAGNOSTIC INTERFACE NET\r\n"}};
    for (const auto& [button, request] : cases) {
        SCOPED_TRACE(button);
        SilentWindow silent(sim.tcpPort(), false);
        MainWindow& window = *silent.window;
        silent.prompter.messages.clear();
        window.link().timeouts.netReadMs = 20000;
        int ticks = 0;
        QElapsedTimer sinceCancel;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            if (!window.operationRunning() || sinceCancel.isValid()) return;
            QPushButton* cancel = visibleCancel();
            if (++ticks < 10 || !cancel) return;
            sinceCancel.start();
            cancel->click();
        });
        timer.start(20);
        controlNamed<QPushButton>(window, button)->click();
        ASSERT_TRUE(sinceCancel.isValid()) << "no Cancel offered";
        EXPECT_GE(ticks, 10);
        // Ended by Cancel, not by the read limit.
        EXPECT_LT(sinceCancel.elapsed(), 10000);
        EXPECT_EQ(silent.prompter.messages, QStringList{"Cancelled"});
        EXPECT_FALSE(window.operationRunning());
        // The request reached the printer and its connection was closed.
        sim.waitForQuiet();
        const auto t = sim.transcript();
        ASSERT_FALSE(t.empty());
        EXPECT_EQ(t.back().rx.rfind(request, 0), 0u) << t.back().rx;
        EXPECT_TRUE(t.back().closed);
    }
}

TEST(StartUp, AgainstASilentPrinterTheWindowShowsAndRunsWhileTheContactWaits) {
    m350test::SimProcess sim({"--fault", "silent"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    SilentWindow silent(sim.tcpPort(), true);
    MainWindow& window = *silent.window;
    EXPECT_TRUE(window.isVisible());
    bool fired = false, runningMeanwhile = false;
    QTimer::singleShot(100, &window, [&] {
        fired = true;
        runningMeanwhile = window.operationRunning();
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return fired && !window.operationRunning(); }, 5000));
    EXPECT_TRUE(runningMeanwhile);
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(silent.prompter.messages.isEmpty());
}

// Against a scripted printer that answers at once: a double click's second
// click arrives after the first print ended, and must not print again.
TEST(DoubleClick, TheConfigurationPagePrintsOncePerClickNotPerDoubleClick) {
    const struct {
        const char* what;
        std::function<void(QPushButton*)> mouse;
        int prints;
    } cases[] = {
        {"click", [](QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }, 1},
        {"double click",
         [](QPushButton* b) {
             // What the window system delivers for one.
             QTest::mousePress(b, Qt::LeftButton);
             QTest::mouseRelease(b, Qt::LeftButton);
             QTest::mouseDClick(b, Qt::LeftButton);
             QTest::mouseRelease(b, Qt::LeftButton);
         },
         1},
        {"two clicks",
         [](QPushButton* b) {
             QTest::mouseClick(b, Qt::LeftButton);
             QTest::mouseClick(b, Qt::LeftButton);
         },
         2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig;
        ASSERT_EQ(rig.window->runStandard(m350::ops::printSelfTest()), m350::kOk);
        const std::string once = rig.written();
        ASSERT_FALSE(once.empty());
        rig.port->chunks.clear();
        c.mouse(controlNamed<QPushButton>(*rig.window, "ButtonSelfTest"));
        std::string expected;
        for (int i = 0; i < c.prints; ++i) expected += once;
        EXPECT_EQ(rig.written(), expected);
    }
}
