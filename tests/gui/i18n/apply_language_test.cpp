// SPDX-License-Identifier: MIT
// Text application on real widgets, found by their object names.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTreeWidget>
#include <QWidget>
#include <memory>

#include "core/i18n/language_table.h"
#include "gui/language_apply.h"
#include "gui/language_map.h"
#include "gui/mnemonics.h"

using namespace m350::gui;

namespace {

using m350::gui::caption;
using m350::gui::columns;
using m350::gui::items;
using m350::gui::languageQText;
using m350::gui::TextBinding;
using m350::gui::title;

template <class W>
W* named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QGroupBox* RadioButtonsBox(QWidget* parent, const char* name, int items, int checked) {
    auto* group = named(new QGroupBox(parent), name);
    for (int i = 0; i < items; ++i) {
        auto* b = new QRadioButton(QStringLiteral("item %1").arg(i), group);
        b->setObjectName(QStringLiteral("%1Item%2").arg(QString::fromLatin1(name)).arg(i));
        b->setChecked(i == checked);
    }
    return group;
}

// Every kind of control a window maps, with English placeholders.
struct MappedControls {
    std::unique_ptr<QWidget> root = std::make_unique<QWidget>();
    QLabel* label = named(new QLabel("x", root.get()), "LabelSpeed");
    QPushButton* button = named(new QPushButton("x", root.get()), "ButtonGetStatus");
    QCheckBox* check = named(new QCheckBox("x", root.get()), "CheckBoxFileTable");
    QGroupBox* group = named(new QGroupBox("x", root.get()), "GroupBoxLanguage");
    QTabWidget* tabs = named(new QTabWidget(root.get()), "PageControl1");
    QWidget* page1 = named(new QWidget, "TabSheet1");
    QWidget* page2 = named(new QWidget, "TabSheet2");
    QComboBox* printOut = named(new QComboBox(root.get()), "ComboBoxPrintOut");
    QComboBox* languages = named(new QComboBox(root.get()), "ComboBoxLanguage");
    QGroupBox* unit = RadioButtonsBox(root.get(), "RadioGroupUnit", 2, 0);
    QTreeWidget* list = named(new QTreeWidget(root.get()), "ListView1");
    QLineEdit* status = named(new QLineEdit("Ready", root.get()), "EditPrinterStatus");

