// SPDX-License-Identifier: MIT
// The password gate and the password change from the main window against the
// simulated printer: what reaches the printer, byte for byte, for each way the
// operator answers.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <cstdlib>

#include "../control_named.h"
#include "../scripted_prompter.h"
#include "../test_window.h"
#include "gui/dialogs/password_dialog.h"
#include "gui/dialogs/password_setup_dialog.h"
#include "gui/main_window.h"
#include "gui/password_gate_prompt.h"
#include "support/diagnostic_wire.h"
#include "support/scripted_port.h"
#include "support/sim_process.h"

using namespace m350::gui;

using m350test::kAnnounce;
using m350test::kPasswordRead;
using m350test::ScriptedPrompter;
using m350test::SimProcess;

namespace {

const std::string kFactoryDefault = "INITIALPRINTER\r\n";

class PasswordWindow : public ::testing::Test {
  protected:
    // Starts the printer and the window on ETHERNET; the start-up exchange is
    // over when this returns.
    MainWindow& start(std::vector<std::string> simArgs, bool parallel = false) {
        SimProcess::Options o;
        o.args = std::move(simArgs);
        o.parallel = parallel;
        sim = std::make_unique<SimProcess>(o);
        EXPECT_TRUE(sim->ok()) << sim->error();
        window =
            std::make_unique<MainWindow>(m350test::loopbackPrinter(sim->tcpPort()),
                                         m350test::testSeams(prompter, progress, QSize(1024, 768)));
        window->move(30, 60);
        settle();
        prompter.shown.clear();
        prompter.messages.clear();
        return *window;
    }
    // Waits until every connection opened so far is closed, and returns the
    // bytes each connection since the last call received.
    std::vector<std::string> settle() {
        std::vector<std::string> out;
        // The window closes each connection before it returns; the
        // transcript catches up with it.
        sim->waitForQuiet();
        auto t = sim->transcript();
        for (std::size_t i = seen; i < t.size(); ++i) out.push_back(t[i].rx);
        seen = t.size();
        return out;
    }
    void click(QPushButton* b) { b->click(); }

    // Dialog scripts.
    void typeAndOk(std::vector<QString> attempts) {
        prompter.dialogs["TFormPassword"] = [this, attempts](QDialog& dialog) {
            auto& d = static_cast<PasswordDialog&>(dialog);
            placedAt = d.pos();
            d.open();
            for (const QString& a : attempts) {
                m350test::controlNamed<QLineEdit>(d, "EditPassword")->setText(a);
                m350test::controlNamed<QPushButton>(d, "ButtonOK")->click();
            }
            if (d.isVisible()) d.reject();
            return d.result();
        };
    }

    // Factory Default past its own question: the gate after it is what these
    // tests look at.
    void factoryDefault(MainWindow& w) {
        prompter.confirms = {true};
        m350test::controlNamed<QPushButton>(w, "ButtonInitial")->click();
        prompter.shown.removeIf([](const QString& s) { return s.startsWith("confirm: "); });
    }

