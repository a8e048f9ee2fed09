// SPDX-License-Identifier: MIT
// The emulated command language the printer has active besides its own.
#pragma once

#include <string_view>

#include "core/link/link.h"

namespace m350 {

enum Emulation : int { kEmulationZpl2 = 0, kEmulationCpcl = 1 };

// "ZPL2" or "CPCL"; empty for any other value.
std::string_view emulationName(int emulation);

// Link operation 29: the announcement (any failure of it gives
// kTransmitError), then ACT_EMULATION read as a decimal integer. The parallel
// port is refused by the link entry.
int readEmulation(Link& link, int& emulation);

// Link operation 30 is switchEmulation (core/printer/maintenance.h).

}  // namespace m350
