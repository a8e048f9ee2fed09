// SPDX-License-Identifier: MIT
#include "core/files/local_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string_view>
#include <vector>

namespace m350 {

namespace {

// How many symbolic links a save follows before it gives up, as the kernel does.
constexpr int kMaxLinkHops = 40;

bool writeAll(int fd, const std::uint8_t* p, std::size_t n) {
    while (n > 0) {
        const ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (w == 0) {
            errno = EIO;
            return false;
        }
        p += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

std::string directoryOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

void setWhy(std::string* why, const std::string& text) {
    if (why) *why = text;
}

std::string reason(const std::string& verb, const std::string& path, int err) {
    return "cannot " + verb + " " + path + ": " + std::strerror(err);
}

// What kind of thing that is not a regular file stands at a path, for messages.
const char* kindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a directory";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    return "not a regular file";
}

// Follows symbolic links from path to the name that is to be replaced. A link
// to a name that does not exist yet resolves to that name (the save creates
// it). False with errno set on a loop or an unreadable link.
bool resolveLinks(const std::string& path, std::string& target) {
    target = path;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0) return errno == ENOENT;
        if (!S_ISLNK(st.st_mode)) return true;
        std::vector<char> buf(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
        const ssize_t n = ::readlink(target.c_str(), buf.data(), buf.size());
        if (n < 0) return false;
        std::string next(buf.data(), static_cast<std::size_t>(n));
        if (next.empty()) {
            errno = ENOENT;
            return false;
        }
        target = next.front() == '/' ? next : directoryOf(target) + "/" + next;
    }
    errno = ELOOP;
    return false;
}

// Temporary files being written, so that SIGINT and SIGTERM can remove them.
// A slot is 0 free, 1 being filled, 2 naming a live temporary file; the
// handler reads only slots in state 2, with nothing but unlink().
struct TemporarySlot {
    std::atomic<int> state{0};
    char path[PATH_MAX];
};
std::array<TemporarySlot, 32> gTemporaries;
static_assert(std::atomic<int>::is_always_lock_free);

// Registers a temporary file for as long as it lives; a name that does not
// fit (or a full table) goes unregistered and is then only cleaned up by a
// later save (removeStaleTemporaries).
class TemporaryRegistration {
  public:
    explicit TemporaryRegistration(const char* path) {
        const std::size_t n = std::strlen(path);
        if (n >= PATH_MAX) return;
        for (TemporarySlot& s : gTemporaries) {
            int free = 0;
            if (!s.state.compare_exchange_strong(free, 1)) continue;
            std::memcpy(s.path, path, n + 1);
            s.state.store(2);
            slot_ = &s;
            return;
        }
    }
    ~TemporaryRegistration() { release(); }
    TemporaryRegistration(const TemporaryRegistration&) = delete;
    TemporaryRegistration& operator=(const TemporaryRegistration&) = delete;
    void release() {
        if (slot_) slot_->state.store(0);
        slot_ = nullptr;
    }

  private:
    TemporarySlot* slot_ = nullptr;
};

extern "C" void removeTemporariesAndDie(int sig) {
    removeTemporaryFilesNow();
    ::signal(sig, SIG_DFL);
    ::raise(sig);
}

// SIGINT and SIGTERM remove the temporary files before the process ends, when
// nobody else handles them (a program with its own handler calls
// removeTemporaryFilesNow from it).
void installTemporaryCleanup() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (int sig : {SIGINT, SIGTERM}) {
            struct sigaction old {};
            if (::sigaction(sig, nullptr, &old) != 0) continue;
            if ((old.sa_flags & SA_SIGINFO) || old.sa_handler != SIG_DFL) continue;
            struct sigaction sa {};
            sa.sa_handler = removeTemporariesAndDie;
            sigemptyset(&sa.sa_mask);
            ::sigaction(sig, &sa, nullptr);
        }
    });
}

// The longest name a folder entry may have; a target whose temporary name
// would be longer gets its name cut for the temporary.
constexpr std::size_t kNameMax = NAME_MAX;
constexpr std::size_t kTemporarySuffix = 7;  // ".XXXXXX"

// target's folder and the first part of its temporary file's name: the
// target's own name, cut so that the suffix fits.
std::string temporaryPrefix(const std::string& target) {
    const auto slash = target.find_last_of('/');
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    std::string base = target.substr(start);
    if (base.size() + kTemporarySuffix > kNameMax) base.resize(kNameMax - kTemporarySuffix);
    return target.substr(0, start) + base;
}

