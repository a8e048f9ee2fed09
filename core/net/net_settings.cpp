// SPDX-License-Identifier: MIT
#include "core/net/net_settings.h"

#include "core/input/input_checks.h"
#include "core/link/connection.h"
#include "core/link/link_operations.h"

namespace m350 {

namespace {
// Each network report is read into a buffer of this size.
constexpr std::size_t kNetReplyCapacity = 2048;
}  // namespace

std::string netText(std::string_view text) {
    return std::string(text.substr(0, kNetTextMax));
}

bool netTextSendable(std::string_view text) {
    if (text.size() > kNetTextMax || !quotable(text)) return false;
    for (unsigned char c : text)
        if (c > 0x7E) return false;
    return true;
}

int readNetSettings(Link& link, NetSettings& out) {
    NetSettings r;
    Connection c(link.ctx, link.iface);
    if (!c.open()) return kPortOpenError;
    if (int rc = c.announce(); rc != kOk) return rc;
    std::string payload;
    auto get = [&](std::string_view key, std::string& into) {
        payload.clear();
        const int rc = c.report(key, payload, kNetReplyCapacity);
        if (rc == kOk) into = netText(payload);
        return rc;
    };
    if (int rc = get("CONFIGIP", r.ip); rc != kOk) return rc;
    r.dhcp = payload == "0.0.0.0";
    if (int rc = get("GATEWAY", r.gateway); rc != kOk) return rc;
    if (int rc = get("IPMASK", r.mask); rc != kOk) return rc;
    if (int rc = get("LASTUSEDIP", r.currentIp); rc != kOk) return rc;
    // Older printers know no name; the rest still counts.
    if (get("NETNAME", r.name) == kOk) {
        if (get("MACADDR", r.mac) != kOk) r.mac.clear();
    } else {
        r.name.clear();
    }
    out = r;
    return kOk;
}

int writeNetAddress(Link& link, const NetSettings& s) {
    std::string line;
    if (s.dhcp) {
        line = "NET DHCP\r\n";
    } else {
        if (!netTextSendable(s.ip) || !netTextSendable(s.mask) || !netTextSendable(s.gateway))
            return kTransmitError;
        line = "NET IP \"" + s.ip + "\",\"" + s.mask + "\",\"" + s.gateway + "\"\r\n";
    }
    return sendCommand(link, line);
}

int writeNetName(Link& link, const NetSettings& s) {
    if (!netTextSendable(s.name)) return kTransmitError;
    return sendCommand(link, "NET NAME \"" + s.name + "\"\r\n");
}

}  // namespace m350
