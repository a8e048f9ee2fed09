// Whether every translated caption fits its control at the window's own font
// size, in the main window (every page of every page control) and in every
// dialog. A caption counts as clipped when it runs past its control, when a
// wrapped caption needs more lines than its height, or when it only fits
// because it was drawn smaller than the window's font.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <algorithm>
#include <memory>

#include "../scripted_prompter.h"
#include "../test_window.h"
#include "core/i18n/language_table.h"
#include "gui/dialogs/clock_setup_dialog.h"
#include "gui/dialogs/dump_text_dialog.h"
#include "gui/dialogs/emulation_dialog.h"
#include "gui/dialogs/ethernet_setup_dialog.h"
#include "gui/dialogs/lpt_setup_dialog.h"
#include "gui/dialogs/net_setup_dialog.h"
#include "gui/dialogs/password_dialog.h"
#include "gui/dialogs/password_setup_dialog.h"
#include "gui/dialogs/preview_font_dialog.h"
#include "gui/dialogs/rs232_setup_dialog.h"
#include "gui/dialogs/sensor_calibration_dialog.h"
#include "gui/language_apply.h"
#include "gui/main_window.h"
#include "gui/mnemonics.h"
#include "support/scripted_port.h"

using namespace m350::gui;

namespace {

// The font a control's caption is meant to be drawn in: its parent's, since
// no control of these windows sets a size of its own. A caption that was
// drawn smaller to fit is measured at that size too.
QFont MeantFont(const QWidget* w) {
    return w->parentWidget() != nullptr ? w->parentWidget()->font() : w->font();
}

// Captions wider (or, wrapped, taller) than the room their control gives.
QStringList Clipped(QWidget* root) {
    QStringList out;
    auto report = [&](QWidget* w, const QString& text, int need, int have) {
        if (need > have && w->isVisibleTo(root))
            out << QStringLiteral("%1 \"%2\" needs %3 px, has %4")
                       .arg(w->objectName(), text)
                       .arg(need)
                       .arg(have);
    };
    // Buttons and tabs show their captions without the mnemonic's '&'.
    for (auto* b : root->findChildren<QPushButton*>()) {
        const QString shown = withoutMnemonic(b->text());
        const int need = QFontMetrics(MeantFont(b)).horizontalAdvance(shown) + 8;
        report(b, b->text(), need, b->width());
    }
    for (auto* b : root->findChildren<QAbstractButton*>()) {
        if (qobject_cast<QPushButton*>(b)) continue;
        // A check mark or radio circle and its gap come before the text.
        const int need =
            QFontMetrics(MeantFont(b)).horizontalAdvance(withoutMnemonic(b->text())) + 20;
        report(b, b->text(), need, b->width());
    }
    for (auto* l : root->findChildren<QLabel*>()) {
        if (l->text().isEmpty() || !l->pixmap().isNull()) continue;
        const QFontMetrics metrics(MeantFont(l));
        if (!l->wordWrap()) {
            report(l, l->text(), metrics.horizontalAdvance(l->text()), l->width());
            continue;
        }
        // Wrapped captions break between words only (a word cut in two is a
        // caption that did not fit), on as many lines as their height holds.
        const QRect area = l->contentsRect();
        const QRect need = metrics.boundingRect(
            area, static_cast<int>(l->alignment()) | Qt::TextWordWrap, l->text());
        report(l, l->text(), need.width(), area.width());
        if (need.width() <= area.width())
            report(l, l->text() + QStringLiteral(" (height)"), need.height(), area.height());
    }
    for (auto* g : root->findChildren<QGroupBox*>()) {
        const int need = g->fontMetrics().horizontalAdvance(g->title()) + 16;
        report(g, g->title(), need, g->width());
    }
    for (auto* c : root->findChildren<QComboBox*>()) {
        // The shown item beside the arrow.
        const int need = c->fontMetrics().horizontalAdvance(c->currentText()) + 26;
        report(c, c->currentText(), need, c->width());
    }
    // Every tab of a tab bar in view, none cut or scrolled away.
    for (auto* bar : root->findChildren<QTabBar*>()) {
        for (int i = 0; i < bar->count(); ++i) {
            if (!bar->isTabVisible(i)) continue;
            const QRect tab = bar->tabRect(i);
            const int need =
                bar->fontMetrics().horizontalAdvance(withoutMnemonic(bar->tabText(i))) + 8;
            report(bar, bar->tabText(i), need, tab.width());
            report(bar, bar->tabText(i) + QStringLiteral(" (right edge)"), tab.right(),
                   bar->width() - 1);
        }
    }
    return out;
}

// Lets the layouts take in the new texts, as the event loop would before
// the window is painted.
void Settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QCoreApplication::processEvents();
}

