// SPDX-License-Identifier: MIT
// The printers' UDP protocol on port 22368: the 32-byte big-endian header,
// discovery and factory-default requests, the device reply, the settings
// requests addressed to one device, and the text forms of IPv4 and MAC
// addresses. Pure functions on bytes; the sockets are in udp_exchange.h.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace m350 {

constexpr std::uint16_t kUdpPort = 22368;
constexpr std::size_t kUdpHeaderSize = 32;
// Every datagram is received into a buffer of this size; longer ones are cut.
constexpr std::size_t kUdpReceiveSize = 2048;
constexpr std::size_t kUdpReadRequestSize = 34;
constexpr std::size_t kUdpWriteRequestSize = 1064;

enum UdpCommand : std::uint16_t {
    kUdpFactoryDefault = 1,
    kUdpDiscover = 2,
    kUdpReadSettings = 3,
    kUdpWriteSettings = 4,
};

using MacAddress = std::array<std::uint8_t, 6>;
using Ipv4Address = std::array<std::uint8_t, 4>;

constexpr MacAddress kEveryDevice = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

// Header offsets.
namespace udpoff {
constexpr std::size_t kToDevice = 7;
constexpr std::size_t kCommand = 8;
constexpr std::size_t kLength = 10;
constexpr std::size_t kSequence = 12;
constexpr std::size_t kTarget = 22;
// Device reply.
constexpr std::size_t kMac = 22;
constexpr std::size_t kState = 40;
constexpr std::size_t kFlags = 41;
constexpr std::size_t kIp = 44;
constexpr std::size_t kModel = 52;
constexpr std::size_t kModelSize = 32;
constexpr std::size_t kName = 84;
// Settings requests and replies.
constexpr std::size_t kItem = 32;  // 32-35
constexpr std::size_t kSetIp = 69;
constexpr std::size_t kSetMask = 73;
constexpr std::size_t kSetGateway = 77;
constexpr std::size_t kSetName = 176;
constexpr std::size_t kModeA = 942;
constexpr std::size_t kModeB = 948;
}  // namespace udpoff

// Writes the 32-byte header at buf: toDevice chooses byte 7 (0x02 for a request
// to one device, 0x00 for discovery); the sequence is cut to its low 16 bits.
void putUdpHeader(std::uint8_t* buf, bool toDevice, std::uint16_t command, std::uint16_t length,
                  std::uint32_t sequence, const MacAddress& target);

std::vector<std::uint8_t> discoveryRequest(std::uint32_t sequence);
std::vector<std::uint8_t> factoryDefaultRequest(std::uint32_t sequence, const MacAddress& target);

// Dotted decimal, no leading zeros.
std::string ipv4ToText(const Ipv4Address& ip);
// Four decimal groups separated by "."; leading zeros allowed; anything after
// the fourth group that does not start with "." is ignored. nullopt when the
// text is not an address.
std::optional<Ipv4Address> parseIpv4(std::string_view text);
// parseIpv4, with an invalid text as FF FF FF FF (what the printer is sent).
Ipv4Address ipv4OrAllOnes(std::string_view text);

// "%02X:%02X:..." upper case.
std::string macToText(const MacAddress& mac);
// Exactly six groups of two hex digits separated by ":", nothing after.
std::optional<MacAddress> parseMac(std::string_view text);

// Text the device sent, made safe to show: bytes below 0x20, 0x7F and above
// are written as \xNN, a backslash as "\\".
std::string escapeDeviceText(std::string_view raw);

// One device's answer to the discovery request. Fields that lie beyond the
// received length are empty (zero bytes, empty texts); names end at their NUL
// or at the end of the datagram. The texts are the device's own bytes: they
// are shown through the printer text encoding and written back unchanged.
struct DeviceReply {
    MacAddress mac{};
    Ipv4Address ip{};
    std::uint8_t state = 0;
    std::uint8_t flags = 0;
    std::string model;
    std::string name;
};

// nullopt for a datagram shorter than the header.
std::optional<DeviceReply> parseDeviceReply(const std::uint8_t* data, std::size_t size);

// "Printing", "Pause", "Carriage Open" ... "Ready", by the state and flags bytes.
std::string_view deviceStatusText(std::uint8_t state, std::uint8_t flags);

// The request buffer of one settings exchange with one device. It is cleared
// once when the exchange starts; each request changes only its own bytes, so a
// later request carries what the earlier ones left (the apply request is the
// last write request with bytes 34-35 changed).
class SettingsRequests {
  public:
    SettingsRequests(std::uint32_t sequence, const MacAddress& target);

    std::vector<std::uint8_t> readIp();    // byte 32 = 4
    std::vector<std::uint8_t> readMode();  // byte 32 = 5
    // The name is cut to 63 bytes.
    std::vector<std::uint8_t> writeName(std::string_view name);
    std::vector<std::uint8_t> writeIp(const Ipv4Address& ip, const Ipv4Address& mask,
                                      const Ipv4Address& gateway);
    std::vector<std::uint8_t> writeMode(bool dhcp);
    std::vector<std::uint8_t> apply();

    std::uint32_t sequence() const { return sequence_; }
    const MacAddress& target() const { return target_; }

  private:
    std::vector<std::uint8_t> take(std::uint16_t command, std::uint16_t length, std::size_t size);
    std::array<std::uint8_t, kUdpReceiveSize> buf_{};
    std::uint32_t sequence_;
    MacAddress target_;
};

// What a reply to the read-IP request holds: nullopt for each field that lies
// beyond the received length (or a datagram shorter than the header).
struct IpSettingsReply {
    std::optional<Ipv4Address> ip, mask, gateway;
};
IpSettingsReply parseIpSettingsReply(const std::uint8_t* data, std::size_t size);
// Whether a datagram answers a request to one device: a whole header that
// carries the request's command, sequence number and the device's MAC address.
// Anything else (another device, an earlier exchange) is not its reply.
bool isReplyTo(const std::uint8_t* data, std::size_t size, std::uint16_t command,
               std::uint32_t sequence, const MacAddress& device);
// A reply to the read-mode request: true (DHCP) when byte 942 is 8. nullopt for
// a datagram shorter than the header.
std::optional<bool> parseModeReply(const std::uint8_t* data, std::size_t size);

}  // namespace m350
