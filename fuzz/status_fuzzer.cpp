// SPDX-License-Identifier: MIT
// The status query against a printer whose two replies (the status byte and
// the extended status) are arbitrary bytes, split at the first NUL.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/link/link_operations.h"
#include "core/printer/status.h"
#include "support/scripted_port.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> replies = m350test::repliesSplitAtNul(data, size, 4);
    m350test::ScriptedLink link(replies);
    m350::StatusFlags flags{};
    m350::runOperation(link.ctx(), m350::kOpStatus, m350::kCom,
                       [&](m350::Link& l) { return m350::readStatus(l, flags); });
    // Every flag set from any reply must name a status text.
    (void)m350::statusTextKeyFor(flags);
    if (size > 0) {
        m350::setFlagsFromStatusByte(flags, data[0]);
        m350::setRibbonFlagsFromExtended(flags, data[size - 1]);
        (void)m350::statusTextKeyFor(flags);
    }
    return 0;
}
