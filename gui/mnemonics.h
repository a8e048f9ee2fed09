// SPDX-License-Identifier: MIT
// Alt+letter keys for the buttons, check boxes and tabs of a window, given
// after its texts are put on in a language. Captions of the language table
// stay as they are in the table: the '&' is added to what the control shows.
#pragma once

#include <QString>

class QWidget;

namespace m350::gui {

// Gives every push button, check box and tab under window a mnemonic that no
// other control shown beside it has: letters are unique among the controls
// outside the pages of a page control and those of one page, since the pages
// of a page control are never shown together. A letter of the caption is
// taken where the language's script has them; a Chinese or Japanese caption
// gets a Latin letter after it, "Read(&R)", from its English caption where
// it can. A control whose letters are all taken goes without. Child windows
// (dialogs) are left to their own call.
void assignMnemonics(QWidget* window, int language);

// A caption as shown, without its mnemonic marker: "&Read" and "Read(&R)"
// both give "Read"; "&&" stays a single '&'.
QString withoutMnemonic(const QString& caption);

// Keeps the caption a control had before its first translation, from which
// the Latin letters of Chinese and Japanese captions are taken. For a tab,
// pass its page.
void rememberEnglishCaption(QWidget* control, const QString& caption);

}  // namespace m350::gui
