// SPDX-License-Identifier: MIT
// Which control of a window shows which of the program's own texts
// (core/i18n/own_texts.tsv): the captions this program adds beyond the
// language table, found by their English. language_apply puts them on the
// controls in the same passes as the language table's texts, so a language
// change and a page built later both get them.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace m350::gui {

enum class OwnTarget : std::uint8_t {
    kCaption,      // a label's or button's text, a group's title, a page's tab
    kItem,         // item `index` of a combo box
    kColumn,       // header caption of column `index` of a tree view
    kToolTip,      // the control's tool tip
    kPlaceholder,  // the grey text of an empty combo box or line edit
    kWindowTitle,  // the window's own title (the control name is empty)
};

struct OwnTextBinding {
    const char* control;
    OwnTarget target;
    std::uint8_t index;
    const char* english;
};

constexpr OwnTextBinding ownCaption(const char* control, const char* english) {
    return {control, OwnTarget::kCaption, 0, english};
}
constexpr OwnTextBinding ownItem(const char* control, int index, const char* english) {
    return {control, OwnTarget::kItem, static_cast<std::uint8_t>(index), english};
}
constexpr OwnTextBinding ownColumn(const char* control, int index, const char* english) {
    return {control, OwnTarget::kColumn, static_cast<std::uint8_t>(index), english};
}
constexpr OwnTextBinding ownTip(const char* control, const char* english) {
    return {control, OwnTarget::kToolTip, 0, english};
}
constexpr OwnTextBinding ownPlaceholder(const char* control, const char* english) {
    return {control, OwnTarget::kPlaceholder, 0, english};
}

constexpr OwnTextBinding ownTitle(const char* english) {
    return {"", OwnTarget::kWindowTitle, 0, english};
}

// The main window's own texts, on every page.
std::span<const OwnTextBinding> mainWindowOwnTexts();

// A dialog's own texts by its class name; empty for one that has none.
std::span<const OwnTextBinding> dialogOwnTexts(std::string_view dialogClass);

}  // namespace m350::gui
