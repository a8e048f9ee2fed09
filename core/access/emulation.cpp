// SPDX-License-Identifier: MIT
#include "core/access/emulation.h"

#include "core/config/config_read.h"
#include "core/link/connection.h"
#include "core/link/link_operations.h"

namespace m350 {

std::string_view emulationName(int emulation) {
    switch (emulation) {
        case kEmulationZpl2:
            return "ZPL2";
        case kEmulationCpcl:
            return "CPCL";
        default:
            return {};
    }
}

int readEmulation(Link& link, int& emulation) {
    Connection c(link.ctx, link.iface);
    if (!c.open()) return kPortOpenError;
    if (c.announce() != kOk) return kTransmitError;
    std::string payload;
    const int r = c.report("ACT_EMULATION", payload);
    if (r == kOk) emulation = parseConfigInt(payload);
    return r;
}

}  // namespace m350
