// SPDX-License-Identifier: MIT
// Which USB devices the program takes for a printer without being told: the
// printer list. It is read at every open from the system's file (installed
// with the package, edited by `m350ctl usb allow` and `usb forget`) and then
// the user's own file, in that order. Each entry is a vendor identifier, or a
// vendor and product, or a vendor, product and serial number; the entries are
// searched one after the other over the whole device list, so the list order
// decides before the order the system enumerates the devices in.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/transport/usb_backend.h"

namespace m350 {

struct UsbListEntry {
    std::uint16_t vendorId = 0;
    std::optional<std::uint16_t> productId;  // none: any product of the vendor
    std::string serial;                      // empty: any serial number

    bool operator==(const UsbListEntry&) const = default;
};

// Where the list is read from. Empty fields take the defaults below.
struct UsbListFiles {
    std::string system;
    std::string user;
};

// The system's file, unless the environment variable names another.
inline constexpr const char* kUsbListSystemFile = "/etc/m350/usb-printers";
inline constexpr const char* kUsbListFileVariable = "M350_USB_PRINTERS";

std::string systemUsbListPath(const UsbListFiles& files = {});
// $XDG_CONFIG_HOME/m350/usb-printers, else ~/.config/m350/usb-printers;
// empty when neither is known.
std::string userUsbListPath(const UsbListFiles& files = {});

// A USB identifier written as one to four hexadecimal digits.
bool parseHex16(std::string_view text, std::uint16_t& out);
// A USB identifier as four lowercase hexadecimal digits ("1a2b").
std::string usbIdText(std::uint16_t id);

// The longest serial number a USB string descriptor holds.
inline constexpr std::size_t kMaxUsbSerialLength = 126;

// One entry: "1234", "1234:5678" or "1234:5678:SERIAL" (hexadecimal
// identifiers). A serial number may not hold quotes, backslashes, the
// wildcard characters * ? [ ] | or control characters: it goes into udev
// rules, where they would match other devices.
std::optional<UsbListEntry> parseUsbListEntry(std::string_view text);

// The entries of a list file: one a line, blanks and "#" comments ignored.
// A line that is not an entry is skipped and, when problems is given,
// reported there as "LINE: TEXT".
std::vector<UsbListEntry> parseUsbList(std::string_view text,
                                       std::vector<std::string>* problems = nullptr);

// The system's entries then the user's, each entry once (its first place).
// A file that cannot be read adds nothing.
std::vector<UsbListEntry> loadUsbList(const UsbListFiles& files = {});

// "1234", "1234:5678", "1234:5678:SERIAL".
std::string usbListEntryText(const UsbListEntry& entry);

bool usbListEntryMatches(const UsbDeviceDescription& device, const UsbListEntry& entry);

// The stand-in identifiers of the printers' own make as entries, in their
// order: what the installed list file shows as its example.
std::vector<UsbListEntry> exampleUsbList();

}  // namespace m350
