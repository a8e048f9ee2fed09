// SPDX-License-Identifier: MIT
// A configuration read against a printer whose replies are arbitrary bytes:
// every reply is split off at a NUL, so the fuzzer controls each frame.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/config/config_read.h"
#include "core/config/config_record.h"
#include "core/link/link_operations.h"
#include "link_replies.h"
#include "support/scripted_port.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    m350test::ScriptedLink link(repliesOf(data, size));
    m350::ConfigRecord record;
    m350::runOperation(link.ctx(), m350::kOpReadConfig, m350::kCom,
                       [&](m350::Link& l) { return m350::readConfig(l, record); });
    return 0;
}
