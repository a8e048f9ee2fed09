// SPDX-License-Identifier: MIT
#include "udp_responder.h"

#include <arpa/inet.h>

#include <cstdio>
#include <cstring>

namespace m350::sim {

namespace {

unsigned u8(const std::string& d, std::size_t at) {
    return at < d.size() ? static_cast<unsigned char>(d[at]) : 0u;
}

unsigned u16(const std::string& d, std::size_t at) {
    return u8(d, at) << 8 | u8(d, at + 1);
}

// Four bytes of a dotted address, 0.0.0.0 when the text is not one.
void putAddress(std::string& d, std::size_t at, const std::string& text) {
    in_addr a{};
    if (::inet_pton(AF_INET, text.c_str(), &a) != 1) a.s_addr = 0;
    std::memcpy(&d[at], &a.s_addr, 4);  // network order: first octet first
}

std::string addressAt(const std::string& d, std::size_t at) {
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", u8(d, at), u8(d, at + 1), u8(d, at + 2),
                  u8(d, at + 3));
    return text;
}

// Replies start with the request's own first 32 bytes, as a printer echoes the
// header it was sent.
std::string replyOf(const std::string& request, std::size_t size) {
    std::string r(size, '\0');
    std::memcpy(&r[0], request.data(), std::min<std::size_t>(32, request.size()));
    return r;
}

}  // namespace

bool macFromText(const std::string& text, unsigned char out[6]) {
    unsigned v[6];
    char tail;
    if (text.size() != 17 || std::sscanf(text.c_str(), "%2x:%2x:%2x:%2x:%2x:%2x%c", &v[0], &v[1],
                                         &v[2], &v[3], &v[4], &v[5], &tail) != 6)
        return false;
    for (int i = 0; i < 6; ++i) out[i] = static_cast<unsigned char>(v[i]);
    return true;
}

UdpResponder::UdpResponder(Printer& printer, UdpBehaviour behaviour)
    : printer_(printer), b_(std::move(behaviour)) {}

bool UdpResponder::addressedToMe(const std::string& d) const {
    unsigned char mine[6];
    if (!macFromText(printer_.get("MACADDR"), mine)) return false;
    return d.size() >= 28 && std::memcmp(d.data() + 22, mine, 6) == 0;
}

std::vector<std::string> UdpResponder::handle(const std::string& d, bool multicast) {
    std::vector<std::string> out;
    if (d.size() < 32) return out;
    switch (u16(d, 8)) {
        case 2: {  // discovery
            if (b_.answer == "none") break;
            if (b_.answer == "broadcast" && multicast) break;
            if (b_.answer == "multicast" && !multicast) break;
            const std::string reply = discoveryReply(d);
            for (int i = 0; i <= b_.floodCount; ++i) out.push_back(reply);
            break;
        }
        case 1:  // factory default
            if (!addressedToMe(d)) break;
            printer_.note("UDP FACTORY DEFAULT");
            printer_.applyLine("INITIALPRINTER");
            break;
        case 3: {
            if (!addressedToMe(d)) break;
            const bool ip = u8(d, 32) == 4;
            if (ip ? b_.dropReadIp : b_.dropReadMode) break;
            if (!b_.impostor.empty()) out.push_back(impostorReply(d));
            out.push_back(readReply(d));
            break;
        }
        case 4:
            if (!addressedToMe(d)) break;
            write(d);
            out.push_back(replyOf(d, 32));
            break;
        default:
            break;
    }
    return out;
}

std::string UdpResponder::discoveryReply(const std::string& request) const {
    const std::string name = printer_.get("NETNAME");
    std::string r = replyOf(request, 84 + name.size() + 1);
    unsigned char mac[6] = {};
    macFromText(printer_.get("MACADDR"), mac);
    std::memcpy(&r[22], mac, 6);
    r[40] = static_cast<char>(b_.state);
    r[41] = static_cast<char>(b_.flags);
    putAddress(r, 44, printer_.get("LASTUSEDIP"));
    std::memcpy(&r[52], b_.model.data(), std::min<std::size_t>(b_.model.size(), 31));
    std::memcpy(&r[84], name.data(), name.size());
    return r;
}

std::string UdpResponder::readReply(const std::string& request) const {
    const bool dhcp = printer_.get("CONFIGIP") == "0.0.0.0";
    if (u8(request, 32) == 4) {
        std::string r = replyOf(request, 81);
        putAddress(r, 69, printer_.get(dhcp ? "LASTUSEDIP" : "CONFIGIP"));
        putAddress(r, 73, printer_.get("IPMASK"));
        putAddress(r, 77, printer_.get("GATEWAY"));
        return r;
    }
    std::string r = replyOf(request, 1064);
    r[942] = static_cast<char>(dhcp ? 8 : 1);
    r[948] = static_cast<char>(dhcp ? 4 : 1);
    return r;
}

std::string UdpResponder::impostorReply(const std::string& request) const {
    std::string r = replyOf(request, 1064);
    if (b_.impostor == "mac") {
        const unsigned char other[6] = {0x02, 0x00, 0x00, 0x00, 0x77, 0x99};
        std::memcpy(&r[22], other, 6);
    } else if (b_.impostor == "sequence") {
        r[13] = static_cast<char>(u8(r, 13) + 1);
    } else {
        r[9] = 2;  // a discovery reply
    }
    for (std::size_t at : {69u, 73u, 77u}) putAddress(r, at, "10.77.0.99");
    r[942] = 8;
    r[948] = 4;
    return r;
}

void UdpResponder::write(const std::string& d) {
    if (d.size() < 1064) return;
    if (u8(d, 34) == 7) {
        // Apply: what the writes before it carried takes effect together.
        if (hasName_) printer_.set("NETNAME", pendingName_);
        if (pendingMode_ == 1) {
            printer_.set("CONFIGIP", "0.0.0.0");
        } else if (hasIp_) {
            printer_.set("CONFIGIP", pendingIp_);
            printer_.set("IPMASK", pendingMask_);
            printer_.set("GATEWAY", pendingGateway_);
            printer_.set("LASTUSEDIP", pendingIp_);
        }
        printer_.note("UDP APPLY");
        hasName_ = hasIp_ = false;
        pendingMode_ = -1;
        return;
    }
    switch (u8(d, 34)) {
        case 0:
            pendingName_ = std::string(d.c_str() + 176, strnlen(d.c_str() + 176, d.size() - 176));
            hasName_ = true;
            break;
        case 4:
            pendingIp_ = addressAt(d, 69);
            pendingMask_ = addressAt(d, 73);
            pendingGateway_ = addressAt(d, 77);
            hasIp_ = true;
            break;
        case 5:
            pendingMode_ = u8(d, 942) == 8 ? 1 : 0;
            break;
        default:
            break;
    }
}

}  // namespace m350::sim
