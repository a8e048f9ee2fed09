// SPDX-License-Identifier: MIT
// doctor and serial list: what stands between this computer and the printer,
// with a fix for each problem, and the serial ports by their stable names.
#include <CLI/CLI.hpp>
#include <cstdlib>
#include <nlohmann/json.hpp>

#include "cli/config_text.h"
#include "cli/doctor.h"
#include "cli/exit_codes.h"
#include "cli/invocation.h"

namespace m350::cli {

namespace {

using Json = nlohmann::ordered_json;

// M350_DOCTOR_ROOT: look at another tree (a disk image, a saved copy of a
// customer's /sys and /dev) instead of this computer.
DoctorSystem systemToExamine() {
    DoctorSystem sys = DoctorSystem::current();
    if (const char* root = std::getenv("M350_DOCTOR_ROOT"); root && *root) sys.root = root;
    return sys;
}

const char* severityWord(Severity s) {
    switch (s) {
        case Severity::kOk:
            return "ok";
        case Severity::kInfo:
            return "info";
        case Severity::kWarning:
            return "warning";
        case Severity::kBlocking:
            return "blocks";
    }
    return "";
}

const char* interfaceName(int iface) {
    switch (iface) {
        case m350::kUsb:
            return "usb";
        case m350::kCom:
            return "serial";
        case m350::kLpt:
            return "parallel";
        default:
            return "network";
    }
}

int doctorCommand(Session& s, const DoctorTarget& target, bool json) {
    const auto checks = runDoctor(systemToExamine(), target);
    const bool blocked = blocksTarget(checks, target);
    if (json) {
        Json j;
        j["interface"] = interfaceName(target.iface);
        j["blocked"] = blocked;
        j["checks"] = Json::array();
        for (const auto& c : checks)
            j["checks"].push_back({{"area", c.area},
                                   {"severity", severityWord(c.severity)},
                                   {"text", c.text},
                                   {"fix", c.fix}});
        std::fprintf(s.out(), "%s\n", dumpJson(j).c_str());
    } else {
        for (const auto& c : checks) {
            std::fprintf(s.out(), "%-8s %-9s %s\n", severityWord(c.severity), c.area.c_str(),
                         c.text.c_str());
            if (!c.fix.empty()) std::fprintf(s.out(), "%-18s fix: %s\n", "", c.fix.c_str());
        }
        std::fprintf(
            s.out(), "%s: %s\n", interfaceName(target.iface),
            blocked ? "blocked (see the lines marked \"blocks\")" : "nothing found that blocks it");
    }
    return blocked ? kExitUnavailable : kExitOk;
}

int serialListCommand(Session& s, bool json) {
    const auto devices = listSerialDevices(systemToExamine());
    if (json) {
        Json j;
        j["ports"] = Json::array();
        for (const auto& d : devices)
            j["ports"].push_back(
                {{"device", d.device}, {"driver", d.driver}, {"stable", d.stable}});
        std::fprintf(s.out(), "%s\n", dumpJson(j).c_str());
        return kExitOk;
    }
    if (devices.empty()) std::fprintf(s.out(), "No serial port found.\n");
    for (const auto& d : devices) {
        std::fprintf(s.out(), "%s%s%s%s\n", d.device.c_str(), d.driver.empty() ? "" : "  (",
                     d.driver.c_str(), d.driver.empty() ? "" : ")");
        for (const auto& name : d.stable) std::fprintf(s.out(), "    %s\n", name.c_str());
    }
    return kExitOk;
}

}  // namespace

void addDoctorCommands(CLI::App& app, Invocation& inv) {
    auto* doctor = app.add_subcommand(
        "doctor",
        "check what stands between this computer and the printer (USB, serial and parallel "
        "ports, permissions, fonts, display), each problem with a fix; exit 0 only when nothing "
        "blocks the chosen interface");
    doctor->add_flag("--json", inv.json, "print the checks as JSON");
    doctor->callback([&inv] {
        inv.action = [&inv](Session& s) {
            const PortChoice port = inv.port.result();
            DoctorTarget t;
            t.iface = port.iface;
            const auto& settings = port.settings;
            t.comName =
                settings.comDevicePath.empty() ? settings.serial.portName : settings.comDevicePath;
            t.lptName = settings.lptDevicePath.empty() ? settings.lptName : settings.lptDevicePath;
            t.usbDevice = port.settings.usbDevice;
            return doctorCommand(s, t, inv.json);
        };
    });

    auto* serial = app.add_subcommand("serial", "serial ports");
    serial->require_subcommand(1);
    auto* list = serial->add_subcommand(
        "list", "the serial ports present, with their stable names (/dev/serial/by-id, by-path)");
    list->add_flag("--json", inv.json, "print the ports as JSON");
    list->callback(
        [&inv] { inv.action = [&inv](Session& s) { return serialListCommand(s, inv.json); }; });
}

}  // namespace m350::cli
