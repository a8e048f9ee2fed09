// SPDX-License-Identifier: MIT
// Loading any file as a configuration file gives a result, never a fault.
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/config/config_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    m350::ConfigFileContents out;
    if (m350::decodeConfigFile(std::span(data, size), out) == m350::ConfigFileResult::kOk) {
        // What loads must save back to the same image.
        auto image = m350::encodeConfigFile(out);
        (void)image;
    }
    return 0;
}
