// SPDX-License-Identifier: MIT
#include "gui/language_apply.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QFont>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTreeWidget>
#include <QWidget>
#include <array>

#include "core/i18n/language_detect.h"
#include "core/i18n/language_table.h"
#include "core/i18n/own_texts.h"
#include "gui/mnemonics.h"
#include "gui/own_text_map.h"
#include "gui/widgets/utf8_text.h"

namespace m350::gui {

namespace {

QString name(const TextBinding& b) {
    return QString::fromLatin1(b.control);
}

// A page of a page control: its tab widget and its index there, if any.
bool setTabText(QWidget* page, const QString& text) {
    for (QWidget* up = page->parentWidget(); up != nullptr; up = up->parentWidget()) {
        if (auto* tabs = qobject_cast<QTabWidget*>(up)) {
            const int index = tabs->indexOf(page);
            if (index < 0) return false;
            rememberEnglishCaption(page, tabs->tabText(index));
            tabs->setTabText(index, text);
            return true;
        }
    }
    return false;
}

// Whether a layout places the widget: then its size follows its size hint,
// and a longer caption makes it wider by itself.
bool inLayout(const QLayout* layout, const QWidget* widget) {
    if (layout == nullptr) return false;
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (item->widget() == widget) return true;
        if (inLayout(item->layout(), widget)) return true;
    }
    return false;
}

bool laidOut(const QWidget* widget) {
    const QWidget* parent = widget->parentWidget();
    return parent != nullptr && inLayout(parent->layout(), widget);
}

// A label that its new text overflows grows like a self-sizing label: to the
// right, or to the left when it is right-aligned or the right is taken, and
// only into room no other control of its parent occupies. Otherwise it stays
// as it is (and the caption-fit check lists it).
void FitLabel(QLabel* label) {
    QWidget* parent = label->parentWidget();
    if (parent == nullptr || label->wordWrap() || laidOut(label)) return;
    const QRect now = label->geometry();
    const int extra = label->sizeHint().width() - now.width();
    if (extra <= 0) return;
    auto isFree = [&](const QRect& room) {
        if (room.left() < 0) return false;
        for (QObject* child : parent->children()) {
            auto* w = qobject_cast<QWidget*>(child);
            if (w == nullptr || w == label || w->isWindow() || w->isHidden()) continue;
            if (w->geometry().intersects(room)) return false;
        }
        return true;
    };
    const QRect right = now.adjusted(0, 0, extra, 0);
    const QRect left = now.adjusted(-extra, 0, 0, 0);
    const bool rightAligned = (label->alignment() & Qt::AlignRight) != 0;
    for (const QRect& room : rightAligned ? std::array{left, right} : std::array{right, left}) {
        if (isFree(room)) {
            label->setGeometry(room);
            return;
        }
    }
}

// A push button at a fixed place whose caption a language makes too wide
// draws it a point or two smaller, down to 6 points, rather than cutting it;
// the button's own font comes back when a later caption fits again. Buttons
// in a layout grow instead.
void fitButton(QPushButton* button) {
    static const char* const kFitted = "m350Fitted";
    static const char* const kOwnFont = "m350OwnFont";
    if (button->property(kFitted).toBool()) {
        // Back to what the button had: its own font, or its parent's.
        button->setFont(button->property(kOwnFont).value<QFont>());
        button->setProperty(kFitted, false);
    }
    if (laidOut(button)) return;
    constexpr int kMargin = 8;  // frame and padding left and right
    const int room = button->width() - kMargin;
    QFont measure = button->font();
    if (measure.pointSizeF() <= 0 ||
        QFontMetrics(measure).horizontalAdvance(button->text()) <= room)
        return;
    // Only the size is set, so the family still follows the window (and its
    // CJK face after a language change).
    const QFont own = button->testAttribute(Qt::WA_SetFont) ? button->font() : QFont();
    QFont smaller = own;
    for (qreal size = measure.pointSizeF() - 0.5; size >= 6.0; size -= 0.5) {
        measure.setPointSizeF(size);
        smaller.setPointSizeF(size);
        if (QFontMetrics(measure).horizontalAdvance(button->text()) <= room) break;
    }
    button->setProperty(kOwnFont, QVariant::fromValue(own));
    button->setProperty(kFitted, true);
    button->setFont(smaller);
}

bool setCaption(QWidget* w, const QString& text) {
    if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setText(text);
        FitLabel(label);
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        rememberEnglishCaption(button, button->text());
        button->setText(text);
        if (auto* push = qobject_cast<QPushButton*>(w)) fitButton(push);
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
        group->setTitle(text);
    } else if (!setTabText(w, text)) {
        return false;
    }
    return true;
}

