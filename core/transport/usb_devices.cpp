// SPDX-License-Identifier: MIT
// Which USB device is the printer, and which of its interfaces to drive.
#include <algorithm>
#include <cstdlib>

#include "core/transport/usb_backend.h"
#include "core/transport/usb_printer_list.h"

namespace m350 {

namespace {

constexpr std::size_t kMaxPortDepth = 7;  // hubs allowed in one chain

bool isNumber(std::string_view text) {
    return !text.empty() && text.size() <= 3 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "1-1.4": a bus number, a dash, port numbers joined by dots.
bool isBusPath(std::string_view text) {
    const auto dash = text.find('-');
    if (dash == std::string_view::npos || !isNumber(text.substr(0, dash))) return false;
    std::string_view ports = text.substr(dash + 1);
    std::size_t depth = 0;
    for (;;) {
        const auto dot = ports.find('.');
        if (!isNumber(ports.substr(0, dot)) || ++depth > kMaxPortDepth) return false;
        if (dot == std::string_view::npos) return true;
        ports = ports.substr(dot + 1);
    }
}

}  // namespace

std::optional<UsbDeviceChoice> parseUsbDeviceChoice(std::string_view text) {
    UsbDeviceChoice choice;
    if (isBusPath(text)) {
        choice.busPath = std::string(text);
        return choice;
    }
    const auto first = text.find(':');
    if (first == std::string_view::npos) return std::nullopt;
    const auto second = text.find(':', first + 1);
    const std::string_view product = text.substr(
        first + 1, second == std::string_view::npos ? std::string_view::npos : second - first - 1);
    if (!parseHex16(text.substr(0, first), choice.vendorId) ||
        !parseHex16(product, choice.productId))
        return std::nullopt;
    if (second != std::string_view::npos) {
        const std::string_view serial = text.substr(second + 1);
        if (serial.empty() || serial.size() > kMaxUsbSerialLength) return std::nullopt;
        for (char c : serial)
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return std::nullopt;
        choice.serial = std::string(serial);
    }
    return choice;
}

bool isUsbDeviceOption(std::string_view text) {
    return text == kUsbDeviceAuto || parseUsbDeviceChoice(text).has_value();
}

std::string namedUsbDevice(const std::string& given) {
    if (given == kUsbDeviceAuto) return {};
    if (!given.empty()) return given;
    const char* env = std::getenv(kUsbDeviceVariable);
    return env ? std::string(env) : std::string();
}

bool usbDeviceMatches(const UsbDeviceDescription& device, const UsbDeviceChoice& choice) {
    if (!choice.busPath.empty()) return device.busPath == choice.busPath;
    if (device.vendorId != choice.vendorId || device.productId != choice.productId) return false;
    return choice.serial.empty() || device.serial == choice.serial;
}

const UsbInterfaceDescription* choosePrinterInterface(const UsbDeviceDescription& device) {
    const UsbInterfaceDescription* printerOutOnly = nullptr;
    for (const auto& i : device.interfaces) {
        if (i.interfaceClass != kUsbPrinterClass || i.bulkOut < 0) continue;
        // A bidirectional printer interface answers status queries; a
        // unidirectional one can still take downloads.
        if (i.bulkIn >= 0) return &i;
        if (!printerOutOnly) printerOutOnly = &i;
    }
    if (printerOutOnly) return printerOutOnly;
    for (const auto& i : device.interfaces) {
        if (i.bulkIn >= 0 && i.bulkOut >= 0) return &i;
    }
    return nullptr;
}

UsbSelection selectUsbPrinter(const std::vector<UsbDeviceDescription>& devices,
                              std::string_view named, const std::vector<UsbListEntry>& list) {
    UsbSelection out;
    if (!named.empty()) {
        const std::optional<UsbDeviceChoice> choice = parseUsbDeviceChoice(named);
        if (!choice) {
            out.pick = UsbPick::kBadName;
            return out;
        }
        int match = -1;
        for (std::size_t n = 0; n < devices.size(); ++n) {
            if (!usbDeviceMatches(devices[n], *choice)) continue;
            // Two identical printers and no serial number to tell them apart:
            // taking either could talk to the wrong one.
            if (match >= 0) {
                out.pick = UsbPick::kNamedAmbiguous;
                return out;
            }
            match = static_cast<int>(n);
        }
        if (match < 0) {
            out.pick = UsbPick::kNamedAbsent;
        } else if (!choosePrinterInterface(devices[static_cast<std::size_t>(match)])) {
            out.pick = UsbPick::kNamedUnusable;
        } else {
            out.pick = UsbPick::kFound;
            out.index = match;
        }
        return out;
    }
    for (const UsbListEntry& entry : list) {
        for (std::size_t n = 0; n < devices.size(); ++n) {
            if (usbListEntryMatches(devices[n], entry) && choosePrinterInterface(devices[n])) {
                out.pick = UsbPick::kFound;
                out.index = static_cast<int>(n);
                return out;
            }
        }
    }
    return out;
}

int findPrinterDevice(const std::vector<UsbDeviceDescription>& devices,
                      const std::vector<UsbListEntry>& list) {
    return selectUsbPrinter(devices, {}, list).index;
}

}  // namespace m350
