// SPDX-License-Identifier: MIT
// What the ports are opened with: the interfaces and their settings.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace m350 {

// Item index of the interface selector; every link operation takes one.
enum Interface : int { kUsb = 0, kCom = 1, kLpt = 2, kEthernet = 3 };

// The serial line's settings. Each enumeration keeps its values in a fixed
// order (the settings file stores them as those numbers); a value outside an
// enumeration opens the line as its "else" says.

// Line speeds, slowest first. kUnset chooses none: the line opens at 9600.
enum class BaudRate : int { k2400, k4800, k9600, k19200, k38400, k57600, k115200, kUnset };
// The speeds in bits per second, by BaudRate (kUnset has none).
inline constexpr std::array<int, 7> kBaudRates = {2400, 4800, 9600, 19200, 38400, 57600, 115200};
// Bits per second of a speed; 9600 for kUnset and values outside the enumeration.
int bitsPerSecond(BaudRate rate);

enum class DataBits : int { kSeven, kEight };    // else eight
enum class Parity : int { kNone, kOdd, kEven };  // odd is checked, even only sent; else none
enum class StopBits : int { kOne, kOneAndAHalf, kTwo };  // else one
enum class Handshake : int { kNone, kRts, kRtsCts };     // else as kRtsCts
enum class XonXoff : int { kOff, kOn };                  // else off

// Serial settings: a port name "COM1".."COM30" and the line.
struct SerialSettings {
    std::string portName = "COM1";
    BaudRate baud = BaudRate::k9600;
    DataBits dataBits = DataBits::kEight;
    Parity parity = Parity::kNone;
    StopBits stopBits = StopBits::kOne;
    Handshake handshake = Handshake::kRts;
    XonXoff xonXoff = XonXoff::kOff;
};

struct NetAddress {
    std::string address;  // host name or dotted address; empty means no printer
    int port = 9100;
};

// The current port settings, owned by whoever drives the link (the main window,
// the command-line tool) and read by the link at every open, so an edit takes
// effect with the next operation.
struct PortSettings {
    SerialSettings serial;
    std::string lptName = "LPT1";
    // Devices named by their paths (m350ctl --com /dev/ttyUSB0, --lpt
    // /dev/usb/lp0): opened instead of the devices of serial.portName and
    // lptName when not empty.
    std::string comDevicePath;
    std::string lptDevicePath;
    NetAddress net;
    // The USB device the operator named ("VID:PID[:SERIAL]" or a bus path
    // "1-1.4"); empty: the environment variable M350_USB, else the printer
    // printer list.
    std::string usbDevice;
    // Where the printer list is read from; empty: the system's and the
    // user's files (usb_printer_list.h).
    std::string usbListSystemFile;
    std::string usbListUserFile;
};

// name of the port kind of an interface index ("USB", "COM", "LPT", "NET").
std::string_view interfaceAnnouncementName(int iface);

}  // namespace m350
