// SPDX-License-Identifier: MIT
// usb list: every USB device that may be the printer, which one the next
// operation uses, who holds each, and how to name one. usb allow and usb
// forget: the system's printer list and its udev rule (usb_allow.h).
#include <CLI/CLI.hpp>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "cli/config_text.h"
#include "cli/exit_codes.h"
#include "cli/invocation.h"
#include "cli/usb_allow.h"
#include "core/transport/usb_backend.h"
#include "core/transport/usb_printer_list.h"
#include "core/transport/usb_survey.h"

namespace m350::cli {

namespace {

nlohmann::ordered_json surveyJson(const m350::UsbSurvey& survey, bool all) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const auto& e : survey.list) list.push_back(m350::usbListEntryText(e));
    nlohmann::ordered_json devices = nlohmann::ordered_json::array();
    for (const m350::UsbSurveyEntry& e : survey.entries) {
        if (!all && !e.listedVendor && !e.named && !e.chosen) continue;
        const m350::UsbDeviceDescription& d = e.device;
        const m350::UsbInterfaceDescription* itf = m350::choosePrinterInterface(d);
        nlohmann::ordered_json j;
        j["vid"] = usbIdText(d.vendorId);
        j["pid"] = usbIdText(d.productId);
        j["serial"] = d.serial;
        j["busPath"] = d.busPath;
        j["manufacturer"] = d.manufacturer;
        j["product"] = d.product;
        j["printerClass"] = e.printerClass;
        j["listed"] = e.listedVendor;
        j["named"] = e.named;
        j["used"] = e.chosen;
        j["driver"] = itf ? itf->driver : std::string();
        j["holders"] = e.holders;
        j["node"] = e.nodePath;
        j["access"] = e.permitted;
        j["allow"] = m350::usbAllowCommand(d);
        devices.push_back(std::move(j));
    }
    nlohmann::ordered_json out;
    out["list"] = std::move(list);
    out["named"] = survey.named;
    out["devices"] = std::move(devices);
    return out;
}

// The entry a usb allow or forget argument names; a usage failure when none.
bool entryArgument(Session& s, const std::string& text, m350::UsbListEntry& out, int& code) {
    const auto entry = m350::parseUsbListEntry(text);
    if (!entry || !entry->productId) {
        code = s.fail(kExitUsage, text +
                                      " is not VID:PID[:SERIAL] (hexadecimal identifiers, a "
                                      "serial number without quotes, blanks or * ? [ ] |)");
        return false;
    }
    out = *entry;
    return true;
}

int report(Session& s, const UsbAllowOutcome& o) {
    std::fwrite(o.out.data(), 1, o.out.size(), s.out());
    if (!o.err.empty()) std::fprintf(s.err(), "%s\n", o.err.c_str());
    return o.exitCode;
}

// What the usb commands were given; owned by their callbacks.
struct UsbArguments {
    bool all = false;
    std::string device;
    std::string group;
};

}  // namespace

void addUsbCommands(CLI::App& app, Invocation& inv) {
    auto args = std::make_shared<UsbArguments>();
    auto* usb = app.add_subcommand("usb", "the USB devices a printer may be");
    usb->require_subcommand(1);
    auto* list = usb->add_subcommand(
        "list",
        "list the devices of the printer list and the one named, with the one the next "
        "operation uses, who holds each, and how to name or allow one (touches no device)");
    list->add_flag("--all", args->all,
                   "also every printer-class device not in the printer list, with VID:PID, "
                   "serial, bus path, driver holder and access");
    list->add_flag("--json", inv.json, "print the devices as JSON");
    list->callback([&inv, args] {
        inv.action = [&inv, args](Session& s) {
            m350::LinkContext& ctx = s.context();
            std::shared_ptr<m350::UsbBackend> backend =
                ctx.usb ? ctx.usb : m350::systemUsbBackend();
            const m350::UsbSurvey survey =
                m350::surveyUsbDevices(*backend, m350::namedUsbDevice(ctx.settings->usbDevice),
                                       m350::loadUsbList({ctx.settings->usbListSystemFile,
                                                          ctx.settings->usbListUserFile}));
            const std::string text = inv.json ? dumpJson(surveyJson(survey, args->all)) + "\n"
                                              : m350::usbSurveyText(survey, args->all);
            std::fwrite(text.data(), 1, text.size(), s.out());
            return static_cast<int>(kExitOk);
        };
    });

    auto* allow = usb->add_subcommand(
        "allow",
        "(root) put a printer in the system's printer list so both programs use it without "
        "being told, and write a udev rule that lets the user at the seat (and --group) open it");
    allow->add_option("device", args->device, "VID:PID or VID:PID:SERIAL")->required();
    allow->add_option("--group", args->group,
                      "a group whose members may open it too (lp, for example)");
    allow->callback([&inv, args] {
        inv.action = [args](Session& s) {
            m350::UsbListEntry entry;
            int code = 0;
            if (!entryArgument(s, args->device, entry, code)) return code;
            return report(s, allowUsbPrinter(entry, args->group, systemAllowPlaces()));
        };
    });
    auto* forget = usb->add_subcommand(
        "forget", "(root) undo usb allow: the entry and its udev rule are removed");
    forget->add_option("device", args->device, "VID:PID or VID:PID:SERIAL as it was allowed")
        ->required();
    forget->callback([&inv, args] {
        inv.action = [args](Session& s) {
            m350::UsbListEntry entry;
            int code = 0;
            if (!entryArgument(s, args->device, entry, code)) return code;
            return report(s, forgetUsbPrinter(entry, systemAllowPlaces()));
        };
    });
}

}  // namespace m350::cli
