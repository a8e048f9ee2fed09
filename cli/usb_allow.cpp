// SPDX-License-Identifier: MIT
#include "cli/usb_allow.h"

#include <grp.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "cli/exit_codes.h"
#include "core/files/local_file.h"
#include "core/transport/usb_printer_list.h"

extern char** environ;

namespace m350::cli {

namespace {

// The marker line above each rule: the entry it was written for.
const std::string kMarker = "# m350ctl usb allow ";

std::string readWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

bool exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::stringstream ss(text);
    for (std::string line; std::getline(ss, line);) out.push_back(line);
    return out;
}

std::string joined(const std::vector<std::string>& ls) {
    std::string s;
    for (const auto& l : ls) s += l + "\n";
    return s;
}

// Whether an uncommented line of a list file is this entry.
bool lineIsEntry(const std::string& line, const UsbListEntry& entry) {
    const std::vector<UsbListEntry> parsed = parseUsbList(line);
    return parsed.size() == 1 && parsed[0] == entry;
}

int spawnAndWait(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string rulesPath(const UsbAllowPlaces& p) {
    std::string dir = p.rulesDir;
    if (dir.empty()) {
        const char* env = std::getenv("M350_UDEV_RULES_DIR");
        dir = env && *env ? env : "/etc/udev/rules.d";
    }
    return dir + "/" + kAllowedRulesName;
}

std::string listPath(const UsbAllowPlaces& p) {
    return p.listFile.empty() ? systemUsbListPath() : p.listFile;
}

std::vector<std::string> udevadm(std::vector<std::string> args) {
    const char* env = std::getenv("M350_UDEVADM");
    args.insert(args.begin(), env && *env ? env : "udevadm");
    return args;
}

bool makeParent(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0) return true;
    const std::string dir = path.substr(0, slash);
    if (exists(dir)) return true;
    if (!makeParent(dir)) return false;
    return ::mkdir(dir.c_str(), 0755) == 0 || errno == EEXIST;
}

// Writes text to path, making its folder; "" on success, else why not.
std::string writeFile(const std::string& path, const std::string& text) {
    std::string why;
    if (!makeParent(path)) return path + ": cannot make its folder";
    if (!m350::writeFileAtomically(path, text, &why)) return why.empty() ? path : why;
    ::chmod(path.c_str(), 0644);
    return {};
}

// The rule file without the rule of entry (marker and rule line).
std::vector<std::string> rulesWithout(const std::vector<std::string>& rules,
                                      const UsbListEntry& entry, bool& removed) {
    std::vector<std::string> out;
    const std::string id = kMarker + usbListEntryText(entry);
    for (std::size_t i = 0; i < rules.size(); ++i) {
        const std::string& l = rules[i];
        if (l == id || l.rfind(id + " ", 0) == 0) {
            removed = true;
            if (i + 1 < rules.size() && !rules[i + 1].empty() && rules[i + 1][0] != '#') ++i;
            continue;
        }
        out.push_back(l);
    }
    return out;
}

std::string udevQuoted(std::string_view s) {
    return "\"" + std::string(s) + "\"";
}

// Reloads udev's rules; "" when done, else what to run by hand.
std::string reload(const UsbAllowPlaces& places) {
    const std::vector<std::string> cmd = udevadm({"control", "--reload"});
    const int rc = places.run ? places.run(cmd) : spawnAndWait(cmd);
    if (rc == 0) return {};
    return rc < 0 ? "udevadm could not be started"
                  : "udevadm ended with status " + std::to_string(rc);
}

std::string replugAdvice(const UsbListEntry& e) {
    std::string s =
        "Unplug the printer and plug it in again (or switch it off and on) so that udev gives it "
        "the new access; or run:\n  sudo udevadm trigger --action=add --subsystem-match=usb "
        "--attr-match=idVendor=" +
        usbIdText(e.vendorId);
    if (e.productId) s += " --attr-match=idProduct=" + usbIdText(*e.productId);
    return s + "\nThen check with: m350ctl usb list\n";
}

}  // namespace

UsbAllowPlaces systemAllowPlaces() {
    UsbAllowPlaces p;
    p.root = ::geteuid() == 0;
    return p;
}

bool isGroupName(std::string_view name) {
    if (name.empty() || name.size() > 32) return false;
    if (name[0] == '-' || (name[0] >= '0' && name[0] <= '9')) return false;
    for (char c : name) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '_' || c == '-';
        if (!ok) return false;
    }
    return true;
}

std::string allowedRuleLine(const UsbListEntry& entry, const std::string& group) {
    std::string s = "SUBSYSTEM==\"usb\", ENV{DEVTYPE}==\"usb_device\", ATTR{idVendor}==" +
                    udevQuoted(usbIdText(entry.vendorId));
    if (entry.productId) s += ", ATTR{idProduct}==" + udevQuoted(usbIdText(*entry.productId));
    if (!entry.serial.empty()) s += ", ATTR{serial}==" + udevQuoted(entry.serial);
    s += ", ENV{M350_PRINTER}=\"1\", TAG+=\"uaccess\"";
    if (!group.empty()) s += ", GROUP=" + udevQuoted(group) + ", MODE=\"0660\"";
    return s;
}

