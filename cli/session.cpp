#include "cli/session.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

#include "cli/terminal_progress.h"
#include "core/link/link_operations.h"

namespace m350::cli {

Session::Session(PortChoice port, std::FILE* out, std::FILE* err)
    : port_(std::move(port)), out_(out), err_(err) {
    ctx_.settings = &port_.settings;
    // Without a window there is nothing to keep on screen after an operation.
    ctx_.timeouts.progressHideMs = 0;
}

void Session::showProgressOn(std::FILE* terminal) {
    progress_ = std::make_unique<TerminalProgress>(terminal);
    ctx_.progress = progress_.get();
}

int Session::run(std::uint32_t op, const m350::OperationCall& call, bool withProgress) {
    return report(m350::runOperation(ctx_, op, port_.iface, call, withProgress));
}

int Session::report(int result) {
    if (result != m350::kOk) {
        const std::string_view text = m350::resultText(result);
        std::fprintf(err_, "%.*s\n", static_cast<int>(text.size()), text.data());
        std::fflush(err_);
    }
    return result;
}

int Session::fail(int code, const std::string& message) {
    std::fprintf(err_, "m350ctl: %s\n", message.c_str());
    std::fflush(err_);
    return code;
}

bool readWholeFile(const std::string& path, std::string& data, std::string& error) {
    data.clear();
    const bool useStdin = path == "-";
    const int fd = useStdin ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    char buf[65536];
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0) {
            data.append(buf, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = "cannot read " + (useStdin ? std::string("standard input") : path) + ": " +
                    std::strerror(errno);
            ok = false;
        }
        break;
    }
    if (!useStdin) ::close(fd);
    return ok;
}

bool writeFileAtomically(const std::string& path, const void* data, std::size_t size,
                         std::string& error) {
    std::string tmp = path + ".XXXXXX";
    const int fd = ::mkstemp(tmp.data());
    if (fd < 0) {
        error = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    const auto* p = static_cast<const char*>(data);
    std::size_t left = size;
    bool ok = true;
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    // mkstemp makes the file private; a saved file gets the usual mode instead.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (ok) ok = ::fchmod(fd, 0666 & ~mask) == 0 && ::fsync(fd) == 0;
    const int saved = errno;
    if (::close(fd) != 0 && ok) ok = false;
    if (ok && ::rename(tmp.c_str(), path.c_str()) == 0) return true;
    error = "cannot write " + path + ": " + std::strerror(ok ? errno : saved);
    ::unlink(tmp.c_str());
    return false;
}

}  // namespace m350::cli
