// usb list: every USB device that may be the printer, which one the next
// operation uses, who holds each, and how to name one.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "cli/config_text.h"
#include "cli/exit_codes.h"
#include "cli/invocation.h"
#include "core/transport/usb_backend.h"
#include "core/transport/usb_survey.h"

namespace m350::cli {

namespace {

std::string hex4(unsigned value) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04x", value & 0xFFFFu);
    return buf;
}

// {"named": ..., "devices": [{"vendorId": "1203", "productId": ..., ...}]}
nlohmann::ordered_json surveyJson(const m350::UsbSurvey& survey) {
    nlohmann::ordered_json j;
    j["named"] = survey.named.empty() ? nlohmann::ordered_json(nullptr)
                                      : nlohmann::ordered_json(survey.named);
    j["devices"] = nlohmann::ordered_json::array();
    for (const auto& e : survey.entries) {
        nlohmann::ordered_json d;
        d["vendorId"] = hex4(e.device.vendorId);
        d["productId"] = hex4(e.device.productId);
        d["bus"] = e.device.busNumber;
        d["address"] = e.device.address;
        d["busPath"] = e.device.busPath;
        d["serial"] = e.device.serial;
        d["manufacturer"] = e.device.manufacturer;
        d["product"] = e.device.product;
        d["printerVendor"] = e.listedVendor;
        d["printerClass"] = e.printerClass;
        d["named"] = e.named;
        d["chosen"] = e.chosen;
        d["node"] = e.nodePath;
        d["permitted"] = e.permitted;
        d["holders"] = e.holders;
        j["devices"].push_back(std::move(d));
    }
    return j;
}

}  // namespace

void addUsbCommands(CLI::App& app, Invocation& inv) {
    auto* usb = app.add_subcommand("usb", "the USB devices a printer may be");
    usb->require_subcommand(1);
    auto* list = usb->add_subcommand(
        "list",
        "list printer-class devices and those of the printer vendors, with the one the next "
        "operation uses, who holds each, and how to name one (touches no device)");
    list->add_flag("--json", inv.json, "print the devices as JSON");
    list->callback([&inv] {
        inv.action = [&inv](Session& s) {
            m350::LinkContext& ctx = s.context();
            std::shared_ptr<m350::UsbBackend> backend =
                ctx.usb ? ctx.usb : m350::systemUsbBackend();
            const m350::UsbSurvey survey =
                m350::surveyUsbDevices(*backend, m350::namedUsbDevice(ctx.settings->usbDevice));
            const std::string text =
                inv.json ? dumpJson(surveyJson(survey)) + "\n" : m350::usbSurveyText(survey);
            std::fwrite(text.data(), 1, text.size(), s.out());
            return static_cast<int>(kExitOk);
        };
    });
}

}  // namespace m350::cli
