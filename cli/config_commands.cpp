// SPDX-License-Identifier: MIT
// config read | show | write: the configuration record from the printer or a
// .dcf file, printed field by field, saved, or written back one page at a time.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <map>

#include "cli/commands.h"
#include "cli/config_diff_commands.h"
#include "cli/config_text.h"
#include "cli/exit_codes.h"
#include "cli/invocation.h"
#include "core/config/config_file.h"
#include "core/config/config_read.h"
#include "core/config/config_write.h"
#include "core/files/local_file.h"
#include "core/i18n/language_table.h"
#include "core/link/link_operations.h"

namespace m350::cli {

namespace {

enum Unit : int { kInch = 0, kMm = 1 };

struct ConfigOptions {
    int unit = kInch;
    bool unitGiven = false;
    std::string output;
    bool outputGiven = false;
    std::string file;
    int page = m350::kPageCommon;
    m350::CertificatePaths certs;
    bool verify = false;
};

// Prints a record; a file's stored status comes after the unit when given.
void print(Session& s, const m350::ConfigRecord& record, bool inch, bool json,
           const m350::StatusFlags* flags) {
    const std::string_view word =
        flags ? m350::languageText(m350::statusTextKeyFor(*flags), s.language) : "";
    if (json) {
        nlohmann::ordered_json j;
        j["unit"] = inch ? "inch" : "mm";
        if (flags) {
            j["status"] = std::string(word);
            j["statusFlags"] = nlohmann::ordered_json::array();
            for (auto f : *flags) j["statusFlags"].push_back(static_cast<int>(f));
            j["statusFlagsByName"] = statusFlagsByName(*flags);
        }
        // Kept in a variable: the range must outlive the loop.
        const nlohmann::ordered_json fields = recordJson(record, inch, s.encoding);
        for (const auto& [key, value] : fields.items())
            if (key != "unit") j[key] = value;
        std::fprintf(s.out(), "%s\n", dumpJson(j).c_str());
        return;
    }
    std::fprintf(s.out(), "%-24s%s\n", "unit", inch ? "inch" : "mm");
    if (flags)
        std::fprintf(s.out(), "%-24s%.*s\n", "status", static_cast<int>(word.size()), word.data());
    std::fputs(recordText(record, inch, s.encoding).c_str(), s.out());
}

// A certificate named on the command line must be there: the window skips a
// file that has gone, but a script needs to hear about it.
int checkCertificates(Session& s, const m350::CertificatePaths& certs) {
    for (const std::string* path : {&certs.caCert, &certs.clientCert, &certs.privateKey}) {
        if (path->empty()) continue;
        std::string data, why;
        if (!m350::readLocalFile(*path, m350::kMaxCertificateBytes, data, why))
            return s.fail(kExitNoInput, why);
    }
    return kExitOk;
}

int readCommand(Session& s, const ConfigOptions& o, bool json) {
    // Checked before the printer is asked: the read would be lost.
    if (o.outputGiven && o.output.empty())
        return s.fail(kExitUsage, "--output: the file name is empty");
    m350::ConfigRecord record;
    record.reset();
    // The progress bar only where there is a terminal to draw it on.
    const bool withProgress = s.context().progress != nullptr;
    if (int r = s.run(withProgress ? ops::readConfigShown(record) : ops::readConfig(record));
        r != m350::kOk)
        return r;
    const bool inch = o.unit == kInch;
    // As the window saves: the unit choice goes into the record and the header.
    record.setByte(m350::Field::inchUnits, inch ? 1 : 0);
    if (o.outputGiven) {
        m350::ConfigFileContents contents;
        contents.unit = o.unit;
        contents.record = record;
        std::string why;
        const auto saved = m350::saveConfigFile(o.output, contents, &why);
        if (saved == m350::ConfigFileResult::kDataError)
            return s.fail(kExitDataError, "not saved to " + o.output + ": the printer's " + why +
                                              " cannot be loaded back from a configuration file");
        if (saved != m350::ConfigFileResult::kOk) return s.fail(kExitCantCreate, why);
    }
    print(s, record, inch, json, nullptr);
    return kExitOk;
}

int showCommand(Session& s, const ConfigOptions& o, bool json) {
    m350::ConfigFileContents contents;
    if (int r = loadConfigFileOrFail(s, o.file, contents); r != kExitOk) return r;
    const bool inch = o.unitGiven ? o.unit == kInch : contents.unit != kMm;
    print(s, contents.record, inch, json, &contents.statusFlags);
    return kExitOk;
}

int writeCommand(Session& s, const ConfigOptions& o, const PasswordAnswer& answer, bool json) {
    m350::ConfigFileContents contents;
    if (int r = loadConfigFileOrFail(s, o.file, contents); r != kExitOk) return r;
    // The file's unit choice decides the units of the command lines, as it does
    // for Set after load in the window; --unit overrides it.
    const bool inch = o.unitGiven ? o.unit == kInch : contents.unit != kMm;
    m350::ConfigRecord record = contents.record;
    record.setByte(m350::Field::inchUnits, inch ? 1 : 0);
    if (int r = checkCertificates(s, o.certs); r != kExitOk) return r;
    if (int r = runPasswordGate(s, answer); r != kExitOk) return r;
    if (int r = s.run(ops::writeConfig(record, o.page, o.certs)); r != m350::kOk || !o.verify)
        return r;
    return verifyWrittenPage(s, record, o.page, inch, json);
}

CLI::Option* addUnit(CLI::App& sub, ConfigOptions& o, const char* what) {
    return sub.add_option("--unit", o.unit, what)
        ->transform(CLI::CheckedTransformer(kUnitNames, CLI::ignore_case).description(""))
        ->type_name("inch|mm");
}

}  // namespace

void addConfigCommands(CLI::App& app, Invocation& inv) {
    auto opts = std::make_shared<ConfigOptions>();
    auto* config = app.add_subcommand("config", "the printer's configuration and .dcf files");
    config->require_subcommand(1);

    auto* read = config->add_subcommand("read", "read every setting from the printer");
    addUnit(*read, *opts, "unit of the lengths (default inch)");
    read->add_flag("--json", inv.json, "print the settings as JSON");
    auto* output = read->add_option("-o,--output", opts->output, "also save them as a .dcf file")
                       ->type_name("FILE");
    read->callback([&inv, opts, output] {
        opts->outputGiven = output->count() > 0;
        inv.progress = true;
        inv.action = [&inv, opts](Session& s) { return readCommand(s, *opts, inv.json); };
    });

    auto* show = config->add_subcommand("show", "print the settings of a .dcf file");
    auto* showUnit = addUnit(*show, *opts, "unit of the lengths (default the file's)");
    show->add_flag("--json", inv.json, "print the settings as JSON");
    show->add_option("FILE", opts->file, "the .dcf file")->required();
    show->callback([&inv, opts, showUnit] {
        opts->unitGiven = showUnit->count() > 0;
        inv.action = [&inv, opts](Session& s) { return showCommand(s, *opts, inv.json); };
    });

    auto* write = config->add_subcommand(
        "write", "write one page of a .dcf file's settings to the printer (asks for the password)");
    write->add_option("FILE", opts->file, "the .dcf file")->required();
    write->add_option("--page", opts->page, "the page of settings to write")
        ->transform(CLI::CheckedTransformer(kConfigPageNames, CLI::ignore_case).description(""))
        ->type_name("common|z|d|rs232|wireless|bluetooth|ftp")
        ->required();
    auto* writeUnit = addUnit(*write, *opts, "unit of the command lines (default the file's)");
    write->add_option("--ca-cert", opts->certs.caCert, "wireless page: CA certificate to send")
        ->type_name("FILE");
    write
        ->add_option("--client-cert", opts->certs.clientCert,
                     "wireless page: client certificate to send")
        ->type_name("FILE");
    write->add_option("--private-key", opts->certs.privateKey, "wireless page: private key to send")
        ->type_name("FILE");
    write->add_flag("--verify", opts->verify,
                    "read the settings back and fail (exit 10, the differences listed) when the "
                    "printer did not take one");
    write->add_flag("--json", inv.json, "with --verify: the verdict and differences as JSON");
    write->callback([&inv, opts, writeUnit] {
        opts->unitGiven = writeUnit->count() > 0;
        inv.progress = true;
        inv.action = [&inv, opts](Session& s) {
            PasswordAnswer answer;
            if (int r = inv.passwordAnswer(s, answer); r != kExitOk) return r;
            return writeCommand(s, *opts, answer, inv.json);
        };
    });

    addConfigDiffCommand(*config, inv);
}

int loadConfigFileOrFail(Session& s, const std::string& path, m350::ConfigFileContents& contents) {
    std::string why;
    switch (m350::loadConfigFile(path, contents, &why)) {
        case m350::ConfigFileResult::kOk:
            return kExitOk;
        case m350::ConfigFileResult::kDataError:
            return s.fail(kExitDataError,
                          path + ": File Data Error" + (why.empty() ? "" : ": " + why));
        default:
            return s.fail(kExitNoInput, why.empty() ? "cannot read " + path : why);
    }
}

}  // namespace m350::cli
