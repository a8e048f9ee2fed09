// SPDX-License-Identifier: MIT
// m350ctl's --hosts file on any bytes, in its line form and its discover JSON
// form: every printer it accepts has an address a connection can take and a
// port from 1 to 65535, and a refusal says why.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "cli/host_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<m350::NetAddress> hosts;
    std::string error;
    if (!m350::cli::parseHostList(text, hosts, error)) {
        if (error.empty()) std::abort();
        return 0;
    }
    for (const auto& a : hosts)
        if (a.address.empty() || a.address.size() > 63 || a.address == "0.0.0.0" || a.port < 1 ||
            a.port > 65535)
            std::abort();
    return 0;
}
