// SPDX-License-Identifier: MIT
// The UDP protocol's bytes: header, requests, replies and the text forms of
// addresses, against the layouts byte for byte.
#include "core/net/udp_protocol.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace m350;

namespace {

using Bytes = std::vector<std::uint8_t>;

// Hex digits, blanks between groups ignored.
Bytes hexBytes(const char* hex) {
    std::string digits;
    for (const char* p = hex; *p; ++p)
        if (*p != ' ') digits += *p;
    Bytes b;
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
        b.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    return b;
}

const MacAddress kMac = {0x02, 0x00, 0x00, 0x35, 0x00, 0x01};

}  // namespace

TEST(UdpHeader, RequestsAreTheHeaderTableByteForByte) {
    struct Case {
        const char* what;
        Bytes bytes;
        const char* hex;
    } cases[] = {
        {"discovery, sequence 1", discoveryRequest(1),
         "0020 0001 0001 08 00 0002 0000 0001 0000 010000000000 ffffffffffff 0000 0000"},
        {"discovery, sequence 0x12345: low 16 bits", discoveryRequest(0x12345),
         "0020 0001 0001 08 00 0002 0000 2345 0000 010000000000 ffffffffffff 0000 0000"},
        {"factory default to one device", factoryDefaultRequest(7, kMac),
         "0020 0001 0001 08 02 0001 0000 0007 0000 010000000000 020000350001 0000 0000"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.bytes, hexBytes(c.hex)) << c.what;
}

TEST(UdpText, Ipv4ConversionsFollowTheirRules) {
    struct Case {
        const char* text;
        std::optional<Ipv4Address> want;
    } cases[] = {
        {"192.168.1.100", Ipv4Address{192, 168, 1, 100}},
        {"1.2.3.4x", Ipv4Address{1, 2, 3, 4}},
        {"1.2.3.4 trailing words", Ipv4Address{1, 2, 3, 4}},
        {"010.1.1.1", Ipv4Address{10, 1, 1, 1}},
        {"0.0.0.0", Ipv4Address{0, 0, 0, 0}},
        {"255.255.255.255", Ipv4Address{255, 255, 255, 255}},
        {"1.2.3.4.", std::nullopt},
        {"1.2.3.4.5", std::nullopt},
        {"1..2.3", std::nullopt},
        {"1.2.3", std::nullopt},
        {"256.1.1.1", std::nullopt},
        {"1.2.3.0256", std::nullopt},
        {" 1.2.3.4", std::nullopt},
        {"x1.2.3.4", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(parseIpv4(c.text), c.want) << c.text;
    // An invalid text is sent as the all-ones address.
    const Ipv4Address ones{0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(ipv4OrAllOnes("1..2.3"), ones);
    EXPECT_EQ(ipv4OrAllOnes("255.255.255.255"), ones);
    EXPECT_EQ(ipv4OrAllOnes("garbage"), ones);
    EXPECT_EQ(ipv4ToText({192, 168, 1, 100}), "192.168.1.100");
    EXPECT_EQ(ipv4ToText({0, 10, 0, 255}), "0.10.0.255");
}

TEST(UdpText, MacConversionsFollowTheirRules) {
    struct Case {
        const char* text;
        std::optional<MacAddress> want;
    } cases[] = {
        {"00:11:22:aa:BB:cc", MacAddress{0x00, 0x11, 0x22, 0xAA, 0xBB, 0xCC}},
        {"02:00:00:35:00:01", kMac},
        {"0:11:22:33:44:55", std::nullopt},
        {"00:11:22:33:44:55:66", std::nullopt},
        {"00:11:22:33:44:5", std::nullopt},
        {"00:11:22:33:44:55 ", std::nullopt},
        {"00-11-22-33-44-55", std::nullopt},
        {"00:11:22:33:44:5g", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(parseMac(c.text), c.want) << c.text;
    EXPECT_EQ(macToText({0x00, 0x11, 0x22, 0xAA, 0xBB, 0xCC}), "00:11:22:AA:BB:CC");
}

TEST(UdpReply, StatusTextByStateAndFlags) {
    struct Case {
        std::uint8_t state, flags;
        const char* want;
    } cases[] = {
        {1, 0xFF, "Printing"},     {2, 0xFF, "Pause"},        {3, 0x41, "Carriage Open"},
        {3, 0x40, "Over Heat"},    {3, 0x80, "Over Heat"},    {3, 0x42, "Over Heat"},
        {3, 0x02, "Paper Jam"},    {3, 0x06, "Paper Jam"},    {3, 0x04, "Paper Empty"},
        {3, 0x08, "Ribbon Error"}, {3, 0x10, "Ribbon Error"}, {3, 0x20, "Cutter Error"},
        {3, 0x00, "Error"},        {0, 0xFF, "Ready"},        {4, 0x01, "Ready"},
        {255, 0x00, "Ready"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(deviceStatusText(c.state, c.flags), c.want)
            << int(c.state) << "/" << int(c.flags);
}

TEST(UdpReply, FieldsComeFromTheirOffsetsAndNeverFromBeyondTheDatagram) {
    Bytes full(84 + 6, 0);
    std::memcpy(&full[22], kMac.data(), 6);
    full[40] = 3;
    full[41] = 0x04;
    const std::uint8_t ip[4] = {10, 0, 0, 7};
    std::memcpy(&full[44], ip, 4);
    std::memcpy(&full[52], "M350", 4);
    std::memcpy(&full[84], "Front", 5);
    auto r = parseDeviceReply(full.data(), full.size());
    ASSERT_TRUE(r);
    EXPECT_EQ(r->mac, kMac);
    EXPECT_EQ(r->ip, (Ipv4Address{10, 0, 0, 7}));
    EXPECT_EQ(r->model, "M350");
    EXPECT_EQ(r->name, "Front");
    EXPECT_EQ(deviceStatusText(r->state, r->flags), "Paper Empty");

    struct Case {
        std::size_t size;
        bool listed;
        const char* name;
        const char* model;
        std::uint8_t state;
        bool hasIp;
    } cases[] = {
        {31, false, "", "", 0, false},  // shorter than the header: no row
        {32, true, "", "", 0, false},   // header only: a row with empty fields
        {41, true, "", "", 3, false},   // the state, not yet the flags
        {47, true, "", "", 3, false},   // the address cut short
        {48, true, "", "", 3, true},          {54, true, "", "M3", 3, true},
        {86, true, "Fr", "M350", 3, true},  // the name ends with the datagram
        {90, true, "Front", "M350", 3, true},
    };
    for (const auto& c : cases) {
        auto p = parseDeviceReply(full.data(), c.size);
        ASSERT_EQ(p.has_value(), c.listed) << c.size;
        if (!p) continue;
        EXPECT_EQ(p->mac, kMac) << c.size;
        EXPECT_EQ(p->name, c.name) << c.size;
        EXPECT_EQ(p->model, c.model) << c.size;
        EXPECT_EQ(p->state, c.state) << c.size;
        EXPECT_EQ(p->flags, c.size > 41 ? 0x04 : 0) << c.size;
        EXPECT_EQ(p->ip, (c.hasIp ? Ipv4Address{10, 0, 0, 7} : Ipv4Address{})) << c.size;
    }
}

TEST(UdpReply, DeviceTextsAreTheDevicesBytesAndBounded) {
    Bytes d(84, 0);
    const char model[32] = "A\x01\x1b[2J\x7f\xe9\\";
    std::memcpy(&d[52], model, 32);  // no NUL within the field but the padding
    const std::string name = "evil\r\nname\t";
    for (char ch : name) d.push_back(static_cast<std::uint8_t>(ch));  // no terminating NUL at all
    auto r = parseDeviceReply(d.data(), d.size());
    ASSERT_TRUE(r);
    // Kept as sent, to be written back unchanged; showing them is the caller's.
    EXPECT_EQ(r->model, "A\x01\x1b[2J\x7f\xe9\\");
    EXPECT_EQ(r->name, name);
    // A model field full to the brim stops at its 32 bytes.
    Bytes m(84, 0);
    std::memset(&m[52], 'M', 32);
    EXPECT_EQ(parseDeviceReply(m.data(), m.size())->model, std::string(32, 'M'));
}

TEST(UdpSettings, RequestsCarryTheirBytesAndWhatTheEarlierOnesLeft) {
    SettingsRequests q(9, kMac);
    const Bytes readIp = q.readIp();
    const Bytes readMode = q.readMode();
    const Bytes name = q.writeName("Front desk");
    const Bytes ip = q.writeIp({192, 168, 5, 20}, {255, 255, 255, 0}, {192, 168, 5, 1});
    const Bytes mode = q.writeMode(false);
    const Bytes apply = q.apply();

    const Bytes header3 =
        hexBytes("0020 0001 0001 08 02 0003 0002 0009 0000 010000000000 020000350001 0000 0000");
    const Bytes header4 =
        hexBytes("0020 0001 0001 08 02 0004 0408 0009 0000 010000000000 020000350001 0000 0000");
    struct Case {
        const char* what;
        const Bytes& bytes;
        std::size_t size;
        const Bytes& header;
        const char* item;  // bytes 32.. (2 for reads, 4 for writes)
    } cases[] = {
        {"read IP settings", readIp, 34, header3, "0400"},
        {"read address mode", readMode, 34, header3, "0500"},
        {"write printer name", name, 1064, header4, "00000000"},
        {"write IP settings", ip, 1064, header4, "00000400"},
        {"write address mode", mode, 1064, header4, "00000500"},
        {"apply", apply, 1064, header4, "00000700"},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(c.bytes.size(), c.size) << c.what;
        EXPECT_EQ(Bytes(c.bytes.begin(), c.bytes.begin() + 32), c.header) << c.what;
        const Bytes item = hexBytes(c.item);
        EXPECT_EQ(
            Bytes(c.bytes.begin() + 32, c.bytes.begin() + 32 + static_cast<long>(item.size())),
            item)
            << c.what;
    }
    // The name from 176, NUL-terminated, stays in every later request.
    for (const Bytes* b : {&name, &ip, &mode, &apply}) {
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&(*b)[176])), "Front desk");
        EXPECT_EQ((*b)[186], 0);
    }
    // The addresses at 69-80, first octet first, in the IP request and after.
    const Bytes addresses = hexBytes("c0a80514ffffff00c0a80501");
    EXPECT_EQ(Bytes(name.begin() + 69, name.begin() + 81), Bytes(12, 0));
    for (const Bytes* b : {&ip, &mode, &apply})
        EXPECT_EQ(Bytes(b->begin() + 69, b->begin() + 81), addresses);
    // Static address: 942 = 1 and 948 = 1, kept by the apply request.
    for (const Bytes* b : {&mode, &apply}) {
        EXPECT_EQ((*b)[942], 1);
        EXPECT_EQ((*b)[948], 1);
    }
    EXPECT_EQ(ip[942], 0);
    // Nothing else is set anywhere in the apply request.
    Bytes rest = apply;
    for (std::size_t i = 0; i < 36; ++i) rest[i] = 0;
    for (std::size_t i = 69; i < 81; ++i) rest[i] = 0;
    for (std::size_t i = 176; i < 186; ++i) rest[i] = 0;
    rest[942] = rest[948] = 0;
    EXPECT_EQ(rest, Bytes(1064, 0));
}

TEST(UdpSettings, DhcpModeBytesAndLongNamesCut) {
    SettingsRequests q(1, kMac);
    const Bytes mode = q.writeMode(true);
    EXPECT_EQ(mode[942], 8);
    EXPECT_EQ(mode[948], 4);
    const Bytes name = q.writeName(std::string(200, 'n'));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&name[176])), std::string(63, 'n'));
}

TEST(UdpSettings, RepliesAreReadWithinTheirLength) {
    Bytes r(1064, 0);
    const std::uint8_t values[12] = {10, 1, 2, 3, 255, 255, 0, 0, 10, 1, 0, 1};
    std::memcpy(&r[69], values, 12);
    r[942] = 8;
    auto full = parseIpSettingsReply(r.data(), r.size());
    EXPECT_EQ(full.ip, (Ipv4Address{10, 1, 2, 3}));
    EXPECT_EQ(full.mask, (Ipv4Address{255, 255, 0, 0}));
    EXPECT_EQ(full.gateway, (Ipv4Address{10, 1, 0, 1}));
    auto cut = parseIpSettingsReply(r.data(), 76);
    EXPECT_TRUE(cut.ip);
    EXPECT_FALSE(cut.mask);
    EXPECT_FALSE(cut.gateway);
    EXPECT_FALSE(parseIpSettingsReply(r.data(), 31).ip);
    EXPECT_EQ(parseModeReply(r.data(), r.size()), true);
    EXPECT_EQ(parseModeReply(r.data(), 942), false);  // byte 942 not received
    EXPECT_EQ(parseModeReply(r.data(), 31), std::nullopt);
    r[942] = 1;
    EXPECT_EQ(parseModeReply(r.data(), r.size()), false);
}
