// SPDX-License-Identifier: MIT
// m350ctl doctor and serial list: what stands between this computer and a
// printer, found in the system's own tables (sysfs, /dev, the udev rules) and
// explained with a fix. Every path is read under a root folder, so tests
// give a fake tree instead of real hardware; the user's identity, the fonts
// and the environment come through DoctorSystem as well.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace m350::cli {

struct DoctorSystem {
    std::string root;  // prefix of every path ("" on the real system)
    uid_t uid = 0;
    // Ask the kernel (access(2)) whether this process may open a device, so
    // that access lists (the udev rule's uaccess tag) count; only for the
    // running process on its own tree. Otherwise the mode bits decide.
    bool kernelAccessCheck = false;
    std::string userName;
    std::vector<gid_t> gids;  // the process's groups, the primary one included
    // Lines of `fc-list :lang=LANG family` for a language ("zh", "ja").
    std::function<std::string(const std::string& lang)> fontsFor;
    // An environment variable, empty when unset.
    std::function<std::string(const std::string& name)> env;

    // The running process: real identity, fc-list, getenv.
    static DoctorSystem current();
};

enum class Severity { kOk, kInfo, kWarning, kBlocking };

struct DoctorCheck {
    std::string area;  // "usb", "serial", "parallel", "fonts", "display"
    Severity severity = Severity::kOk;
    std::string text;
    std::string fix;  // empty when nothing needs doing
};

// What the checks look at: the interface chosen (m350::kUsb ...) and its
// port (the COM/LPT name or path, the --usb-device text).
struct DoctorTarget {
    int iface = 0;
    std::string comName = "COM1";
    std::string lptName = "LPT1";
    std::string usbDevice;
};

std::vector<DoctorCheck> runDoctor(const DoctorSystem& sys, const DoctorTarget& target);

// True when a check of the chosen interface blocks it.
bool blocksTarget(const std::vector<DoctorCheck>& checks, const DoctorTarget& target);

// A serial device as serial list shows it.
struct SerialDevice {
    std::string device;               // /dev/ttyUSB0
    std::vector<std::string> stable;  // /dev/serial/by-id/..., /dev/serial/by-path/...
    std::string driver;               // the kernel driver (ftdi_sio, cdc_acm, serial8250 ...)
};

// Serial ports present: ttyUSB, ttyACM and the built-in ports the kernel
// found a chip for, with the stable names pointing at them, sorted.
std::vector<SerialDevice> listSerialDevices(const DoctorSystem& sys);

}  // namespace m350::cli