// Every page of every page control in turn, as only the shown page's
// controls are visible.
QStringList ClippedOnEveryPage(QWidget* window) {
    QStringList clipped;
    for (auto* tabs : window->findChildren<QTabWidget*>()) {
        const int shown = tabs->currentIndex();
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            Settle();
            clipped += Clipped(window);
        }
        tabs->setCurrentIndex(shown);
    }
    clipped.removeDuplicates();
    return clipped;
}

class CaptionFit : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override {
        MainWindowSeams seams = m350test::testSeams(prompter, progress);
        m350test::withoutPrinter(seams);
        window = std::make_unique<MainWindow>(m350::gui::StartupOptions{}, seams);
        window->show();
    }

    m350test::ScriptedPrompter prompter;
    m350test::RecordingProgress progress;
    std::unique_ptr<MainWindow> window;
};

// Switched to at run time, as an operator would.
TEST_P(CaptionFit, NoCaptionOfTheMainWindowIsClipped) {
    const int language = GetParam();
    m350::gui::changeLanguage(window.get(), language);
    const QStringList clipped = ClippedOnEveryPage(window.get());
    EXPECT_TRUE(clipped.isEmpty())
        << "language " << language << ":\n  " << clipped.join("\n  ").toStdString();
}

TEST_P(CaptionFit, NoCaptionOfADialogIsClipped) {
    const int language = GetParam();
    m350::gui::changeLanguage(window.get(), language);
    auto check = [&](QWidget& dialog) {
        dialog.show();
        Settle();
        const QStringList clipped = Clipped(&dialog);
        EXPECT_TRUE(clipped.isEmpty()) << dialog.objectName().toStdString() << ", language "
                                       << language << ":\n  " << clipped.join("\n  ").toStdString();
        dialog.hide();
    };
    m350::SerialSettings serial;
    Rs232SetupDialog rs232(serial, language, window.get());
    check(rs232);
    std::string lpt = "LPT1";
    LptSetupDialog lptDialog(lpt, language, window.get());
    check(lptDialog);
    m350::NetAddress address;
    address.address = "127.0.0.1";
    NetSetupDialog net(address, language, prompter, window.get(), m350test::quietNetwork());
    check(net);
    PasswordDialog password("secret", prompter, language, window.get());
    check(password);
    m350::NetSettings netSettings;
    netSettings.mac = "02:00:00:35:00:01";
    EthernetSetupDialog ethernet(netSettings, language, {0, 0}, true, window.get());
    check(ethernet);
    std::string newPassword;
    PasswordSetupDialog setup(newPassword, prompter, language, window.get());
    check(setup);
    m350::DumpRequest dumpRequest;
    DumpTextDialog dump(dumpRequest, prompter, language, window.get());
    check(dump);
    m350::ClockValues clock{2024, 12, 31, 23, 59, 59};
    ClockSetupDialog rtc(clock, prompter, language, window.get());
    check(rtc);
    m350::SensorRequest sensorRequest;
    sensorRequest.dotsPerUnit = 203;
    sensorRequest.threshold = 600;
    sensorRequest.intensity = 15;
    SensorCalibrationDialog sensor(sensorRequest, m350::kEthernet, *window, window.get());
    check(sensor);
    EmulationDialog emulation(m350::kEthernet, *window, window.get());
    check(emulation);
    PreviewFontDialog preview(QFont(), language, {}, window.get());
    check(preview);
}

INSTANTIATE_TEST_SUITE_P(Languages, CaptionFit, ::testing::Range(0, m350::kLanguageCount),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return "Language" + std::to_string(info.param);
                         });

}  // namespace
