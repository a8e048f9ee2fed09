// SPDX-License-Identifier: MIT
// What the operator did not mean never reaches the printer: Enter, the wheel,
// changes left on other tabs and the destructive buttons, each checked on the
// real widgets and on the simulated printer's wire.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <utility>

#include "control_named.h"
#include "gui/dialogs/rs232_setup_dialog.h"
#include "gui/mnemonics.h"
#include "gui/widgets/radio_group.h"
#include "support/sim_process.h"
#include "test_window.h"

using namespace m350::gui;
using m350test::controlNamed;

namespace {

class Guards : public ::testing::Test {
  protected:
    void start(std::vector<std::string> simArgs = {}) {
        seen = 0;
        sim = std::make_unique<m350test::SimProcess>(std::move(simArgs));
        ASSERT_TRUE(sim->ok()) << sim->error();
        window = std::make_unique<MainWindow>(m350test::loopbackPrinter(sim->tcpPort()),
                                              m350test::testSeams(prompter, progress));
        sent();
        prompter.shown.clear();
    }
    // Everything the printer received since the last call.
    std::string sent() {
        sim->waitForQuiet();
        const std::string all = sim->allRx();
        return all.substr(std::exchange(seen, all.size()));
    }
    template <class W = QWidget>
    W* at(const char* name) {
        return controlNamed<W>(*window, name);
    }
    void click(const char* name) { at<QPushButton>(name)->click(); }
    // The confirmations asked since the last clear.
    QStringList asked() const { return prompter.shown.filter(QRegularExpression("^confirm: ")); }

    QTemporaryDir dir;
    m350test::ScriptedPrompter prompter;
    m350test::RecordingProgress progress;
    std::unique_ptr<m350test::SimProcess> sim;
    std::unique_ptr<MainWindow> window;
    std::size_t seen = 0;
};

TEST_F(Guards, EnterPressesTheActionOfTheFocusedFieldOrNothing) {
    struct Case {
        const char *button, *dialog, *field, *text, *sends, *never;
    };
    const Case cases[] = {
        {"ButtonEthernet", "TFormEthernetSetup", "EditIP", "10.1.2.3", "NET IP \"10.1.2.3\"",
         "NET NAME"},
        {"ButtonEthernet", "TFormEthernetSetup", "EditPrinterName", "Shelf7", "NET NAME \"Shelf7\"",
         "NET IP"},
        {"ButtonSensorCalibrate", "TFormSensorCalibrate", "EditInten", "5", "SET GAP 5", "DETECT"},
        {"ButtonSensorCalibrate", "TFormSensorCalibrate", "EditHeight", "1", "GAPDETECT",
         "SET GAP"},
        {"ButtonSensorCalibrate", "TFormSensorCalibrate", "ComboBoxSnesorInt", "", "", "DETECT"},
    };
    start();
    for (const auto& c : cases) {
        prompter.dialogs[c.dialog] = [&c](QDialog& d) {
            d.show();
            if (auto* r = d.findChild<RadioGroup*>("RadioGroupDHCP")) r->button(1)->click();
            if (auto* r = d.findChild<RadioGroup*>("RadioGroupMediaType")) r->button(0)->click();
            QWidget* field = controlNamed(d, c.field);
            if (auto* e = qobject_cast<QLineEdit*>(field)) e->setText(c.text);
            field->setFocus();
            QTest::keyClick(field, Qt::Key_Return);
            if (d.isVisible()) d.reject();
            return d.result();
        };
        click(c.button);
        const std::string wire = sent();
        EXPECT_NE(wire.find(c.sends), std::string::npos) << c.field << ": " << wire;
        EXPECT_EQ(wire.find(c.never), std::string::npos) << c.field << ": " << wire;
    }
}

// Rolling over a list or number box changes it only once it has the focus.
TEST_F(Guards, TheWheelTurnsOnlyTheFocusedBox) {
    start();
    auto* spin = new QSpinBox(at("TabSheet5"));
    m350::SerialSettings serial;
    Rs232SetupDialog rs232(serial, 0);
    auto value = [](QWidget* w) {
        auto* s = qobject_cast<QSpinBox*>(w);
        return s ? s->value() : qobject_cast<QComboBox*>(w)->currentIndex();
    };
    const QList<QWidget*> boxes = {at("ComboBoxInterFace"), at("ComboBoxLanguage"),
                                   at("ComboBoxPrintOut"), controlNamed(rs232, "ComboBoxBaudRate"),
                                   spin};
    window->show();
    for (QWidget* w : boxes) {
        w->window()->show();
        w->window()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w->window()));
        w->clearFocus();
        const int before = value(w);
        auto* list = qobject_cast<QComboBox*>(w);
        const int delta = list && list->currentIndex() + 1 < list->count() ? -120 : 120;
        for (bool focused : {false, true}) {
            if (focused) w->setFocus();
            QWheelEvent wheel(QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), {}, {0, delta},
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(w, &wheel);
            EXPECT_EQ(value(w) != before, focused)
                << w->objectName().toStdString() << " focused " << focused;
        }
    }
    EXPECT_EQ(sent(), "");
}

