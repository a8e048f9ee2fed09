// SPDX-License-Identifier: MIT
// The control-to-text map of every window names real keys of the table.
#include "gui/language_map.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/i18n/language_table.h"

using namespace m350::gui;

namespace {

TEST(LanguageMap, BindingsNameRealKeysAndControls) {
    auto check = [](std::span<const m350::gui::TextBinding> bindings, const char* window) {
        EXPECT_FALSE(bindings.empty()) << window;
        for (const auto& b : bindings) {
            EXPECT_GE(b.count, 1) << window << " " << b.control;
            for (int i = 0; i < b.count; ++i) {
                EXPECT_GE(b.keys[i], 0) << window << " " << b.control;
                EXPECT_LT(b.keys[i], m350::kTextKeyCount) << window << " " << b.control;
            }
            if (b.target == m350::gui::TextTarget::kWindowTitle) {
                EXPECT_STREQ(b.control, "");
            } else {
                EXPECT_STRNE(b.control, "") << window;
            }
        }
    };
    check(m350::gui::mainWindowBindings(), "main window");
    for (const char* dialog : m350::gui::dialogClassesWithTexts())
        check(m350::gui::dialogBindings(dialog), dialog);
    EXPECT_TRUE(m350::gui::dialogBindings("TFormNoSuchWindow").empty());

    // Keys 144 and 151 are in the table for no window.
    auto uses = [](std::span<const m350::gui::TextBinding> bindings, int key) {
        for (const auto& b : bindings)
            for (int i = 0; i < b.count; ++i)
                if (b.keys[i] == key) return true;
        return false;
    };
    for (int unused : {144, 151}) {
        EXPECT_FALSE(uses(m350::gui::mainWindowBindings(), unused));
        for (const char* dialog : m350::gui::dialogClassesWithTexts())
            EXPECT_FALSE(uses(m350::gui::dialogBindings(dialog), unused)) << dialog;
    }
}

}  // namespace
