// SPDX-License-Identifier: MIT
// Whether every translated caption fits its control at the window's own font
// size, in the main window (every page of every page control) and in every
// dialog. A caption counts as clipped when it runs past its control, when a
// wrapped caption needs more lines than its height, or when it only fits
// because it was drawn smaller than the window's font.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSet>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <algorithm>
#include <functional>
#include <memory>

#include "../layout_settle.h"
#include "../scripted_prompter.h"
#include "../test_window.h"
#include "core/i18n/language_table.h"
#include "core/i18n/text_encoding.h"
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
#include "gui/prompter.h"
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

// The smallest screen the windows are made for.
constexpr QSize kScreen{1024, 768};

// A window larger than the screen, and controls that run past their window's
// edge (those scrolled inside a scroll area aside).
QStringList OffScreen(QWidget* window) {
    QStringList out;
    const QSize frame = window->frameGeometry().size().expandedTo(window->size());
    // On a small screen the main window gives up height and its scroll bar
    // moves the page up and down: only the width must fit there.
    auto* bar = window->findChild<QScrollBar*>(QString(), Qt::FindDirectChildrenOnly);
    const bool scrolls = bar != nullptr && bar->isVisibleTo(window);
    const QRect room =
        scrolls ? window->rect().adjusted(0, 0, 0, QWIDGETSIZE_MAX / 2) : window->rect();
    if (frame.width() > kScreen.width() || frame.height() > kScreen.height())
        out << QStringLiteral("%1 is %2 x %3")
                   .arg(window->objectName())
                   .arg(frame.width())
                   .arg(frame.height());
    for (auto* w : window->findChildren<QWidget*>()) {
        if (w->isWindow() || !w->isVisibleTo(window)) continue;
        bool scrolled = false;
        for (QWidget* up = w->parentWidget(); up != window && up != nullptr && !scrolled;
             up = up->parentWidget())
            scrolled = qobject_cast<QAbstractScrollArea*>(up) != nullptr;
        const QRect place(w->mapTo(window, QPoint(0, 0)), w->size());
        if (!scrolled && !room.contains(place))
            out << QStringLiteral("%1 at %2,%3 %4x%5 is outside the window")
                       .arg(w->objectName())
                       .arg(place.x())
                       .arg(place.y())
                       .arg(place.width())
                       .arg(place.height());
    }
    return out;
}

// The Alt+letter of a caption, upper case; null without one.
QChar MnemonicOf(const QString& caption) {
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != QLatin1Char('&')) continue;
        if (caption[i + 1] != QLatin1Char('&')) return caption[i + 1].toUpper();
        ++i;
    }
    return {};
}

// Mnemonics that two controls shown together share.
QStringList RepeatedMnemonics(QWidget* window) {
    QStringList out;
    QHash<QChar, QString> seen;
    auto take = [&](const QString& caption) {
        const QChar key = MnemonicOf(caption);
        if (key.isNull()) return;
        if (seen.contains(key))
            out << QStringLiteral("Alt+%1 on \"%2\" and \"%3\"").arg(key).arg(seen[key], caption);
        seen.insert(key, caption);
    };
    for (auto* b : window->findChildren<QAbstractButton*>())
        if (b->isVisibleTo(window) && b->window() == window && !qobject_cast<QToolButton*>(b))
            take(b->text());
    for (auto* bar : window->findChildren<QTabBar*>())
        if (bar->isVisibleTo(window) && bar->window() == window)
            for (int i = 0; i < bar->count(); ++i)
                if (bar->isTabVisible(i)) take(bar->tabText(i));
    return out;
}

// A window narrower than a window manager's title bar needs for its title.
QStringList TitleCut(QWidget* window) {
    if (window->width() >= titleBarWidth(*window)) return {};
    return {window->objectName() + QStringLiteral(" cuts its title ") + window->windowTitle()};
}

// Everything the walk looks for in the controls in view.
QStringList Problems(QWidget* window) {
    return Clipped(window) + OffScreen(window) + RepeatedMnemonics(window) + TitleCut(window);
}

// With M350_SCREENSHOTS set to a folder, the walk saves what it shows there.
void Shoot(QWidget* window, const QString& name) {
    const QString folder = qEnvironmentVariable("M350_SCREENSHOTS");
    if (!folder.isEmpty())
        window->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

// Every page of every page control in turn, as only the shown page's
// controls are visible.
QStringList ClippedOnEveryPage(QWidget* window) {
    QStringList clipped;
    for (auto* tabs : window->findChildren<QTabWidget*>()) {
        const int shown = tabs->currentIndex();
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            m350test::settleLayouts();
            clipped += Problems(window);
        }
        tabs->setCurrentIndex(shown);
    }
    clipped.removeDuplicates();
    return clipped;
}