// Set writes the tab on top; Read, Load, the unit and closing replace or drop
// what the boxes hold. Each names the tabs and asks; Cancel leaves all alone.
TEST_F(Guards, UnsentChangesOnTabsAreMarkedAndAskedAbout) {
    struct Case {
        const char *box, *text, *act, *asks, *okSends, *okText;
    };
    const Case cases[] = {
        {"EditDarknessZ", "9", "ButtonRead", "Reading replaces the unsent changes on: Z.",
         "DIAGNOSTIC REPORT SPEED", nullptr},
        {"EditHeatD", "7", "ButtonLoad", "Loading replaces the unsent changes on: D.", "", ""},
        {"EditWidth", "3.5", "mm", "The new unit converts the unsent lengths on: Common.", "",
         "59.32"},
        {"ComboBoxParity", "", "close", "Closing loses the unsent changes on: RS-232.", "",
         nullptr},
        {"EditSpeed", "4", "ButtonConfigSet",
         "Only this tab is sent. Unsent changes stay on: Common.", "DIAGNOSTIC REPORT PASSWORD",
         nullptr},
    };
    const QString saved = dir.filePath("saved.dcf");
    for (const auto& c : cases) {
        start();
        window->show();
        prompter.files = {saved, saved, saved};
        click("ButtonClear");
        click("ButtonSave");
        QWidget* box = at(c.box);
        if (auto* e = qobject_cast<QLineEdit*>(box)) e->setText(c.text);
        if (auto* l = qobject_cast<QComboBox*>(box)) l->setCurrentIndex(2);
        auto* pages = at<QTabWidget>("PageControl2");
        const QString tab = QString(c.asks).section(": ", 1).chopped(1);
        for (int i = 0; i < pages->count(); ++i)
            EXPECT_EQ(!pages->tabIcon(i).isNull(),
                      m350::gui::withoutMnemonic(pages->tabText(i)) == tab)
                << c.box << i;
        for (bool ok : {false, true}) {
            prompter.shown.clear();
            prompter.confirms = {ok};
            // Set from the Z tab; the rest from Common.
            pages->setCurrentIndex(std::string(c.act) == "ButtonConfigSet" ? 1 : 0);
            if (c.act[0] == 'B') click(c.act);
            if (c.act[0] == 'm') at<RadioGroup>("RadioGroupUnit")->button(1)->click();
            if (c.act[0] == 'c') window->close();
            ASSERT_EQ(asked().size(), 1) << c.box;
            EXPECT_TRUE(asked()[0].startsWith(QString("confirm: ") + c.asks)) << c.box;
            const std::string wire = sent();
            if (ok && *c.okSends) {
                EXPECT_NE(wire.find(c.okSends), std::string::npos) << wire;
            } else {
                EXPECT_EQ(wire, "") << c.box;
            }
            EXPECT_EQ(wire.find("SPEED 4"), std::string::npos) << c.box;
            EXPECT_EQ(window->isVisible(), !ok || c.act[0] != 'c') << c.box;
            EXPECT_EQ(at<RadioGroup>("RadioGroupUnit")->itemIndex(), ok && c.act[0] == 'm' ? 1 : 0);
            if (auto* e = qobject_cast<QLineEdit*>(box); e && (!ok || c.okText)) {
                EXPECT_EQ(e->text(), ok ? c.okText : c.text) << c.box;
            }
        }
    }
    // Set on the tab itself sends the change and takes the mark away.
    at<QTabWidget>("PageControl2")->setCurrentIndex(0);
    click("ButtonConfigSet");
    EXPECT_NE(sent().find("SPEED 4.0\r\n"), std::string::npos);
    EXPECT_TRUE(at<QTabWidget>("PageControl2")->tabIcon(0).isNull());
}

// The destructive buttons ask a question that names what goes, with Cancel as
// the default: cancelled, not a byte leaves (not even the password query).
TEST_F(Guards, DestructiveButtonsAskFirstAndCancelSendsNothing) {
    const QString firmware = dir.filePath("T10101.NEW");
    std::ofstream(firmware.toStdString(), std::ios::binary) << std::string(1234, 'f');
    struct Case {
        const char* button;
        QString asks;
        std::string sends;
    };
    const Case cases[] = {
        {"ButtonInitial", "Restore the printer's factory settings?", "INITIALPRINTER\r\n"},
        {"btnWirlessFactoryDef", "Restore the wireless factory settings?", "WLAN DEFAULT\r\n"},
        {"ButtonDownload", "Send firmware " + firmware + " (1234 bytes)?", std::string(1234, 'f')},
    };
    start({"--wifi", "wpa"});
    at<QComboBox>("ComboBoxFileType")->setCurrentIndex(6);
    prompter.files = {firmware};
    click("ButtonBrowse");
    for (const auto& c : cases) {
        for (bool ok : {false, true}) {
            prompter.shown.clear();
            prompter.confirms = {ok};
            click(c.button);
            ASSERT_FALSE(asked().isEmpty()) << c.button;
            EXPECT_TRUE(asked()[0].startsWith("confirm: " + c.asks)) << asked()[0].toStdString();
            const std::string wire = sent();
            EXPECT_EQ(wire.find(c.sends) != std::string::npos, ok) << c.button << ok;
            if (!ok) {
                EXPECT_EQ(wire, "") << c.button;
            }
        }
    }
    // On the desktop the box's default button is Cancel: Enter does not confirm.
    QtPrompter desktop;
    QTimer::singleShot(0, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Cancel));
        QTest::keyClick(box, Qt::Key_Return);
    });
    EXPECT_FALSE(desktop.confirm("Format FLASH?"));
}

}  // namespace
