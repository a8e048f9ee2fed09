// SPDX-License-Identifier: MIT
// The lock files serial programs use to keep out of each other's way (cu,
// minicom, picocom, gpsd, ModemManager ...): a file LCK..<device> in the lock
// folder (/var/lock) that holds the owner's process id as ten ASCII digits and
// a newline. The serial port honours one whose process still lives, takes over
// one whose process is gone, and holds its own while the port is open, so
// those programs and this one see each other even when one of them takes no
// flock() on the device.
#pragma once

#include <string>
#include <vector>

namespace m350 {

// Lock file names for a device path: "/dev/ttyS0" -> "LCK..ttyS0",
// "/dev/pts/3" -> "LCK..pts_3" (slashes below /dev become underscores), a path
// elsewhere by its last part. The device's real path (links followed) comes
// first; the name as given follows when it differs.
std::vector<std::string> uucpLockNames(const std::string& devicePath);

// Process id a lock file names: ten ASCII digits (blanks before, a newline
// after) or, from old programs, a 4-byte binary number. 0 when it names none.
int uucpLockOwner(const std::string& content);

class UucpLock {
  public:
    enum class Outcome {
        kTaken,        // the lock is ours until release()
        kHeld,         // a live process holds the device
        kUnavailable,  // no usable lock folder: nothing to honour or take
    };

    UucpLock() = default;
    ~UucpLock() { release(); }
    UucpLock(const UucpLock&) = delete;
    UucpLock& operator=(const UucpLock&) = delete;

    // Takes the lock of devicePath in folder dir. A lock whose process is
    // gone is removed first; so is a lock that names no process and is older
    // than a few seconds (one just being written is younger).
    Outcome acquire(const std::string& dir, const std::string& devicePath);

    // Removes the lock file, if it is still ours.
    void release();

    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

}  // namespace m350
