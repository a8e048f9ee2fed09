// SPDX-License-Identifier: MIT
// wifi scan, bt scan, bt master, module show and module set: the printer's
// scans, the Bluetooth master connection and the external module's setup.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>

#include "cli/config_text.h"
#include "cli/exit_codes.h"
#include "cli/invocation.h"
#include "core/config/config_read.h"
#include "core/config/config_write.h"
#include "core/i18n/text_encoding.h"
#include "core/input/input_checks.h"
#include "core/link/link_operations.h"
#include "core/printer/maintenance.h"
#include "core/wireless/external_module.h"
#include "core/wireless/wireless_scan.h"

namespace m350::cli {

namespace {

int wifiScanCommand(Session& s, bool asJson, int waitSeconds) {
    m350::AccessPointScan scan;
    if (int r =
            s.run(ops::scanAccessPoints(scan, scanWaitOf(m350::kAccessPointScanWait, waitSeconds)));
        r != m350::kOk)
        return r;
    if (!scan.moduleFound)
        return s.fail(kExitUnavailable, std::string(m350::kNoExternalModuleText));
    const auto rows = m350::accessPointRows(scan);
    if (asJson) {
        auto list = nlohmann::ordered_json::array();
        for (const auto& row : rows)
            list.push_back({{"ssid", m350::decodeText(row.ssid, s.encoding)},
                            {"encryption", m350::decodeText(row.encryption, s.encoding)}});
        std::fprintf(s.out(), "%s\n", dumpJson({{"accessPoints", list}}).c_str());
    } else {
        for (const auto& row : rows)
            std::fprintf(s.out(), "%s\t%s\n", printableText(row.ssid, s.encoding).c_str(),
                         printableText(row.encryption, s.encoding).c_str());
    }
    return kExitOk;
}

int btScanCommand(Session& s, bool asJson, int waitSeconds) {
    m350::BluetoothScan scan;
    if (int r = s.run(ops::scanBluetooth(scan, scanWaitOf(m350::kBluetoothScanWait, waitSeconds)));
        r != m350::kOk)
        return r;
    if (!scan.moduleFound)
        return s.fail(kExitUnavailable, std::string(m350::kNoBluetoothModuleText));
    if (asJson) {
        auto list = nlohmann::ordered_json::array();
        for (const auto& d : scan.entries)
            list.push_back({{"name", m350::decodeText(d.name, s.encoding)},
                            {"address", m350::decodeText(d.address, s.encoding)}});
        std::fprintf(s.out(), "%s\n", dumpJson({{"devices", list}}).c_str());
    } else {
        for (const auto& d : scan.entries)
            std::fprintf(s.out(), "%s\t%s\n", printableText(d.name, s.encoding).c_str(),
                         printableText(d.address, s.encoding).c_str());
    }
    return kExitOk;
}

// A lasting change: the printer password is asked first, as for the other
// factory default.
int wifiDefaultCommand(Session& s, const PasswordAnswer& answer) {
    if (int r = runPasswordGate(s, answer); r != kExitOk) return r;
    return s.run(ops::wirelessFactoryDefault());
}

int btMasterCommand(Session& s, const std::string& address) {
    if (!m350::quotable(address))
        return s.fail(kExitDataError,
                      "MAC: must not hold a double quote, a line break or another control "
                      "character (nothing was sent)");
    return s.run(ops::setBluetoothMaster(address));
}

// The start of both module commands: the printer's serial port switched and
// in pass-through mode (its result is not looked at, as the window does not),
// then the module detected and read back.
void enterModuleSetup(Session& s, m350::ConfigRecord& record) {
    m350::run(s.context(), s.iface(), ops::setUpModule(record));
}

// The printer leaves pass-through mode with a reset.
int leaveModuleSetup(Session& s) {
    return s.run(ops::resetPrinter());
}

int moduleShowCommand(Session& s, bool asJson) {
    m350::ConfigRecord record;
    enterModuleSetup(s, record);
    const bool present = record.byte(m350::Field::extBtPresent) == 1;
    if (present && asJson) {
        nlohmann::ordered_json j;
        j["name"] = m350::decodeText(record.text(m350::Field::extBtName), s.encoding);
        std::fprintf(s.out(), "%s\n", dumpJson(j).c_str());
    } else if (present) {
        std::fprintf(s.out(), "name: %s\n",
                     printableText(record.text(m350::Field::extBtName), s.encoding).c_str());
    }
    const int reset = leaveModuleSetup(s);
    if (!present) return s.fail(kExitUnavailable, "no external module answered");
    return reset;
}

int moduleSetCommand(Session& s, const PasswordAnswer& answer, const std::string& typedName,
                     const std::string& typedPin) {
    // Typed as UTF-8; the module keeps them in the printer text encoding.
    const auto name = m350::encodeText(typedName, s.encoding);
    const auto pin = m350::encodeText(typedPin, s.encoding);
    if (!name || !pin)
        return s.fail(kExitUsage, "\"" + (name ? typedPin : typedName) +
                                      "\" cannot be written in the printer text encoding " +
                                      s.encoding);
    if (int r = runPasswordGate(s, answer); r != kExitOk) return r;
    // The configuration written at the end is the printer's own, as the
    // window writes the record it read.
    m350::ConfigRecord record;
    if (int r = s.run(ops::readConfigShown(record)); r != m350::kOk) return r;
    enterModuleSetup(s, record);
    const bool present = record.byte(m350::Field::extBtPresent) == 1;
    if (!present)
        std::fprintf(s.err(), "m350ctl: no external module answered; nothing is sent to it\n");
    record.setText(m350::Field::extBtName, *name);
    record.setText(m350::Field::extBtPinCode, *pin);
    // Every step runs whatever the one before gave, so the printer is always
    // reset at the end; the first failure is the exit status.
    int first = m350::kOk;
    auto keep = [&first](int r) {
        if (first == m350::kOk) first = r;
    };
    keep(s.run(ops::writeModule(record)));
    keep(s.run(ops::writeConfig(record, m350::kPageWireless, m350::CertificatePaths{})));
    keep(leaveModuleSetup(s));
    if (first == m350::kOk && !present) return kExitUnavailable;
    return first;
}

// `wifi scan` and `bt scan`: --json and --wait, the progress bar on a
// terminal, then the scan command with the seconds given.
void addScanCommand(CLI::App* parent, Invocation& inv, const char* what, int defaultWait,
                    int (*command)(Session&, bool, int)) {
    auto* scan = parent->add_subcommand("scan", what);
    scan->add_flag("--json", inv.json, "print the list as JSON");
    auto wait = std::make_shared<int>(defaultWait);
    scan->add_option(
            "--wait", *wait,
            "seconds the printer is given to scan (default " + std::to_string(defaultWait) + ")")
        ->check(CLI::Range(0, 600));
    scan->callback([&inv, wait, command] {
        inv.progress = true;
        inv.action = [&inv, wait, command](Session& s) { return command(s, inv.json, *wait); };
    });
}

}  // namespace

void addWirelessCommands(CLI::App& app, Invocation& inv) {
    auto* wifi = app.add_subcommand("wifi", "the printer's wireless module");
    wifi->require_subcommand(1);
    addScanCommand(wifi, inv, "list the access points the printer hears (takes about 12 seconds)",
                   12, wifiScanCommand);
    wifi->add_subcommand("default",
                         "restore the wireless module's factory settings (asks for the password)")
        ->callback([&inv] {
            inv.action = [&inv](Session& s) {
                PasswordAnswer answer;
                if (int r = inv.passwordAnswer(s, answer); r != kExitOk) return r;
                return wifiDefaultCommand(s, answer);
            };
        });

    auto* bt = app.add_subcommand("bt", "the printer's Bluetooth module");
    bt->require_subcommand(1);
    addScanCommand(bt, inv, "list the Bluetooth devices the printer finds (takes about a minute)",
                   60, btScanCommand);
    auto* master = bt->add_subcommand("master", "connect the printer to a device as master");
    auto address = std::make_shared<std::string>();
    master->add_option("MAC", *address, "the device's address, as bt scan lists it")->required();
    master->callback([&inv, address] {
        inv.action = [address](Session& s) { return btMasterCommand(s, *address); };
    });

    auto* module =
        app.add_subcommand("module", "the external Bluetooth module on the printer's serial port");
    module->require_subcommand(1);
    auto byteWait = std::make_shared<int>(3000);
    module
        ->add_option("--byte-wait", *byteWait,
                     "milliseconds the module is given for each byte of an answer (default 3000)")
        ->check(CLI::Range(1, 60000));
    auto* show =
        module->add_subcommand("show", "read the module's name (the printer is reset afterwards)");
    show->add_flag("--json", inv.json, "print the name as JSON");
    show->callback([&inv, byteWait] {
        inv.progress = true;
        inv.action = [&inv, byteWait](Session& s) {
            s.context().timeouts.moduleReadMs = *byteWait;
            return moduleShowCommand(s, inv.json);
        };
    });
    auto* set = module->add_subcommand(
        "set",
        "set the module's name and PIN code, write the wireless settings back and reset the "
        "printer (asks for the password)");
    auto name = std::make_shared<std::string>();
    auto pin = std::make_shared<std::string>();
    set->add_option("--name", *name, "the module's Bluetooth name (at most 31 characters)")
        ->required();
    set->add_option("--pin", *pin, "the module's PIN code (at most 31 characters)")->required();
    set->callback([&inv, name, pin, byteWait] {
        inv.progress = true;
        inv.action = [&inv, name, pin, byteWait](Session& s) {
            s.context().timeouts.moduleReadMs = *byteWait;
            // Checked before the password is asked for or anything is sent.
            for (const auto& [option, value] : {std::pair{"--name", name}, {"--pin", pin}}) {
                if (value->size() > 31 || value->find(' ') != std::string::npos ||
                    !m350::quotable(*value))
                    return s.fail(kExitDataError,
                                  std::string(option) +
                                      ": at most 31 characters, no blank, no double quote and no "
                                      "control character (nothing was sent)");
            }
            PasswordAnswer answer;
            if (int r = inv.passwordAnswer(s, answer); r != kExitOk) return r;
            return moduleSetCommand(s, answer, *name, *pin);
        };
    });
}

}  // namespace m350::cli
