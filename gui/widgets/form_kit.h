// SPDX-License-Identifier: MIT
// Small helpers for building forms the way their layouts are written down:
// every control placed at left, top, width, height inside its parent, with its
// Qt object name equal to the control's name.
#pragma once

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QStringList>

namespace m350::gui {

// Default heights of the classic controls.
constexpr int kButtonHeight = 25;
constexpr int kEditHeight = 21;

template <class W>
W* place(W* widget, const char* name, int left, int top, int width, int height) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(left, top, width, height);
    return widget;
}

QPushButton* newButton(QWidget* parent, const char* name, const QString& caption, int left, int top,
                       int width = 75, int height = kButtonHeight);
// A label sized to its text unless a width is given.
QLabel* newLabel(QWidget* parent, const char* name, const QString& text, int left, int top,
                 int width = -1, int height = 13);
QGroupBox* newGroup(QWidget* parent, const char* name, const QString& caption, int left, int top,
                    int width, int height);
// A drop-down list (no typing) with its items and nothing selected when empty.
QComboBox* newCombo(QWidget* parent, const char* name, const QStringList& items, int left, int top,
                    int width, int height = kEditHeight);
QLineEdit* newEdit(QWidget* parent, const char* name, int left, int top, int width,
                   int height = kEditHeight);

// Keeps what the operator types into a box to maxChars characters. Unlike
// QLineEdit::setMaxLength, which also cuts what the program puts in, a longer
// value shown from a printer or a file stays whole: the operator may shorten
// it or replace part of it, but typing and pasting never make a text longer
// than the limit or than it already is. Every limited box of the program
// goes through here.
void limitTyping(QLineEdit* edit, int maxChars);
// The limit set with limitTyping; 0 for a box without one.
int typingLimit(const QLineEdit* edit);

// A number box: a keystroke that cannot be part of a number is refused (a
// letter, a second point, a sign where the box takes no negative number);
// the text is never cut, however many digits or decimals it holds. Ranges
// and precision are checked when the value is used, by the box's caption.
// What the program puts in is shown whole.
void numberTyping(QLineEdit* edit, bool negative, bool integer);

// Keeps a box in a layout at least wide enough to show sample whole, in
// whatever font it has (a language with a face of its own changes it). For
// values of a known form that the operator cannot scroll, such as a MAC
// address in a disabled box.
void keepWideEnoughFor(QLineEdit* edit, const QString& sample);

// For a dialog at fixed places, once its texts are applied: a push button
// whose caption needs more room widens (leftwards when keepRight, so a button
// at a dialog's right edge stays there) and draws at its window's font again
// instead of a smaller one.
void widenButtonToCaption(QPushButton* button, bool keepRight);

// A push button in a layout as wide as its caption needs and no wider,
// whatever the language makes of the caption (a plain QPushButton keeps a
// wide minimum, and a fixed limit would cut a longer translation).
class SnugButton final : public QPushButton {
  public:
    using QPushButton::QPushButton;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
};

// The text of a key in a language, or the English fallback while the key's
// row is not in the table yet.
QString textOf(int key, int language, const char* fallback);

}  // namespace m350::gui
