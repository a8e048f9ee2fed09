// SPDX-License-Identifier: MIT
// Whatever a printer sends, the read primitives end in a result, never a fault.
#include <cstddef>
#include <cstdint>
#include <string>

#include "support/scripted_port.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    // The first byte picks a small capacity so the length limits get exercised.
    std::size_t capacity = size ? 2 + data[0] % 64 : 1024;
    m350test::ScriptedLink frames({bytes});
    std::string payload;
    for (int i = 0; i < 64 && frames.conn().readFrame(payload, capacity); ++i) {
    }
    m350test::ScriptedLink lines({bytes});
    for (int i = 0; i < 64 && lines.conn().readLine(payload) && !payload.empty(); ++i) {
    }
    m350test::ScriptedLink joined({bytes});
    joined.conn().queryFrames("X\r\n", payload, capacity * 4);
    return 0;
}
