// SPDX-License-Identifier: MIT
// Which control of a window shows which text key. The tables name controls
// by their object names, so the same data drives the windows and lets a test
// check that every named control exists.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace m350::gui {

enum class TextTarget : std::uint8_t {
    kCaption,      // a label's or button's text, a group's title, a page's tab
    kItems,        // list items first..first+count-1 of a combo box or radio group
    kColumns,      // header captions of a list view's columns first..
    kWindowTitle,  // the window's own title (the control name is empty)
};

struct TextBinding {
    const char* control;
    TextTarget target;
    std::uint8_t first;  // first item or column (kItems, kColumns)
    std::uint8_t count;  // keys used
    std::array<std::int16_t, 14> keys;

    int key() const { return keys[0]; }
};

constexpr TextBinding caption(const char* control, int key) {
    return {control, TextTarget::kCaption, 0, 1, {static_cast<std::int16_t>(key)}};
}

constexpr TextBinding title(int key) {
    return {"", TextTarget::kWindowTitle, 0, 1, {static_cast<std::int16_t>(key)}};
}

template <class... Keys>
constexpr TextBinding items(const char* control, int first, Keys... keys) {
    return {control,
            TextTarget::kItems,
            static_cast<std::uint8_t>(first),
            static_cast<std::uint8_t>(sizeof...(Keys)),
            {static_cast<std::int16_t>(keys)...}};
}

template <class... Keys>
constexpr TextBinding columns(const char* control, int first, Keys... keys) {
    return {control,
            TextTarget::kColumns,
            static_cast<std::uint8_t>(first),
            static_cast<std::uint8_t>(sizeof...(Keys)),
            {static_cast<std::int16_t>(keys)...}};
}

// The main window's controls in the order their texts are applied.
std::span<const TextBinding> mainWindowBindings();

// The unit labels of the configuration pages, which show the selected unit.
inline constexpr std::array<const char*, 9> kMainUnitLabels = {
    "LabelUnit1", "LabelUnit2", "LabelUnit3", "LabelUnit4", "LabelUnit5",
    "LabelUnit6", "LabelUnit7", "LabelUnit8", "LabelUnit9"};

// A dialog's bindings by its class name (Rs232SetupDialog, TFormRTCSetup ...);
// empty for a window that has no texts of its own.
std::span<const TextBinding> dialogBindings(std::string_view dialogClass);

// The dialog classes that have bindings.
std::span<const char* const> dialogClassesWithTexts();

}  // namespace m350::gui
