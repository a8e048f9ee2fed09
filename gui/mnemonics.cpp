// SPDX-License-Identifier: MIT
#include "gui/mnemonics.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolButton>
#include <QVariant>
#include <QWidget>

#include "core/i18n/language_table.h"

namespace m350::gui {

namespace {

const char* const kEnglish = "m350EnglishCaption";

bool isCjk(int language) {
    return language >= m350::kLangTraditionalChinese && language <= m350::kLangJapanese;
}

// Where the candidate letters are, in the order they are tried: the first
// letter of each word, then every other letter.
QList<qsizetype> candidates(const QString& caption, bool latinOnly) {
    QList<qsizetype> first, rest;
    bool wordStart = true;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        const QChar c = caption[i];
        const bool usable = c.isLetter() && (!latinOnly || c.toLatin1() != 0);
        if (usable) (wordStart ? first : rest) << i;
        wordStart = !c.isLetterOrNumber();
    }
    return first + rest;
}

QString escaped(const QString& text) {
    QString out = text;
    return out.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

// The caption with a mnemonic on the first free letter, or as it was when
// none is free. Letters in the caption itself come first: any letter in
// Latin or Cyrillic scripts, only Latin ones in a Chinese or Japanese
// caption, which otherwise gets one after it.
QString marked(const QString& caption, const QString& english, bool cjk, QSet<QChar>& used) {
    for (qsizetype i : candidates(caption, cjk)) {
        const QChar key = caption[i].toUpper();
        if (used.contains(key)) continue;
        used.insert(key);
        return escaped(caption.left(i)) + QLatin1Char('&') + escaped(caption.mid(i));
    }
    if (!cjk) return escaped(caption);
    QList<QChar> latin;
    for (qsizetype i : candidates(english, true)) latin << english[i].toUpper();
    for (char c = 'A'; c <= 'Z'; ++c) latin << QLatin1Char(c);
    for (QChar key : latin) {
        if (used.contains(key)) continue;
        used.insert(key);
        return escaped(caption) + QStringLiteral("(&") + key + QLatin1Char(')');
    }
    return escaped(caption);
}

QString englishOf(const QWidget* w, const QString& shown) {
    const QVariant v = w->property(kEnglish);
    return v.isValid() ? v.toString() : shown;
}

struct Scope {
    QList<QTabWidget*> tabs;
    QList<QAbstractButton*> buttons;
};

// The controls of a scope: everything under it but the pages of its page
// controls (each a scope of its own) and child windows.
void collect(QWidget* under, Scope& scope) {
    for (QObject* child : under->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (w == nullptr || w->isWindow()) continue;
        if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
            scope.tabs << tabs;
            for (QObject* part : tabs->children()) {
                auto* pw = qobject_cast<QWidget*>(part);
                if (pw != nullptr && !qobject_cast<QStackedWidget*>(pw)) collect(pw, scope);
                if (auto* b = qobject_cast<QAbstractButton*>(pw);
                    b && !qobject_cast<QToolButton*>(b))
                    scope.buttons << b;
            }
            continue;
        }
        if (auto* b = qobject_cast<QAbstractButton*>(w);
            b != nullptr && !qobject_cast<QToolButton*>(b) &&
            (qobject_cast<QPushButton*>(b) || qobject_cast<QCheckBox*>(b)))
            scope.buttons << b;
        collect(w, scope);
    }
}

void assignIn(QWidget* root, QSet<QChar> used, int language) {
    Scope scope;
    collect(root, scope);
    const bool cjk = isCjk(language);
    for (QTabWidget* tabs : scope.tabs) {
        for (int i = 0; i < tabs->count(); ++i) {
            const QString shown = withoutMnemonic(tabs->tabText(i));
            tabs->setTabText(i, marked(shown, englishOf(tabs->widget(i), shown), cjk, used));
        }
    }
    for (QAbstractButton* b : scope.buttons) {
        const QString shown = withoutMnemonic(b->text());
        if (shown.isEmpty()) continue;
        b->setText(marked(shown, englishOf(b, shown), cjk, used));
    }
    for (QTabWidget* tabs : scope.tabs)
        for (int i = 0; i < tabs->count(); ++i) assignIn(tabs->widget(i), used, language);
}

}  // namespace

QString withoutMnemonic(const QString& caption) {
    static const QRegularExpression kAppended(QStringLiteral("\\(&[A-Za-z]\\)$"));
    QString out = caption;
    out.remove(kAppended);
    QString plain;
    plain.reserve(out.size());
    for (qsizetype i = 0; i < out.size(); ++i) {
        if (out[i] == QLatin1Char('&')) {
            // "&x" shows x underlined, "&&" a single '&'; a lone '&' at the
            // end shows nothing.
            if (++i < out.size()) plain += out[i];
            continue;
        }
        plain += out[i];
    }
    return plain;
}

void rememberEnglishCaption(QWidget* control, const QString& caption) {
    if (control != nullptr && !control->property(kEnglish).isValid())
        control->setProperty(kEnglish, withoutMnemonic(caption));
}

void assignMnemonics(QWidget* window, int language) {
    if (window == nullptr) return;
    assignIn(window, {}, language);
}

}  // namespace m350::gui
