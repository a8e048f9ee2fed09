// SPDX-License-Identifier: MIT
#include "cli/doctor.h"

#include <dirent.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>

#include "core/transport/port.h"
#include "core/transport/port_settings.h"
#include "core/transport/usb_backend.h"
#include "core/transport/usb_printer_list.h"
#include "core/transport/usb_survey.h"

namespace m350::cli {

namespace {

constexpr const char* kRuleInstall =
    "install the udev rule of the package: sudo cp 70-m350-printers.rules "
    "/etc/udev/rules.d/ && sudo udevadm control --reload-rules && sudo udevadm trigger "
    "--subsystem-match=usb (the rule is in the source tree's dist/ folder and in "
    "/usr/lib/udev/rules.d when installed from the package)";

std::string trimmed(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
    return s;
}

std::string readText(const std::string& path) {
    std::ifstream in(path);
    if (!in) return {};
    std::string s((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return trimmed(s.substr(0, 4096));
}

std::vector<std::string> listDir(const std::string& path) {
    std::vector<std::string> out;
    if (DIR* d = ::opendir(path.c_str())) {
        while (dirent* e = ::readdir(d)) {
            std::string n = e->d_name;
            if (n != "." && n != "..") out.push_back(n);
        }
        ::closedir(d);
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::string baseName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string linkTarget(const std::string& path) {
    char buf[4096];
    const ssize_t n = ::readlink(path.c_str(), buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
}

// The name of a group from the tree's /etc/group; the number when it is not there.
std::string groupName(const DoctorSystem& sys, gid_t gid) {
    std::ifstream in(sys.root + "/etc/group");
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> f;
        std::stringstream ss(line);
        for (std::string part; std::getline(ss, part, ':');) f.push_back(part);
        if (f.size() >= 3 && f[2] == std::to_string(gid)) return f[0];
    }
    return std::to_string(gid);
}

// Whether /etc/group lists the user as a member of the group.
bool listedInGroup(const DoctorSystem& sys, const std::string& group) {
    std::ifstream in(sys.root + "/etc/group");
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(group + ":", 0) != 0) continue;
        const auto last = line.find_last_of(':');
        std::stringstream members(line.substr(last + 1));
        for (std::string m; std::getline(members, m, ',');)
            if (trimmed(m) == sys.userName) return true;
    }
    return false;
}

struct Access {
    bool present = false;
    bool allowed = false;
    gid_t gid = 0;
    mode_t mode = 0;
};

// Read and write permission of a device node for the user, from its mode bits.
Access accessOf(const DoctorSystem& sys, const std::string& path) {
    Access a;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return a;
    a.present = true;
    a.gid = st.st_gid;
    a.mode = st.st_mode;
    const bool inGroup = std::find(sys.gids.begin(), sys.gids.end(), st.st_gid) != sys.gids.end();
    if (sys.kernelAccessCheck && sys.root.empty()) {
        a.allowed = ::access(path.c_str(), R_OK | W_OK) == 0;
    } else if (sys.uid == 0) {
        a.allowed = true;
    } else if (st.st_uid == sys.uid) {
        a.allowed = (st.st_mode & 0600) == 0600;
    } else if (inGroup) {
        a.allowed = (st.st_mode & 0060) == 0060;
    } else {
        a.allowed = (st.st_mode & 0006) == 0006;
    }
    return a;
}

std::string modeText(mode_t m) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04o", static_cast<unsigned>(m & 07777));
    return buf;
}

// The fix for a serial or parallel node the user may not open.
std::string groupFix(const DoctorSystem& sys, const std::string& node, const Access& a) {
    const std::string group = groupName(sys, a.gid);
    if ((a.mode & 0060) != 0060)
        return "the device's group may not use it (mode " + modeText(a.mode) +
               "); ask the administrator to give group " + group + " read and write access";
    if (listedInGroup(sys, group))
        return "you are a member of group " + group +
               " but this session started before: log out and in again (or run `newgrp " + group +
               "`)";
    return "add yourself to group " + group + ": sudo usermod -aG " + group + " " +
           (sys.userName.empty() ? "$USER" : sys.userName) + ", then log out and in again (" +
           node + " belongs to group " + group + ")";
}

// The rule counts only where udev reads rules; an install under /usr/local
// puts it in /usr/local/lib/udev/rules.d, which udev never reads.
bool udevRuleInstalled(const DoctorSystem& sys) {
    for (const char* dir :
         {"/etc/udev/rules.d", "/run/udev/rules.d", "/usr/lib/udev/rules.d", "/lib/udev/rules.d"})
        for (const auto& name : listDir(sys.root + dir))
            if (name.find("m350") != std::string::npos) return true;
    return false;
}

// How to install the rule: from /usr/local when `cmake --install` left it
// there, else from the package or the source tree.
std::string ruleInstallFix(const DoctorSystem& sys) {
    const std::string local = "/usr/local/lib/udev/rules.d";
    for (const auto& name : listDir(sys.root + local))
        if (name.find("m350") != std::string::npos)
            return "the rule is in " + local + ", which udev does not read: sudo cp " + local +
                   "/" + name +
                   " /etc/udev/rules.d/ && sudo udevadm control --reload-rules && sudo udevadm "
                   "trigger --subsystem-match=usb";
    return kRuleInstall;
}

// A program that takes IPP-over-USB printers for itself.
bool ippUsbRunning(const DoctorSystem& sys) {
    for (const auto& pid : listDir(sys.root + "/proc")) {
        if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
        if (readText(sys.root + "/proc/" + pid + "/comm") == "ipp-usb") return true;
    }
    return false;
}

struct UsbDevice {
    std::string busPath;
    unsigned vid = 0, pid = 0;
    std::string serial, product, maker;
    int bus = 0, dev = 0;
    bool ours = false, printerClass = false;
    std::string driver;  // of the printer interface (or the first interface)
};

// The printer list as the programs would read it, under the root.
std::vector<m350::UsbListEntry> printerList(const DoctorSystem& sys) {
    auto env = [&](const char* name) { return sys.env ? sys.env(name) : std::string(); };
    m350::UsbListFiles files;
    const std::string named = env(m350::kUsbListFileVariable);
    files.system = sys.root + (named.empty() ? std::string(m350::kUsbListSystemFile) : named);
    const std::string xdg = env("XDG_CONFIG_HOME"), home = env("HOME");
    if (!xdg.empty())
        files.user = sys.root + xdg + "/m350/usb-printers";
    else if (!home.empty())
        files.user = sys.root + home + "/.config/m350/usb-printers";
    else
        files.user = sys.root + "/nonexistent";
    return m350::loadUsbList(files);
}

std::string listText(const std::vector<m350::UsbListEntry>& list) {
    std::string s;
    for (const auto& e : list) s += (s.empty() ? "" : ", ") + m350::usbListEntryText(e);
    return s.empty() ? std::string("empty") : s;
}

m350::UsbDeviceDescription describe(const UsbDevice& d) {
    m350::UsbDeviceDescription out;
    out.vendorId = static_cast<std::uint16_t>(d.vid);
    out.productId = static_cast<std::uint16_t>(d.pid);
    out.serial = d.serial;
    out.busPath = d.busPath;
    return out;
}

std::vector<UsbDevice> usbDevices(const DoctorSystem& sys,
                                  const std::vector<m350::UsbListEntry>& list) {
    const std::string base = sys.root + "/sys/bus/usb/devices/";
    const auto names = listDir(base);
    std::vector<UsbDevice> out;
    for (const auto& name : names) {
        if (name.find(':') != std::string::npos) continue;
        const std::string vidText = readText(base + name + "/idVendor");
        if (vidText.empty()) continue;
        UsbDevice d;
        d.busPath = name;
        d.vid = static_cast<unsigned>(std::strtoul(vidText.c_str(), nullptr, 16));
        d.pid = static_cast<unsigned>(
            std::strtoul(readText(base + name + "/idProduct").c_str(), nullptr, 16));
        d.serial = readText(base + name + "/serial");
        d.product = readText(base + name + "/product");
        d.maker = readText(base + name + "/manufacturer");
        d.bus = std::atoi(readText(base + name + "/busnum").c_str());
        d.dev = std::atoi(readText(base + name + "/devnum").c_str());
        for (const auto& e : list) d.ours = d.ours || m350::usbListEntryMatches(describe(d), e);
        bool driverTaken = false;
        for (const auto& intf : names) {
            if (intf.rfind(name + ":", 0) != 0) continue;
            const std::string drv = baseName(linkTarget(base + intf + "/driver"));
            const bool printer = readText(base + intf + "/bInterfaceClass") == "07";
            if (printer && !d.printerClass) {
                d.printerClass = true;
                d.driver = drv;
                driverTaken = true;
            } else if (!driverTaken && d.driver.empty()) {
                d.driver = drv;
            }
        }
        out.push_back(d);
    }
    return out;
}

// Whether --usb-device's text names the device.
bool names(const std::string& option, const UsbDevice& d) {
    if (option.empty() || option == "auto") return false;
    if (option.find(':') == std::string::npos) return option == d.busPath;
    std::vector<std::string> parts;
    std::stringstream ss(option);
    for (std::string p; std::getline(ss, p, ':');) parts.push_back(p);
    if (parts.size() < 2) return false;
    const unsigned vid = static_cast<unsigned>(std::strtoul(parts[0].c_str(), nullptr, 16));
    const unsigned pid = static_cast<unsigned>(std::strtoul(parts[1].c_str(), nullptr, 16));
    if (vid != d.vid || pid != d.pid) return false;
    return parts.size() < 3 || parts[2] == d.serial;
}

void checkUsb(const DoctorSystem& sys, const DoctorTarget& t, std::vector<DoctorCheck>& out) {
    const auto list = printerList(sys);
    const auto devices = usbDevices(sys, list);
    std::string named = t.usbDevice;
    if (named.empty()) named = sys.env ? sys.env(m350::kUsbDeviceVariable) : std::string();
    // The device the next USB operation would use.
    const UsbDevice* target = nullptr;
    if (!named.empty() && named != "auto") {
        for (const auto& d : devices)
            if (names(named, d)) target = &d;
    } else {
        for (const auto& e : list) {
            for (const auto& d : devices)
                if (!target && m350::usbListEntryMatches(describe(d), e)) target = &d;
        }
    }
    const bool chosen = t.iface == m350::kUsb;
    const bool ipp = ippUsbRunning(sys);
    for (const auto& d : devices) {
        if (!d.ours && !d.printerClass && &d != target) continue;
        const bool isTarget = &d == target;
        std::string what = "USB " + usbIdText(static_cast<std::uint16_t>(d.vid)) + ":" +
                           usbIdText(static_cast<std::uint16_t>(d.pid)) + " at bus path " +
                           d.busPath;
        if (!d.product.empty())
            what += " (" + (d.maker.empty() ? "" : d.maker + " ") + d.product + ")";
        what += d.ours ? ": in the printer list" : ": not in the printer list";
        if (isTarget) what += "; the next USB operation uses it";
        out.push_back({"usb", Severity::kOk, what, ""});
        if (!d.ours && !isTarget)
            out.push_back({"usb", Severity::kWarning,
                           d.busPath + ": a printer-class device that is not in the printer "
                                       "list, so neither program uses it",
                           "allow it, then unplug it and plug it in again: " +
                               m350::usbAllowCommand(describe(d)) +
                               " (or name it for one run: --usb-device " +
                               usbIdText(static_cast<std::uint16_t>(d.vid)) + ":" +
                               usbIdText(static_cast<std::uint16_t>(d.pid)) + ")"});
        const Severity problem = isTarget && chosen ? Severity::kBlocking : Severity::kWarning;
        if (d.driver == "usblp") {
            out.push_back({"usb", Severity::kInfo,
                           d.busPath + ": held by the kernel's printer driver usblp; the program "
                                       "takes it off for each operation and gives it back",
                           ""});
        } else if (d.driver == "usbfs") {
            out.push_back({"usb", problem,
                           d.busPath + ": claimed by another program" +
                               (ipp ? " (ipp-usb is running)" : " (ipp-usb or a print job)") +
                               "; opening it fails with Port Open Error",
                           ipp ? "stop ipp-usb while you use the printer: sudo systemctl stop "
                                 "ipp-usb (it takes printers that offer IPP over USB)"
                               : "wait until the print job is through, or stop the program "
                                 "holding it (sudo systemctl stop ipp-usb; cancel the CUPS "
                                 "job)"});
        } else if (!d.driver.empty()) {
            out.push_back({"usb", Severity::kInfo,
                           d.busPath + ": its interface is bound to the driver " + d.driver, ""});
        }
        char node[64];
        std::snprintf(node, sizeof node, "/dev/bus/usb/%03d/%03d", d.bus, d.dev);
        const Access a = accessOf(sys, sys.root + node);
        if (!a.present) {
            out.push_back({"usb", problem, d.busPath + ": no device node " + std::string(node),
                           "check that udev runs (the node is made when the device is plugged "
                           "in)"});
        } else if (!a.allowed) {
            std::string fix;
            if (!udevRuleInstalled(sys)) {
                fix = ruleInstallFix(sys);
            } else if (!d.ours) {
                fix = "the udev rules give access to the printers of the list only: " +
                      m350::usbAllowCommand(describe(d)) +
                      " (add --group lp for users who are not at the seat), then unplug it and "
                      "plug it in again";
            } else {
                fix =
                    "the udev rule is installed but the device has not been tagged since: "
                    "unplug it and plug it in again (or sudo udevadm trigger "
                    "--subsystem-match=usb), and use a desktop session at the seat";
            }
            out.push_back({"usb", problem,
                           d.busPath + ": no permission on " + std::string(node) + " (mode " +
                               modeText(a.mode) + ", group " + groupName(sys, a.gid) + ")",
                           fix});
        } else {
            out.push_back({"usb", Severity::kOk, d.busPath + ": you may open " + node, ""});
        }
    }
    if (!target) {
        std::string text, fix;
        if (!named.empty() && named != "auto") {
            text = "no USB device matches " + named;
            fix = "check the name against `m350ctl usb list`, or plug the printer in";
        } else {
            text = "no printer of the printer list (" + listText(list) + ") is attached";
            fix =
                "connect the printer and switch it on; a printer not in the list is used "
                "only when allowed (sudo m350ctl usb allow VID:PID) or named: --usb-device "
                "VID:PID (see `m350ctl usb list --all`)";
        }
        out.push_back({"usb", chosen ? Severity::kBlocking : Severity::kInfo, text, fix});
    }
    if (!udevRuleInstalled(sys))
        out.push_back({"usb", Severity::kInfo,
                       "the udev rule for M350 printers is not installed (users other than root "
                       "may not open them)",
                       ruleInstallFix(sys)});
}

// The device path of a COM or LPT name (or the path given), under the root.
std::string portDevice(const DoctorSystem& sys, const std::string& name) {
    const std::string path =
        !name.empty() && name.front() == '/' ? name : m350::devicePathForPortName(name);
    return path.empty() ? path : sys.root + path;
}

void checkNode(const DoctorSystem& sys, const std::string& area, const std::string& name,
               bool chosen, const std::string& listHint, std::vector<DoctorCheck>& out) {
    const std::string path = portDevice(sys, name);
    const std::string shown = path.substr(sys.root.size());
    const Severity problem = chosen ? Severity::kBlocking : Severity::kInfo;
    if (path.empty()) {
        out.push_back({area, problem, name + " names no device", listHint});
        return;
    }
    const Access a = accessOf(sys, path);
    const std::string label = name == shown ? name : name + " (" + shown + ")";
    if (!a.present) {
        out.push_back({area, problem, label + " is not there", listHint});
        return;
    }
    // A built-in port without a chip behind it opens but never carries a byte.
    const std::string dev = baseName(shown);
    if (dev.rfind("ttyS", 0) == 0) {
        const std::string type = readText(sys.root + "/sys/class/tty/" + dev + "/type");
        if (type == "0")
            out.push_back(
                {area, problem, label + ": the kernel found no serial chip behind it", listHint});
    }
    if (!a.allowed) {
        out.push_back({area, problem,
                       label + ": no permission (mode " + modeText(a.mode) + ", group " +
                           groupName(sys, a.gid) + ")",
                       groupFix(sys, shown, a)});
    } else {
        out.push_back({area, Severity::kOk, label + ": you may open it", ""});
    }
}

void checkSerial(const DoctorSystem& sys, const DoctorTarget& t, std::vector<DoctorCheck>& out) {
    const auto devices = listSerialDevices(sys);
    for (const auto& d : devices) {
        std::string text = "serial port " + d.device;
        if (!d.driver.empty()) text += " (" + d.driver + ")";
        if (!d.stable.empty()) text += ", also " + d.stable.front();
        out.push_back({"serial", Severity::kOk, text, ""});
    }
    if (devices.empty())
        out.push_back({"serial", Severity::kInfo, "no serial port found",
                       "plug in the USB serial adapter; `m350ctl serial list` shows the ports"});
    const bool chosen = t.iface == m350::kCom;
    if (chosen || t.comName != "COM1" || !devices.empty())
        checkNode(sys, "serial", t.comName, chosen,
                  "name the port by its device: --com /dev/ttyUSB0 (`m350ctl serial list` shows "
                  "the ports and their stable names)",
                  out);
}

void checkParallel(const DoctorSystem& sys, const DoctorTarget& t, std::vector<DoctorCheck>& out) {
    std::vector<std::string> ports;
    for (const auto& n : listDir(sys.root + "/dev"))
        if (n.rfind("lp", 0) == 0 || n.rfind("parport", 0) == 0) ports.push_back("/dev/" + n);
    for (const auto& n : listDir(sys.root + "/dev/usb"))
        if (n.rfind("lp", 0) == 0) ports.push_back("/dev/usb/" + n);
    for (const auto& p : ports)
        out.push_back({"parallel", Severity::kOk, "parallel port " + p, ""});
    if (ports.empty()) out.push_back({"parallel", Severity::kInfo, "no parallel port found", ""});
    const bool chosen = t.iface == m350::kLpt;
    if (chosen)
        checkNode(sys, "parallel", t.lptName, chosen,
                  "name the port by its device: --lpt /dev/lp0 or /dev/usb/lp0", out);
}

void checkFonts(const DoctorSystem& sys, std::vector<DoctorCheck>& out) {
    const std::pair<const char*, const char*> languages[] = {{"zh", "Chinese"}, {"ja", "Japanese"}};
    for (const auto& [code, name] : languages) {
        const std::string list = sys.fontsFor ? trimmed(sys.fontsFor(code)) : std::string();
        if (list.empty()) {
            out.push_back({"fonts", Severity::kWarning,
                           std::string("no font for ") + name +
                               ": the window shows its texts in that language as boxes",
                           "install the Noto CJK fonts (Debian and Ubuntu: fonts-noto-cjk; "
                           "Fedora: google-noto-sans-cjk-fonts)"});
        } else {
            out.push_back(
                {"fonts", Severity::kOk,
                 std::string("fonts for ") + name + ": " + list.substr(0, list.find('\n')), ""});
        }
    }
}

void checkDisplay(const DoctorSystem& sys, std::vector<DoctorCheck>& out) {
    auto get = [&](const char* n) { return sys.env ? sys.env(n) : std::string(); };
    const std::string wayland = get("WAYLAND_DISPLAY"), x11 = get("DISPLAY");
    const std::string platform = get("QT_QPA_PLATFORM");
    if (!wayland.empty() || !x11.empty() || !platform.empty()) {
        out.push_back(
            {"display", Severity::kOk,
             "display for the window: " + (!platform.empty()  ? "QT_QPA_PLATFORM=" + platform
                                           : !wayland.empty() ? "Wayland " + wayland
                                                              : "X11 " + x11),
             ""});
    } else {
        out.push_back({"display", Severity::kInfo,
                       "no display: m350-utility cannot open its window here (m350ctl needs none)",
                       "run the window in a desktop session, or over ssh -X"});
    }
}

}  // namespace

DoctorSystem DoctorSystem::current() {
    DoctorSystem s;
    s.uid = ::getuid();
    s.kernelAccessCheck = true;
    if (const passwd* pw = ::getpwuid(s.uid)) s.userName = pw->pw_name;
    const int n = ::getgroups(0, nullptr);
    if (n > 0) {
        s.gids.resize(static_cast<std::size_t>(n));
        s.gids.resize(static_cast<std::size_t>(::getgroups(n, s.gids.data())));
    }
    s.gids.push_back(::getgid());
    s.fontsFor = [](const std::string& lang) {
        std::string out;
        // A fixed command line: nothing of the caller's reaches the shell.
        const std::string cmd = "fc-list :lang=" + lang + " family 2>/dev/null";
        if (FILE* p = ::popen(cmd.c_str(), "r")) {
            char buf[4096];
            std::size_t got;
            while ((got = std::fread(buf, 1, sizeof buf, p)) > 0 && out.size() < 65536)
                out.append(buf, got);
            ::pclose(p);
        }
        return out;
    };
    s.env = [](const std::string& name) {
        const char* v = std::getenv(name.c_str());
        return v ? std::string(v) : std::string();
    };
    return s;
}

std::vector<SerialDevice> listSerialDevices(const DoctorSystem& sys) {
    std::vector<SerialDevice> out;
    const std::string cls = sys.root + "/sys/class/tty/";
    for (const auto& name : listDir(cls)) {
        const bool usb = name.rfind("ttyUSB", 0) == 0 || name.rfind("ttyACM", 0) == 0;
        const bool builtIn = name.rfind("ttyS", 0) == 0;
        if (!usb && !builtIn) continue;
        // The kernel keeps a ttyS for every possible port; type 0 has no chip.
        if (builtIn) {
            const std::string type = readText(cls + name + "/type");
            if (type.empty() || type == "0") continue;
        }
        SerialDevice d;
        d.device = "/dev/" + name;
        d.driver = baseName(linkTarget(cls + name + "/device/driver"));
        out.push_back(d);
    }
    for (const char* kind : {"by-id", "by-path"}) {
        const std::string dir = sys.root + "/dev/serial/" + kind + "/";
        for (const auto& link : listDir(dir)) {
            const std::string target = baseName(linkTarget(dir + link));
            for (auto& d : out)
                if (baseName(d.device) == target)
                    d.stable.push_back("/dev/serial/" + std::string(kind) + "/" + link);
        }
    }
    return out;
}

std::vector<DoctorCheck> runDoctor(const DoctorSystem& sys, const DoctorTarget& target) {
    std::vector<DoctorCheck> out;
    checkUsb(sys, target, out);
    checkSerial(sys, target, out);
    checkParallel(sys, target, out);
    checkFonts(sys, out);
    checkDisplay(sys, out);
    return out;
}

bool blocksTarget(const std::vector<DoctorCheck>& checks, const DoctorTarget& target) {
    const char* area = target.iface == m350::kUsb   ? "usb"
                       : target.iface == m350::kCom ? "serial"
                       : target.iface == m350::kLpt ? "parallel"
                                                    : "network";
    return std::any_of(checks.begin(), checks.end(), [&](const DoctorCheck& c) {
        return c.severity == Severity::kBlocking && c.area == area;
    });
}

}  // namespace m350::cli
