// SPDX-License-Identifier: MIT
#include "core/transport/usb_survey.h"

#include <dirent.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>

namespace m350 {

namespace {

std::string listText(const std::vector<UsbListEntry>& list) {
    std::string s;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (i > 0) s += ", ";
        s += usbListEntryText(list[i]);
    }
    return s.empty() ? std::string("empty") : s;
}

std::string readShort(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "re");
    if (!f) return {};
    char buf[64];
    std::size_t n = std::fread(buf, 1, sizeof buf - 1, f);
    std::fclose(f);
    std::string s(buf, n);
    while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
    return s;
}

bool allDigits(const char* s) {
    if (!*s) return false;
    for (; *s; ++s)
        if (*s < '0' || *s > '9') return false;
    return true;
}

std::string interfaceLine(const UsbDeviceDescription& d, const UsbSurveyEntry& e) {
    const UsbInterfaceDescription* itf = choosePrinterInterface(d);
    std::string s = e.listedVendor ? "in the printer list" : "not in the printer list";
    if (!itf) return s + "; no interface a printer can be driven through";
    s += itf->interfaceClass == kUsbPrinterClass ? "; printer interface " : "; interface ";
    s += std::to_string(itf->number);
    if (itf->bulkIn < 0) s += " (one-way: takes data, cannot answer)";
    if (itf->driver == "usblp") {
        s += ", held by the system's printer driver usblp (taken off while this program talks "
             "to it, given back after)";
    } else if (itf->driver == "usbfs") {
        s += ", claimed by a program";
        if (!e.holders.empty()) {
            s += ":";
            for (std::size_t i = 0; i < e.holders.size(); ++i) s += (i ? ", " : " ") + e.holders[i];
        }
        s += " (the open fails while it holds it)";
    } else if (!itf->driver.empty()) {
        s += ", bound to the driver " + itf->driver;
    } else if (!e.holders.empty()) {
        s += ", open in";
        for (std::size_t i = 0; i < e.holders.size(); ++i) s += (i ? ", " : " ") + e.holders[i];
    } else {
        s += ", free";
    }
    return s;
}

std::string selectionLine(const UsbSurvey& survey) {
    const std::string named = "\"" + survey.named + "\"";
    switch (survey.selection.pick) {
        case UsbPick::kFound:
            return survey.named.empty() ? "The printer marked * is found by the printer list (" +
                                              listText(survey.list) + ", in this order)."
                                        : "The printer marked * is the device named " + named + ".";
        case UsbPick::kNone:
            return "No device of the printer list (" + listText(survey.list) +
                   ") is attached: USB operations end with \"Port Open Error\" and no device is "
                   "touched. A printer not in the list is used only when allowed or named.";
        case UsbPick::kBadName:
            return "The device named " + named +
                   " is neither VID:PID[:SERIAL] nor a bus path: USB operations end with "
                   "\"Port Open Error\".";
        case UsbPick::kNamedAbsent:
            return "No device matches the name " + named +
                   ": USB operations end with \"Port Open Error\" and no device is touched.";
        case UsbPick::kNamedAmbiguous:
            return "Several devices match the name " + named +
                   ": none is used. Add the serial number (VID:PID:SERIAL) or name the bus path.";
        case UsbPick::kNamedUnusable:
            return "The device named " + named +
                   " has no interface a printer can be driven through: none is used.";
    }
    return {};
}

}  // namespace

std::vector<std::string> processesHolding(const std::string& path, const std::string& procRoot) {
    std::vector<std::string> out;
    char real[PATH_MAX];
    const std::string target = ::realpath(path.c_str(), real) ? std::string(real) : path;
    DIR* proc = ::opendir(procRoot.c_str());
    if (!proc) return out;
    while (dirent* p = ::readdir(proc)) {
        if (!allDigits(p->d_name)) continue;
        const std::string base = procRoot + "/" + p->d_name;
        DIR* fds = ::opendir((base + "/fd").c_str());
        if (!fds) continue;  // not ours to look into
        bool holds = false;
        while (dirent* f = ::readdir(fds)) {
            if (!allDigits(f->d_name)) continue;
            char link[PATH_MAX];
            ssize_t n = ::readlink((base + "/fd/" + f->d_name).c_str(), link, sizeof link - 1);
            if (n > 0 && std::string(link, static_cast<std::size_t>(n)) == target) {
                holds = true;
                break;
            }
        }
        ::closedir(fds);
        if (!holds) continue;
        std::string name = readShort(base + "/comm");
        out.push_back((name.empty() ? std::string("?") : name) + " (pid " + p->d_name + ")");
    }
    ::closedir(proc);
    return out;
}

