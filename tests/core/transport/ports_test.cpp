// SPDX-License-Identifier: MIT
// The real serial, parallel and network ports against local stand-ins: a
// pseudo-terminal, a FIFO and loopback sockets. Time limits are shortened
// through the context.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <pty.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "core/access/password.h"
#include "core/files/raw_send.h"
#include "core/link/connection.h"
#include "core/link/link_operations.h"
#include "core/printer/maintenance.h"
#include "core/printer/status.h"
#include "core/transport/serial_port.h"
#include "support/scripted_port.h"

using namespace m350;

namespace {

struct Pty {
    int master = -1;
    int slave = -1;
    std::string path;
    Pty() {
        char name[256] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) == 0) path = name;
        // Keep the slave open so the master sees no hang-up between operations.
        termios t{};
        tcgetattr(slave, &t);
        cfmakeraw(&t);
        tcsetattr(slave, TCSANOW, &t);
    }
    ~Pty() {
        ::close(master);
        ::close(slave);
    }
    std::string drain() {
        std::string out;
        char buf[4096];
        int flags = fcntl(master, F_GETFL);
        fcntl(master, F_SETFL, flags | O_NONBLOCK);
        for (int i = 0; i < 20; ++i) {
            ssize_t n = ::read(master, buf, sizeof buf);
            if (n > 0) {
                out.append(buf, static_cast<std::size_t>(n));
                i = 0;
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        }
        fcntl(master, F_SETFL, flags);
        return out;
    }
};

struct LinkRig {
    PortSettings settings;
    LinkContext ctx;
    LinkRig() {
        ctx.settings = &settings;
        // Long enough for a loaded machine to answer, short enough that the
        // tests proving a time-out stay quick.
        ctx.timeouts.comReadMs = 1000;
        ctx.timeouts.netReadMs = 1000;
        ctx.timeouts.netConnectMs = 500;
        ctx.timeouts.netWriteMs = 300;
        ctx.timeouts.comWriteConstantMs = 300;
        ctx.timeouts.progressHideMs = 0;
    }
};

class Listener {
  public:
    Listener() {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(fd_, 4);
        socklen_t len = sizeof a;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
    }
    ~Listener() { ::close(fd_); }
    int port() const { return port_; }
    int accept() { return ::accept(fd_, nullptr, nullptr); }

  private:
    int fd_;
    int port_ = 0;
};

}  // namespace