    ScriptedPrompter prompter;
    m350test::RecordingProgress progress;
    std::unique_ptr<SimProcess> sim;
    std::unique_ptr<MainWindow> window;
    std::size_t seen = 0;
    QPoint placedAt;
};

TEST_F(PasswordWindow, NoPasswordPassesWithoutAsking) {
    MainWindow& w = start({});
    factoryDefault(w);
    EXPECT_EQ(settle(), (std::vector<std::string>{kPasswordRead, kFactoryDefault}));
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST_F(PasswordWindow, WrongThenRightPasswordLetsTheChangeThrough) {
    MainWindow& w = start({"--password", "Secret"});
    typeAndOk({"secret", "Secret"});
    factoryDefault(w);
    EXPECT_EQ(settle(), (std::vector<std::string>{kPasswordRead, kFactoryDefault}));
    EXPECT_EQ(prompter.shown, (QStringList{"dialog: TFormPassword", "message: Incorrect"}));
    // A third of the window's width and height from its top-left corner.
    const QRect frame = w.frameGeometry();
    EXPECT_EQ(placedAt, QPoint(frame.left() + frame.width() / 3, frame.top() + frame.height() / 3));
}

// A printer whose password is "pass" (the word that once meant a granted
// prompt) is guarded like any other: every way out but OK refuses, silently.
TEST_F(PasswordWindow, EveryOtherWayOutRefusesWithoutSending) {
    MainWindow& w = start({"--password", "pass"});
    std::vector<std::function<int(QDialog&)>> ways = {
        [](QDialog& d) {
            d.open();
            m350test::controlNamed<QPushButton>(d, "ButtonCancel")->click();
            return d.result();
        },
        [](QDialog& d) {
            d.open();
            QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QCoreApplication::sendEvent(&d, &esc);
            return d.result();
        },
        [](QDialog& d) {
            d.open();
            d.close();
            return d.result();
        },
        // A dialog that reports Accepted without OK having been pressed with
        // the password still has no verdict.
        [](QDialog& d) {
            m350test::controlNamed<QLineEdit>(d, "EditPassword")->setText("pass");
            return static_cast<int>(QDialog::Accepted);
        },
        // The edit holding the password is not enough either: OK decides.
        [](QDialog& d) {
            d.open();
            m350test::controlNamed<QLineEdit>(d, "EditPassword")->setText("pass");
            d.reject();
            return d.result();
        },
    };
    for (std::size_t i = 0; i < ways.size(); ++i) {
        prompter.dialogs["TFormPassword"] = ways[i];
        factoryDefault(w);
        EXPECT_EQ(settle(), std::vector<std::string>{kPasswordRead}) << "way " << i;
        EXPECT_TRUE(prompter.messages.isEmpty()) << "way " << i;
        EXPECT_TRUE(w.isEnabled());
    }
}

// Edition 100 and below have no password: the query is not even made.
TEST_F(PasswordWindow, EditionHundredNeverAsks) {
    MainWindow& w = start({"--edition", "100", "--password", "Secret"});
    factoryDefault(w);
    EXPECT_EQ(settle(), (std::vector<std::string>{kAnnounce + "DIAGNOSTIC REPORT EDITION\r\n",
                                                  kFactoryDefault}));
    EXPECT_TRUE(prompter.shown.isEmpty());

    // The change starts from an empty password; the old entry stays empty.
    prompter.dialogs["TFormPasswordSetup"] = [](QDialog& dialog) {
        auto& d = static_cast<PasswordSetupDialog&>(dialog);
        EXPECT_TRUE(m350test::controlNamed<QLineEdit>(d, "EditOldPassword")->text().isEmpty());
        d.open();
        m350test::controlNamed<QLineEdit>(d, "EditNewPassword")->setText("abc");
        m350test::controlNamed<QPushButton>(d, "ButtonOK")->click();
        return d.result();
    };
    m350test::controlNamed<QPushButton>(w, "ButtonPassword")->click();
    EXPECT_EQ(settle(), (std::vector<std::string>{kAnnounce + "DIAGNOSTIC REPORT EDITION\r\n",
                                                  "DIAGNOSTIC PASSWORD \"abc\"\r\n"}));
}

TEST_F(PasswordWindow, FailedPasswordReadRefusesWithItsMessage) {
    MainWindow& w = start({"--password", "Secret", "--fault", "drop:PASSWORD"});
    factoryDefault(w);
    EXPECT_EQ(settle(), std::vector<std::string>{kPasswordRead});
    EXPECT_EQ(prompter.messages, QStringList{"Data Receiving Error"});
    EXPECT_FALSE(prompter.shown.contains("dialog: TFormPassword"));
}

// The parallel port cannot read a password back; the gate lets the change
// through without a prompt and the command goes out on the port.
TEST_F(PasswordWindow, ParallelPortPassesWithoutAsking) {
    MainWindow& w = start({"--password", "Secret"}, true);
    setenv("M350_LPT1", sim->parallelPath().c_str(), 1);
    m350test::controlNamed<QComboBox>(w, "ComboBoxInterFace")->setCurrentIndex(2);
    w.onInterfaceChanged(2);
    factoryDefault(w);
    unsetenv("M350_LPT1");
    EXPECT_EQ(settle(), std::vector<std::string>{kFactoryDefault});
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST_F(PasswordWindow, ChangeRoundTripSendsTheNewPasswordAndTheGateUsesIt) {
    MainWindow& w = start({"--password", "old1"});
    prompter.dialogs["TFormPasswordSetup"] = [this](QDialog& dialog) {
        auto& d = static_cast<PasswordSetupDialog&>(dialog);
        placedAt = d.pos();
        d.open();
        m350test::controlNamed<QLineEdit>(d, "EditOldPassword")->setText("old1");
        m350test::controlNamed<QLineEdit>(d, "EditNewPassword")->setText("n3w pass!");
        m350test::controlNamed<QPushButton>(d, "ButtonOK")->click();
        return d.result();
    };
    m350test::controlNamed<QPushButton>(w, "ButtonPassword")->click();
    EXPECT_EQ(settle(),
              (std::vector<std::string>{kPasswordRead, "DIAGNOSTIC PASSWORD \"n3w pass!\"\r\n"}));
    EXPECT_EQ(placedAt, w.dialogPlace());
    EXPECT_TRUE(prompter.messages.isEmpty());

    // The printer now holds the new one: the old one is refused, the new one
    // passes.
    typeAndOk({"old1", "n3w pass!"});
    factoryDefault(w);
    EXPECT_EQ(settle(), (std::vector<std::string>{kPasswordRead, kFactoryDefault}));
    EXPECT_EQ(prompter.messages, QStringList{"Incorrect"});
}

TEST_F(PasswordWindow, UnchangedOrCancelledChangeSendsNothing) {
    MainWindow& w = start({"--password", "same"});
    auto script = [](const char* oldText, const char* newText, bool ok) {
        return [=](QDialog& dialog) {
            auto& d = static_cast<PasswordSetupDialog&>(dialog);
            d.open();
            m350test::controlNamed<QLineEdit>(d, "EditOldPassword")->setText(oldText);
            m350test::controlNamed<QLineEdit>(d, "EditNewPassword")->setText(newText);
            if (ok) m350test::controlNamed<QPushButton>(d, "ButtonOK")->click();
            if (d.isVisible()) d.reject();
            return d.result();
        };
    };
    prompter.dialogs["TFormPasswordSetup"] = script("same", "same", true);
    m350test::controlNamed<QPushButton>(w, "ButtonPassword")->click();
    EXPECT_EQ(settle(), std::vector<std::string>{kPasswordRead});
    prompter.dialogs["TFormPasswordSetup"] = script("same", "other", false);
    m350test::controlNamed<QPushButton>(w, "ButtonPassword")->click();
    EXPECT_EQ(settle(), std::vector<std::string>{kPasswordRead});
    // A wrong old password keeps the dialog open; leaving it sends nothing.
    prompter.dialogs["TFormPasswordSetup"] = script("Same", "other", true);
    m350test::controlNamed<QPushButton>(w, "ButtonPassword")->click();
    EXPECT_EQ(settle(), std::vector<std::string>{kPasswordRead});
    EXPECT_EQ(prompter.messages, QStringList{"Incorrect"});
}

TEST_F(PasswordWindow, FailedPasswordWriteShowsItsMessage) {
    MainWindow& w = start({"--password", "old1", "--fault", "drop:PASSWORDSET"});
    prompter.dialogs["TFormPasswordSetup"] = [](QDialog& dialog) {
        auto& d = static_cast<PasswordSetupDialog&>(dialog);
        d.open();
        m350test::controlNamed<QLineEdit>(d, "EditOldPassword")->setText("old1");
        m350test::controlNamed<QLineEdit>(d, "EditNewPassword")->setText("new1");
        m350test::controlNamed<QPushButton>(d, "ButtonOK")->click();
        return d.result();
    };
    m350test::controlNamed<QPushButton>(w, "ButtonPassword")->click();
    EXPECT_EQ(settle(),
              (std::vector<std::string>{kPasswordRead, "DIAGNOSTIC PASSWORD \"new1\"\r\n"}));
    EXPECT_EQ(prompter.messages, QStringList{"Data Receiving Error"});
}

}  // namespace
