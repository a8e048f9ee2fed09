// SPDX-License-Identifier: MIT
#include "core/files/raw_send.h"

#include "core/link/connection.h"
#include "core/link/link_operations.h"

namespace m350 {

int sendRaw(Link& link, std::string_view bytes) {
    Connection c(link.ctx, link.iface);
    if (!c.open()) return kPortOpenError;
    showProgress(link.ctx, kPercentMode, 3, 3);
    const bool ok = c.write(bytes);
    hideProgress(link.ctx);
    return ok ? kOk : kTransmitError;
}

}  // namespace m350
