// SPDX-License-Identifier: MIT
// Serial port (COM), raw and non-blocking.
//
// Contract (see port.h):
// - open() refuses a port in use elsewhere: one whose lock file
//   (/var/lock/LCK..ttyS0) names a live process, one another program holds
//   with flock(), one opened exclusively (TIOCEXCL, which root ignores). It
//   takes all three itself, so programs of either convention see it; a stale
//   lock file (its process gone) is taken over. A program that opens the
//   device without any of these (cat, a shell redirection) cannot be seen.
// - writeChunk() hands the bytes to the system within the write limit (a
//   constant plus a per-byte allowance); drain() then waits, within the same
//   kind of limit, until the system has sent them. A line held up by its
//   handshake (CTS low) does not drain: what is queued is discarded and the
//   write fails, so nothing goes out late and close() never waits.
// - refill() waits at most the read limit.
#include "core/transport/serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "core/link/link_context.h"
#include "core/transport/fd_wait.h"
#include "core/transport/port.h"
#include "core/transport/uucp_lock.h"

namespace m350 {

SerialLine serialLineFor(const SerialSettings& s) {
    SerialLine line{};
    switch (bitsPerSecond(s.baud)) {
        case 2400:
            line.speed = B2400;
            break;
        case 4800:
            line.speed = B4800;
            break;
        case 19200:
            line.speed = B19200;
            break;
        case 38400:
            line.speed = B38400;
            break;
        case 57600:
            line.speed = B57600;
            break;
        case 115200:
            line.speed = B115200;
            break;
        default:
            line.speed = B9600;
            break;
    }
    line.cflagSet = (s.dataBits == DataBits::kSeven) ? CS7 : CS8;
    if (s.parity == Parity::kOdd) {
        line.cflagSet |= PARENB | PARODD;
        line.iflagSet |= INPCK;
    } else if (s.parity == Parity::kEven) {
        line.cflagSet |= PARENB;
    }
    if (s.stopBits == StopBits::kOneAndAHalf || s.stopBits == StopBits::kTwo)
        line.cflagSet |= CSTOPB;
    if (s.handshake != Handshake::kNone) line.cflagSet |= CRTSCTS;
    line.raiseLines = s.handshake != Handshake::kNone;
    if (s.xonXoff == XonXoff::kOn) line.iflagSet |= IXON | IXOFF;
    return line;
}

void applySerialLine(const SerialLine& line, termios& t) {
    cfmakeraw(&t);
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    t.c_cflag |= CLOCAL | CREAD | line.cflagSet;
    t.c_iflag &= ~(INPCK | IXON | IXOFF | IXANY);
    t.c_iflag |= line.iflagSet;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    cfsetispeed(&t, line.speed);
    cfsetospeed(&t, line.speed);
}

namespace {

constexpr const char* kDefaultLockDir = "/var/lock";
class SerialPort final : public Port {
  public:
    explicit SerialPort(LinkContext& ctx) : ctx_(ctx) {}
    ~SerialPort() override { close(); }

