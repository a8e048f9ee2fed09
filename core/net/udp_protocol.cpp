// SPDX-License-Identifier: MIT
#include "core/net/udp_protocol.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace m350 {

namespace {

void put16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 8);
    p[1] = static_cast<std::uint8_t>(v & 0xFF);
}

bool isHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return c - 'A' + 10;
}

// A NUL-terminated text at off, never read past size or max bytes.
std::string textAt(const std::uint8_t* data, std::size_t size, std::size_t off, std::size_t max) {
    if (off >= size) return {};
    const std::size_t end = std::min(size, off + max);
    const auto* begin = reinterpret_cast<const char*>(data + off);
    const std::size_t n = strnlen(begin, end - off);
    return std::string(begin, n);
}

std::optional<Ipv4Address> ipAt(const std::uint8_t* data, std::size_t size, std::size_t off) {
    if (off + 4 > size) return std::nullopt;
    return Ipv4Address{data[off], data[off + 1], data[off + 2], data[off + 3]};
}

}  // namespace

void putUdpHeader(std::uint8_t* buf, bool toDevice, std::uint16_t command, std::uint16_t length,
                  std::uint32_t sequence, const MacAddress& target) {
    std::memset(buf, 0, kUdpHeaderSize);
    put16(buf + 0, 0x0020);
    put16(buf + 2, 0x0001);
    put16(buf + 4, 0x0001);
    buf[6] = 0x08;
    buf[udpoff::kToDevice] = toDevice ? 0x02 : 0x00;
    put16(buf + udpoff::kCommand, command);
    put16(buf + udpoff::kLength, length);
    put16(buf + udpoff::kSequence, static_cast<std::uint16_t>(sequence & 0xFFFF));
    buf[16] = 0x01;
    std::memcpy(buf + udpoff::kTarget, target.data(), target.size());
}

std::vector<std::uint8_t> discoveryRequest(std::uint32_t sequence) {
    std::vector<std::uint8_t> d(kUdpHeaderSize);
    putUdpHeader(d.data(), false, kUdpDiscover, 0, sequence, kEveryDevice);
    return d;
}

std::vector<std::uint8_t> factoryDefaultRequest(std::uint32_t sequence, const MacAddress& target) {
    std::vector<std::uint8_t> d(kUdpHeaderSize);
    putUdpHeader(d.data(), true, kUdpFactoryDefault, 0, sequence, target);
    return d;
}

std::string ipv4ToText(const Ipv4Address& ip) {
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", ip[0], ip[1], ip[2], ip[3]);
    return text;
}

std::optional<Ipv4Address> parseIpv4(std::string_view text) {
    Ipv4Address out{};
    std::size_t i = 0;
    for (int group = 0; group < 4; ++group) {
        if (group > 0) {
            if (i >= text.size() || text[i] != '.') return std::nullopt;
            ++i;
        }
        if (i >= text.size() || text[i] < '0' || text[i] > '9') return std::nullopt;
        unsigned value = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            value = value * 10 + static_cast<unsigned>(text[i] - '0');
            if (value > 255) return std::nullopt;
            ++i;
        }
        out[static_cast<std::size_t>(group)] = static_cast<std::uint8_t>(value);
    }
    // A fifth group is not an address; any other tail is ignored.
    if (i < text.size() && text[i] == '.') return std::nullopt;
    return out;
}

Ipv4Address ipv4OrAllOnes(std::string_view text) {
    return parseIpv4(text).value_or(Ipv4Address{0xFF, 0xFF, 0xFF, 0xFF});
}

std::string macToText(const MacAddress& mac) {
    char text[18];
    std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2],
                  mac[3], mac[4], mac[5]);
    return text;
}

std::optional<MacAddress> parseMac(std::string_view text) {
    if (text.size() != 17) return std::nullopt;
    MacAddress out{};
    for (std::size_t g = 0; g < 6; ++g) {
        const std::size_t at = g * 3;
        if (!isHex(text[at]) || !isHex(text[at + 1])) return std::nullopt;
        if (g < 5 && text[at + 2] != ':') return std::nullopt;
        out[g] = static_cast<std::uint8_t>(hexValue(text[at]) * 16 + hexValue(text[at + 1]));
    }
    return out;
}

std::string escapeDeviceText(std::string_view raw) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(raw.size());
    for (char ch : raw) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\\') {
            out += "\\\\";
        } else if (c < 0x20 || c >= 0x7F) {
            out += "\\x";
            out += digits[c >> 4];
            out += digits[c & 15];
        } else {
            out += ch;
        }
    }
    return out;
}

std::optional<DeviceReply> parseDeviceReply(const std::uint8_t* data, std::size_t size) {
    if (size < kUdpHeaderSize) return std::nullopt;
    size = std::min(size, kUdpReceiveSize);
    DeviceReply r;
    std::memcpy(r.mac.data(), data + udpoff::kMac, r.mac.size());
    if (size > udpoff::kState) r.state = data[udpoff::kState];
    if (size > udpoff::kFlags) r.flags = data[udpoff::kFlags];
    if (auto ip = ipAt(data, size, udpoff::kIp)) r.ip = *ip;
    r.model = textAt(data, size, udpoff::kModel, udpoff::kModelSize);
    r.name = textAt(data, size, udpoff::kName, size);
    return r;
}

