// SPDX-License-Identifier: MIT
// A .dcf file all the way to the command lines it would send: whatever loads
// must give command lines that each end at their own CR LF, carry no other
// control byte, and close every quote they open, so no text from a file can end its
// argument early or start a command of its own.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "core/config/config_file.h"
#include "core/config/config_write.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The fuzzer changes the record only; the header is always that of a good
    // file, so every input reaches the field checks and the lines.
    std::string image(m350::kConfigFileSize, '\0');
    const std::uint8_t head[12] = {0xAA, 0x55, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0};
    std::copy(head, head + 12, image.begin());
    if (size > 0) image[8] = static_cast<char>(data[0] & 1);
    for (std::size_t i = 1; i < size && 11 + i < image.size(); ++i)
        image[11 + i] = static_cast<char>(data[i]);
    m350::ConfigFileContents out;
    if (m350::decodeConfigFile(
            std::span(reinterpret_cast<const std::uint8_t*>(image.data()), image.size()), out) !=
        m350::ConfigFileResult::kOk)
        return 0;
    m350::ConfigRecord record = out.record;
    record.setByte(m350::Field::inchUnits, out.unit == 0 ? 1 : 0);
    for (int page = 0; page <= 6; ++page) {
        // An entry may hold several command lines, each ended by CR LF.
        for (const std::string& entry : m350::configPageLines(record, page)) {
            check(entry.size() >= 2 && entry.compare(entry.size() - 2, 2, "\r\n") == 0);
            std::size_t start = 0;
            while (start < entry.size()) {
                const std::size_t end = entry.find("\r\n", start);
                check(end != std::string::npos);
                int quotes = 0;
                for (std::size_t i = start; i < end; ++i) {
                    const auto c = static_cast<unsigned char>(entry[i]);
                    // STX, DLE, RS and a bare CR frame the emulations' own
                    // commands; they come from the program, never from a field.
                    check((c >= 0x20 && c != 0x7F) || c == 0x02 || c == 0x0D || c == 0x10 ||
                          c == 0x1E);
                    if (c == '"') ++quotes;
                }
                check(quotes % 2 == 0);
                start = end + 2;
            }
        }
    }
    return 0;
}
