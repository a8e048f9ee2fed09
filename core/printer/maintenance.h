// SPDX-License-Identifier: MIT
// One-shot printer commands: a fixed request, no reply. Each opens its own
// connection on the link and returns kOk, kPortOpenError or kTransmitError.
#pragma once

#include "core/link/link.h"

namespace m350 {

int factoryDefault(Link& link);   // link operation 5: INITIALPRINTER
int printSelfTest(Link& link);    // 7: SELFTEST, the configuration page
int resetPrinter(Link& link);     // 11: ESC !R
int ignoreAutoStart(Link& link);  // 17: ESC !C, skip AUTO.BAS at the next start
int exitLineMode(Link& link);     // 25: ESC Z CR LF
// 30: the active emulation, 0 for ZPL2 (ESC Z) and any other value for CPCL
// (ESC Y).
int switchEmulation(Link& link, int emulation);

}  // namespace m350
