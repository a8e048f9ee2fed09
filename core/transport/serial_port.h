// SPDX-License-Identifier: MIT
// The serial port's line settings as termios flags, kept apart from the open
// so they can be checked without a device.
#pragma once

#include <termios.h>

#include "core/transport/port_settings.h"

namespace m350 {

struct SerialLine {
    speed_t speed;
    tcflag_t cflagSet;  // CS7/CS8, PARENB, PARODD, CSTOPB, CRTSCTS
    tcflag_t iflagSet;  // INPCK, IXON, IXOFF
    bool raiseLines;    // RTS and DTR held on (or handed to the handshake)
};

// Maps the settings to the line: parity checking on for odd only;
// "None" handshake drops RTS and DTR; "RTS" and "RTS/CTS" both let CTS gate the
// output (the kernel has one hardware flow control); one and a half stop bits
// become two, the nearest the hardware offers.
SerialLine serialLineFor(const SerialSettings& s);

// Applies the line to a termios structure, keeping everything else raw.
void applySerialLine(const SerialLine& line, termios& t);

}  // namespace m350
