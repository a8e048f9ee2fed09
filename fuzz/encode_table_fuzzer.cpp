// SPDX-License-Identifier: MIT
// An encoding table typed or read from a file: its characters stop at the
// first NUL, hold no control byte, and a table too long is refused whole.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/fonts/encode_table.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    const auto table = m350::convertTable(raw);
    if (!table) {
        check(size > m350::kMaxTableBytes);
        return 0;
    }
    const std::string_view head = raw.substr(0, raw.find('\0'));
    check(table->size() <= head.size());
    std::size_t kept = 0;
    for (char c : head)
        if (static_cast<unsigned char>(c) >= 0x20) check((*table)[kept++] == c);
    check(kept == table->size());
    return 0;
}
