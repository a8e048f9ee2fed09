// SPDX-License-Identifier: MIT
// What the ports are opened with: the interfaces and their settings.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace m350 {

// Item index of the interface selector; every link operation takes one.
enum Interface : int { kUsb = 0, kCom = 1, kLpt = 2, kEthernet = 3 };

// Serial settings: a port name "COM1".."COM30" and six list indexes.
struct SerialSettings {
    std::string portName = "COM1";
    int baud = 2;       // 0 2400, 1 4800, 2 9600, 3 19200, 4 38400, 5 57600, 6 115200, else 9600
    int dataBits = 1;   // 0 seven bits, 1 eight bits, else eight
    int parity = 0;     // 0 none, 1 odd (checked), 2 even (not checked), else none
    int stopBits = 0;   // 0 one, 1 one and a half, 2 two, else one
    int handshake = 1;  // 0 none, 1 RTS, 2 RTS/CTS, else as 2
    int xonXoff = 0;    // 0 off, 1 on, else off
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
