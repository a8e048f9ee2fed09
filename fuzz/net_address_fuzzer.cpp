// SPDX-License-Identifier: MIT
// m350ctl's --net HOST[:PORT] parser on any text: an address it accepts has a
// host of at most 63 characters and a port from 1 to 65535.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "cli/port_options.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto a = m350::cli::parseNetAddress(text)) {
        if (a->address.empty() || a->address.size() > 63 || a->port < 1 || a->port > 65535)
            std::abort();
    }
    return 0;
}
