// SPDX-License-Identifier: MIT
// Parallel port (LPT): write-only. The device (or a file or FIFO standing in
// for it) must exist; it is locked for the operation and written in one piece
// within a bounded time, so a printer that takes nothing cannot hang us.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/link/link_context.h"
#include "core/transport/fd_wait.h"
#include "core/transport/port.h"

namespace m350 {

namespace {

class ParallelPort final : public Port {
  public:
    explicit ParallelPort(LinkContext& ctx) : ctx_(ctx) {}
    ~ParallelPort() override { close(); }

    bool open() override {
        std::string path = ctx_.settings->lptDevicePath.empty()
                               ? devicePathForPortName(ctx_.settings->lptName)
                               : ctx_.settings->lptDevicePath;
        if (path.empty()) {
            ctx_.lastError = {PortFault::kNoDevice, ctx_.settings->lptName,
                              "not a parallel port name"};
            return false;
        }
        // No O_CREAT: the port must exist. A FIFO without a reader refuses.
        Fd fd(::open(path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
        if (!fd.valid() || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
            ctx_.lastError = portErrorFromErrno(path, errno);
            return false;
        }
        // A regular file standing for the printer holds what this operation
        // writes, not those bytes over the head of the last one's.
        struct stat st {};
        if (::fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode) && ::ftruncate(fd.get(), 0) != 0) {
            ctx_.lastError = portErrorFromErrno(path, errno);
            return false;
        }
        fd_.reset(fd.release());
        return true;
    }

    void close() override { fd_.reset(); }
    std::size_t chunkSize() const override { return 0; }

    bool writeChunk(const std::uint8_t* data, std::size_t n) override {
        int limit =
            ctx_.timeouts.comWriteConstantMs +
            ctx_.timeouts.comWritePerByteMs * static_cast<int>(std::min<std::size_t>(n, 1u << 20));
        return writeAllFd(ctx_, fd_.get(), data, n, limit, FdKind::kOther);
    }

    std::size_t refill(std::uint8_t*, std::size_t, int) override { return 0; }
    bool readable() const override { return false; }

  private:
    LinkContext& ctx_;
    Fd fd_;
};

}  // namespace

std::unique_ptr<Port> makeParallelPort(LinkContext& ctx) {
    return std::make_unique<ParallelPort>(ctx);
}

}  // namespace m350