    MappedControls() {
        tabs->addTab(page1, "x");
        tabs->addTab(page2, "x");
        printOut->addItems({"", "OFF", "TEAR", "PEEL", "CUTTER"});
        printOut->setCurrentIndex(3);
        for (int i = 0; i < 14; ++i) languages->addItem(QStringLiteral("lang %1").arg(i));
        list->setColumnCount(5);
        for (int i = 1; i <= 9; ++i)
            named(new QLabel("x", root.get()), QStringLiteral("LabelUnit%1").arg(i).toLatin1());
    }
};

TEST(ApplyLanguage, EveryKindOfControlTakesItsText) {
    MappedControls w;
    const TextBinding bindings[] = {
        title(37),
        caption("LabelSpeed", 64),
        caption("ButtonGetStatus", 57),
        caption("CheckBoxFileTable", 195),
        caption("GroupBoxLanguage", 9),
        caption("TabSheet2", 31),
        caption("RadioGroupUnit", 24),
        items("RadioGroupUnit", 0, 25, 26),
        items("ComboBoxPrintOut", 1, 75, 76, 77, 78),
        columns("ListView1", 0, 210, 211, 212, 213, 214),
    };
    const int de = m350::kLangGerman;
    EXPECT_TRUE(m350::gui::applyLanguage(w.root.get(), bindings, de).isEmpty());

    EXPECT_EQ(w.root->windowTitle(), languageQText(37, de));
    EXPECT_EQ(w.label->text(), QStringLiteral("Geschwindigkeit"));
    EXPECT_EQ(w.button->text(), languageQText(57, de));
    EXPECT_EQ(w.check->text(), languageQText(195, de));
    EXPECT_EQ(w.group->title(), QStringLiteral("Sprache"));
    EXPECT_EQ(w.tabs->tabText(1), QStringLiteral("Datei Manager"));
    EXPECT_EQ(w.tabs->tabText(0), QStringLiteral("x"));
    EXPECT_EQ(w.unit->title(), languageQText(24, de));
    EXPECT_EQ(w.unit->findChild<QRadioButton*>("RadioGroupUnitItem0")->text(), "Zoll");
    EXPECT_EQ(w.unit->findChild<QRadioButton*>("RadioGroupUnitItem1")->text(), "mm");
    EXPECT_EQ(w.printOut->itemText(0), QString());
    EXPECT_EQ(w.printOut->itemText(4), languageQText(78, de));
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(w.list->headerItem()->text(c), languageQText(210 + c, de));
}

TEST(ApplyLanguage, ListSelectionSurvivesALanguageChange) {
    MappedControls w;
    QSignalSpy changed(w.printOut, &QComboBox::currentIndexChanged);
    m350::gui::applyMainWindowLanguage(w.root.get(), m350::kLangEnglish);
    m350::gui::applyMainWindowLanguage(w.root.get(), m350::kLangGerman);
    EXPECT_EQ(w.printOut->currentIndex(), 3);
    EXPECT_EQ(w.printOut->currentText(), languageQText(77, m350::kLangGerman));
    EXPECT_EQ(w.printOut->currentText(), QStringLiteral("ABZIEHEN"));
    EXPECT_EQ(changed.count(), 0);

    w.unit->findChild<QRadioButton*>("RadioGroupUnitItem1")->setChecked(true);
    m350::gui::applyMainWindowLanguage(w.root.get(), m350::kLangRussian);
    EXPECT_TRUE(w.unit->findChild<QRadioButton*>("RadioGroupUnitItem1")->isChecked());
}

TEST(ApplyLanguage, MissingAndUnfitControlsAreReported) {
    MappedControls w;
    const TextBinding bindings[] = {
        caption("LabelNoSuchControl", 1),
        items("ComboBoxPrintOut", 1, 75, 76, 77, 78, 79),  // one item too many
        caption("EditPrinterStatus", 48),                  // an edit box has no caption
        items("LabelSpeed", 0, 1),                         // a label has no items
        caption("LabelSpeed", 64),
    };
    const QStringList problems = m350::gui::applyLanguage(w.root.get(), bindings, 0);
    ASSERT_EQ(problems.size(), 4) << problems.join("; ").toStdString();
    EXPECT_EQ(problems[0], "LabelNoSuchControl");
    EXPECT_TRUE(problems[1].startsWith("ComboBoxPrintOut: has 5 items, needs 6"));
    EXPECT_TRUE(problems[2].startsWith("EditPrinterStatus"));
    EXPECT_TRUE(problems[3].startsWith("LabelSpeed"));
    // The good bindings still apply around the bad ones.
    EXPECT_EQ(w.label->text(), "Speed");
    EXPECT_EQ(w.printOut->itemText(4), "CUTTER");
}

TEST(ApplyMainWindowLanguage, UnitLabelsAndStatusText) {
    MappedControls w;
    w.unit->findChild<QRadioButton*>("RadioGroupUnitItem1")->setChecked(true);
    m350::gui::applyMainWindowLanguage(w.root.get(), m350::kLangRussian);
    for (int i = 1; i <= 9; ++i)
        EXPECT_EQ(w.root->findChild<QLabel*>(QStringLiteral("LabelUnit%1").arg(i))->text(),
                  QStringLiteral("мм"));
    EXPECT_TRUE(w.status->text().isEmpty());

    w.unit->findChild<QRadioButton*>("RadioGroupUnitItem0")->setChecked(true);
    m350::gui::applyMainWindowLanguage(w.root.get(), m350::kLangPolish);
    EXPECT_EQ(w.root->findChild<QLabel*>("LabelUnit9")->text(), QStringLiteral("cal"));
}

TEST(ComboBoxLanguageChange, TranslatesTheListAndKeepsTheChoice) {
    MappedControls w;
    QSignalSpy changed(w.languages, &QComboBox::currentIndexChanged);
    w.languages->setCurrentIndex(m350::kLangJapanese);
    EXPECT_EQ(m350::gui::changeLanguage(w.root.get(), m350::kLangJapanese), m350::kLangJapanese);
    EXPECT_EQ(w.languages->currentIndex(), m350::kLangJapanese);
    EXPECT_EQ(w.languages->currentText(), QStringLiteral("日本語"));
    for (int i = 0; i < 14; ++i)
        EXPECT_EQ(w.languages->itemText(i), languageQText(10 + i, m350::kLangJapanese));
    EXPECT_EQ(m350::gui::withoutMnemonic(w.tabs->tabText(0)), QStringLiteral("プリンタ設定"));

    // An index past the list falls back to English.
    EXPECT_EQ(m350::gui::changeLanguage(w.root.get(), 14), m350::kLangEnglish);
    EXPECT_EQ(w.languages->currentIndex(), 0);
    EXPECT_EQ(w.languages->currentText(), QStringLiteral("English"));
    EXPECT_EQ(changed.count(), 1);  // only the operator's own pick
}

TEST(StartMainWindowLanguage, ForcedLanguageWinsOverTheSystem) {
    MappedControls w;
    const QByteArray saved = qgetenv("LC_ALL");
    qputenv("LC_ALL", "ru_RU.UTF-8");
    EXPECT_EQ(m350::gui::startMainWindowLanguage(w.root.get()), m350::kLangRussian);
    EXPECT_EQ(w.languages->currentIndex(), m350::kLangRussian);
    EXPECT_EQ(m350::gui::startMainWindowLanguage(w.root.get(), m350::kLangCzech), m350::kLangCzech);
    EXPECT_EQ(w.group->title(), QStringLiteral("Jazyk"));
    if (saved.isEmpty()) {
        qunsetenv("LC_ALL");
    } else {
        qputenv("LC_ALL", saved);
    }
}

TEST(ApplyLanguage, ChineseAndJapaneseNameTheirCjkFace) {
    MappedControls w;
    const QString family = w.root->font().families().value(0, w.root->font().family());
    m350::gui::applyLanguage(w.root.get(), {}, m350::kLangJapanese);
    EXPECT_EQ(w.root->font().families().value(0), family);
    EXPECT_EQ(w.root->font().families().back(), QStringLiteral("Noto Sans CJK JP"));
    m350::gui::applyLanguage(w.root.get(), {}, m350::kLangTraditionalChinese);
    EXPECT_EQ(w.root->font().families().back(), QStringLiteral("Noto Sans CJK TC"));
    EXPECT_FALSE(w.root->font().families().contains(QStringLiteral("Noto Sans CJK JP")));
    m350::gui::applyLanguage(w.root.get(), {}, m350::kLangPolish);
    for (const QString& f : w.root->font().families())
        EXPECT_FALSE(f.contains("CJK")) << f.toStdString();
}

// Labels grow into free room when a language needs more width, never over
// another control.
TEST(ApplyLanguage, OverflowingLabelsGrowOnlyIntoFreeRoom) {
    QWidget root;
    root.resize(400, 100);
    auto place = [&](QWidget* w, const char* name, QRect r) {
        w->setObjectName(QString::fromLatin1(name));
        w->setGeometry(r);
        return w;
    };
    auto* free = static_cast<QLabel*>(place(new QLabel("x", &root), "LabelFree", {10, 10, 20, 15}));
    auto* blocked =
        static_cast<QLabel*>(place(new QLabel("x", &root), "LabelBlocked", {10, 40, 20, 15}));
    place(new QLineEdit(&root), "EditRight", {32, 38, 100, 20});
    auto* righty =
        static_cast<QLabel*>(place(new QLabel("x", &root), "LabelRighty", {300, 70, 20, 15}));
    righty->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    const TextBinding bindings[] = {caption("LabelFree", 201), caption("LabelBlocked", 201),
                                    caption("LabelRighty", 201)};
    m350::gui::applyLanguage(&root, bindings, m350::kLangRussian);

    EXPECT_EQ(free->x(), 10);
    EXPECT_GE(free->width(), free->sizeHint().width());
    EXPECT_EQ(blocked->geometry(), QRect(10, 40, 20, 15));  // left edge at 10: no room either side
    EXPECT_EQ(righty->geometry().right(), 319);
    EXPECT_GE(righty->width(), righty->sizeHint().width());
}

// A button caption too wide for its button draws smaller, and the button's
// font comes back once a caption fits again.
TEST(ApplyLanguage, WideButtonCaptionsDrawSmallerUntilTheyFit) {
    QWidget root;
    QFont base = root.font();
    base.setPointSizeF(8);
    root.setFont(base);
    auto* button = new QPushButton("x", &root);
    button->setObjectName("ButtonLineModeOut");
    button->setGeometry(0, 0, 120, 25);
    const TextBinding bindings[] = {caption("ButtonLineModeOut", 44)};
    const int room = 120 - 8;

    m350::gui::applyLanguage(&root, bindings, m350::kLangGerman);  // "Zeilenmodus beenden"
    const QFont german = button->font();
    EXPECT_LT(german.pointSizeF(), 8.0);
    EXPECT_GE(german.pointSizeF(), 6.0);
    EXPECT_LE(QFontMetrics(german).horizontalAdvance(button->text()), room);

    m350::gui::applyLanguage(&root, bindings, m350::kLangEnglish);  // "Exit Line Mode" fits
    EXPECT_EQ(button->font().pointSizeF(), 8.0);
    EXPECT_FALSE(button->testAttribute(Qt::WA_SetFont));
}

}  // namespace