class CaptionFit : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override {
        MainWindowSeams seams = m350test::testSeams(prompter, progress, kScreen);
        m350test::withoutPrinter(seams);
        window = std::make_unique<MainWindow>(m350::gui::StartupOptions{}, seams);
        window->show();
    }

    m350test::ScriptedPrompter prompter;
    m350test::RecordingProgress progress;
    std::unique_ptr<MainWindow> window;
};

// Chosen in the language list, as an operator would.
void Choose(MainWindow& window, int language) {
    window.findChild<QComboBox*>(QStringLiteral("ComboBoxLanguage"))->setCurrentIndex(language);
    window.onLanguageChanged(language);
}

// Switched to at run time, as an operator would.
TEST_P(CaptionFit, NoCaptionOfTheMainWindowIsClipped) {
    const int language = GetParam();
    Choose(*window, language);
    const QStringList clipped = ClippedOnEveryPage(window.get());
    if (language == m350::kLangSimplifiedChinese || language == m350::kLangRussian ||
        language == m350::kLangJapanese) {
        auto* pages = window->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
        for (int i = 0; pages != nullptr && i < pages->count(); ++i) {
            pages->setCurrentIndex(i);
            m350test::settleLayouts();
            Shoot(window.get(), QStringLiteral("page%1-%2").arg(i + 1).arg(language));
        }
    }
    EXPECT_TRUE(clipped.isEmpty())
        << "language " << language << ":\n  " << clipped.join("\n  ").toStdString();
}

QRect OnPage(const QWidget* w, const QWidget* page) {
    return {w->mapTo(page, QPoint(0, 0)), w->size()};
}

// Controls past a parent's edge (a scroll area's viewport among them).
QStringList OutOfView(QWidget* page) {
    QStringList out;
    for (auto* w : page->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(page)) continue;
        for (QWidget* up = w->parentWidget(); up != page->parentWidget(); up = up->parentWidget())
            if (!OnPage(up, page).contains(OnPage(w, page)))
                out << w->objectName() + QStringLiteral(" is past the edge of ") + up->objectName();
    }
    return out;
}

// Tab stops out of reading order: up only to the right, left only down.
QStringList OutOfReadingOrder(QWidget* page) {
    QStringList out;
    QWidget* last = nullptr;
    for (QWidget* w = page->nextInFocusChain(); w != page; w = w->nextInFocusChain()) {
        if (!page->isAncestorOf(w) || !w->isVisibleTo(page) || !(w->focusPolicy() & Qt::TabFocus))
            continue;
        if (last != nullptr) {
            const QRect a = OnPage(last, page), b = OnPage(w, page);
            if ((b.top() < a.top() - 2 && b.left() <= a.right()) ||
                (b.left() < a.left() - 2 && b.top() <= a.top() + 2))
                out << w->objectName() + QStringLiteral(" comes after ") + last->objectName();
        }
        last = w;
    }
    return out;
}

// On the smallest screen each configuration tab shows every row without
// scrolling, and Tab goes through them in reading order.
TEST_P(CaptionFit, EveryConfigurationTabShowsAllItsRows) {
    const int language = GetParam();
    Choose(*window, language);
    auto* tabs = window->findChild<QTabWidget*>(QStringLiteral("PageControl2"));
    ASSERT_NE(tabs, nullptr);
    for (int i = 0; i < tabs->count(); ++i) {
        if (!tabs->isTabVisible(i)) continue;
        tabs->setCurrentIndex(i);
        m350test::settleLayouts();
        // Only the Wireless tab's rows scroll, under headings as wide as the page.
        QWidget* page = tabs->widget(i);
        const QStringList problems =
            OutOfReadingOrder(page) +
            (page->objectName() == QLatin1String("TabSheet9") ? QStringList() : OutOfView(page));
        EXPECT_TRUE(problems.isEmpty())
            << page->objectName().toStdString() << ", language " << language << ":\n  "
            << problems.join("\n  ").toStdString();
    }
}