// The radio buttons of a radio group in item order: "<group>Item<i>" where
// the group names them so, otherwise its direct radio buttons as created.
QList<QRadioButton*> radioItems(QGroupBox* group) {
    QList<QRadioButton*> buttons;
    for (int i = 0;; ++i) {
        auto* b = group->findChild<QRadioButton*>(group->objectName() + QStringLiteral("Item") +
                                                  QString::number(i));
        if (b == nullptr) break;
        buttons << b;
    }
    if (buttons.isEmpty()) buttons = group->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly);
    return buttons;
}

// Replaces items first.. of a list; the selection stays where it was, and no
// change handler runs, since a language change is no choice of the operator.
bool setItems(QWidget* w, const TextBinding& b, int language, QStringList& problems) {
    auto tooShort = [&](int have) {
        problems << QStringLiteral("%1: has %2 items, needs %3")
                        .arg(name(b))
                        .arg(have)
                        .arg(b.first + b.count);
    };
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        const QSignalBlocker quiet(combo);
        const int selected = combo->currentIndex();
        if (combo->count() < b.first + b.count) tooShort(combo->count());
        for (int i = 0; i < b.count && b.first + i < combo->count(); ++i)
            combo->setItemText(b.first + i, languageQText(b.keys[i], language));
        combo->setCurrentIndex(selected);
        return true;
    }
    if (auto* group = qobject_cast<QGroupBox*>(w)) {
        const auto buttons = radioItems(group);
        if (buttons.size() < b.first + b.count) tooShort(static_cast<int>(buttons.size()));
        for (int i = 0; i < b.count && b.first + i < buttons.size(); ++i)
            buttons[b.first + i]->setText(languageQText(b.keys[i], language));
        return true;
    }
    return false;
}

bool setColumns(QWidget* w, const TextBinding& b, int language, QStringList& problems) {
    auto* view = qobject_cast<QAbstractItemView*>(w);
    if (view == nullptr || view->model() == nullptr) return false;
    auto* tree = qobject_cast<QTreeWidget*>(w);
    const int columns = tree != nullptr ? tree->columnCount() : view->model()->columnCount();
    if (columns < b.first + b.count)
        problems << QStringLiteral("%1: has %2 columns, needs %3")
                        .arg(name(b))
                        .arg(columns)
                        .arg(b.first + b.count);
    for (int i = 0; i < b.count && b.first + i < columns; ++i) {
        const QString text = languageQText(b.keys[i], language);
        if (tree != nullptr) {
            tree->headerItem()->setText(b.first + i, text);
        } else {
            view->model()->setHeaderData(b.first + i, Qt::Horizontal, text);
        }
    }
    return true;
}

// The widgets under a root by object name, from one walk of the tree: a
// window's table names a few hundred controls, and looking each up with
// findChild walked the whole window every time. A name that more than one
// widget bears is left to findChild, so the one found stays the same.
class WidgetIndex {
  public:
    explicit WidgetIndex(QWidget* root) : root_(root) {
        for (QWidget* w : root->findChildren<QWidget*>()) {
            const QString n = w->objectName();
            if (n.isEmpty() || shared_.contains(n)) continue;
            if (byName_.contains(n)) {
                byName_.remove(n);
                shared_.insert(n);
            } else {
                byName_.insert(n, w);
            }
        }
    }
    QWidget* find(const QString& n) const {
        if (shared_.contains(n)) return root_->findChild<QWidget*>(n);
        return byName_.value(n, nullptr);
    }

  private:
    QWidget* root_;
    QHash<QString, QWidget*> byName_;
    QSet<QString> shared_;
};

void apply(QWidget* root, const WidgetIndex& index, const TextBinding& b, int language,
           QStringList& problems) {
    if (b.target == TextTarget::kWindowTitle) {
        root->setWindowTitle(languageQText(b.key(), language));
        return;
    }
    auto* w = index.find(name(b));
    if (w == nullptr) {
        problems << name(b);
        return;
    }
    bool done = false;
    switch (b.target) {
        case TextTarget::kCaption:
            done = setCaption(w, languageQText(b.key(), language));
            break;
        case TextTarget::kItems:
            done = setItems(w, b, language, problems);
            break;
        case TextTarget::kColumns:
            done = setColumns(w, b, language, problems);
            break;
        case TextTarget::kWindowTitle:
            break;
    }
    if (!done)
        problems << QStringLiteral("%1: a %2 takes no such text")
                        .arg(name(b), QString::fromLatin1(w->metaObject()->className()));
}

