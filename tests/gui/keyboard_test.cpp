// SPDX-License-Identifier: MIT
// The window's keys: F5 reads the shown page as its Read button does (the
// printer gets the same bytes), and nothing where a page has no read; Ctrl+Q
// closes the window; F1 opens the installed manual or says where to read it;
// Ctrl+F1 names the version, licence, contact and Qt version.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <memory>

#include "control_named.h"
#include "core/version.h"
#include "scripted_prompter.h"
#include "support/sim_process.h"
#include "test_window.h"

using namespace m350::gui;

namespace {

struct KeyboardWindow {
    m350test::ScriptedPrompter prompter;
    m350test::RecordingProgress progress;
    QList<QUrl> opened;
    std::unique_ptr<MainWindow> main;

    KeyboardWindow(int port, const QString& docFolder = {}) {
        MainWindowSeams seams = m350test::testSeams(prompter, progress);
        seams.network.openUrl = [this](const QUrl& url) { opened << url; };
        seams.docFolder = docFolder;
        main = std::make_unique<MainWindow>(m350test::loopbackPrinter(port), std::move(seams));
        main->show();
        main->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(main.get()));
    }
    void key(QKeyCombination k) { QTest::keyClick(main.get(), k.key(), k.keyboardModifiers()); }
    void page(int index) {
        m350test::controlNamed<QTabWidget>(*main, "PageControl1")->setCurrentIndex(index);
    }
};

}  // namespace

TEST(Keyboard, F5ReadsTheShownPageAsItsButtonDoes) {
    struct Case {
        const char* what;
        int page;
        const char* button;  // pressed on a second printer for the bytes to expect
    };
    const Case cases[] = {
        {"configuration page", 0, "ButtonRead"},
        {"file manager", 1, "ButtonGet"},
        {"font manager: nothing to read", 2, nullptr},
        {"command tool: nothing to read", 3, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m350test::SimProcess byKey, byButton;
        ASSERT_TRUE(byKey.ok() && byButton.ok());
        std::string expected;
        {
            KeyboardWindow w(byButton.tcpPort());
            ASSERT_TRUE(byButton.waitForQuiet());
            const std::size_t before = byButton.allRx().size();
            w.page(c.page);
            if (c.button) m350test::controlNamed<QPushButton>(*w.main, c.button)->click();
            ASSERT_TRUE(byButton.waitForQuiet());
            expected = byButton.allRx().substr(before);
        }
        KeyboardWindow w(byKey.tcpPort());
        ASSERT_TRUE(byKey.waitForQuiet());
        const std::size_t before = byKey.allRx().size();
        w.page(c.page);
        w.key(Qt::Key_F5);
        ASSERT_TRUE(byKey.waitForQuiet());
        EXPECT_EQ(byKey.allRx().substr(before), expected);
        EXPECT_EQ(expected.empty(), c.button == nullptr);
        EXPECT_TRUE(w.prompter.messages.isEmpty()) << w.prompter.messages.join('|').toStdString();
    }
}

TEST(Keyboard, CtrlQClosesAndTheHelpKeysSayWhatTheyShould) {
    m350test::SimProcess sim;
    ASSERT_TRUE(sim.ok());
    QTemporaryDir docs;
    ASSERT_TRUE(docs.isValid());
    {
        KeyboardWindow w(sim.tcpPort(), docs.path());
        // No manual installed there: where to read it instead.
        w.key(Qt::Key_F1);
        ASSERT_EQ(w.prompter.messages.size(), 1);
        EXPECT_TRUE(w.prompter.messages[0].contains("man m350-utility"));
        EXPECT_TRUE(w.opened.isEmpty());
        QFile readme(QDir(docs.path()).filePath("README.md"));
        ASSERT_TRUE(readme.open(QIODevice::WriteOnly));
        readme.close();
        w.key(Qt::Key_F1);
        EXPECT_EQ(w.opened, QList<QUrl>{QUrl::fromLocalFile(readme.fileName())});

        w.key(Qt::CTRL | Qt::Key_F1);
        ASSERT_EQ(w.prompter.messages.size(), 2);
        const QString about = w.prompter.messages[1];
        for (const QString& part : {QStringLiteral(M350_VERSION), QStringLiteral("MIT"),
                                    QStringLiteral(M350_CONTACT), QString::fromLatin1(qVersion())})
            EXPECT_TRUE(about.contains(part)) << about.toStdString();

        EXPECT_TRUE(w.main->isVisible());
        w.key(Qt::CTRL | Qt::Key_Q);
        EXPECT_FALSE(w.main->isVisible());
    }
}
