// SPDX-License-Identifier: MIT
// Command-line choices that preselect what the main window would otherwise
// default to, before its first contact with the printer.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <string>

namespace m350::gui {

struct StartupOptions {
    std::optional<int> interfaceIndex;   // --interface usb|com|lpt|ethernet
    std::optional<std::string> address;  // --address HOST[:PORT]
    std::optional<int> port;
    std::optional<std::string> comName;  // --com COMn (1..30)
    // --com /dev/ttyUSB0: a serial device named by its path.
    std::optional<std::string> comDevicePath;
    std::optional<std::string> lptName;  // --lpt LPTn (1..4)
    std::optional<int> language;         // --language INDEX (0..13)
    // --usb-device VID:PID[:SERIAL]|BUS-PATH|auto
    std::optional<std::string> usbDevice;
    // --reset-settings: forget what earlier runs remembered before starting.
    bool resetSettings = false;
    // --trace FILE: every byte of the links, one time-stamped line per event.
    std::optional<std::string> tracePath;
};

enum class ParseOutcome { kRun, kHelp, kVersion, kError };

// Parses the program's arguments (args[0] is the program). kHelp, kVersion
// and kError leave the text to print in message.
ParseOutcome parseStartupOptions(const QStringList& args, StartupOptions& out, QString& message);

}  // namespace m350::gui
