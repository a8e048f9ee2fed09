// SPDX-License-Identifier: MIT
// The file manager from the command line: download files into a memory
// device, send firmware, list the memory devices, format one, and fetch a
// file back from the printer.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>

#include "cli/config_text.h"
#include "cli/exit_codes.h"
#include "cli/invocation.h"
#include "core/files/file_download.h"
#include "core/files/file_fetch.h"
#include "core/files/file_source.h"
#include "core/files/file_types.h"
#include "core/files/local_file.h"
#include "core/files/memory_info.h"
#include "core/i18n/text_encoding.h"
#include "core/link/link_operations.h"

namespace m350::cli {

namespace {

const std::map<std::string, int> kDevices = {
    {"dram", m350::kDeviceDram}, {"flash", m350::kDeviceFlash}, {"card", m350::kDeviceCard}};
const std::map<std::string, int> kTypes = {
    {"bmp", m350::kFileBmp},         {"pcx", m350::kFilePcx},   {"ttf", m350::kFileTrueType},
    {"font", m350::kFileBitmapFont}, {"bas", m350::kFileBasic}, {"data", m350::kFileData}};

// How many times a fetch is asked when the reply does not arrive whole, as the
// dump text fetch does.

struct FileOptions {
    std::vector<std::string> files;
    std::string name;
    int device = m350::kDeviceFlash;
    int type = -1;  // -1: from each file's extension
    bool yes = false;
    std::string firmware;
    std::string output;
};

std::string lower(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// A file's type from its extension: .bmp, .pcx, .ttf and .bas in any case;
// anything else is a data file.
int typeFromExtension(const std::string& path) {
    const auto slash = path.rfind('/');
    const auto dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return m350::kFileData;
    const std::string ext = lower(path.substr(dot + 1));
    if (ext == "bmp") return m350::kFileBmp;
    if (ext == "pcx") return m350::kFilePcx;
    if (ext == "ttf") return m350::kFileTrueType;
    if (ext == "bas") return m350::kFileBasic;
    return m350::kFileData;
}

// The core's verdict on a download, worded with the option that gave the
// name; kExitOk when it may go.
int checkDownloadVerdict(Session& s, const m350::DownloadVerdict& v, const std::string& option,
                         const std::string& name, const std::string& path, std::uint64_t size) {
    if (v.name != m350::NameProblem::kNone)
        return s.fail(kExitDataError, option + " \"" + name + "\": " + m350::nameRuleText(v.name) +
                                          " Nothing was sent.");
    if (v.tooLarge)
        return s.fail(kExitDataError, path + " is too large: " + std::to_string(size) +
                                          " bytes; the printer takes files of at most " +
                                          std::to_string(m350::kMaxDownloadSize) + " bytes");
    return kExitOk;
}

int downloadCommand(Session& s, const FileOptions& o, const PasswordAnswer& answer) {
    if (!o.name.empty() && o.files.size() > 1)
        return s.fail(kExitUsage, "--name names one file; give one file with it");
    // Every file is checked before anything is sent.
    std::vector<m350::DownloadRequest> requests;
    std::vector<std::uint64_t> sizes;
    for (const std::string& path : o.files) {
        std::uint64_t size = 0;
        std::string error;
        if (!m350::regularFileSize(path, size, error))
            return s.fail(kExitNoInput, "cannot read " + path + ": " + error);
        const int type = o.type >= 0 ? o.type : typeFromExtension(path);
        m350::DownloadRequest r;
        r.path = path;
        if (o.name.empty()) {
            r.name = m350::printerFileName(path, type);
        } else if (auto name = m350::encodeText(o.name, s.encoding)) {
            // Typed as UTF-8; the printer keeps names in its text encoding.
            r.name = *name;
        } else {
            return s.fail(
                kExitUsage,
                "\"" + o.name + "\" cannot be written in the printer text encoding " + s.encoding);
        }
        r.device = o.device;
        if (int c = checkDownloadVerdict(s, m350::checkDownload(r.name, size, false),
                                         o.name.empty() ? "the name made from FILE" : "--name",
                                         r.name, path, size);
            c != kExitOk)
            return c;
        requests.push_back(std::move(r));
        sizes.push_back(size);
    }
    if (int r = runPasswordGate(s, answer); r != kExitOk) return r;
    for (std::size_t i = 0; i < requests.size(); ++i) {
        const auto& r = requests[i];
        if (int code = s.run(ops::downloadFile(r)); code != m350::kOk) return code;
        const std::string_view device = m350::deviceName(r.device);
        std::fprintf(s.out(), "%s -> %.*s:%s (%llu bytes)\n", r.path.c_str(),
                     static_cast<int>(device.size()), device.data(), r.name.c_str(),
                     static_cast<unsigned long long>(sizes[i]));
        std::fflush(s.out());
    }
    return kExitOk;
}

int firmwareCommand(Session& s, const std::string& path, const PasswordAnswer& answer) {
    std::uint64_t size = 0;
    std::string error;
    if (!m350::regularFileSize(path, size, error))
        return s.fail(kExitNoInput, "cannot read " + path + ": " + error);
    if (int r = runPasswordGate(s, answer); r != kExitOk) return r;
    if (int r = s.run(ops::sendFileRaw(path)); r != m350::kOk) return r;
    std::fprintf(s.out(), "Please wait for the LED to change to Green.\n");
    return kExitOk;
}

nlohmann::ordered_json deviceJson(int device, const m350::DeviceMemory& d,
                                  std::string_view encoding) {
    nlohmann::ordered_json j;
    j["device"] = std::string(m350::deviceName(device));
    j["physicalKB"] = d.physicalKnown ? nlohmann::ordered_json(d.physicalSize) : nullptr;
    j["freeKB"] = d.freeKnown ? nlohmann::ordered_json(d.freeSpace) : nullptr;
    j["files"] = nlohmann::ordered_json::array();
    for (const auto& name : m350::fileListLines(d.fileList))
        j["files"].push_back(m350::decodeText(name, encoding));
    return j;
}

int memoryCommand(Session& s, int onlyDevice, bool json) {
    m350::MemoryInfo info;
    if (int r = s.run(ops::readMemoryInfo(info)); r != m350::kOk) return r;
    std::vector<int> devices;
    for (int d = 0; d < m350::kDeviceCount; ++d)
        if (onlyDevice < 0 || onlyDevice == d) devices.push_back(d);
    if (json) {
        nlohmann::ordered_json j;
        j["devices"] = nlohmann::ordered_json::array();
        for (int d : devices)
            j["devices"].push_back(
                deviceJson(d, info.devices[static_cast<std::size_t>(d)], s.encoding));
        std::fprintf(s.out(), "%s\n", dumpJson(j).c_str());
        return kExitOk;
    }
    for (int d : devices) {
        const auto& m = info.devices[static_cast<std::size_t>(d)];
        auto number = [](bool known, std::int32_t v) {
            return known ? std::to_string(v) + " KB" : std::string("-");
        };
        const std::string_view name = m350::deviceName(d);
        std::fprintf(s.out(), "%-6.*s physical %s, free %s\n", static_cast<int>(name.size()),
                     name.data(), number(m.physicalKnown, m.physicalSize).c_str(),
                     number(m.freeKnown, m.freeSpace).c_str());
        for (const auto& file : m350::fileListLines(m.fileList))
            std::fprintf(s.out(), "  %s\n", printableText(file, s.encoding).c_str());
    }
    return kExitOk;
}

// "Are you sure?" on the terminal; without one the command needs --yes.
bool confirmedOnTerminal(Session& s, int device) {
    const std::string_view name = m350::deviceName(device);
    std::fprintf(s.err(), "Delete every file on %.*s. Are you sure? [y/N] ",
                 static_cast<int>(name.size()), name.data());
    std::fflush(s.err());
    char line[64];
    if (!std::fgets(line, sizeof line, stdin)) return false;
    return line[0] == 'y' || line[0] == 'Y';
}

int formatCommand(Session& s, int device, bool yes, const PasswordAnswer& answer) {
    if (!yes) {
        if (!::isatty(STDIN_FILENO))
            return s.fail(kExitNotConfirmed,
                          "format deletes every file on the device: confirm with --yes "
                          "(nothing was sent)");
        if (!confirmedOnTerminal(s, device)) return s.fail(kExitNotConfirmed, "not formatted");
    }
    if (int r = runPasswordGate(s, answer); r != kExitOk) return r;
    return s.run(ops::formatDevice(device));
}

int fetchCommand(Session& s, const std::string& name, const std::string& output) {
    if (const auto problem = m350::checkPrinterFileName(name);
        problem == m350::NameProblem::kUnsafeCharacter || problem == m350::NameProblem::kWildcard)
        return checkDownloadVerdict(s, {problem, false}, "NAME", name, "", 0);
    // Refused before the printer is asked, as config read -o does: the file
    // would be lost.
    if (output.empty()) return s.fail(kExitUsage, "--output: the file name is empty");
    std::string content;
    const int r = m350::retryWhileNotReceived([&] {
        return m350::run(s.context(), s.iface(),
                         ops::fetchFile(name, content, m350::kFetchCapacity));
    });
    if (r != m350::kOk) return s.report(r);
    if (output == "-") {
        std::fwrite(content.data(), 1, content.size(), s.out());
        return kExitOk;
    }
    std::string why;
    if (!m350::writeFileAtomically(output, content, &why)) return s.fail(kExitCantCreate, why);
    return kExitOk;
}

// The gate's answer, then the command.
template <class F>
std::function<int(Session&)> gated(Invocation& inv, F command) {
    return [&inv, command](Session& s) {
        PasswordAnswer answer;
        if (int r = inv.passwordAnswer(s, answer); r != kExitOk) return r;
        return command(s, answer);
    };
}

}  // namespace

void addFileCommands(CLI::App& app, Invocation& inv) {
    auto o = std::make_shared<FileOptions>();

    auto* download = app.add_subcommand(
        "download", "store files in a memory device of the printer (asks for the password)");
    download->add_option("FILE", o->files, "files to download")->required();
    download
        ->add_option("--name", o->name,
                     "printer file name (one file only; default: the file name cut to 8 "
                     "characters plus the type's extension)")
        ->type_name("NAME");
    download->add_option("--device", o->device, "memory device (default flash)")
        ->transform(CLI::CheckedTransformer(kDevices, CLI::ignore_case).description(""))
        ->type_name("dram|flash|card");
    download
        ->add_option("--type", o->type,
                     "file type, for the extension of the printer file name (default: from "
                     "each file's extension; data for others)")
        ->transform(CLI::CheckedTransformer(kTypes, CLI::ignore_case).description(""))
        ->type_name("bmp|pcx|ttf|font|bas|data");
    download->callback([&inv, o] {
        inv.progress = true;
        inv.action = gated(
            inv, [o](Session& s, const PasswordAnswer& a) { return downloadCommand(s, *o, a); });
    });

    auto* firmware = app.add_subcommand(
        "firmware", "send a firmware or TCF file to the printer unchanged (asks for the password)");
    firmware->add_option("FILE", o->firmware, "the firmware file")->required();
    firmware->callback([&inv, o] {
        inv.progress = true;
        inv.action = gated(inv, [o](Session& s, const PasswordAnswer& a) {
            return firmwareCommand(s, o->firmware, a);
        });
    });

    auto* memory =
        app.add_subcommand("memory", "sizes and file lists of the printer's memory devices");
    auto memoryDevice = std::make_shared<int>(-1);
    memory->add_option("--device", *memoryDevice, "only this device")
        ->transform(CLI::CheckedTransformer(kDevices, CLI::ignore_case).description(""))
        ->type_name("dram|flash|card");
    memory->add_flag("--json", inv.json, "print them as JSON");
    memory->callback([&inv, memoryDevice] {
        inv.progress = true;
        inv.action = [&inv, memoryDevice](Session& s) {
            return memoryCommand(s, *memoryDevice, inv.json);
        };
    });

    auto* format = app.add_subcommand(
        "format", "delete every file on a memory device (asks first, then for the password)");
    auto formatDevice = std::make_shared<int>(m350::kDeviceFlash);
    format->add_option("DEVICE", *formatDevice, "the device to empty")
        ->transform(CLI::CheckedTransformer(kDevices, CLI::ignore_case).description(""))
        ->type_name("dram|flash|card")
        ->required();
    format->add_flag("--yes", o->yes, "do not ask (needed without a terminal)");
    format->callback([&inv, o, formatDevice] {
        inv.action = gated(inv, [o, formatDevice](Session& s, const PasswordAnswer& a) {
            return formatCommand(s, *formatDevice, o->yes, a);
        });
    });

    auto* fetch = app.add_subcommand("fetch", "copy a file of the printer's memory to a file");
    fetch->add_option("NAME", o->name, "the printer file name")->required();
    fetch->add_option("-o,--output", o->output, "the file to write, - for standard output")
        ->type_name("FILE")
        ->required();
    fetch->callback([&inv, o] {
        inv.action = [o](Session& s) { return fetchCommand(s, o->name, o->output); };
    });
}

}  // namespace m350::cli
