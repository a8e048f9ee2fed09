// SPDX-License-Identifier: MIT
// The serial port's claim on its device, against pseudo-terminals held by
// other processes: the lock files of the UUCP convention, flock(), and a
// line whose output never drains.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "core/link/connection.h"
#include "core/link/link_operations.h"
#include "core/printer/maintenance.h"
#include "core/transport/uucp_lock.h"

using namespace m350;
namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

long long msSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// A pseudo-terminal standing in for COM4, and a lock folder of the test's own.
struct SerialRig {
    int master = -1;
    int slave = -1;
    std::string path;
    fs::path lockDir;
    PortSettings settings;
    LinkContext ctx;

    SerialRig() {
        char name[256] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) == 0) path = name;
        termios t{};
        tcgetattr(slave, &t);
        cfmakeraw(&t);
        tcsetattr(slave, TCSANOW, &t);
        lockDir = fs::temp_directory_path() /
                  ("m350-lock-" + std::to_string(getpid()) + "-" + std::to_string(master));
        fs::create_directories(lockDir);
        setenv("M350_COM4", path.c_str(), 1);
        settings.serial.portName = "COM4";
        ctx.settings = &settings;
        ctx.serialLockDir = lockDir.string();
        ctx.timeouts.comReadMs = 300;
        ctx.timeouts.comWriteConstantMs = 300;
        ctx.timeouts.progressHideMs = 0;
    }
    ~SerialRig() {
        unsetenv("M350_COM4");
        ::close(master);
        ::close(slave);
        std::error_code ec;
        fs::remove_all(lockDir, ec);
    }

    fs::path lockFile() const { return lockDir / uucpLockNames(path).front(); }
    void writeLock(const std::string& content) const {
        std::ofstream(lockFile(), std::ios::binary) << content;
    }
    std::string readLock() const {
        std::ifstream in(lockFile(), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // What reached the far end of the line so far.
    std::string received() {
        std::string out;
        char buf[4096];
        int flags = fcntl(master, F_GETFL);
        fcntl(master, F_SETFL, flags | O_NONBLOCK);
        for (int quiet = 0; quiet < 10;) {
            ssize_t n = ::read(master, buf, sizeof buf);
            if (n > 0) {
                out.append(buf, static_cast<std::size_t>(n));
                quiet = 0;
            } else {
                ++quiet;
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        }
        fcntl(master, F_SETFL, flags);
        return out;
    }
    int exitLineMode() {
        return m350::runOperation(ctx, kOpExitLineMode, kCom, m350::exitLineMode);
    }
};

// Another process that lives until the test ends it; with a path, it holds
// that device open with flock() the whole time.
class OtherProcess {
  public:
    explicit OtherProcess(const std::string& flockPath = {}) {
        int ready[2];
        if (::pipe(ready) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            if (!flockPath.empty()) {
                int fd = ::open(flockPath.c_str(), O_RDWR | O_NOCTTY);
                if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) ::_exit(1);
            }
            char b = 1;
            if (::write(ready[1], &b, 1) != 1) ::_exit(1);
            ::pause();
            ::_exit(0);
        }
        ::close(ready[1]);
        char b = 0;
        ok_ = pid_ > 0 && ::read(ready[0], &b, 1) == 1;
        ::close(ready[0]);
    }
    ~OtherProcess() { end(); }
    void end() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    bool ok() const { return ok_; }
    pid_t pid() const { return pid_; }

  private:
    pid_t pid_ = -1;
    bool ok_ = false;
};

// The id of a process that has ended.
pid_t endedProcess() {
    OtherProcess p;
    pid_t pid = p.pid();
    p.end();
    return pid;
}

std::string lockText(pid_t pid) {
    char text[16];
    std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(pid));
    return text;
}

}  // namespace

