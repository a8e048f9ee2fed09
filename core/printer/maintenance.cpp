// SPDX-License-Identifier: MIT
#include "core/printer/maintenance.h"

#include "core/link/link_operations.h"

namespace m350 {

int factoryDefault(Link& link) {
    return sendCommand(link, "INITIALPRINTER\r\n");
}
int printSelfTest(Link& link) {
    return sendCommand(link, "SELFTEST\r\n");
}
int resetPrinter(Link& link) {
    return sendCommand(link, "\x1B!R");
}
int ignoreAutoStart(Link& link) {
    return sendCommand(link, "\x1B!C");
}
int exitLineMode(Link& link) {
    return sendCommand(link, "\x1BZ\r\n");
}

int switchEmulation(Link& link, int emulation) {
    return sendCommand(link, emulation != 0 ? "\x1BY" : "\x1BZ");
}

}  // namespace m350
