// SPDX-License-Identifier: MIT
// The simulator's UDP side over a plain datagram socket, with requests written
// out byte by byte here: nothing from the core.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

#include "sim_process.h"

namespace {

using m350test::SimProcess;

class Udp {
  public:
    explicit Udp(int port) : port_(port), fd_(::socket(AF_INET, SOCK_DGRAM, 0)) {}
    ~Udp() { ::close(fd_); }
    void send(const std::string& d) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port_));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::sendto(fd_, d.data(), d.size(), 0, reinterpret_cast<sockaddr*>(&a), sizeof a);
    }
    // One datagram within ms, or empty.
    std::string receive(int ms = 2000) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, ms) <= 0) return {};
        char buf[4096];
        const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
        return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
    }

  private:
    int port_;
    int fd_;
};

// Header: 00 20 00 01 00 01 08, to-device byte, command, length, sequence 1, 01 at
// byte 16, target at 22.
std::string header(char toDevice, char command, int length, const std::string& target) {
    std::string h = std::string("\x00\x20\x00\x01\x00\x01\x08", 7) + toDevice +
                    std::string("\x00", 1) + command + static_cast<char>(length >> 8) +
                    static_cast<char>(length & 0xFF) + std::string("\x00\x01\x00\x00\x01", 5) +
                    std::string(5, '\0') + target + std::string(4, '\0');
    return h;
}

const std::string kMac("\x02\x00\x00\x35\x00\x01", 6);
const std::string kEvery(6, '\xFF');

TEST(SimUdp, DiscoveryReplyCarriesTheStateAtItsOffsets) {
    SimProcess sim({"--udp", "127.0.0.1:0", "--set", "NETNAME=Dock", "--set",
                    "LASTUSEDIP=127.0.0.9", "--udp-state", "3", "--udp-flags", "0x20"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    Udp u(sim.udpPort());
    u.send(header(0, 2, 0, kEvery));
    const std::string r = u.receive();
    ASSERT_EQ(r.size(), 84u + 5u);
    EXPECT_EQ(r.substr(22, 6), kMac);
    EXPECT_EQ(r[40], 3);
    EXPECT_EQ(r[41], 0x20);
    EXPECT_EQ(r.substr(44, 4), std::string("\x7f\x00\x00\x09", 4));
    EXPECT_EQ(r.substr(52, 5), std::string("M350\0", 5));
    EXPECT_EQ(r.substr(84), std::string("Dock\0", 5));
    // A short datagram is not a request.
    u.send(header(0, 2, 0, kEvery).substr(0, 31));
    EXPECT_EQ(u.receive(200), "");
}

TEST(SimUdp, WritesLandOnlyWithTheApplyRequestAndOnlyForItsMac) {
    SimProcess sim({"--udp", "127.0.0.1:0"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    Udp u(sim.udpPort());
    std::string write = header(2, 4, 1032, kMac) + std::string(1032, '\0');
    write.replace(176, 5, std::string("Yard\0", 5));
    u.send(write);  // bytes 32-35 = 0: the printer name
    EXPECT_EQ(u.receive().size(), 32u);
    u.send(header(0, 2, 0, kEvery));
    EXPECT_EQ(u.receive().substr(84), std::string("M350-SIM\0", 9));  // not yet applied
    write[34] = 7;                                                    // apply
    std::string other = write;
    other.replace(22, 6, std::string(6, '\x01'));
    u.send(other);
    EXPECT_EQ(u.receive(200), "");
    u.send(write);
    EXPECT_EQ(u.receive().size(), 32u);
    u.send(header(0, 2, 0, kEvery));
    EXPECT_EQ(u.receive().substr(84), std::string("Yard\0", 5));

    // Read IP settings (byte 32 = 4) and address mode (byte 32 = 5).
    std::string read = header(2, 3, 2, kMac) + std::string("\x04\x00", 2);
    u.send(read);
    const std::string ip = u.receive();
    ASSERT_EQ(ip.size(), 81u);
    EXPECT_EQ(ip.substr(69, 12), std::string("\x7f\0\0\x01\xff\0\0\0\x7f\0\0\x01", 12));
    read[32] = 5;
    u.send(read);
    const std::string mode = u.receive();
    ASSERT_EQ(mode.size(), 1064u);
    EXPECT_EQ(mode[942], 8);  // CONFIGIP 0.0.0.0: DHCP
}

}  // namespace