TEST(UucpLockFile, NamesAndOwners) {
    EXPECT_EQ(uucpLockNames("/dev/ttyS0"), std::vector<std::string>{"LCK..ttyS0"});
    // No such device: the name as given.
    EXPECT_EQ(uucpLockNames("/dev/ttyUSB9-not-there"),
              std::vector<std::string>{"LCK..ttyUSB9-not-there"});
    struct OwnerCase {
        std::string content;
        int owner;
    };
    const std::int32_t binary = 4242;
    const OwnerCase owners[] = {
        {"      1234\n", 1234},
        {"1234\n", 1234},
        {"1234", 1234},
        {std::string(reinterpret_cast<const char*>(&binary), 4), 4242},
        {"", 0},
        {"\n", 0},
        {"12ab\n", 0},
        {"-5\n", 0},
        {"99999999999\n", 0},
    };
    for (const auto& c : owners) EXPECT_EQ(uucpLockOwner(c.content), c.owner) << c.content;

    // A link to a device is locked under the device's own name, and under the
    // link's name as well.
    SerialRig rig;
    ASSERT_FALSE(rig.path.empty());
    fs::path link = rig.lockDir / "printer-link";
    fs::create_symlink(rig.path, link);
    std::string own = rig.path.substr(5);  // below /dev/
    for (auto& c : own)
        if (c == '/') c = '_';
    own = "LCK.." + own;
    EXPECT_EQ(uucpLockNames(link.string()), (std::vector<std::string>{own, "LCK..printer-link"}));
}

TEST(UucpLockFile, TheLockOfALiveProcessKeepsThePortClosed) {
    SerialRig rig;
    ASSERT_FALSE(rig.path.empty());
    OtherProcess holder;
    ASSERT_TRUE(holder.ok());
    rig.writeLock(lockText(holder.pid()));
    EXPECT_EQ(rig.exitLineMode(), kPortOpenError);
    EXPECT_EQ(rig.received(), "") << "a held port receives nothing";
    EXPECT_EQ(rig.readLock(), lockText(holder.pid())) << "another's lock stays as it was";

    // Under the name of a link to the device, too.
    fs::path link = rig.lockDir / "printer-link";
    fs::create_symlink(rig.path, link);
    fs::remove(rig.lockFile());
    std::ofstream(rig.lockDir / "LCK..printer-link") << lockText(holder.pid());
    setenv("M350_COM4", link.c_str(), 1);
    EXPECT_EQ(rig.exitLineMode(), kPortOpenError);

    // The holder ends: its lock is stale, taken over, and the port works.
    holder.end();
    EXPECT_EQ(rig.exitLineMode(), kOk);
    EXPECT_EQ(rig.received(), "\x1BZ\r\n");
    EXPECT_FALSE(fs::exists(rig.lockDir / "LCK..printer-link"));
    EXPECT_FALSE(fs::exists(rig.lockFile())) << "ours is gone once the operation ends";
}

// The exit-line-mode operation run by another user than root: in a child that
// becomes "nobody" when the suite runs as root, so that a lock owner it may
// not signal answers EPERM as it does for operators. -1 when no other user
// could be taken.
int exitLineModeAsAnotherUser(SerialRig& rig) {
    if (::geteuid() != 0) return rig.exitLineMode();
    constexpr uid_t kNobody = 65534;
    ::chmod(rig.path.c_str(), 0666);
    fs::permissions(rig.lockDir, fs::perms::all);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            ::_exit(99);
        ::_exit(rig.exitLineMode());
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) == 99)
        return -1;
    return WEXITSTATUS(status);
}

TEST(UucpLockFile, ALiveLockOfAnotherUsersProcessKeepsThePortClosed) {
    SerialRig rig;
    ASSERT_FALSE(rig.path.empty());
    // Process 1 lives, and belongs to root: to anybody else it is another
    // user's process, which kill(1, 0) answers with EPERM.
    struct stat init {};
    if (::stat("/proc/1", &init) != 0 || init.st_uid != 0)
        GTEST_SKIP() << "process 1 is not root's here";
    rig.writeLock(lockText(1));
    const int held = exitLineModeAsAnotherUser(rig);
    if (held < 0) GTEST_SKIP() << "no other user than root can be taken here";
    EXPECT_EQ(held, kPortOpenError);
    EXPECT_EQ(rig.received(), "") << "a held port receives nothing";
    EXPECT_EQ(rig.readLock(), lockText(1)) << "another's lock stays as it was";
    // The same user opens the port once the lock is stale: it could all along.
    rig.writeLock(lockText(endedProcess()));
    EXPECT_EQ(exitLineModeAsAnotherUser(rig), kOk);
    EXPECT_EQ(rig.received(), "\x1BZ\r\n");
}

