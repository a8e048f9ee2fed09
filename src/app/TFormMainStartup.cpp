// The first contact with the printer while the main window is built: no
// progress window, no message, and a printer that is not there costs only
// the failed open.
#include "app/TFormMain.h"
#include "link/LinkOperations.h"

void TFormMain::FirstContact() {
    const int iface = interfaceIndex();
    if (m350::RunLinkOperation(link_, m350::kOpConnectionTest, iface, nullptr, 0) != m350::kOk)
        return;
    // The configuration read joins here: fill a scratch record with the
    // defaults now, before exit line mode.
    if (m350::RunLinkOperation(link_, m350::kOpExitLineMode, iface, nullptr, 0) != m350::kOk)
        return;
    // Then link operation 1 with extra 0 into the scratch record; on result
    // 0 the scratch record replaces the window's record and is shown. Any
    // other result keeps the defaults, silently.
}
