// SPDX-License-Identifier: MIT
// The program's own captions beyond the language table follow the window's
// language the way the table's captions do: at start-up, on every language
// change, and back to English.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>
#include <QTreeWidget>
#include <algorithm>
#include <memory>

#include "../scripted_prompter.h"
#include "../test_window.h"
#include "core/i18n/language_table.h"
#include "gui/dialogs/emulation_dialog.h"
#include "gui/dialogs/preview_font_dialog.h"
#include "gui/language_apply.h"
#include "gui/main_window.h"
#include "gui/mnemonics.h"
#include "gui/own_text_map.h"

using namespace m350::gui;

namespace {

// What a control shows for a binding.
QString shown(QWidget* w, const OwnTextBinding& b) {
    switch (b.target) {
        case OwnTarget::kCaption:
            if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
            if (auto* a = qobject_cast<QAbstractButton*>(w)) return withoutMnemonic(a->text());
            if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
            for (QWidget* up = w->parentWidget(); up != nullptr; up = up->parentWidget())
                if (auto* tabs = qobject_cast<QTabWidget*>(up))
                    return withoutMnemonic(tabs->tabText(tabs->indexOf(w)));
            return {};
        case OwnTarget::kItem:
            return qobject_cast<QComboBox*>(w)->itemText(b.index);
        case OwnTarget::kColumn:
            return qobject_cast<QTreeWidget*>(w)->headerItem()->text(b.index);
        case OwnTarget::kToolTip:
            return w->toolTip();
        case OwnTarget::kPlaceholder:
            return qobject_cast<QComboBox*>(w)->placeholderText();
        case OwnTarget::kWindowTitle:
            return w->windowTitle();
    }
    return {};
}

// The text a binding puts on its control as the control shows it: buttons
// and tabs without their mnemonic marks.
QString shownText(QWidget* w, const OwnTextBinding& b, int language) {
    const QString text = ownTr(b.english, language);
    const bool marked = b.target == OwnTarget::kCaption && !qobject_cast<QLabel*>(w) &&
                        !qobject_cast<QGroupBox*>(w);
    return marked ? withoutMnemonic(text) : text;
}

// Reviewed: words that are rightly the same as the English in a language.
bool sameAsEnglish(int language, std::string_view english) {
    const bool ownWordForKB = language == m350::kLangFrench || language == m350::kLangRussian ||
                              language == m350::kLangUkrainian;
    return (english == "Bluetooth" && language != m350::kLangSimplifiedChinese) ||
           (english == "KB" && !ownWordForKB) ||
           (english == "Editor" && language == m350::kLangGerman);
}

struct Expected {
    int language;
    const char* control;
    const char* text;
};

// A few captions by what a reader of the language sees.
constexpr Expected kSeen[] = {
    {m350::kLangSimplifiedChinese, "TabSheet5", "常规"},
    {m350::kLangSimplifiedChinese, "CheckBoxVerifySet", "验证"},
    {m350::kLangSimplifiedChinese, "lblWiFiInformation",
     "-------------------------- WiFi 信息 ------------------------"},
    {m350::kLangRussian, "GroupBoxBTDevice", "Устройство Bluetooth"},
    {m350::kLangRussian, "LabelFontCodePage", "Кодовая страница"},
    {m350::kLangRussian, "RadioGroupSelect", "Редактор"},
    {m350::kLangGerman, "gbApProfile", "Zugangspunkt-Profil"},
    {m350::kLangGerman, "btnWirlessFactoryDef", "Funk-Werkseinstellungen"},
    {m350::kLangEnglish, "TabSheet5", "Common"},
    {m350::kLangEnglish, "lblWiFiInformation",
     "-------------------------- WiFi Information ------------------------"},
};

TEST(OwnCaptions, FollowTheWindowLanguageOnEveryChange) {
    m350test::ScriptedPrompter prompter;
    m350test::RecordingProgress progress;
    MainWindowSeams seams = m350test::testSeams(prompter, progress);
    m350test::withoutPrinter(seams);
    StartupOptions options;
    options.language = m350::kLangEnglish;
    MainWindow window(options, seams);
    auto* languages = window.findChild<QComboBox*>(QStringLiteral("ComboBoxLanguage"));
    ASSERT_NE(languages, nullptr);
    for (int language : {m350::kLangSimplifiedChinese, m350::kLangRussian, m350::kLangGerman,
                         m350::kLangEnglish}) {
        languages->setCurrentIndex(language);
        emit languages->activated(language);
        for (const OwnTextBinding& b : mainWindowOwnTexts()) {
            auto* w = window.findChild<QWidget*>(QString::fromLatin1(b.control));
            ASSERT_NE(w, nullptr) << b.control;
            const QString text = shown(w, b);
            const QString english = shownText(w, b, m350::kLangEnglish);
            EXPECT_TRUE(text.contains(shownText(w, b, language)))
                << b.control << " in " << language << ": " << text.toStdString();
            if (language != m350::kLangEnglish && !sameAsEnglish(language, b.english)) {
                EXPECT_FALSE(text.contains(english))
                    << b.control << " stays English in " << language;
            }
        }
        // A dialog opened now is in the window's language.
        EmulationDialog emulation(m350::kEthernet, window, &window);
        EXPECT_EQ(emulation.windowTitle(), ownTr("Emulation Setup", language));
        EXPECT_EQ(emulation.windowTitle() == QStringLiteral("Emulation Setup"),
                  language == m350::kLangEnglish);
        for (const Expected& e : kSeen) {
            if (e.language != language) continue;
            auto* w = window.findChild<QWidget*>(QString::fromLatin1(e.control));
            ASSERT_NE(w, nullptr) << e.control;
            const auto own = mainWindowOwnTexts();
            const auto b = std::find_if(own.begin(), own.end(), [&](const OwnTextBinding& o) {
                return std::string_view(o.control) == e.control;
            });
            ASSERT_NE(b, own.end()) << e.control;
            EXPECT_EQ(shown(w, *b), QString::fromUtf8(e.text)) << e.control;
        }
    }
}

// A dialog's own captions come with its language-table ones.
TEST(OwnCaptions, DialogsTakeTheirOwnCaptions) {
    for (auto [language, bitmap] :
         {std::pair{m350::kLangSimplifiedChinese, "位图"}, std::pair{m350::kLangRussian, "Растр"},
          std::pair{m350::kLangEnglish, "Bitmap"}}) {
        PreviewFontDialog preview(QFont(), language, {});
        auto* button = preview.findChild<QAbstractButton*>(QStringLiteral("ButtonBitmap"));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(withoutMnemonic(button->text()), QString::fromUtf8(bitmap));
    }
}

}  // namespace
