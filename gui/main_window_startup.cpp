// SPDX-License-Identifier: MIT
// The first contact with the printer, once the window shows (or, for tests,
// while it is built): no message, a progress window with Cancel only when
// the printer is slow, and a printer that is not there costs only the
// failed open. The window's controls wait meanwhile (runQuiet).
#include "core/ops/operations.h"
#include "gui/main_window.h"
#include "gui/pages/config_page.h"

namespace m350::gui {

void MainWindow::firstContact() {
    const int iface = interfaceIndex();
    if (runQuiet(ops::testConnection(), iface) != m350::kOk) return;
    m350::ConfigRecord scratch;
    scratch.reset();
    if (runQuiet(ops::exitLineMode(), iface) != m350::kOk) return;
    // A read that fails keeps the defaults, silently.
    if (runQuiet(ops::readConfig(scratch), iface) != m350::kOk) return;
    configPage_->replaceRecord(scratch);
}

}  // namespace m350::gui
