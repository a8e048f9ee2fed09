// A length limit on an edit box that restricts typing only: a value the
// program puts in the box is shown whole, however long.
#pragma once

#include <QString>

class QLineEdit;

namespace m350::gui {

// Typing stops at limit characters from now on.
void limitTyping(QLineEdit* edit, int limit);

// Shows text whole; typing stays limited to what limitTyping set.
void setTextUncut(QLineEdit* edit, const QString& text);

}  // namespace m350::gui