// A dashed heading across a page ("---- WiFi Information ----") keeps its
// dashes around the translated words.
QString keepDashes(const QString& now, const QString& words) {
    // Two dashes at least: a negative number ("-120 to 120") is no heading.
    if (!now.startsWith(QStringLiteral("--"))) return words;
    qsizetype lead = 0, trail = 0;
    while (lead < now.size() && now[lead] == QLatin1Char('-')) ++lead;
    while (trail < now.size() && now[now.size() - 1 - trail] == QLatin1Char('-')) ++trail;
    return now.left(lead) + QLatin1Char(' ') + words + QLatin1Char(' ') + now.right(trail);
}

void applyOwn(QWidget* root, const WidgetIndex& index, const OwnTextBinding& b, int language,
              QStringList& problems) {
    if (b.target == OwnTarget::kWindowTitle) {
        root->setWindowTitle(ownTr(b.english, language));
        return;
    }
    const QString control = QString::fromLatin1(b.control);
    QWidget* w = index.find(control);
    if (w == nullptr) {
        problems << control;
        return;
    }
    const QString text = ownTr(b.english, language);
    bool done = true;
    switch (b.target) {
        case OwnTarget::kCaption:
            if (auto* label = qobject_cast<QLabel*>(w)) {
                done = setCaption(w, keepDashes(label->text(), text));
            } else {
                done = setCaption(w, text);
            }
            break;
        case OwnTarget::kItem:
            if (auto* combo = qobject_cast<QComboBox*>(w); combo && b.index < combo->count()) {
                const QSignalBlocker quiet(combo);
                combo->setItemText(b.index, text);
            } else {
                done = false;
            }
            break;
        case OwnTarget::kColumn:
            if (auto* tree = qobject_cast<QTreeWidget*>(w); tree && b.index < tree->columnCount()) {
                tree->headerItem()->setText(b.index, text);
            } else {
                done = false;
            }
            break;
        case OwnTarget::kToolTip:
            w->setToolTip(text);
            break;
        case OwnTarget::kPlaceholder:
            if (auto* combo = qobject_cast<QComboBox*>(w)) {
                combo->setPlaceholderText(text);
            } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
                edit->setPlaceholderText(text);
            } else {
                done = false;
            }
            break;
        case OwnTarget::kWindowTitle:
            break;
    }
    if (!done)
        problems << QStringLiteral("%1: a %2 takes no such text")
                        .arg(control, QString::fromLatin1(w->metaObject()->className()));
}

void applyOwnTexts(QWidget* root, std::span<const OwnTextBinding> bindings, int language,
                   QStringList& problems) {
    if (root == nullptr || bindings.empty()) return;
    const WidgetIndex index(root);
    for (const OwnTextBinding& b : bindings) applyOwn(root, index, b, language, problems);
}

// Index of the checked item of RadioGroupUnit; inch when none is checked.
int selectedUnit(QWidget* mainWindow) {
    auto* group = mainWindow->findChild<QGroupBox*>(QStringLiteral("RadioGroupUnit"));
    if (group == nullptr) return 0;
    const auto buttons = radioItems(group);
    for (int i = 0; i < buttons.size(); ++i)
        if (buttons[i]->isChecked()) return i;
    return 0;
}

// The Han characters of Chinese and Japanese share code points but not
// shapes; the font chooses which. Naming the language's CJK face after the
// window's own family plays the part the font character set played: Latin
// text keeps its face, the ideographs come in the language's forms. A face
// that is not installed is passed over.
void setScriptFont(QWidget* root, int language) {
    static const QString kCjkFaces[] = {QStringLiteral("Noto Sans CJK TC"),
                                        QStringLiteral("Noto Sans CJK SC"),
                                        QStringLiteral("Noto Sans CJK JP")};
    QFont font = root->font();
    QStringList families = font.families();
    if (families.isEmpty()) families << font.family();
    for (const QString& face : kCjkFaces) families.removeAll(face);
    if (language >= m350::kLangTraditionalChinese && language <= m350::kLangJapanese)
        families << kCjkFaces[language - m350::kLangTraditionalChinese];
    if (families == font.families()) return;
    font.setFamilies(families);
    root->setFont(font);
}

}  // namespace

QString languageQText(int key, int language) {
    return utf8Text(m350::languageText(key, language));
}

