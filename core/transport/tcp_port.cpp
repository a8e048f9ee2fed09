// SPDX-License-Identifier: MIT
// Network port (ETHERNET): one TCP connection per operation. The connect, every
// write attempt and every read wait are bounded by the context's limits; a
// peer that closes or resets ends the operation with a failure, never a hang.
#include <linux/sockios.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/link/link_context.h"
#include "core/transport/fd_wait.h"
#include "core/transport/port.h"
#include "core/transport/port_error.h"

namespace m350 {

namespace {

class TcpPort final : public Port {
  public:
    explicit TcpPort(LinkContext& ctx) : ctx_(ctx) {}
    ~TcpPort() override { close(); }

    bool open() override {
        unchecked_ = 0;
        unacknowledged_ = 0;
        const NetAddress& a = ctx_.settings->net;
        device_ = a.address.find(':') != std::string::npos
                      ? "[" + a.address + "]:" + std::to_string(a.port)
                      : a.address + ":" + std::to_string(a.port);
        if (a.address.empty() || a.port <= 0 || a.port > 65535) {
            ctx_.lastError = {PortFault::kNoDevice, device_, "no printer address and port given"};
            return false;
        }
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* res = nullptr;
        if (int rc = ::getaddrinfo(a.address.c_str(), std::to_string(a.port).c_str(), &hints, &res);
            rc != 0) {
            if (rc == EAI_SYSTEM)
                ctx_.lastError = portErrorFromErrno(device_, errno);
            else
                ctx_.lastError = {rc == EAI_NONAME || rc == EAI_AGAIN || rc == EAI_FAIL
                                      ? PortFault::kHostUnknown
                                      : PortFault::kOther,
                                  device_, ::gai_strerror(rc)};
            return false;
        }
        bool ok = false;
        for (addrinfo* ai = res; ai && !ok; ai = ai->ai_next) ok = connectTo(ai);
        ::freeaddrinfo(res);
        return ok;
    }

    void close() override { fd_.reset(); }
    std::size_t chunkSize() const override { return 512; }

    bool writeChunk(const std::uint8_t* data, std::size_t n) override {
        // Whether the printer is still there costs a system call, so it is
        // asked before the first chunk after the open or a read, and then
        // every kRecheckBytes: a file of many chunks goes out with one send()
        // each, as a plain socket would send it. A printer gone in between
        // fails a send itself (reset, broken pipe) or the next check.
        if (unchecked_ == 0 || unchecked_ >= kRecheckBytes) {
            if (!connected()) return false;
            unchecked_ = 0;
        }
        unchecked_ += n;
        unacknowledged_ += n;
        return writeAllFd(ctx_, fd_.get(), data, n, ctx_.timeouts.netWriteMs, FdKind::kSocket,
                          [this] { return queued(); });
    }

    // A long send has succeeded once the printer has taken it all, not when
    // its end went into the send buffer; a request or command line goes on
    // at once to what follows (its reply acknowledges it).
    bool drain() override {
        if (unacknowledged_ < kBulkBytes) return true;
        unacknowledged_ = 0;
        return waitOutputDrained(
            ctx_, [this] { return queued(); }, [this](int) { return ctx_.timeouts.netWriteMs; });
    }

    // Requests leave at once (TCP_NODELAY, set at the connect); a long send
    // is corked so that its 512-byte chunks leave as full segments instead
    // of one segment each, and uncorking sends the rest straight away.
    void beginBulk() override { setCork(true); }
    void endBulk() override { setCork(false); }

    std::size_t refill(std::uint8_t* dst, std::size_t cap, int waitMs) override {
        if (!fd_.valid()) return 0;
        unchecked_ = 0;
        unacknowledged_ = 0;
        return readSomeFd(ctx_, fd_.get(), dst, std::min<std::size_t>(cap, 4096),
                          std::min(ctx_.timeouts.netReadMs, waitMs));
    }

  private:
    bool connectTo(const addrinfo* ai) {
        Fd fd(::socket(ai->ai_family, ai->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                       ai->ai_protocol));
        if (!fd.valid()) return failed(errno);
        if (::connect(fd.get(), ai->ai_addr, ai->ai_addrlen) != 0) {
            if (errno != EINPROGRESS) return failed(errno);
            short re = waitFd(ctx_, fd.get(), POLLOUT, ctx_.timeouts.netConnectMs);
            if (re == 0) return failed(ETIMEDOUT);
            int err = 0;
            socklen_t len = sizeof err;
            if (::getsockopt(fd.get(), SOL_SOCKET, SO_ERROR, &err, &len) != 0) return failed(errno);
            if (err != 0) return failed(err);
        }
        int one = 1;
        ::setsockopt(fd.get(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        ::setsockopt(fd.get(), SOL_SOCKET, SO_SNDBUF, &kSendBuffer, sizeof kSendBuffer);
        fd_.reset(fd.release());
        return true;
    }

    void setCork(bool on) {
        if (!fd_.valid()) return;
        const int value = on ? 1 : 0;
        ::setsockopt(fd_.get(), IPPROTO_TCP, TCP_CORK, &value, sizeof value);
    }

    // Keeps the reason of the last address tried; false.
    bool failed(int err) {
        ctx_.lastError = portErrorFromErrno(device_, err);
        return false;
    }

    // The peer has not closed or reset the connection.
    bool connected() {
        if (!fd_.valid()) return false;
        pollfd p{fd_.get(), POLLRDHUP, 0};
        if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR))) return false;
        return true;
    }

    // Bytes sent but not yet acknowledged by the printer; -1 when unknown.
    int queued() const {
        int n = 0;
        return ::ioctl(fd_.get(), SIOCOUTQ, &n) == 0 ? n : -1;
    }

    static constexpr std::size_t kRecheckBytes = 64 * 1024;
    // Writes at least this long wait in drain() for the printer to take them.
    static constexpr std::size_t kBulkBytes = 64 * 1024;
    // Small enough that what is still queued when a send ends is a moment of
    // the printer's work, large enough for a full network's throughput (the
    // system doubles it).
    static constexpr int kSendBuffer = 256 * 1024;

    LinkContext& ctx_;
    Fd fd_;
    std::string device_;
    // Bytes written since the connection was last checked; 0: check first.
    std::size_t unchecked_ = 0;
    // Bytes written since the last read or drain.
    std::size_t unacknowledged_ = 0;
};

}  // namespace

std::unique_ptr<Port> makeTcpPort(LinkContext& ctx) {
    return std::make_unique<TcpPort>(ctx);
}

}  // namespace m350
