// SPDX-License-Identifier: MIT
#include "core/transport/fd_wait.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <optional>
#include <thread>

namespace m350 {

namespace {
constexpr int kSliceMs = 50;
using Clock = std::chrono::steady_clock;

int msLeft(Clock::time_point until) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
    return static_cast<int>(std::max<long long>(0, left.count()));
}
}  // namespace

short waitFd(LinkContext& ctx, int fd, short events, int timeoutMs) {
    auto until = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        // A stop ends the wait as a time-out would.
        if (ctx.stopping()) return 0;
        pollfd p{fd, events, 0};
        int left = msLeft(until);
        int r = ::poll(&p, 1, std::min(left, kSliceMs));
        if (r > 0) return p.revents;
        if (r < 0 && errno != EINTR) return POLLERR;
        if (left == 0) return 0;
        ctx.pump();
    }
}

bool writeAllFd(LinkContext& ctx, int fd, const std::uint8_t* data, std::size_t n, int stallMs,
                FdKind kind, const OutputQueued& queued) {
    // The limit starts with the first wait: a write the system takes at once
    // (nearly every chunk of a long send) asks no clock. Whatever the device
    // takes starts it again.
    std::optional<Clock::time_point> until;
    int lastQueued = -1;
    std::size_t done = 0;
    // A socket whose peer has gone must fail the write, not raise SIGPIPE and
    // end the program: send() with MSG_NOSIGNAL, write() for everything else
    // (also for a "socket" that turns out not to be one).
    bool socket = kind == FdKind::kSocket;
    while (done < n) {
        ssize_t w = socket ? ::send(fd, data + done, n - done, MSG_NOSIGNAL) : -1;
        if (w < 0 && socket && errno == ENOTSOCK) socket = false;
        if (!socket) w = ::write(fd, data + done, n - done);
        if (w > 0) {
            done += static_cast<std::size_t>(w);
            until.reset();
            continue;
        }
        if (w < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return false;
        // The system may wait for much of its buffer to be free before it
        // says the descriptor is writable; the output queue shows the device
        // taking bytes long before that.
        const int q = queued ? queued() : -1;
        if (!until || (q >= 0 && lastQueued >= 0 && q < lastQueued))
            until = Clock::now() + std::chrono::milliseconds(stallMs);
        lastQueued = q;
        int left = msLeft(*until);
        if (left == 0) return false;
        short re = waitFd(ctx, fd, POLLOUT, q >= 0 ? std::min(left, kSliceMs) : left);
        if (re & (POLLERR | POLLNVAL)) return false;
        if (re == 0 && q < 0) return false;
    }
    return true;
}

bool waitOutputDrained(LinkContext& ctx, const OutputQueued& queued,
                       const std::function<int(int queuedBytes)>& stallMs) {
    int last = queued();
    if (last <= 0) return true;
    auto deadline = Clock::now() + std::chrono::milliseconds(stallMs(last));
    auto nextPump = Clock::now() + std::chrono::milliseconds(kSliceMs);
    // Short looks first: a fast device has usually taken a request within
    // microseconds, and a query should not pay a whole slice for it.
    auto slice = std::chrono::microseconds(50);
    for (;;) {
        std::this_thread::sleep_for(slice);
        slice = std::min<std::chrono::microseconds>(slice * 2, std::chrono::milliseconds(2));
        const int q = queued();
        if (q <= 0) return true;
        const auto now = Clock::now();
        if (q < last) deadline = now + std::chrono::milliseconds(stallMs(q));
        last = q;
        if (now >= deadline) return false;
        if (now >= nextPump) {
            ctx.pump();
            nextPump = now + std::chrono::milliseconds(kSliceMs);
        }
    }
}

std::size_t readSomeFd(LinkContext& ctx, int fd, std::uint8_t* dst, std::size_t cap,
                       int timeoutMs) {
    if (cap == 0) return 0;
    // Wait first, then read: a raw terminal reads 0 bytes when nothing is
    // there, which must not be taken for the end of the stream.
    auto until = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        short re = waitFd(ctx, fd, POLLIN, msLeft(until));
        if (re == 0 || (re & POLLNVAL)) return 0;
        if ((re & (POLLERR | POLLHUP)) && !(re & POLLIN)) return 0;
        ssize_t r = ::read(fd, dst, cap);
        if (r > 0) return static_cast<std::size_t>(r);
        if (r == 0) return 0;
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return 0;
        if (msLeft(until) == 0) return 0;
    }
}

}  // namespace m350
