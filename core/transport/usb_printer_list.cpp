// SPDX-License-Identifier: MIT
#include "core/transport/usb_printer_list.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "core/input/line_text.h"

namespace m350 {

namespace {

constexpr std::size_t kMaxListFileSize = 1 << 20;

bool safeSerialChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x21 || u == 0x7F) return false;  // control characters and blanks
    return std::string_view("\"\\*?[]|").find(c) == std::string_view::npos;
}

std::string readListFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::string text(kMaxListFileSize, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

}  // namespace

std::string usbIdText(std::uint16_t id) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04x", id);
    return buf;
}

bool parseHex16(std::string_view text, std::uint16_t& out) {
    if (text.empty() || text.size() > 4) return false;
    unsigned value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    out = static_cast<std::uint16_t>(value);
    return true;
}

std::string systemUsbListPath(const UsbListFiles& files) {
    if (!files.system.empty()) return files.system;
    const char* env = std::getenv(kUsbListFileVariable);
    return env && *env ? std::string(env) : std::string(kUsbListSystemFile);
}

std::string userUsbListPath(const UsbListFiles& files) {
    if (!files.user.empty()) return files.user;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg == '/') return std::string(xdg) + "/m350/usb-printers";
    const char* home = std::getenv("HOME");
    if (home && *home == '/') return std::string(home) + "/.config/m350/usb-printers";
    return {};
}

std::optional<UsbListEntry> parseUsbListEntry(std::string_view text) {
    UsbListEntry entry;
    const auto first = text.find(':');
    if (!parseHex16(text.substr(0, first), entry.vendorId)) return std::nullopt;
    if (first == std::string_view::npos) return entry;
    const auto second = text.find(':', first + 1);
    std::uint16_t product = 0;
    if (!parseHex16(text.substr(first + 1, second == std::string_view::npos ? std::string_view::npos
                                                                            : second - first - 1),
                    product))
        return std::nullopt;
    entry.productId = product;
    if (second == std::string_view::npos) return entry;
    const std::string_view serial = text.substr(second + 1);
    if (serial.empty() || serial.size() > kMaxUsbSerialLength ||
        !std::all_of(serial.begin(), serial.end(), safeSerialChar))
        return std::nullopt;
    entry.serial = std::string(serial);
    return entry;
}

std::vector<UsbListEntry> parseUsbList(std::string_view text, std::vector<std::string>* problems) {
    std::vector<UsbListEntry> out;
    int lineNumber = 0;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++lineNumber;
        const auto hash = line.find('#');
        line = trimBlanks(line.substr(0, hash));
        if (line.empty()) continue;
        if (auto entry = parseUsbListEntry(line))
            out.push_back(*entry);
        else if (problems)
            problems->push_back(std::to_string(lineNumber) + ": " + std::string(line));
    }
    return out;
}

std::vector<UsbListEntry> loadUsbList(const UsbListFiles& files) {
    std::vector<UsbListEntry> out;
    for (const std::string& path : {systemUsbListPath(files), userUsbListPath(files)}) {
        if (path.empty()) continue;
        for (const UsbListEntry& e : parseUsbList(readListFile(path)))
            if (std::find(out.begin(), out.end(), e) == out.end()) out.push_back(e);
    }
    return out;
}

std::string usbListEntryText(const UsbListEntry& entry) {
    std::string s = usbIdText(entry.vendorId);
    if (entry.productId) s += ":" + usbIdText(*entry.productId);
    if (entry.productId && !entry.serial.empty()) s += ":" + entry.serial;
    return s;
}

bool usbListEntryMatches(const UsbDeviceDescription& device, const UsbListEntry& entry) {
    if (device.vendorId != entry.vendorId) return false;
    if (entry.productId && device.productId != *entry.productId) return false;
    return entry.serial.empty() || device.serial == entry.serial;
}

std::vector<UsbListEntry> exampleUsbList() {
    std::vector<UsbListEntry> out;
    for (std::uint16_t v : kPrinterVendorIds) out.push_back({v, std::nullopt, {}});
    return out;
}

}  // namespace m350
