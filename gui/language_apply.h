// SPDX-License-Identifier: MIT
// Puts the language table's texts on the windows. Controls are found by their
// object names, as the binding tables in gui/language_map.h name them; a
// name with no control is reported back rather than skipped silently, so a
// window that lost or renamed a control shows up in the tests.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <span>
#include <string_view>

#include "gui/language_map.h"

class QWidget;

namespace m350::gui {

// The text of a key in a language as a QString.
QString languageQText(int key, int language);

// One of the program's own texts (core/i18n/own_texts.h), found by its
// English, in a language as a QString.
QString ownTr(std::string_view english, int language);

// Applies the bindings to the controls under root, in order:
//  - captions of labels, buttons and check boxes, titles of group boxes and
//    radio groups, and the tab text of a page of a QTabWidget;
//  - list items of a combo box or radio group, keeping the selected index;
//  - column headers of a tree, table or list view;
//  - root's own window title.
// Root's font also names the CJK face of a Chinese or Japanese language, so
// ideographs take that language's forms.
// Returns the bindings that found no control (or a list too short for its
// items), one entry per problem, empty when all went well.
QStringList applyLanguage(QWidget* root, std::span<const TextBinding> bindings, int language);

// The main window's texts, then LabelUnit1..LabelUnit9 take the translated
// name of the unit selected in RadioGroupUnit and EditPrinterStatus is
// emptied (the next status query fills it in the new language).
QStringList applyMainWindowLanguage(QWidget* mainWindow, int language);

// The main window's texts on one page of it that was built after the window's
// language was applied (the pages not shown at start are built when first
// shown).
void applyPageLanguage(QWidget* page, int language);

// A dialog's texts by its class name, run while the dialog is built. A class
// without bindings changes nothing.
QStringList applyDialogLanguage(QWidget* dialog, const char* dialogClass, int language);

// Start-up: the language is the forced one (--language) or the one detected
// from the system; it is selected in ComboBoxLanguage without firing its
// change handler and applied. Returns the language index, for the window to
// keep.
int startMainWindowLanguage(QWidget* mainWindow, std::optional<int> forced = std::nullopt);

// changeLanguage: the main window is translated into the item index's
// language (an index outside 0..13 is English, and selected so). Returns the
// language index, for the window to keep.
int changeLanguage(QWidget* mainWindow, int itemIndex);

}  // namespace m350::gui
