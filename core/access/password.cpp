// SPDX-License-Identifier: MIT
#include "core/access/password.h"

#include <cstdlib>
#include <string>

#include "core/input/input_checks.h"
#include "core/link/connection.h"
#include "core/link/link_operations.h"

namespace m350 {

bool passwordTextSendable(std::string_view text) {
    if (text.size() > kMaxPasswordLength || !quotable(text)) return false;
    for (unsigned char c : text)
        if (c > 0x7E) return false;
    return true;
}

int readPassword(Link& link, std::string& out) {
    out.clear();
    Connection c(link.ctx, link.iface);
    if (!c.open()) return kPortOpenError;
    if (int r = c.announce(); r != kOk) return r;
    std::string edition;
    if (int r = c.report("EDITION", edition); r != kOk) return r;
    // strtol reads like the printer's own number rule: blanks, sign, digits.
    if (std::strtol(edition.c_str(), nullptr, 10) <= kLastEditionWithoutPassword) return kOk;
    std::string password;
    if (int r = c.report("PASSWORD", password); r != kOk) return r;
    out = password;
    return kOk;
}

int setPassword(Link& link, const std::string& password) {
    // Refused before anything is opened: such a line would not be one command.
    if (!passwordTextSendable(password)) return kTransmitError;
    Connection c(link.ctx, link.iface);
    if (!c.open()) return kPortOpenError;
    const std::string line = "DIAGNOSTIC PASSWORD \"" + password + "\"\r\n";
    if (!c.write(line)) return kTransmitError;
    std::string reply;
    return c.readFrame(reply) ? kOk : kReceiveError;
}

}  // namespace m350
