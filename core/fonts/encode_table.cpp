// SPDX-License-Identifier: MIT
#include "core/fonts/encode_table.h"

#include <algorithm>

#include "core/files/local_file.h"
#include "core/fonts/code_pages.h"
#include "core/i18n/text_encoding.h"

namespace m350 {

namespace {

void addOnce(std::vector<std::string>& list, std::string item) {
    if (std::find(list.begin(), list.end(), item) == list.end()) list.push_back(std::move(item));
}

// Bytes of the UTF-8 sequence that starts with b (1 for a stray byte).
std::size_t utf8Length(unsigned char b) {
    if (b >= 0xF0 && b < 0xF8) return 4;
    if (b >= 0xE0) return b < 0xF0 ? 3 : 1;
    if (b >= 0xC0) return 2;
    return 1;
}

bool isLeadByte(unsigned char b, int asianEncoding) {
    if (asianEncoding == 3)  // Shift_JIS: A0..DF are half-width katakana
        return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    return b >= 0x81 && b <= 0xFE;
}

}  // namespace

std::optional<std::string> convertTable(std::string_view raw) {
    if (raw.size() > kMaxTableBytes) return std::nullopt;
    const std::size_t nul = raw.find('\0');
    if (nul != std::string_view::npos) raw = raw.substr(0, nul);
    std::string out;
    out.reserve(raw.size());
    for (char c : raw)
        if (static_cast<unsigned char>(c) >= 0x20) out.push_back(c);
    return out;
}

std::optional<std::string> readTableFile(const std::string& path, std::string* why) {
    std::string data, reason;
    if (!readLocalFile(path, kMaxTableBytes, data, reason)) {
        if (why) *why = reason;
        return std::nullopt;
    }
    return data;
}

std::string tableCodePage(bool doubleByte, int asianEncoding,
                          const std::string& singleByteCodePage) {
    return doubleByte ? std::string(asianCodePage(asianEncoding)) : singleByteCodePage;
}

EncodedTable encodeTableText(std::string_view utf8, const std::string& codePage) {
    // One line break form first: CR LF, as the file and the memo's lines have.
    std::string text;
    text.reserve(utf8.size() + utf8.size() / 16);
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (utf8[i] == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') continue;
        if (utf8[i] == '\n') text.push_back('\r');
        text.push_back(utf8[i]);
    }
    EncodedTable out;
    if (std::optional<std::string> whole = encodeText(text, codePage)) {
        out.bytes = std::move(*whole);
        return out;
    }
    // Character by character: what the code page holds goes in, the rest is
    // listed.
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n =
            std::min(utf8Length(static_cast<unsigned char>(text[i])), text.size() - i);
        const std::string ch = text.substr(i, n);
        if (std::optional<std::string> b = encodeText(ch, codePage))
            out.bytes += *b;
        else
            addOnce(out.unheld, ch);
        i += n;
    }
    return out;
}

std::string decodeTableText(std::string_view bytes, const std::string& codePage) {
    return decodeText(bytes, codePage);
}

std::string doubleByteTableCodes(std::string_view converted, int asianEncoding,
                                 std::vector<std::string>* singles) {
    const std::string codePage(asianCodePage(asianEncoding));
    std::string codes;
    codes.reserve(converted.size());
    for (std::size_t i = 0; i < converted.size();) {
        const auto b = static_cast<unsigned char>(converted[i]);
        if (isLeadByte(b, asianEncoding) && i + 1 < converted.size()) {
            codes.append(converted.substr(i, 2));
            i += 2;
            continue;
        }
        if (singles) addOnce(*singles, decodeText(converted.substr(i, 1), codePage));
        ++i;
    }
    return codes;
}

}  // namespace m350
