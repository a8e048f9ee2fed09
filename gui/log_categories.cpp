// SPDX-License-Identifier: MIT
#include "gui/log_categories.h"

namespace m350::gui {

Q_LOGGING_CATEGORY(lcLink, "m350.link", QtWarningMsg)
Q_LOGGING_CATEGORY(lcSettings, "m350.settings", QtWarningMsg)

}  // namespace m350::gui