TEST(UucpLockFile, StaleAndHalfWrittenLocks) {
    struct Case {
        const char* what;
        std::string content;
        int ageSeconds;
        int result;
    };
    const Case cases[] = {
        {"process gone", lockText(endedProcess()), 0, kOk},
        {"names no process, old", "", 60, kOk},
        {"garbage, old", "not a pid\n", 60, kOk},
        {"names no process yet, just created", "", 0, kPortOpenError},
    };
    for (const Case& c : cases) {
        SerialRig rig;
        ASSERT_FALSE(rig.path.empty());
        rig.writeLock(c.content);
        if (c.ageSeconds > 0)
            fs::last_write_time(rig.lockFile(), fs::file_time_type::clock::now() -
                                                    std::chrono::seconds(c.ageSeconds));
        EXPECT_EQ(rig.exitLineMode(), c.result) << c.what;
        EXPECT_EQ(rig.received(), c.result == kOk ? "\x1BZ\r\n" : "") << c.what;
    }
}

TEST(UucpLockFile, AnOpenPortIsLockedForOthersAndFreedAtClose) {
    SerialRig rig;
    ASSERT_FALSE(rig.path.empty());
    {
        Connection c(rig.ctx, kCom);
        ASSERT_TRUE(c.open());
        EXPECT_EQ(rig.readLock(), lockText(getpid()));
        // A second claim of this process is refused like anybody else's.
        EXPECT_EQ(rig.exitLineMode(), kPortOpenError);
        EXPECT_EQ(rig.readLock(), lockText(getpid()));
    }
    EXPECT_FALSE(fs::exists(rig.lockFile()));

    // A port that fails to open leaves no lock behind.
    setenv("M350_COM4", (rig.lockDir / "no-such-tty").c_str(), 1);
    EXPECT_EQ(rig.exitLineMode(), kPortOpenError);
    EXPECT_TRUE(fs::is_empty(rig.lockDir));

    // Without a lock folder the port still opens, guarded by flock alone.
    setenv("M350_COM4", rig.path.c_str(), 1);
    rig.ctx.serialLockDir = (rig.lockDir / "missing").string();
    EXPECT_EQ(rig.exitLineMode(), kOk);
}

TEST(SerialHolders, AFlockHolderInAnotherProcessKeepsThePortClosed) {
    SerialRig rig;
    ASSERT_FALSE(rig.path.empty());
    OtherProcess holder(rig.path);
    ASSERT_TRUE(holder.ok());
    EXPECT_EQ(rig.exitLineMode(), kPortOpenError);
    EXPECT_EQ(rig.received(), "");
    EXPECT_TRUE(fs::is_empty(rig.lockDir)) << "the lock taken for the attempt is given back";
    holder.end();
    EXPECT_EQ(rig.exitLineMode(), kOk);
    EXPECT_EQ(rig.received(), "\x1BZ\r\n");
}

TEST(SerialDrain, AWriteSucceedsOnlyOnceItsBytesHaveLeft) {
    struct Case {
        const char* what;
        int busyPolls;  // how often the line still reports queued bytes
        int result;
    };
    const Case cases[] = {
        {"drains at once", 0, kOk},
        {"drains after a while", 20, kOk},
        {"never drains (handshake holds it)", 1 << 30, kTransmitError},
    };
    for (const Case& c : cases) {
        SerialRig rig;
        ASSERT_FALSE(rig.path.empty());
        rig.ctx.timeouts.comWriteConstantMs = 200;
        rig.ctx.timeouts.comWritePerByteMs = 1;
        int polls = 0;
        int seenFd = -1;
        rig.ctx.serialOutputQueued = [&](int fd) {
            seenFd = fd;
            return polls++ < c.busyPolls ? 4 : 0;
        };
        const auto start = Clock::now();
        EXPECT_EQ(rig.exitLineMode(), c.result) << c.what;
        const long long took = msSince(start);
        EXPECT_GE(seenFd, 0) << c.what;
        if (c.result == kTransmitError) {
            // Given up within the write limit (200 ms + 1 ms per queued byte),
            // and the close did not wait either.
            EXPECT_GE(took, 190) << c.what;
            EXPECT_LT(took, 700) << c.what;
        }
        // The port is free again for the next operation.
        EXPECT_FALSE(fs::exists(rig.lockFile())) << c.what;
        rig.ctx.serialOutputQueued = nullptr;
        EXPECT_EQ(rig.exitLineMode(), kOk) << c.what;
    }
}
