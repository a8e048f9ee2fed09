// usb list: every USB device that may be the printer, which one the next
// operation uses, who holds each, and how to name one.
#include <CLI/CLI.hpp>

#include "cli/exit_codes.h"
#include "cli/invocation.h"
#include "core/transport/usb_backend.h"
#include "core/transport/usb_survey.h"

namespace m350::cli {

void addUsbCommands(CLI::App& app, Invocation& inv) {
    auto* usb = app.add_subcommand("usb", "the USB devices a printer may be");
    usb->require_subcommand(1);
    auto* list = usb->add_subcommand(
        "list",
        "list printer-class devices and those of the printer vendors, with the one the next "
        "operation uses, who holds each, and how to name one (touches no device)");
    list->callback([&inv] {
        inv.action = [](Session& s) {
            m350::LinkContext& ctx = s.context();
            std::shared_ptr<m350::UsbBackend> backend =
                ctx.usb ? ctx.usb : m350::systemUsbBackend();
            const m350::UsbSurvey survey =
                m350::surveyUsbDevices(*backend, m350::namedUsbDevice(ctx.settings->usbDevice));
            const std::string text = m350::usbSurveyText(survey);
            std::fwrite(text.data(), 1, text.size(), s.out());
            return static_cast<int>(kExitOk);
        };
    });
}

}  // namespace m350::cli
