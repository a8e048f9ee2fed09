// SPDX-License-Identifier: MIT
// usb allow and usb forget: a printer put in (or taken out of) the system's
// printer list, with the local udev rule that lets users open it. Every place
// they touch is in UsbAllowPlaces, so tests run them on a temporary tree with
// a fake udevadm.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/transport/usb_printer_list.h"

namespace m350::cli {

// The rule file usb allow writes; it sorts before the seat rules, which must
// see the uaccess tag.
inline constexpr const char* kAllowedRulesName = "61-m350-allowed.rules";

struct UsbAllowPlaces {
    std::string listFile;  // empty: the system's list (systemUsbListPath)
    std::string rulesDir;  // empty: $M350_UDEV_RULES_DIR, else /etc/udev/rules.d
    // Runs a program with its arguments (udevadm ...) and gives its exit
    // status, -1 when it could not be started. Empty: $M350_UDEVADM, else
    // udevadm, looked up in PATH.
    std::function<int(const std::vector<std::string>&)> run;
    bool root = false;  // whether the caller may change system files
};

// The places of this system, root as the effective user is.
UsbAllowPlaces systemAllowPlaces();

struct UsbAllowOutcome {
    int exitCode = 0;
    std::string out;  // what was done and what to do next
    std::string err;  // why it failed
};

// The udev line for one printer: the seat's user may open it (uaccess), and
// the group, when one is given, too (mode 0660).
std::string allowedRuleLine(const UsbListEntry& entry, const std::string& group);

// Whether a group name can go into a rule: letters, digits, "_", "-", not
// starting with a digit or "-", at most 32 characters.
bool isGroupName(std::string_view name);

UsbAllowOutcome allowUsbPrinter(const UsbListEntry& entry, const std::string& group,
                                const UsbAllowPlaces& places);
UsbAllowOutcome forgetUsbPrinter(const UsbListEntry& entry, const UsbAllowPlaces& places);

}  // namespace m350::cli