    bool open() override {
        const SerialSettings& s = ctx_.settings->serial;
        std::string path = ctx_.settings->comDevicePath.empty() ? devicePathForPortName(s.portName)
                                                                : ctx_.settings->comDevicePath;
        if (path.empty()) {
            ctx_.lastError = {PortFault::kNoDevice, s.portName, "not a serial port name"};
            return false;
        }
        // A port in use elsewhere must fail to open. The lock file comes
        // first, as its convention asks, before the device is even opened.
        const std::string& dir =
            ctx_.serialLockDir.empty() ? std::string(kDefaultLockDir) : ctx_.serialLockDir;
        if (lock_.acquire(dir, path) == UucpLock::Outcome::kHeld) {
            ctx_.lastError = {
                PortFault::kBusy, path,
                "Device or resource busy (another program's lock file in " + dir + ")"};
            return false;
        }
        Fd fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
        if (!fd.valid() || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
            ctx_.lastError = portErrorFromErrno(path, errno);
            lock_.release();
            return false;
        }
        // Only a terminal is a serial port: a regular file or a FIFO named by
        // mistake would otherwise be read as the printer's replies.
        struct stat st {};
        if (::fstat(fd.get(), &st) != 0 || !S_ISCHR(st.st_mode)) {
            ctx_.lastError = {PortFault::kNoDevice, path, "not a terminal device"};
            lock_.release();
            return false;
        }
        ::ioctl(fd.get(), TIOCEXCL);
        // Purge what the printer sent before we came, but not the output
        // queue: on a pseudo-terminal (or a USB serial adapter) the previous
        // operation's bytes may still be on their way, and closing does not
        // wait for them there.
        tcflush(fd.get(), TCIFLUSH);

        termios t{};
        SerialLine line = serialLineFor(s);
        if (tcgetattr(fd.get(), &t) == 0) {
            applySerialLine(line, t);
            tcsetattr(fd.get(), TCSANOW, &t);  // a refusal is not fatal
        }
        int bits = TIOCM_DTR | TIOCM_RTS;
        ::ioctl(fd.get(), line.raiseLines ? TIOCMBIS : TIOCMBIC, &bits);
        tcflush(fd.get(), TCIFLUSH);
        fd_.reset(fd.release());
        return true;
    }

    void close() override {
        if (fd_.valid()) {
            // Closing a terminal waits until its output has gone; whatever a
            // failed write left behind is dropped instead.
            if (queued() > 0) tcflush(fd_.get(), TCOFLUSH);
            ::flock(fd_.get(), LOCK_UN);
        }
        fd_.reset();
        lock_.release();
    }

    std::size_t chunkSize() const override { return 64; }

    bool writeChunk(const std::uint8_t* data, std::size_t n) override {
        if (!fd_.valid()) return false;
        if (writeAllFd(ctx_, fd_.get(), data, n, writeLimitMs(n), FdKind::kOther,
                       [this] { return queued(); }))
            return true;
        tcflush(fd_.get(), TCOFLUSH);
        return false;
    }

    bool drain() override {
        if (!fd_.valid()) return false;
        // The limit counts from the last byte the line took: a slow line
        // with a long queue drains, one held up by its handshake does not.
        if (waitOutputDrained(
                ctx_, [this] { return queued(); },
                [this](int q) { return writeLimitMs(static_cast<std::size_t>(q)); }))
            return true;
        tcflush(fd_.get(), TCOFLUSH);
        return false;
    }

    std::size_t refill(std::uint8_t* dst, std::size_t cap, int waitMs) override {
        return readSomeFd(ctx_, fd_.get(), dst, cap, std::min(ctx_.timeouts.comReadMs, waitMs));
    }

    // Only what came in is dropped. The request just written may still be
    // on its way: a virtual serial port (socat, ser2net, a pseudo-terminal)
    // has not always taken it yet, and purging the output would throw it
    // away. What is still queued is given its time to leave first.
    void purge() override {
        if (!fd_.valid()) return;
        drain();
        tcflush(fd_.get(), TCIFLUSH);
    }

  private:
    int writeLimitMs(std::size_t bytes) const {
        const auto n = static_cast<int>(std::min<std::size_t>(bytes, 1u << 20));
        return ctx_.timeouts.comWriteConstantMs + ctx_.timeouts.comWritePerByteMs * n;
    }

    // Bytes the system still holds unsent; 0 when it cannot tell.
    int queued() const {
        if (ctx_.serialOutputQueued) return ctx_.serialOutputQueued(fd_.get());
        int n = 0;
        return ::ioctl(fd_.get(), TIOCOUTQ, &n) == 0 ? n : 0;
    }

    LinkContext& ctx_;
    Fd fd_;
    UucpLock lock_;
};

}  // namespace

std::unique_ptr<Port> makeSerialPort(LinkContext& ctx) {
    return std::make_unique<SerialPort>(ctx);
}

}  // namespace m350
