// SPDX-License-Identifier: MIT
// Printer text in each offered encoding: decoding arbitrary bytes gives valid
// UTF-8, every undefined byte is handed over exactly once, and in the
// single-byte code pages and UTF-8 what is shown encodes back to the very
// bytes the printer sent (what the operator reads is what the printer gets).
// Typed text (the same bytes as UTF-8) either encodes or names what does not fit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/i18n/text_encoding.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

bool validUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t n = c < 0x80         ? 1
                        : (c >> 5) == 6  ? 2
                        : (c >> 4) == 14 ? 3
                        : (c >> 3) == 30 ? 4
                                         : 0;
        if (n == 0 || i + n > s.size()) return false;
        std::uint32_t cp = n == 1 ? c : c & (0x7F >> n);
        for (std::size_t k = 1; k < n; ++k) {
            const auto t = static_cast<unsigned char>(s[i + k]);
            if ((t & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (t & 0x3F);
        }
        const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < least[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += n;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const auto encodings = m350::offeredTextEncodings();
    const std::string_view encoding = encodings[data[0] % encodings.size()];
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    const std::string shown = m350::decodeText(bytes, encoding);
    check(validUtf8(shown));
    std::size_t undefined = 0;
    const std::string marked = m350::decodeText(bytes, encoding, [&](unsigned char) {
        ++undefined;
        return std::string();
    });
    check(validUtf8(marked));
    check(undefined <= bytes.size());

    const bool singleByte = encoding.substr(0, 2) == "CP" && encoding.size() == 6;
    if (undefined == 0 && (singleByte || encoding == m350::kUtf8Encoding)) {
        const auto back = m350::encodeText(shown, encoding);
        check(back && *back == bytes);
    }

    std::string unheld;
    const auto typed = m350::encodeText(bytes, encoding, &unheld);
    if (!typed && validUtf8(bytes)) check(!unheld.empty());
    if (typed && validUtf8(bytes)) check(validUtf8(m350::decodeText(*typed, encoding)));
    return 0;
}
