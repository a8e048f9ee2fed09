// The first contact with the printer while the main window is built: no
// progress window, no message, and a printer that is not there costs only
// the failed open.
#include "core/config/config_read.h"
#include "core/link/link_operations.h"
#include "core/printer/maintenance.h"
#include "gui/main_window.h"
#include "gui/pages/config_page.h"

namespace m350::gui {

void MainWindow::firstContact() {
    const int iface = interfaceIndex();
    if (m350::runOperation(link_, m350::kOpConnectionTest, iface, m350::testConnection) !=
        m350::kOk)
        return;
    m350::ConfigRecord scratch;
    scratch.reset();
    if (m350::runOperation(link_, m350::kOpExitLineMode, iface, m350::exitLineMode) != m350::kOk)
        return;
    // A read that fails keeps the defaults, silently.
    if (m350::runOperation(link_, m350::kOpReadConfig, iface, [&](m350::Link& l) {
            return m350::readConfig(l, scratch);
        }) != m350::kOk)
        return;
    configPage_->replaceRecord(scratch);
}

}  // namespace m350::gui
