// SPDX-License-Identifier: MIT
// The USB device the operator named for the window (--usb-device), kept
// between runs so that a printer of another make need be named only once.
#pragma once

#include <optional>
#include <string>

class QSettings;

namespace m350::gui {

// The device text the window's port settings start with. An option names a
// device and is remembered, or says "auto" and forgets the remembered one.
// Without an option the remembered device applies, unless M350_USB names one
// for this run (an empty result leaves the choice to M350_USB and the
// vendor identifiers).
std::string startupUsbDevice(const std::optional<std::string>& option, QSettings& store);

// Keeps the device chosen in USB Setup as --usb-device would; empty (the
// automatic choice) forgets it.
void rememberUsbDevice(const std::string& device, QSettings& store);

}  // namespace m350::gui
