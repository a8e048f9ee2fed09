// Raw send: the caller's bytes as they are, with the progress window following
// the write in percent mode.
#include "core/link/connection.h"
#include "core/link/link_operations.h"
#include "core/link/operation_bodies.h"

namespace m350 {

int rawSendOperation(LinkContext& ctx, int iface, void* buffer, int extra) {
    if (extra < 0 || (extra > 0 && !buffer)) return kTransmitError;
    Connection c(ctx, iface);
    if (!c.open()) return kPortOpenError;
    showProgress(ctx, kPercentMode, 3, 3);
    bool ok = c.write(buffer, static_cast<std::size_t>(extra));
    hideProgress(ctx);
    return ok ? kOk : kTransmitError;
}

}  // namespace m350
