// One operation at a time in the window, Cancel in the progress window,
// closing during an operation and the start-up contact after the window
// shows; on a scripted port, so every open and every chunk is counted.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "control_named.h"
#include "scripted_prompter.h"
#include "test_window.h"

using namespace m350::gui;
using m350test::controlNamed;

namespace {

// The progress the window reports, with a hook at every pump: where the
// window processes events while the printer works.
class PumpHook final : public m350::ProgressSink {
  public:
    std::function<void()> onPump;
    void open(const std::string&) override {}
    void setPosition(int) override {}
    void close() override {}
    void pump() override {
        if (onPump) onPump();
    }
};

struct Rig {
    m350test::ScriptedPrompter prompter;
    m350test::RecordingProgress recording;
    PumpHook hook;
    std::shared_ptr<m350test::ScriptedPortState> port =
        std::make_shared<m350test::ScriptedPortState>();
    std::unique_ptr<MainWindow> window;

    // realProgress: the window's own progress dialog instead of the hook.
    explicit Rig(bool realProgress = false, bool contactAfterShow = false) {
        auto seams = m350test::testSeams(prompter, recording);
        seams.progress = realProgress ? nullptr : &hook;
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

TEST(OneOperation, ClicksElsewhereDuringASendDoNothing) {
    Rig rig;
    rig.typeChunks(20);
    const int opens = rig.port->opens;
    int pumps = 0, opensMeanwhile = -1, busy = 0;
    bool statusEnabled = true;
    rig.hook.onPump = [&] {
        if (++pumps != 3) return;
        // Get Status on the first page, and the same through the window's
        // entry as a queued click would reach it.
        auto* status = controlNamed<QPushButton>(*rig.window, "ButtonGetStatus");
        statusEnabled = status->isEnabled();
        status->click();
        m350::StatusFlags flags{};
        busy = rig.window->runStandard(m350::ops::readStatus(flags));
        opensMeanwhile = rig.port->opens;
    };
    rig.click("ButtonSend");
    EXPECT_FALSE(statusEnabled);
    EXPECT_EQ(busy, kBusy);
    EXPECT_EQ(opensMeanwhile, opens + 1);  // the send's own connection only
    EXPECT_EQ(rig.written(), std::string(64 * 20, 'x'));
    EXPECT_TRUE(rig.prompter.shown.isEmpty()) << rig.prompter.shown.join("|").toStdString();
    // Afterwards the page's controls work again.
    EXPECT_TRUE(controlNamed<QPushButton>(*rig.window, "ButtonGetStatus")->isEnabled());
}

TEST(OneOperation, CancelInTheProgressWindowEndsTheSendAtTheNextChunk) {
    Rig rig(true);
    rig.typeChunks(200);
    // The operator's click, as a posted event the window's next pump delivers;
    // it looks again at the pump after until the progress window is there.
    QString name;
    std::function<void()> press = [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() != QLatin1String("TFormProcess") || !w->isVisible()) continue;
            if (auto* cancel = w->findChild<QPushButton*>(QStringLiteral("ButtonCancel"))) {
                name = w->findChild<QLabel*>(QStringLiteral("LabelOperation"))->text();
                cancel->click();
                return;
            }
        }
        QMetaObject::invokeMethod(qApp, press, Qt::QueuedConnection);
    };
    QMetaObject::invokeMethod(qApp, press, Qt::QueuedConnection);
    rig.click("ButtonSend");
    EXPECT_EQ(name, "Sending to the printer");
    EXPECT_LT(rig.port->chunks.size(), 200u);
    EXPECT_EQ(rig.port->opens, rig.port->closes);
    EXPECT_EQ(rig.prompter.messages, QStringList{"Cancelled"});
}

TEST(OneOperation, ClosingDuringAnOperationAsksAndNeverHides) {
    for (const bool cancel : {false, true}) {
        SCOPED_TRACE(cancel ? "cancel" : "go on");
        Rig rig;
        rig.typeChunks(20);
        rig.prompter.answers = {cancel};
        int pumps = 0;
        bool closed = true, visible = false;
        rig.hook.onPump = [&] {
            if (++pumps != 3) return;
            closed = rig.window->close();
            visible = rig.window->isVisible();
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