// A save killed outright (SIGKILL, a power cut) leaves its temporary file
// behind. The next save of the same file removes those of its own pattern
// (the prefix, a dot and six letters or digits) that are regular files of
// this user, untouched for a minute: no save still writes them.
void removeStaleTemporaries(const std::string& prefix) {
    const auto slash = prefix.find_last_of('/');
    const std::string dir = slash == std::string::npos ? "." : prefix.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? prefix : prefix.substr(slash + 1);
    DIR* d = ::opendir(dir.c_str());
    if (!d) return;
    const std::time_t now = std::time(nullptr);
    while (const dirent* e = ::readdir(d)) {
        const std::string_view name = e->d_name;
        if (name.size() != base.size() + kTemporarySuffix || !name.starts_with(base) ||
            name[base.size()] != '.')
            continue;
        bool pattern = true;
        for (char c : name.substr(base.size() + 1))
            pattern = pattern &&
                      ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'));
        if (!pattern) continue;
        struct stat st {};
        if (::fstatat(::dirfd(d), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid() || now - st.st_mtime < 60) continue;
        ::unlinkat(::dirfd(d), e->d_name, 0);
    }
    ::closedir(d);
}

}  // namespace

void removeTemporaryFilesNow() {
    for (TemporarySlot& s : gTemporaries)
        if (s.state.load() == 2) ::unlink(s.path);
}

bool writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                         std::string* why) {
    if (path.empty()) {
        setWhy(why, "no file name given");
        return false;
    }
    std::string target;
    if (!resolveLinks(path, target)) {
        setWhy(why, reason("write", path, errno));
        return false;
    }
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        // Renaming over it would put a regular file where a device, a FIFO or a
        // socket was (or fail on a directory); the operator meant none of that.
        setWhy(why, "cannot write " + path + ": it is " + kindOf(existing.st_mode) +
                        ", not a regular file");
        return false;
    }

    installTemporaryCleanup();
    const std::string prefix = temporaryPrefix(target);
    removeStaleTemporaries(prefix);
    std::string tmpl = prefix + ".XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    // Signals wait while the temporary file is made and registered, so none
    // can end the process between the two.
    sigset_t block, saved;
    sigemptyset(&block);
    sigaddset(&block, SIGINT);
    sigaddset(&block, SIGTERM);
    ::pthread_sigmask(SIG_BLOCK, &block, &saved);
    const int fd = ::mkstemp(name.data());
    const int mkstempErr = errno;
    TemporaryRegistration registration(fd >= 0 ? name.data() : "");
    if (fd < 0) registration.release();
    ::pthread_sigmask(SIG_SETMASK, &saved, nullptr);
    if (fd < 0) {
        setWhy(why, reason("write", path, mkstempErr));
        return false;
    }
    bool ok = writeAll(fd, bytes.data(), bytes.size());
    int err = ok ? 0 : errno;
    // mkstemp creates the file 0600. A replaced file keeps its mode, owner and
    // group; a new one gets the usual mode under the umask.
    if (ok) {
        mode_t mode = 0;
        if (exists) {
            mode = existing.st_mode & 07777;
            // Another user's file stays theirs when the process may say so (root);
            // otherwise at least its group where we belong to it.
            if (::fchown(fd, existing.st_uid, existing.st_gid) != 0 &&
                ::fchown(fd, static_cast<uid_t>(-1), existing.st_gid) != 0) {
                // Neither is allowed: the file becomes ours, like a new one.
            }
        } else {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            mode = 0666 & ~mask;
        }
        ok = ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
        if (!ok) err = errno;
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && ::rename(name.data(), target.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(name.data());
        registration.release();
        setWhy(why, reason("write", path, err));
        return false;
    }
    registration.release();
    // Make the rename itself durable.
    const int dir = ::open(directoryOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

int openLocalOutputFile(const std::string& path, std::string* why) {
    if (path.empty()) {
        setWhy(why, "no file name given");
        return -1;
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        setWhy(why,
               "cannot write " + path + ": it is " + kindOf(st.st_mode) + ", not a regular file");
        return -1;
    }
    // O_NONBLOCK: should a FIFO appear at the name between the check and the
    // open, the open must not wait for a reader; the check after it refuses it.
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd < 0) {
        setWhy(why, reason("write", path, errno));
        return -1;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        setWhy(why,
               "cannot write " + path + ": it is " + kindOf(st.st_mode) + ", not a regular file");
        ::close(fd);
        return -1;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    if (::ftruncate(fd, 0) != 0) {
        setWhy(why, reason("write", path, errno));
        ::close(fd);
        return -1;
    }
    return fd;
}

bool writeFileAtomically(const std::string& path, std::string_view bytes, std::string* why) {
    return writeFileAtomically(
        path,
        std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                      bytes.size()),
        why);
}

bool readLocalDescriptor(int fd, const std::string& name, std::size_t maxBytes, std::string& data,
                         std::string& why) {
    data.clear();
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0) {
            data.append(buf, static_cast<std::size_t>(n));
            if (data.size() > maxBytes) {
                data.clear();
                why =
                    "cannot read " + name + ": longer than " + std::to_string(maxBytes) + " bytes";
                return false;
            }
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            why = reason("read", name, errno);
            data.clear();
            return false;
        }
        return true;
    }
}

