// SPDX-License-Identifier: MIT
#include "cli/commands.h"

#include <climits>
#include <nlohmann/json.hpp>

#include "cli/config_text.h"
#include "cli/exit_codes.h"
#include "core/config/config_write.h"
#include "core/files/file_download.h"
#include "core/files/file_source.h"
#include "core/files/raw_send.h"
#include "core/i18n/language_table.h"
#include "core/link/link_operations.h"
#include "core/printer/maintenance.h"

namespace m350::cli {

const std::map<std::string, int> kUnitNames = {{"inch", 0}, {"mm", 1}};
const std::map<std::string, int> kConfigPageNames = {{"common", m350::kPageCommon},
                                                     {"z", m350::kPageZ},
                                                     {"d", m350::kPageD},
                                                     {"rs232", m350::kPageRs232},
                                                     {"wireless", m350::kPageWireless},
                                                     {"bluetooth", m350::kPageBluetooth},
                                                     {"ftp", m350::kPageFtpUpdate}};

nlohmann::ordered_json statusFlagsByName(const m350::StatusFlags& flags) {
    nlohmann::ordered_json named = nlohmann::ordered_json::object();
    for (std::size_t i = 0; i < flags.size(); ++i)
        named[std::string(m350::statusFlagName(i))] = flags[i] != 0;
    return named;
}

std::string statusJson(const m350::StatusFlags& flags, int language) {
    const int key = m350::statusTextKeyFor(flags);
    nlohmann::ordered_json j;
    j["status"] = std::string(m350::languageText(key, language));
    j["statusKey"] = key;
    j["flags"] = nlohmann::ordered_json::array();
    for (auto f : flags) j["flags"].push_back(static_cast<int>(f));
    j["flagsByName"] = statusFlagsByName(flags);
    return dumpJson(j);
}

int statusCommand(Session& s, bool json) {
    m350::StatusFlags flags{};
    if (int r = s.run(ops::readStatus(flags)); r != m350::kOk) return r;
    if (json) {
        std::fprintf(s.out(), "%s\n", statusJson(flags, s.language).c_str());
    } else {
        const auto text = m350::languageText(m350::statusTextKeyFor(flags), s.language);
        std::fprintf(s.out(), "%.*s\n", static_cast<int>(text.size()), text.data());
    }
    return kExitOk;
}

int oneShotCommand(Session& s, const m350::Operation<>& op) {
    return s.run(op());
}

int factoryDefaultCommand(Session& s, const PasswordAnswer& answer) {
    if (int r = runPasswordGate(s, answer); r != kExitOk) return r;
    return s.run(ops::factoryDefault());
}

int sendCommand(Session& s, const std::string& path) {
    // The file goes out a block at a time on every port (the parallel port
    // takes each block in one write), so memory stays the same whatever its
    // size.
    std::string error;
    m350::FileSource file;
    if (!openInputFile(path, file, error)) return s.fail(kExitNoInput, error);
    return s.run(ops::sendOpenedFileRaw(file));
}

}  // namespace m350::cli
