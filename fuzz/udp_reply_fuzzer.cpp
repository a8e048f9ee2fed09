// SPDX-License-Identifier: MIT
// Datagrams from the network: a device's discovery reply and its replies to
// the settings reads, arbitrary bytes of any length. Whatever arrives, texts
// are shown escaped (nothing below 0x20, no DEL, no byte above 0x7E) and the
// address texts read back as the same address.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/net/udp_protocol.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

void checkEscaped(std::string_view s) {
    for (char c : s) check(c >= 0x20 && c < 0x7F);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A datagram is received into a buffer of kUdpReceiveSize; longer ones are cut.
    const std::size_t n = size < m350::kUdpReceiveSize ? size : m350::kUdpReceiveSize;
    if (const auto reply = m350::parseDeviceReply(data, n)) {
        check(n >= m350::kUdpHeaderSize);
        // Names and models are the device's own bytes; shown, they are escaped.
        checkEscaped(m350::escapeDeviceText(reply->model));
        checkEscaped(m350::escapeDeviceText(reply->name));
        check(m350::parseMac(m350::macToText(reply->mac)) == reply->mac);
        check(m350::parseIpv4(m350::ipv4ToText(reply->ip)) == reply->ip);
        checkEscaped(m350::deviceStatusText(reply->state, reply->flags));
    } else {
        check(n < m350::kUdpHeaderSize);
    }
    const m350::IpSettingsReply ip = m350::parseIpSettingsReply(data, n);
    for (const auto& a : {ip.ip, ip.mask, ip.gateway})
        if (a) check(m350::parseIpv4(m350::ipv4ToText(*a)) == *a);
    (void)m350::parseModeReply(data, n);

    // The same bytes as an address typed by the operator.
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto a = m350::parseIpv4(text)) check(m350::parseIpv4(m350::ipv4ToText(*a)) == *a);
    if (const auto m = m350::parseMac(text)) check(m350::macToText(*m).size() == 17);
    checkEscaped(m350::escapeDeviceText(text));
    return 0;
}