TEST(SerialLine, IndexesMapToTheLineSettings) {
    SerialSettings s;  // defaults: 9600, 8 bits, none, one stop, RTS, no Xon/Xoff
    SerialLine d = serialLineFor(s);
    EXPECT_EQ(d.speed, static_cast<speed_t>(B9600));
    EXPECT_EQ(d.cflagSet & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_FALSE(d.cflagSet & (PARENB | CSTOPB));
    EXPECT_TRUE(d.cflagSet & CRTSCTS);
    EXPECT_TRUE(d.raiseLines);
    EXPECT_EQ(d.iflagSet, 0u);

    s.parity = Parity::kOdd;  // checked
    EXPECT_EQ(serialLineFor(s).cflagSet & (PARENB | PARODD),
              static_cast<tcflag_t>(PARENB | PARODD));
    EXPECT_TRUE(serialLineFor(s).iflagSet & INPCK);
    s.parity = Parity::kEven;  // generated, not checked
    EXPECT_EQ(serialLineFor(s).cflagSet & (PARENB | PARODD), static_cast<tcflag_t>(PARENB));
    EXPECT_FALSE(serialLineFor(s).iflagSet & INPCK);

    s = {};
    s.handshake = Handshake::kNone;
    s.xonXoff = XonXoff::kOn;
    s.dataBits = DataBits::kSeven;
    s.stopBits = StopBits::kTwo;
    s.baud = BaudRate::kUnset;  // opens at 9600
    SerialLine x = serialLineFor(s);
    EXPECT_FALSE(x.cflagSet & CRTSCTS);
    EXPECT_FALSE(x.raiseLines);
    EXPECT_EQ(x.iflagSet & (IXON | IXOFF), static_cast<tcflag_t>(IXON | IXOFF));
    EXPECT_EQ(x.cflagSet & CSIZE, static_cast<tcflag_t>(CS7));
    EXPECT_TRUE(x.cflagSet & CSTOPB);
    EXPECT_EQ(x.speed, static_cast<speed_t>(B9600));
    s.baud = BaudRate::k115200;
    EXPECT_EQ(serialLineFor(s).speed, static_cast<speed_t>(B115200));
}

TEST(DevicePaths, PortNamesMapToDevicesWithOverrides) {
    unsetenv("M350_COM3");
    EXPECT_EQ(devicePathForPortName("COM1"), "/dev/ttyS0");
    EXPECT_EQ(devicePathForPortName("COM12"), "/dev/ttyS11");
    EXPECT_EQ(devicePathForPortName("LPT2"), "/dev/lp1");
    setenv("M350_COM3", "/dev/ttyUSB0", 1);
    EXPECT_EQ(devicePathForPortName("COM3"), "/dev/ttyUSB0");
    unsetenv("M350_COM3");
    EXPECT_EQ(devicePathForPortName("COM"), "");
    EXPECT_EQ(devicePathForPortName("COM0"), "");
    EXPECT_EQ(devicePathForPortName("/etc/passwd"), "");
    EXPECT_EQ(devicePathForPortName("COM1/../x"), "");
}

TEST(DevicePaths, SerialDevicesByIdFirstThenAdaptersThenRealUarts) {
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("m350-serial-" + std::to_string(getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "dev/serial/by-id");
    for (const char* node : {"ttyUSB10", "ttyUSB2", "ttyUSB0", "ttyACM0", "ttyS0", "ttyS1", "ttyX"})
        std::ofstream(root / "dev" / node).put('\0');
    fs::create_symlink("../../ttyUSB0", root / "dev/serial/by-id/usb-FTDI_FT232R_A1-if00-port0");
    for (const auto& [tty, type] : {std::pair{"ttyS0", "4"}, {"ttyS1", "0"}}) {
        fs::create_directories(root / "sys/class/tty" / tty);
        std::ofstream(root / "sys/class/tty" / tty / "type") << type << '\n';
    }
    std::vector<std::string> paths;
    for (const auto& d : listSerialDevices(root.string())) paths.push_back(d.path);
    EXPECT_EQ(paths, (std::vector<std::string>{"/dev/serial/by-id/usb-FTDI_FT232R_A1-if00-port0",
                                               "/dev/ttyUSB2", "/dev/ttyUSB10", "/dev/ttyACM0",
                                               "/dev/ttyS0"}));
    EXPECT_EQ(listSerialDevices(root.string()).front().description,
              "usb-FTDI_FT232R_A1-if00-port0");
    fs::remove_all(root);
}

TEST(SerialPort, StatusOverAPseudoTerminalInSixtyFourByteChunks) {
    Pty pty;
    ASSERT_FALSE(pty.path.empty());
    setenv("M350_COM7", pty.path.c_str(), 1);
    LinkRig rig;
    rig.settings.serial.portName = "COM7";

    // The printer side answers the status request as soon as it arrives.
    std::thread printer([&] {
        char buf[16];
        std::string got;
        ssize_t n;
        while (got.size() < 3 && (n = ::read(pty.master, buf, sizeof buf)) > 0)
            got.append(buf, static_cast<std::size_t>(n));
        ::write(pty.master, "\x20", 1);
        ::write(pty.master, "\0\0\0\0\x04\0\0\0", 8);
    });
    StatusFlags flags{};
    EXPECT_EQ(m350::runOperation(rig.ctx, kOpStatus, kCom,
                                 [&](m350::Link& l) { return m350::readStatus(l, flags); }),
              kOk);
    printer.join();
    EXPECT_EQ(statusTextKeyFor(flags), kKeyPrinting);
    pty.drain();

    // A long raw send leaves as 64-byte writes; the far end sees every byte.
    std::string data(200, 'Q');
    EXPECT_EQ(m350::runOperation(rig.ctx, kOpRawSend, kCom,
                                 [&](m350::Link& l) {
                                     return m350::sendRaw(l, std::string_view(data.data(), 200));
                                 }),
              kOk);
    EXPECT_EQ(pty.drain(), data);
    unsetenv("M350_COM7");
}

TEST(SerialPort, SilenceFailsAfterTheReadLimitAndBusyPortsRefuse) {
    Pty pty;
    setenv("M350_COM8", pty.path.c_str(), 1);
    LinkRig rig;
    rig.settings.serial.portName = "COM8";
    StatusFlags flags{};
    EXPECT_EQ(m350::runOperation(rig.ctx, kOpStatus, kCom,
                                 [&](m350::Link& l) { return m350::readStatus(l, flags); }),
              kReceiveError);

    // Another holder of the port: the open fails with "Port Open Error".
    Connection holder(rig.ctx, kCom);
    ASSERT_TRUE(holder.open());
    EXPECT_EQ(m350::runOperation(rig.ctx, kOpConnectionTest, kCom, m350::testConnection),
              kPortOpenError);
    holder.close();
    EXPECT_EQ(m350::runOperation(rig.ctx, kOpConnectionTest, kCom, m350::testConnection), kOk);

    rig.settings.serial.portName = "COM9";
    setenv("M350_COM9", "/nonexistent/tty", 1);
    EXPECT_EQ(m350::runOperation(rig.ctx, kOpExitLineMode, kCom, m350::exitLineMode),
              kPortOpenError);
    unsetenv("M350_COM8");
    unsetenv("M350_COM9");
}

TEST(ParallelPort, WritesToAFifoAndRefusesWithoutAReader) {
    auto dir = std::filesystem::temp_directory_path() / ("m350-lpt-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::string fifo = (dir / "lp").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    setenv("M350_LPT3", fifo.c_str(), 1);
    LinkRig rig;
    rig.settings.lptName = "LPT3";
    EXPECT_EQ(m350::runOperation(rig.ctx, kOpSelfTest, kLpt, m350::printSelfTest), kPortOpenError);

    int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_EQ(m350::runOperation(rig.ctx, kOpSelfTest, kLpt, m350::printSelfTest), kOk);
    char buf[64] = {};
    EXPECT_EQ(::read(reader, buf, sizeof buf), 10);
    EXPECT_EQ(std::string(buf, 10), "SELFTEST\r\n");
    // The password read is not made on the parallel port: no password.
    std::string pw;
    EXPECT_EQ(m350::runOperation(rig.ctx, kOpReadPassword, kLpt,
                                 [&](m350::Link& l) { return m350::readPassword(l, pw); }),
              kOk);
    EXPECT_EQ(pw, "");
    EXPECT_EQ(::read(reader, buf, sizeof buf), 0);
    ::close(reader);
    unsetenv("M350_LPT3");
    std::filesystem::remove_all(dir);
}

TEST(TcpPort, ConnectsPerOperationAndBoundsEveryWait) {
    LinkRig rig;
    // The default record has no address: the open fails at once.
    EXPECT_EQ(m350::runOperation(rig.ctx, kOpConnectionTest, kEthernet, m350::testConnection),
              kPortOpenError);

    Listener listener;
    rig.settings.net = {"127.0.0.1", listener.port()};
    std::string received;
    std::thread printer([&] {
        for (int i = 0; i < 2; ++i) {
            int c = listener.accept();
            char buf[2048];
            ssize_t n;
            while ((n = ::read(c, buf, sizeof buf)) > 0)
                received.append(buf, static_cast<std::size_t>(n));
            ::close(c);
        }
    });
    std::string big(1000, 'z');
    EXPECT_EQ(m350::runOperation(rig.ctx, kOpRawSend, kEthernet,
                                 [&](m350::Link& l) {
                                     return m350::sendRaw(l, std::string_view(big.data(), 1000));
                                 }),
              kOk);
    EXPECT_EQ(m350::runOperation(rig.ctx, kOpExitLineMode, kEthernet, m350::exitLineMode), kOk);
    printer.join();
    EXPECT_EQ(received, big + "\x1BZ\r\n");

    // A printer that accepts but never answers fails the status read after the limit.
    std::thread mute([&] {
        int c = listener.accept();
        char buf[64];
        while (::read(c, buf, sizeof buf) > 0) {
        }
        ::close(c);
    });
    StatusFlags flags{};
    EXPECT_EQ(m350::runOperation(rig.ctx, kOpStatus, kEthernet,
                                 [&](m350::Link& l) { return m350::readStatus(l, flags); }),
              kReceiveError);
    mute.join();

    // A printer that drops the connection mid-reply fails the read, no hang.
    std::thread dropper([&] {
        int c = listener.accept();
        char buf[8];
        ::read(c, buf, 3);
        ::write(c, "{5|ab", 5);
        ::close(c);
    });
    {
        Connection conn(rig.ctx, kEthernet);
        ASSERT_TRUE(conn.open());
        std::string payload;
        EXPECT_EQ(conn.query("abc", payload), kReceiveError);
    }
    dropper.join();

    // Nobody listening any more: refused.
    int port = listener.port();
    { Listener other; }
    rig.settings.net.port = port + 1 == 65536 ? 1 : port + 1;
    EXPECT_EQ(m350::runOperation(rig.ctx, kOpConnectionTest, kEthernet, m350::testConnection),
              kPortOpenError);
}