QString ownTr(std::string_view english, int language) {
    return utf8Text(ownText(english, language));
}

QStringList applyLanguage(QWidget* root, std::span<const TextBinding> bindings, int language) {
    QStringList problems;
    if (root == nullptr) return problems;
    language = m350::validLanguage(language);
    setScriptFont(root, language);
    const WidgetIndex index(root);
    for (const TextBinding& b : bindings) apply(root, index, b, language, problems);
    return problems;
}

void applyPageLanguage(QWidget* page, int language) {
    if (page == nullptr) return;
    // The page's font stays the window's, so a later language's face reaches
    // it; the bindings of controls on other pages find nothing here.
    const WidgetIndex index(page);
    QStringList elsewhere;
    for (const TextBinding& b : mainWindowBindings())
        apply(page, index, b, m350::validLanguage(language), elsewhere);
    for (const OwnTextBinding& b : mainWindowOwnTexts())
        if (b.target != OwnTarget::kWindowTitle)
            applyOwn(page, index, b, m350::validLanguage(language), elsewhere);
    // Letters are unique across the whole window, which holds the page.
    assignMnemonics(page->window(), m350::validLanguage(language));
}

QStringList applyMainWindowLanguage(QWidget* mainWindow, int language) {
    QStringList problems = applyLanguage(mainWindow, mainWindowBindings(), language);
    if (mainWindow == nullptr) return problems;
    language = m350::validLanguage(language);
    applyOwnTexts(mainWindow, mainWindowOwnTexts(), language, problems);
    constexpr int kKeyInch = 25, kKeyMm = 26;
    const QString unit = languageQText(selectedUnit(mainWindow) == 1 ? kKeyMm : kKeyInch, language);
    for (const char* name : kMainUnitLabels) {
        if (auto* label = mainWindow->findChild<QLabel*>(QString::fromLatin1(name))) {
            label->setText(unit);
            FitLabel(label);
        } else {
            problems << QString::fromLatin1(name);
        }
    }
    if (auto* status = mainWindow->findChild<QLineEdit*>(QStringLiteral("EditPrinterStatus"))) {
        status->clear();
    } else {
        problems << QStringLiteral("EditPrinterStatus");
    }
    // Printer texts follow the interface language's code page unless another
    // encoding was chosen: the configuration pages show theirs anew.
    if (QObject* page = mainWindow->findChild<QObject*>(QStringLiteral("ConfigPage")))
        QMetaObject::invokeMethod(page, "refreshTextEncoding");
    if (QObject* page = mainWindow->findChild<QObject*>(QStringLiteral("CommandToolPage")))
        QMetaObject::invokeMethod(page, "refreshEncodingCaption");
    // Pages with texts of their own beyond the language table.
    for (const char* name : {"FontManagerPage", "FileManagerPage"})
        if (QObject* page = mainWindow->findChild<QObject*>(QString::fromLatin1(name)))
            QMetaObject::invokeMethod(page, "refreshLanguage");
    assignMnemonics(mainWindow, language);
    return problems;
}

QStringList applyDialogLanguage(QWidget* dialog, const char* dialogClass, int language) {
    const std::string_view name = dialogClass ? dialogClass : "";
    QStringList problems = applyLanguage(dialog, dialogBindings(name), language);
    applyOwnTexts(dialog, dialogOwnTexts(name), m350::validLanguage(language), problems);
    assignMnemonics(dialog, m350::validLanguage(language));
    return problems;
}

int startMainWindowLanguage(QWidget* mainWindow, std::optional<int> forced) {
    const int language = forced ? m350::validLanguage(*forced) : m350::detectLanguage();
    if (mainWindow == nullptr) return language;
    if (auto* list = mainWindow->findChild<QComboBox*>(QStringLiteral("ComboBoxLanguage"))) {
        const QSignalBlocker quiet(list);
        list->setCurrentIndex(language);
    }
    applyMainWindowLanguage(mainWindow, language);
    return language;
}

int changeLanguage(QWidget* mainWindow, int itemIndex) {
    const int language = m350::validLanguage(itemIndex);
    if (mainWindow != nullptr && language != itemIndex) {
        if (auto* list = mainWindow->findChild<QComboBox*>(QStringLiteral("ComboBoxLanguage"))) {
            const QSignalBlocker quiet(list);
            list->setCurrentIndex(language);
        }
    }
    applyMainWindowLanguage(mainWindow, language);
    return language;
}

}  // namespace m350::gui
