// SPDX-License-Identifier: MIT
// A file fetched from the printer's memory, from a printer whose reply is
// arbitrary bytes: the content keeps to the receive buffer whatever the frame
// claims, and a failed fetch leaves nothing behind.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/files/file_fetch.h"
#include "core/link/link_operations.h"
#include "support/scripted_port.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    // The first byte chooses a small receive buffer, so the bound is reached
    // by inputs the fuzzer can write.
    const std::size_t capacity = 2 + data[0] * 16u;
    const std::string reply(reinterpret_cast<const char*>(data + 1), size - 1);
    m350test::ScriptedLink link({reply});
    std::string content = "left over";
    const int r = m350::runOperation(
        link.ctx(), m350::kOpFetchFile, m350::kCom,
        [&](m350::Link& l) { return m350::fetchFile(l, "Dump.txt", content, capacity); });
    if (content.size() > capacity - 2) std::abort();
    if (r != m350::kOk && content == "left over") std::abort();
    return 0;
}