UsbSurvey surveyUsbDevices(UsbBackend& backend, const std::string& named,
                           const std::vector<UsbListEntry>& list, const UsbSurveyPlaces& places) {
    UsbSurvey survey;
    survey.named = named;
    survey.list = list;
    const std::vector<UsbDeviceDescription> devices = backend.devices();
    survey.selection = selectUsbPrinter(devices, named, list);
    const std::optional<UsbDeviceChoice> choice =
        named.empty() ? std::nullopt : parseUsbDeviceChoice(named);
    for (std::size_t n = 0; n < devices.size(); ++n) {
        const UsbDeviceDescription& d = devices[n];
        UsbSurveyEntry e;
        e.device = d;
        for (const UsbListEntry& entry : list)
            e.listedVendor = e.listedVendor || usbListEntryMatches(d, entry);
        for (const auto& i : d.interfaces)
            e.printerClass = e.printerClass || i.interfaceClass == kUsbPrinterClass;
        e.named = choice && usbDeviceMatches(d, *choice);
        e.chosen = survey.selection.index == static_cast<int>(n);
        if (!e.listedVendor && !e.printerClass && !e.named) continue;
        char node[64];
        std::snprintf(node, sizeof node, "/%03d/%03d", d.busNumber, d.address);
        e.nodePath = places.devRoot + node;
        e.permitted = ::access(e.nodePath.c_str(), R_OK | W_OK) == 0;
        e.holders = processesHolding(e.nodePath, places.procRoot);
        survey.entries.push_back(std::move(e));
    }
    return survey;
}

std::string usbAllowCommand(const UsbDeviceDescription& device) {
    UsbListEntry entry{device.vendorId, device.productId, device.serial};
    if (!device.serial.empty() && !parseUsbListEntry(usbListEntryText(entry))) entry.serial.clear();
    return "sudo m350ctl usb allow " + usbListEntryText(entry);
}

std::string usbSurveyText(const UsbSurvey& survey, bool all) {
    std::string s;
    std::vector<const UsbSurveyEntry*> shown, hidden;
    for (const UsbSurveyEntry& e : survey.entries)
        (all || e.listedVendor || e.named || e.chosen ? shown : hidden).push_back(&e);
    if (survey.entries.empty()) {
        s += "No USB device that may be a printer: none in the printer list (" +
             listText(survey.list) + "), none of the printer class";
        s += survey.named.empty() ? ".\n\n" : ", none named.\n\n";
    } else if (shown.empty()) {
        s += "No USB device of the printer list (" + listText(survey.list) + ")" +
             (survey.named.empty() ? "" : " or named") + ".\n\n";
    } else {
        s += "USB devices that may be a printer (* the one the next operation uses):\n\n";
        for (const UsbSurveyEntry* ep : shown) {
            const UsbSurveyEntry& e = *ep;
            const UsbDeviceDescription& d = e.device;
            s += e.chosen ? "* " : "  ";
            s += usbIdText(d.vendorId) + ":" + usbIdText(d.productId);
            s += "  bus path " + (d.busPath.empty() ? std::string("?") : d.busPath);
            s += "  serial " + (d.serial.empty() ? std::string("(none)") : d.serial);
            if (!d.manufacturer.empty() || !d.product.empty()) {
                s += "  " + d.manufacturer;
                if (!d.manufacturer.empty() && !d.product.empty()) s += " ";
                s += d.product;
            }
            s += "\n      " + interfaceLine(d, e) + "\n";
            s += e.permitted ? "      access: yes (" + e.nodePath + ")\n"
                             : "      access: no permission on " + e.nodePath +
                                   " (see the udev rule in /usr/share/doc/m350-utility/usb.md)\n";
        }
        s += "\n";
    }
    if (!hidden.empty()) {
        s += std::to_string(hidden.size()) +
             " printer-class device(s) not in the printer list (m350ctl usb list --all shows "
             "them); to use one, allow it:\n";
        for (const UsbSurveyEntry* e : hidden)
            s += "  " + usbAllowCommand(e->device) + "   (bus path " +
                 (e->device.busPath.empty() ? std::string("?") : e->device.busPath) + ")\n";
        s += "\n";
    }
    s += selectionLine(survey) + "\n\n";
    s += "To let both programs find a printer by itself, allow it (as root):\n"
         "  sudo m350ctl usb allow VID:PID[:SERIAL] [--group GROUP]\n"
         "To choose a device for one run or one window, name it instead:\n"
         "  M350_USB=VID:PID[:SERIAL] or M350_USB=BUS-PATH in the environment, or\n"
         "  --usb-device VID:PID[:SERIAL]|BUS-PATH (the window remembers it; "
         "--usb-device auto forgets it).\n"
         "VID and PID are the hexadecimal identifiers shown above, SERIAL the serial number\n"
         "(needed when two alike are attached), BUS-PATH where the device is plugged in.\n";
    return s;
}

}  // namespace m350
