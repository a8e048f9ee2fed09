// Serial port (COM). Opened exclusively (TIOCEXCL and an advisory lock, since
// root ignores TIOCEXCL), raw, non-blocking; every wait is bounded: reads by the
// read limit, writes by a constant plus a per-byte allowance.
#include "core/transport/serial_port.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "core/link/link_context.h"
#include "core/transport/fd_wait.h"
#include "core/transport/port.h"

namespace m350 {

SerialLine serialLineFor(const SerialSettings& s) {
    static constexpr speed_t kSpeeds[] = {B2400, B4800, B9600, B19200, B38400, B57600, B115200};
    SerialLine line{};
    line.speed = (s.baud >= 0 && s.baud < 7) ? kSpeeds[s.baud] : B9600;
    line.cflagSet = (s.dataBits == 0) ? CS7 : CS8;
    if (s.parity == 1) {
        line.cflagSet |= PARENB | PARODD;
        line.iflagSet |= INPCK;
    } else if (s.parity == 2) {
        line.cflagSet |= PARENB;
    }
    if (s.stopBits == 1 || s.stopBits == 2) line.cflagSet |= CSTOPB;
    if (s.handshake != 0) line.cflagSet |= CRTSCTS;
    line.raiseLines = s.handshake != 0;
    if (s.xonXoff == 1) line.iflagSet |= IXON | IXOFF;
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

class SerialPort final : public Port {
  public:
    explicit SerialPort(LinkContext& ctx) : ctx_(ctx) {}
    ~SerialPort() override { close(); }

    bool open() override {
        const SerialSettings& s = ctx_.settings->serial;
        std::string path = devicePathForPortName(s.portName);
        if (path.empty()) return false;
        Fd fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
        if (!fd.valid()) return false;
        // A port in use elsewhere must fail to open.
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) return false;
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
        if (fd_.valid()) ::flock(fd_.get(), LOCK_UN);
        fd_.reset();
    }

    std::size_t chunkSize() const override { return 64; }

    bool writeChunk(const std::uint8_t* data, std::size_t n) override {
        int limit = ctx_.timeouts.comWriteConstantMs +
                    ctx_.timeouts.comWritePerByteMs * static_cast<int>(n);
        return writeAllFd(ctx_, fd_.get(), data, n, limit);
    }

    std::size_t refill(std::uint8_t* dst, std::size_t cap) override {
        return readSomeFd(ctx_, fd_.get(), dst, cap, ctx_.timeouts.comReadMs);
    }

    void purge() override {
        if (fd_.valid()) tcflush(fd_.get(), TCIOFLUSH);
    }

  private:
    LinkContext& ctx_;
    Fd fd_;
};

}  // namespace

std::unique_ptr<Port> makeSerialPort(LinkContext& ctx) {
    return std::make_unique<SerialPort>(ctx);
}

}  // namespace m350
