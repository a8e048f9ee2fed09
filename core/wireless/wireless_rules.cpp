// SPDX-License-Identifier: MIT
#include "core/wireless/wireless_rules.h"

#include <cctype>

#include "core/link/link_operations.h"

namespace m350 {

namespace {

// UTF-8 continuation bytes do not start a character.
std::size_t characterCount(std::string_view utf8) {
    std::size_t n = 0;
    for (unsigned char c : utf8)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

bool allAscii(std::string_view utf8) {
    for (unsigned char c : utf8)
        if (c > 0x7F) return false;
    return true;
}

bool allHex(std::string_view utf8) {
    for (unsigned char c : utf8)
        if (!std::isxdigit(c)) return false;
    return true;
}

}  // namespace

WirelessKeyVerdict checkWirelessKey(WirelessEncryption encryption, std::string_view key) {
    using E = WirelessEncryption;
    const std::size_t length = characterCount(key);
    if (encryption == E::kWep1 || encryption == E::kWep2 || encryption == E::kWep3 ||
        encryption == E::kWep4) {
        // WEP keys: 5 or 13 characters of text, or 10 or 26 hexadecimal digits.
        if (length == 5 || length == 13)
            return allAscii(key) ? WirelessKeyVerdict::kPass : WirelessKeyVerdict::kFormatInvalid;
        if (length == 10 || length == 26)
            return allHex(key) ? WirelessKeyVerdict::kPass : WirelessKeyVerdict::kFormatInvalid;
        return WirelessKeyVerdict::kLengthInvalid;
    }
    if (encryption == E::kWpaPersonal) {
        // A passphrase of 8 to 63 characters, or the 64-digit key itself.
        if (length >= 8 && length <= 63) return WirelessKeyVerdict::kPass;
        if (length == 64 && allHex(key)) return WirelessKeyVerdict::kPass;
        return WirelessKeyVerdict::kRefused;
    }
    return WirelessKeyVerdict::kPass;
}

std::string_view wirelessKeyMessage(WirelessKeyVerdict verdict) {
    switch (verdict) {
        case WirelessKeyVerdict::kFormatInvalid:
            return "The format is not valid!!";
        case WirelessKeyVerdict::kLengthInvalid:
            return "The length is invalid!!";
        default:
            return {};
    }
}

bool certificateNameFits(std::string_view path) {
    const std::size_t slash = path.find_last_of('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    return characterCount(name) < 13;
}

std::string ftpPathWithSlashes(std::string path) {
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

// Link operation 33: the wireless module back to its factory settings. No
// reply is read.
int wirelessFactoryDefault(Link& link) {
    return sendCommand(link, "WLAN DEFAULT\r\n");
}

}  // namespace m350
