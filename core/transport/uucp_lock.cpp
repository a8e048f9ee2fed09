// SPDX-License-Identifier: MIT
#include "core/transport/uucp_lock.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace m350 {

namespace {

// A lock file that names no process may be one another program has created
// and not yet written; after this long it is taken for debris.
constexpr int kUnwrittenLockSeconds = 5;
// Stale locks removed and the creation retried before giving up.
constexpr int kAttempts = 3;

std::string nameFor(const std::string& path) {
    static const std::string kDev = "/dev/";
    std::string rest;
    if (path.rfind(kDev, 0) == 0) {
        rest = path.substr(kDev.size());
        for (char& c : rest)
            if (c == '/') c = '_';
    } else {
        auto slash = path.find_last_of('/');
        rest = slash == std::string::npos ? path : path.substr(slash + 1);
    }
    return rest.empty() ? std::string() : "LCK.." + rest;
}

bool readSmallFile(const std::string& path, std::string& out) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return false;
    char buf[64];
    ssize_t n = ::read(fd, buf, sizeof buf);
    ::close(fd);
    if (n < 0) return false;
    out.assign(buf, static_cast<std::size_t>(n));
    return true;
}

bool processLives(int pid) {
    if (pid <= 0) return false;
    // EPERM: it exists, it only belongs to somebody else.
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

// What is in the way of our lock at path.
enum class Existing { kNone, kLive, kStale, kUnknown };

Existing inspect(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return errno == ENOENT ? Existing::kNone : Existing::kUnknown;
    std::string content;
    if (!readSmallFile(path, content)) return Existing::kUnknown;
    const int owner = uucpLockOwner(content);
    if (owner > 0) return processLives(owner) ? Existing::kLive : Existing::kStale;
    const std::time_t age = std::time(nullptr) - st.st_mtime;
    return age < kUnwrittenLockSeconds ? Existing::kLive : Existing::kStale;
}

}  // namespace

std::vector<std::string> uucpLockNames(const std::string& devicePath) {
    std::vector<std::string> names;
    char real[PATH_MAX];
    if (::realpath(devicePath.c_str(), real)) {
        std::string n = nameFor(real);
        if (!n.empty()) names.push_back(n);
    }
    std::string given = nameFor(devicePath);
    if (!given.empty() && (names.empty() || names.front() != given)) names.push_back(given);
    return names;
}

int uucpLockOwner(const std::string& content) {
    std::size_t i = 0;
    while (i < content.size() && content[i] == ' ') ++i;
    std::size_t digitsAt = i;
    long long pid = 0;
    while (i < content.size() && content[i] >= '0' && content[i] <= '9' && pid <= INT_MAX) {
        pid = pid * 10 + (content[i] - '0');
        ++i;
    }
    if (i > digitsAt) {
        const bool ended = i == content.size() || content[i] == '\n';
        return ended && pid <= INT_MAX ? static_cast<int>(pid) : 0;
    }
    if (content.size() == 4) {
        // Old programs wrote the number as it lies in memory.
        std::int32_t binary = 0;
        std::memcpy(&binary, content.data(), 4);
        return binary > 0 ? binary : 0;
    }
    return 0;
}

UucpLock::Outcome UucpLock::acquire(const std::string& dir, const std::string& devicePath) {
    release();
    struct stat st {};
    if (dir.empty() || ::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return Outcome::kUnavailable;
    const std::vector<std::string> names = uucpLockNames(devicePath);
    if (names.empty()) return Outcome::kUnavailable;

    // Any live holder, under either name, keeps us out; debris is cleared.
    for (const std::string& name : names) {
        const std::string path = dir + "/" + name;
        switch (inspect(path)) {
            case Existing::kLive:
                return Outcome::kHeld;
            case Existing::kStale:
                ::unlink(path.c_str());
                break;
            case Existing::kNone:
            case Existing::kUnknown:
                break;
        }
    }

    const std::string path = dir + "/" + names.front();
    char text[16];
    const int len = std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(::getpid()));
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd >= 0) {
            const bool written = ::write(fd, text, static_cast<std::size_t>(len)) == len;
            ::close(fd);
            if (!written) {
                ::unlink(path.c_str());
                return Outcome::kUnavailable;
            }
            path_ = path;
            return Outcome::kTaken;
        }
        if (errno != EEXIST) return Outcome::kUnavailable;  // read-only or not ours to write
        // Somebody was quicker, or a lock appeared since we looked.
        switch (inspect(path)) {
            case Existing::kLive:
            case Existing::kUnknown:
                return Outcome::kHeld;
            case Existing::kStale:
                ::unlink(path.c_str());
                break;
            case Existing::kNone:
                break;
        }
    }
    return Outcome::kHeld;
}

void UucpLock::release() {
    if (path_.empty()) return;
    std::string content;
    // Only our own: a lock another program has since taken over stays.
    if (readSmallFile(path_, content) && uucpLockOwner(content) == ::getpid())
        ::unlink(path_.c_str());
    path_.clear();
}

}  // namespace m350
