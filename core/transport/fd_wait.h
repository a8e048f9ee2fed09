// SPDX-License-Identifier: MIT
// Bounded waits on a file descriptor, sliced so the user interface keeps
// painting while the printer takes its time.
#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <functional>

#include "core/link/link_context.h"

namespace m350 {

// Waits until fd is ready for events (POLLIN / POLLOUT) or timeoutMs passes.
// Returns the revents seen, or 0 on time-out. Pumps the context between slices.
short waitFd(LinkContext& ctx, int fd, short events, int timeoutMs);

// Bytes the system still holds unsent on a descriptor (its output queue);
// negative when it cannot tell.
using OutputQueued = std::function<int()>;

// Writes all n bytes to a non-blocking fd; false on an error or when the
// device takes nothing for stallMs. The limit counts from the last byte the
// device took: the system accepting part of the data, or (when queued is
// given) its output queue getting shorter while the write waits, starts it
// again. A printer that keeps taking data slowly therefore gets the whole
// job; one that takes nothing for the whole limit ends the write. A socket
// is written with send() and MSG_NOSIGNAL (a peer that has gone fails the
// write instead of raising SIGPIPE); anything else (FdKind::kOther) with
// write(), without first asking send() and being told it is no socket.
enum class FdKind { kSocket, kOther };
bool writeAllFd(LinkContext& ctx, int fd, const std::uint8_t* data, std::size_t n, int stallMs,
                FdKind kind, const OutputQueued& queued = {});

// Waits until queued() is 0 (everything written has left the computer):
// short looks first, then every few milliseconds, pumping the context
// meanwhile. Fails when the queue does not get shorter for
// stallMs(bytes still queued), counted from the last time it did.
bool waitOutputDrained(LinkContext& ctx, const OutputQueued& queued,
                       const std::function<int(int queuedBytes)>& stallMs);

// Reads what is available within timeoutMs (at most cap bytes); 0 on time-out,
// end of file or error.
std::size_t readSomeFd(LinkContext& ctx, int fd, std::uint8_t* dst, std::size_t cap, int timeoutMs);

// Owns a descriptor; closes it once.
class Fd {
  public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void reset(int fd = -1) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }

  private:
    int fd_ = -1;
};

}  // namespace m350
