// SPDX-License-Identifier: MIT
// The external Bluetooth module on the printer's serial port, reached through
// the printer's pass-through mode: the module exchange every AT command uses,
// the serial switch into that mode (link operation 26), and the module's
// detection, name read-back and name/PIN write.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/config/config_record.h"
#include "core/link/link.h"

namespace m350 {

// What one exchange may collect. A module that sends this much without the
// marker (or without falling silent) is not answering the command: the
// exchange fails rather than reading on.
inline constexpr std::size_t kModuleCollectionBytes = 1024;

// One exchange: open the port, send command (repeat times; 0 counts as 1),
// then collect the bytes that come back, byte by byte, each within the
// module read limit (LinkTimeouts::moduleReadMs):
//  - with a marker, until the collection contains it; a read that fails first
//    fails the exchange (kReceiveError);
//  - without one, until a read fails; that ends the collection normally.
// A full collection fails either way (kReceiveError). The port is closed on
// every path. kOk, kPortOpenError, kTransmitError or kReceiveError; collected,
// when given, receives what arrived (also on failure).
int moduleExchange(Link& link, std::string_view command, std::optional<std::string_view> marker,
                   std::string* collected = nullptr, int repeat = 1);

// Link operation 26: the printer's serial port to 115200,N,8,1 and into the
// pass-through mode. kTransmitError when the switch exchange fails,
// kNotSupported when the printer does not confirm with "U".
int enterModuleMode(Link& link);

// The start of the module setup, inside the progress window (step mode): the
// printer's serial port switched and in pass-through mode (enterModuleMode,
// whose result is not looked at: a printer that does not confirm simply
// shows no module), then the module detected and read into record. Always kOk.
int setUpModule(Link& link, ConfigRecord& record);

// Sets extBtPresent to 1 when the module answers the detection, else 0;
// extWifiPresent is always 0 (the detection finds Bluetooth modules only).
// Returns the detection exchange's result.
int detectModule(Link& link, ConfigRecord& record);

// With extBtPresent 1: wakes the module and reads its name into extBtName
// (kept when the answer does not have the "+LN:" form) and empties
// extBtPinCode. kTransmitError when the name exchange fails; kOk otherwise,
// also when no module is present (nothing is sent then).
int readModule(Link& link, ConfigRecord& record);

// With extBtPresent 1: sets the module's name and PIN code from extBtName and
// extBtPinCode. kTransmitError at the first exchange that fails; kOk when
// both succeed or no module is present (nothing is sent then).
int writeModule(Link& link, const ConfigRecord& record);

// The name in a module's answer to AT+GLN: after optional white space the
// answer must start with "+LN:"; the name is the word after it, up to white
// space. nullopt when the answer does not have that form or names nothing.
std::optional<std::string> parseModuleName(std::string_view answer);

// The command lines of the module, as sent.
std::string moduleSetNameCommand(std::string_view name);
std::string moduleSetPinCommand(std::string_view pin);

inline constexpr std::string_view kModuleSwitchCommand = "SET COM1 115,N,8,1\r\n";
inline constexpr std::string_view kModuleDebugCommand = "DEBUG 4193,7,2\r\n";
inline constexpr std::string_view kModuleDetectCommand = "\r\rAT+STA\r";
inline constexpr std::string_view kModuleDetectMarker = "\r\n+STA:1\r\n";
inline constexpr std::string_view kModuleWakeCommand = "\r\r\r";
inline constexpr std::string_view kModuleNameCommand = "AT+GLN\r";
inline constexpr std::string_view kModuleDoneMarker = "\r\n1\r\n";

}  // namespace m350