// Every dialog of the program in a language, shown in turn to check.
void ForEachDialog(MainWindow& window, m350test::ScriptedPrompter& prompter, int language,
                   const std::function<void(QWidget&)>& check) {
    m350::SerialSettings serial;
    Rs232SetupDialog rs232(serial, language, &window);
    check(rs232);
    std::string lpt = "LPT1";
    LptSetupDialog lptDialog(lpt, language, &window);
    check(lptDialog);
    m350::NetAddress address;
    address.address = "127.0.0.1";
    NetSetupDialog net(address, language, m350::defaultTextEncoding(language), prompter, &window,
                       m350test::quietNetwork());
    check(net);
    PasswordDialog password("secret", prompter, language, &window);
    check(password);
    m350::NetSettings netSettings;
    netSettings.mac = "02:00:00:35:00:01";
    EthernetSetupDialog ethernet(netSettings, language, m350::defaultTextEncoding(language), {0, 0},
                                 true, &window);
    check(ethernet);
    std::string newPassword;
    PasswordSetupDialog setup(newPassword, prompter, language, &window);
    check(setup);
    m350::DumpRequest dumpRequest;
    DumpTextDialog dump(dumpRequest, prompter, language, &window);
    check(dump);
    m350::ClockValues clock{2024, 12, 31, 23, 59, 59};
    ClockSetupDialog rtc(clock, prompter, language, &window);
    check(rtc);
    m350::SensorRequest sensorRequest;
    sensorRequest.dotsPerUnit = 203;
    sensorRequest.threshold = 600;
    sensorRequest.intensity = 15;
    SensorCalibrationDialog sensor(sensorRequest, m350::kEthernet, window, &window);
    check(sensor);
    EmulationDialog emulation(m350::kEthernet, window, &window);
    check(emulation);
    PreviewFontDialog preview(QFont(), language, {}, &window);
    check(preview);
}

TEST_P(CaptionFit, NoCaptionOfADialogIsClipped) {
    const int language = GetParam();
    Choose(*window, language);
    ForEachDialog(*window, prompter, language, [&](QWidget& dialog) {
        dialog.show();
        m350test::settleLayouts();
        const QStringList clipped = Problems(&dialog);
        EXPECT_TRUE(clipped.isEmpty()) << dialog.objectName().toStdString() << ", language "
                                       << language << ":\n  " << clipped.join("\n  ").toStdString();
        if (language == m350::kLangSimplifiedChinese || language == m350::kLangRussian ||
            language == m350::kLangJapanese)
            Shoot(&dialog, QStringLiteral("%1-%2").arg(dialog.objectName()).arg(language));
        dialog.hide();
    });
}

// Texts that read the same in a language as in English, reviewed in their
// place: names, abbreviations and the values shown before a printer answers
// are the same everywhere; a few words each language shares with English.
bool SameAsEnglish(int language, const QString& text) {
    static const QSet<QString> kEverywhere = {
        // Ports, interfaces, protocols, code pages, emulations, memories.
        "USB", "COM", "LPT", "ETHERNET", "RS-232", "RTS", "RTS/CTS", "Xon/Xoff", "DHCP", "IP",
        "UTF-8", "GBK", "CPCL", "ZPL2", "DRAM", "FLASH", "CARD", "Z", "D", "dBm", "EAP-FAST",
        "EAP-TLS", "EAP-TTLS", "LEAP", "PEAP", "WPA-Enterprise", "WPA-Personal",
        "-------------------------- WPA-Enterprise ------------------------",
        // The printer's country codes.
        "USA", "BRI", "GER", "FRE", "DAN", "ITA", "SPA", "SWE", "SWI",
        // Where a language's own word is the same.
        "OK", "KB", "mm", "Bluetooth",
        // The longest value the printer name box shows whole.
        "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx...",
        // The serial port's settings in the status bar.
        "COM1 9600,N,8,1 RTS"};
    static const QHash<int, QSet<QString>> kInLanguage = {
        {m350::kLangSpanish, {"Editor", "Auto: CP1252"}},
        {m350::kLangPortuguese, {"Editor", "Auto: CP1252", "Interface", "Bitmap", "Gateway"}},
        {m350::kLangGerman,
         {"Editor", "Standard", "Version:", "Port", "Gateway", "Minute", "Bitmap", "Auto: CP1252"}},
        {m350::kLangFrench,
         {"Port", "AUTO", "Auto: CP1252", "Interface", "Standard", "Minute", "Bitmap"}},
        {m350::kLangItalian,
         {"AUTO", "Auto: CP1252", "Editor", "Password:", "Standard", "Bitmap", "Gateway"}},
        {m350::kLangPolish, {"Port", "AUTO"}},
        {m350::kLangLithuanian, {"WLAN DHCP", "WLAN SSID"}},
        {m350::kLangCzech, {"Port", "AUTO", "Editor"}},
    };
    // Numbered names: COM1, LPT2, CP1252, WEP1.
    static const QRegularExpression kNumbered(QStringLiteral("^(COM|LPT|CP|WEP)\\d+$"));
    return kEverywhere.contains(text) || kInLanguage.value(language).contains(text) ||
           kNumbered.match(text).hasMatch();
}

