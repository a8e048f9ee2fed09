// SPDX-License-Identifier: MIT
// The port texts of the main window's status bar.
#pragma once

#include <string>

#include "core/transport/port_settings.h"

namespace m350::gui {

// "COM1 9600,N,8,1 RTS ": port name, baud, parity letter, data bits, stop
// bits, handshake and the Xon/Xoff text (empty when off). A value outside a
// table shows what the port actually opens with (an unknown speed opens
// at 9600, an unknown handshake as RTS/CTS), never a text from past the
// end of the table.
// A device named by its path is shown instead of the port name.
std::string serialStatusText(const m350::SerialSettings& serial,
                             const std::string& devicePath = {});

}  // namespace m350::gui
