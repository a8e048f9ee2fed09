// A configuration record as m350ctl prints it: every field by its record name,
// lengths in inch or mm with the record's own resolution, keyword indexes as
// their keywords, unknown settings as "-" (text) or null (JSON).
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "core/config/config_record.h"

namespace m350::cli {

// One line per field: name, value, unit where there is one.
std::string recordText(const m350::ConfigRecord& record, bool inch);

// {"unit": "inch"|"mm", "<field>": value, ...} in record order.
nlohmann::ordered_json recordJson(const m350::ConfigRecord& record, bool inch);

// Printable form of text from the printer or a file: control and non-ASCII
// bytes as \xNN, so a reply cannot drive the operator's terminal.
std::string printableText(std::string_view text);

// JSON text of a value, with bytes that are not UTF-8 replaced.
std::string dumpJson(const nlohmann::ordered_json& j);

}  // namespace m350::cli