std::string_view deviceStatusText(std::uint8_t state, std::uint8_t flags) {
    switch (state) {
        case 1:
            return "Printing";
        case 2:
            return "Pause";
        case 3:
            if (flags & 0x01) return "Carriage Open";
            if (flags & 0xC0) return "Over Heat";
            if (flags & 0x02) return "Paper Jam";
            if (flags & 0x04) return "Paper Empty";
            if (flags & 0x18) return "Ribbon Error";
            if (flags & 0x20) return "Cutter Error";
            return "Error";
        default:
            return "Ready";
    }
}

SettingsRequests::SettingsRequests(std::uint32_t sequence, const MacAddress& target)
    : sequence_(sequence), target_(target) {}

std::vector<std::uint8_t> SettingsRequests::take(std::uint16_t command, std::uint16_t length,
                                                 std::size_t size) {
    putUdpHeader(buf_.data(), true, command, length, sequence_, target_);
    return {buf_.begin(), buf_.begin() + static_cast<std::ptrdiff_t>(size)};
}

std::vector<std::uint8_t> SettingsRequests::readIp() {
    buf_[udpoff::kItem] = 4;
    buf_[udpoff::kItem + 1] = 0;
    return take(kUdpReadSettings, 2, kUdpReadRequestSize);
}

std::vector<std::uint8_t> SettingsRequests::readMode() {
    buf_[udpoff::kItem] = 5;
    buf_[udpoff::kItem + 1] = 0;
    return take(kUdpReadSettings, 2, kUdpReadRequestSize);
}

std::vector<std::uint8_t> SettingsRequests::writeName(std::string_view name) {
    std::memset(buf_.data() + udpoff::kItem, 0, 4);
    const std::size_t n = std::min<std::size_t>(name.size(), 63);
    std::memcpy(buf_.data() + udpoff::kSetName, name.data(), n);
    buf_[udpoff::kSetName + n] = 0;
    return take(kUdpWriteSettings, 1032, kUdpWriteRequestSize);
}

std::vector<std::uint8_t> SettingsRequests::writeIp(const Ipv4Address& ip, const Ipv4Address& mask,
                                                    const Ipv4Address& gateway) {
    const std::uint8_t item[4] = {0, 0, 4, 0};
    std::memcpy(buf_.data() + udpoff::kItem, item, 4);
    std::memcpy(buf_.data() + udpoff::kSetIp, ip.data(), 4);
    std::memcpy(buf_.data() + udpoff::kSetMask, mask.data(), 4);
    std::memcpy(buf_.data() + udpoff::kSetGateway, gateway.data(), 4);
    return take(kUdpWriteSettings, 1032, kUdpWriteRequestSize);
}

std::vector<std::uint8_t> SettingsRequests::writeMode(bool dhcp) {
    const std::uint8_t item[4] = {0, 0, 5, 0};
    std::memcpy(buf_.data() + udpoff::kItem, item, 4);
    buf_[udpoff::kModeA] = dhcp ? 8 : 1;
    buf_[udpoff::kModeB] = dhcp ? 4 : 1;
    return take(kUdpWriteSettings, 1032, kUdpWriteRequestSize);
}

std::vector<std::uint8_t> SettingsRequests::apply() {
    buf_[udpoff::kItem + 2] = 7;
    buf_[udpoff::kItem + 3] = 0;
    return take(kUdpWriteSettings, 1032, kUdpWriteRequestSize);
}

IpSettingsReply parseIpSettingsReply(const std::uint8_t* data, std::size_t size) {
    IpSettingsReply r;
    if (size < kUdpHeaderSize) return r;
    r.ip = ipAt(data, size, udpoff::kSetIp);
    r.mask = ipAt(data, size, udpoff::kSetMask);
    r.gateway = ipAt(data, size, udpoff::kSetGateway);
    return r;
}

bool isReplyTo(const std::uint8_t* data, std::size_t size, std::uint16_t command,
               std::uint32_t sequence, const MacAddress& device) {
    if (size < kUdpHeaderSize) return false;
    const auto at16 = [&](std::size_t off) {
        return static_cast<std::uint16_t>(data[off] << 8 | data[off + 1]);
    };
    return at16(udpoff::kCommand) == command &&
           at16(udpoff::kSequence) == static_cast<std::uint16_t>(sequence & 0xFFFF) &&
           std::equal(device.begin(), device.end(), data + udpoff::kMac);
}

std::optional<bool> parseModeReply(const std::uint8_t* data, std::size_t size) {
    if (size < kUdpHeaderSize) return std::nullopt;
    return size > udpoff::kModeA && data[udpoff::kModeA] == 8;
}

}  // namespace m350
