// SPDX-License-Identifier: MIT
// The connection options of m350ctl, mirroring the window's interface selector
// and its serial and parallel set-up dialogs: --usb (the default) or
// --usb-device VID:PID[:SERIAL]|BUS-PATH, --com COMn|PATH with the line
// settings, --lpt LPTn|PATH, --net HOST[:PORT].
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/transport/port_settings.h"

namespace CLI {
class App;
}

namespace m350::cli {

struct PortChoice {
    int iface = m350::kUsb;
    m350::PortSettings settings;
};

class PortOptions {
  public:
    // Registers the options on the top-level command; with fallthrough they may
    // also follow the command name.
    void addTo(CLI::App& app);
    // The interface and port settings the parsed options name.
    PortChoice result() const;

  private:
    bool usb_ = false;
    std::string usbDevice_;
    std::string com_;
    std::string lpt_;
    std::string net_;
    m350::SerialSettings serial_;  // the line options; the port name is com_
};

// "COM3", "com3" -> "COM3" when the number is 1..maxNumber; nullopt otherwise.
std::optional<std::string> normalizePortName(std::string_view text, std::string_view prefix,
                                             int maxNumber);

// normalizePortName, or an absolute device path ("/dev/ttyUSB0") as it is
// (PortChoice keeps a path in PortSettings::comDevicePath or lptDevicePath).
std::optional<std::string> portNameOrPath(std::string_view text, std::string_view prefix,
                                          int maxNumber);

// "host", "host:9101", "[::1]:9100" -> address and port (9100 when none is
// given). Host names are letters, digits, '.', '-', '_' up to 63 characters;
// the bracketed form takes an IPv6 address.
std::optional<m350::NetAddress> parseNetAddress(std::string_view text);

}  // namespace m350::cli
