// SPDX-License-Identifier: MIT
// config diff and the read-back check of config write --verify: the settings
// that differ between two records, field by field in the unit chosen.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/session.h"
#include "core/config/config_diff.h"

namespace CLI {
class App;
}

namespace m350::cli {

// One difference per line: the field name, then each side's value with its
// unit ("-" for a setting that side does not know).
std::string differencesText(const std::vector<m350::FieldDifference>& diffs,
                            const m350::ConfigRecord& left, const m350::ConfigRecord& right,
                            bool inch, std::string_view encoding);

// [{"field": name, "<leftName>": value, "<rightName>": value, "unit": unit}, ...];
// values as numbers where the setting is a number, null when unknown.
nlohmann::ordered_json differencesJson(const std::vector<m350::FieldDifference>& diffs,
                                       const m350::ConfigRecord& left,
                                       const m350::ConfigRecord& right, bool inch,
                                       std::string_view encoding, const std::string& leftName,
                                       const std::string& rightName);

// After a page was written: reads the configuration back and compares the
// fields the page carried. kExitOk when the printer took them all; 1 with
// the differing fields listed (written against reported) when it did not;
// the read's result when the read fails.
int verifyWrittenPage(Session& s, const m350::ConfigRecord& written, int page, bool inch,
                      bool json);

struct Invocation;

// Registers "diff" under the "config" command.
void addConfigDiffCommand(CLI::App& config, Invocation& inv);

}  // namespace m350::cli
