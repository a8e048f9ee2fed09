// The first contact with the printer while the main window is built: no
// progress window, no message, and a printer that is not there costs only
// the failed open.
#include "gui/main_window.h"
#include "gui/pages/config_page.h"
#include "core/link/link_operations.h"

namespace m350::gui {

void MainWindow::firstContact() {
    const int iface = interfaceIndex();
    if (m350::runLinkOperation(link_, m350::kOpConnectionTest, iface, nullptr, 0) != m350::kOk)
        return;
    m350::ConfigRecord scratch;
    scratch.reset();
    if (m350::runLinkOperation(link_, m350::kOpExitLineMode, iface, nullptr, 0) != m350::kOk)
        return;
    // A read that fails keeps the defaults, silently.
    if (m350::runLinkOperation(link_, m350::kOpReadConfig, iface, &scratch, 0) != m350::kOk)
        return;
    configPage->replaceRecord(scratch);
}

}  // namespace m350::gui
