#include "core/access/password.h"

#include <cstdlib>
#include <string>

#include "core/link/connection.h"
#include "core/link/link_operations.h"
#include "core/link/operation_bodies.h"

namespace m350 {

bool passwordTextSendable(std::string_view text) {
    if (text.size() > kMaxPasswordLength) return false;
    for (unsigned char c : text)
        if (c < 0x20 || c > 0x7E || c == '"') return false;
    return true;
}

// Link operation 2. Buffer: std::string (out), empty unless the printer has a
// password. The result is that of the last query made.
int readPasswordOperation(LinkContext& ctx, int iface, void* buffer, int) {
    auto* out = static_cast<std::string*>(buffer);
    if (out) out->clear();
    Connection c(ctx, iface);
    if (!c.open()) return kPortOpenError;
    if (int r = c.announce(); r != kOk) return r;
    std::string edition;
    if (int r = c.report("EDITION", edition); r != kOk) return r;
    // strtol reads like the printer's own number rule: blanks, sign, digits.
    if (std::strtol(edition.c_str(), nullptr, 10) <= kLastEditionWithoutPassword) return kOk;
    std::string password;
    if (int r = c.report("PASSWORD", password); r != kOk) return r;
    if (out) *out = password;
    return kOk;
}

// Link operation 3. Buffer: const std::string, the new password. The reply's
// content is not examined, only that a frame came.
int setPasswordOperation(LinkContext& ctx, int iface, void* buffer, int) {
    if (!buffer) return kTransmitError;
    const auto& password = *static_cast<const std::string*>(buffer);
    // Refused before anything is opened: such a line would not be one command.
    if (!passwordTextSendable(password)) return kTransmitError;
    Connection c(ctx, iface);
    if (!c.open()) return kPortOpenError;
    const std::string line = "DIAGNOSTIC PASSWORD \"" + password + "\"\r\n";
    if (!c.write(line)) return kTransmitError;
    std::string reply;
    return c.readFrame(reply) ? kOk : kReceiveError;
}

}  // namespace m350