UsbAllowOutcome allowUsbPrinter(const UsbListEntry& entry, const std::string& group,
                                const UsbAllowPlaces& places) {
    const std::string id = usbListEntryText(entry);
    if (!places.root)
        return {kExitRefused,
                {},
                "m350ctl: usb allow changes system files: run it as root (sudo m350ctl usb allow " +
                    id + ")"};
    if (!group.empty() && (!isGroupName(group) || ::getgrnam(group.c_str()) == nullptr))
        return {kExitUsage, {}, "m350ctl: --group: no such group: " + group};

    UsbAllowOutcome o;
    const std::string list = listPath(places);
    std::vector<std::string> listLines = lines(readWhole(list));
    bool listed = false;
    for (const auto& l : listLines) listed = listed || lineIsEntry(l, entry);
    if (!listed) {
        listLines.push_back(id + "  # allowed with m350ctl usb allow");
        if (std::string why = writeFile(list, joined(listLines)); !why.empty())
            return {kExitCantCreate, {}, "m350ctl: " + why};
        o.out += "Added " + id + " to the printer list " + list + ".\n";
    } else {
        o.out += id + " is already in the printer list " + list + ".\n";
    }

    const std::string rules = rulesPath(places);
    bool replaced = false;
    std::vector<std::string> ruleLines = rulesWithout(lines(readWhole(rules)), entry, replaced);
    if (ruleLines.empty())
        ruleLines.push_back("# Printers allowed with m350ctl usb allow; undo with usb forget.");
    ruleLines.push_back(kMarker + id + (group.empty() ? "" : " --group " + group));
    ruleLines.push_back(allowedRuleLine(entry, group));
    if (std::string why = writeFile(rules, joined(ruleLines)); !why.empty())
        return {kExitCantCreate, o.out, "m350ctl: " + why};
    o.out += std::string(replaced ? "Rewrote" : "Wrote") + " the udev rule in " + rules +
             ": the user at the seat" + (group.empty() ? "" : " and the group " + group) +
             " may open it.\n";
    if (std::string why = reload(places); !why.empty()) {
        o.exitCode = kExitUnavailable;
        o.err = "m350ctl: udev's rules were not reloaded (" + why +
                "): run sudo udevadm control --reload";
    } else {
        o.out += "Reloaded udev's rules.\n";
    }
    o.out += replugAdvice(entry);
    return o;
}

UsbAllowOutcome forgetUsbPrinter(const UsbListEntry& entry, const UsbAllowPlaces& places) {
    const std::string id = usbListEntryText(entry);
    if (!places.root)
        return {kExitRefused,
                {},
                "m350ctl: usb forget changes system files: run it as root (sudo m350ctl usb "
                "forget " +
                    id + ")"};
    UsbAllowOutcome o;
    const std::string list = listPath(places);
    std::vector<std::string> kept;
    bool unlisted = false;
    for (const auto& l : lines(readWhole(list))) {
        if (lineIsEntry(l, entry))
            unlisted = true;
        else
            kept.push_back(l);
    }
    if (unlisted) {
        if (std::string why = writeFile(list, joined(kept)); !why.empty())
            return {kExitCantCreate, {}, "m350ctl: " + why};
        o.out += "Took " + id + " out of the printer list " + list + ".\n";
    }
    const std::string rules = rulesPath(places);
    bool removed = false;
    const std::vector<std::string> ruleLines =
        rulesWithout(lines(readWhole(rules)), entry, removed);
    if (removed) {
        // Only the heading left: the file goes.
        const bool empty = ruleLines.size() <= 1;
        if (empty) {
            if (::unlink(rules.c_str()) != 0 && errno != ENOENT)
                return {kExitCantCreate, o.out, "m350ctl: " + rules + ": cannot remove it"};
        } else if (std::string why = writeFile(rules, joined(ruleLines)); !why.empty()) {
            return {kExitCantCreate, o.out, "m350ctl: " + why};
        }
        o.out += "Removed its udev rule from " + rules + ".\n";
    }
    if (!unlisted && !removed) {
        o.out +=
            id + " was not allowed with usb allow: nothing to undo (the list is " + list + ").\n";
        return o;
    }
    if (removed) {
        if (std::string why = reload(places); !why.empty()) {
            o.exitCode = kExitUnavailable;
            o.err = "m350ctl: udev's rules were not reloaded (" + why +
                    "): run sudo udevadm control --reload";
        } else {
            o.out +=
                "Reloaded udev's rules; the access ends when the printer is next plugged in.\n";
        }
    }
    return o;
}

}  // namespace m350::cli