// Where a control sits under its window, the same for two windows built
// alike: class and place among its siblings, from the window down.
QString PathOf(const QWidget* w, const QWidget* root) {
    QStringList parts;
    for (const QObject* o = w; o != nullptr && o != root; o = o->parent()) {
        const QObject* up = o->parent();
        parts.prepend(QStringLiteral("%1%2")
                          .arg(QString::fromLatin1(o->metaObject()->className()))
                          .arg(up ? up->children().indexOf(const_cast<QObject*>(o)) : 0));
    }
    return parts.join(QLatin1Char('/'));
}

// Every caption a window shows on any of its pages, by where it sits.
QHash<QString, QString> ShownTexts(QWidget* window) {
    QHash<QString, QString> out;
    auto add = [&](const QWidget* w, const QString& kind, const QString& text) {
        if (w->isVisibleTo(window) && w->window() == window)
            out.insert(PathOf(w, window) + kind, text);
    };
    auto collect = [&] {
        for (auto* l : window->findChildren<QLabel*>()) add(l, {}, l->text());
        for (auto* b : window->findChildren<QAbstractButton*>())
            add(b, {}, withoutMnemonic(b->text()));
        for (auto* g : window->findChildren<QGroupBox*>()) add(g, {}, g->title());
        for (auto* bar : window->findChildren<QTabBar*>())
            for (int i = 0; i < bar->count(); ++i)
                if (bar->isTabVisible(i))
                    add(bar, QString::number(i), withoutMnemonic(bar->tabText(i)));
        for (auto* c : window->findChildren<QComboBox*>())
            for (int i = 0; i < c->count(); ++i) add(c, QString::number(i), c->itemText(i));
    };
    collect();
    for (auto* tabs : window->findChildren<QTabWidget*>()) {
        const int shown = tabs->currentIndex();
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            collect();
        }
        tabs->setCurrentIndex(shown);
    }
    return out;
}

// Texts of `translated` still as in `english`, with a letter in them.
QStringList StillEnglish(const QHash<QString, QString>& english,
                         const QHash<QString, QString>& translated, int language) {
    QStringList out;
    for (auto it = translated.cbegin(); it != translated.cend(); ++it) {
        const QString text = it.value().trimmed();
        const bool words =
            std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); });
        if (words && english.value(it.key()).trimmed() == text && !SameAsEnglish(language, text))
            out << text;
    }
    out.removeDuplicates();
    out.sort();
    return out;
}

TEST_P(CaptionFit, NoTextInViewStaysEnglish) {
    const int language = GetParam();
    if (language == m350::kLangEnglish) GTEST_SKIP() << "English is the reference";
    // The same windows in English and in the language, compared place by
    // place.
    auto shownInEvery = [&](int shownIn) {
        Choose(*window, shownIn);
        QHash<QString, QHash<QString, QString>> texts;
        texts.insert(QString(), ShownTexts(window.get()));
        ForEachDialog(*window, prompter, shownIn, [&](QWidget& dialog) {
            dialog.show();
            texts.insert(dialog.objectName(), ShownTexts(&dialog));
            dialog.hide();
        });
        return texts;
    };
    const auto english = shownInEvery(m350::kLangEnglish);
    const auto translated = shownInEvery(language);
    QStringList still;
    for (auto it = translated.cbegin(); it != translated.cend(); ++it)
        for (const QString& text : StillEnglish(english.value(it.key()), it.value(), language))
            still << (it.key().isEmpty() ? text : it.key() + QStringLiteral(": ") + text);
    EXPECT_TRUE(still.isEmpty()) << "language " << language << ":\n  "
                                 << still.join("\n  ").toStdString();
}

INSTANTIATE_TEST_SUITE_P(Languages, CaptionFit, ::testing::Range(0, m350::kLanguageCount),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return "Language" + std::to_string(info.param);
                         });

}  // namespace