namespace {

// The open of readLocalFile and openLocalFile; kReadHead lets a longer file by.
int openRegular(const std::string& path, std::size_t maxBytes, std::string& why,
                LongerFile longer) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        why = reason("open", path, errno);
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        why = "cannot read " + path + ": it is " + kindOf(st.st_mode) + ", not a regular file";
        return -1;
    }
    if (longer == LongerFile::kRefuse && static_cast<std::uint64_t>(st.st_size) > maxBytes) {
        why = "cannot read " + path + ": longer than " + std::to_string(maxBytes) + " bytes";
        return -1;
    }
    // O_NONBLOCK: should the path have become a FIFO since the check, the open
    // does not wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        why = reason("open", path, errno);
        return -1;
    }
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        ::close(fd);
        why = "cannot read " + path + ": not a regular file";
        return -1;
    }
    if (longer == LongerFile::kRefuse && static_cast<std::uint64_t>(opened.st_size) > maxBytes) {
        ::close(fd);
        why = "cannot read " + path + ": longer than " + std::to_string(maxBytes) + " bytes";
        return -1;
    }
    return fd;
}

// An unnamed file in the temporary folder, gone when its descriptor closes.
int unnamedTemporaryFile() {
    const char* tmp = std::getenv("TMPDIR");
    const std::string dir = tmp && *tmp ? tmp : "/tmp";
    int fd = ::open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0) return fd;
    std::string name = dir + "/m350-input-XXXXXX";
    fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0) ::unlink(name.c_str());
    return fd;
}

}  // namespace

int openLocalFile(const std::string& path, std::size_t maxBytes, std::string& why) {
    return openRegular(path, maxBytes, why, LongerFile::kRefuse);
}

int openLocalDescriptor(int fd, const std::string& name, std::size_t maxBytes, std::string& why) {
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        const off_t at = ::lseek(fd, 0, SEEK_CUR);
        const std::uint64_t rest =
            static_cast<std::uint64_t>(st.st_size) - static_cast<std::uint64_t>(at > 0 ? at : 0);
        if (rest > maxBytes) {
            why = "cannot read " + name + ": longer than " + std::to_string(maxBytes) + " bytes";
            return -1;
        }
        const int own = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
        if (own < 0) why = reason("read", name, errno);
        return own;
    }
    const int spool = unnamedTemporaryFile();
    if (spool < 0) {
        why = reason("read", name, errno) + " (no temporary file)";
        return -1;
    }
    std::vector<std::uint8_t> buf(65536);
    std::size_t total = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buf.data(), buf.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            why = reason("read", name, errno);
            ::close(spool);
            return -1;
        }
        if (n == 0) break;
        total += static_cast<std::size_t>(n);
        if (total > maxBytes) {
            why = "cannot read " + name + ": longer than " + std::to_string(maxBytes) + " bytes";
            ::close(spool);
            return -1;
        }
        if (!writeAll(spool, buf.data(), static_cast<std::size_t>(n))) {
            why = reason("read", name, errno) + " (the temporary file)";
            ::close(spool);
            return -1;
        }
    }
    ::lseek(spool, 0, SEEK_SET);
    return spool;
}

bool readLocalFile(const std::string& path, std::size_t maxBytes, std::string& data,
                   std::string& why, LongerFile longer) {
    data.clear();
    const int fd = openRegular(path, maxBytes, why, longer);
    if (fd < 0) return false;
    bool ok = true;
    if (longer == LongerFile::kReadHead) {
        data.resize(maxBytes);
        std::size_t got = 0;
        while (got < maxBytes) {
            const ssize_t n = ::read(fd, data.data() + got, maxBytes - got);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                why = reason("read", path, errno);
                ok = false;
            }
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        data.resize(ok ? got : 0);
    } else {
        ok = readLocalDescriptor(fd, path, maxBytes, data, why);
    }
    ::close(fd);
    return ok;
}

}  // namespace m350
