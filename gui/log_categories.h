// SPDX-License-Identifier: MIT
// The window's logging categories, for diagnostics without a debugger:
//   QT_LOGGING_RULES="m350.*.debug=true" m350-utility
// m350.link: operations, their results and the causes of failures;
// m350.settings: what is remembered and read back, the trace file.
// Only warnings are shown unless the rules ask for more.
#pragma once

#include <QLoggingCategory>

namespace m350::gui {

Q_DECLARE_LOGGING_CATEGORY(lcLink)
Q_DECLARE_LOGGING_CATEGORY(lcSettings)

}  // namespace m350::gui
