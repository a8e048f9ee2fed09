// SPDX-License-Identifier: MIT
// A configuration record as m350ctl prints it: every field by its record name,
// lengths in inch or mm with the record's own resolution, keyword indexes as
// their keywords, unknown settings as "-" (text) or null (JSON). Printer
// texts are read in the printer text encoding given (core/i18n/text_encoding.h),
// as the window shows them.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "core/config/config_record.h"

namespace m350::cli {

// One line per listed field (raw bytes are not listed): name, value, unit
// where there is one.
std::string recordText(const m350::ConfigRecord& record, bool inch, std::string_view encoding);

// {"unit": "inch"|"mm", "<field>": value, ...} in record order; texts as
// UTF-8, a byte the encoding does not define as U+FFFD.
nlohmann::ordered_json recordJson(const m350::ConfigRecord& record, bool inch,
                                  std::string_view encoding);

// One field of those: its line without the line end, and its JSON value.
std::string fieldLine(const m350::ConfigRecord& record, const m350::FieldInfo& info, bool inch,
                      std::string_view encoding);
nlohmann::ordered_json fieldJson(const m350::ConfigRecord& record, const m350::FieldInfo& info,
                                 bool inch, std::string_view encoding);

// Printable form of printer text: its characters in the encoding given, as
// UTF-8, with control characters, the backslash and bytes the encoding does
// not define as \xNN, so a reply cannot drive the operator's terminal.
std::string printableText(std::string_view text, std::string_view encoding);

// The version of m350ctl's JSON documents: the first key, "schema", of every
// object m350ctl prints. It goes up when a key changes meaning or goes away.
inline constexpr int kJsonSchema = 1;

// JSON text of a document: an object gets "schema" as its first key. Bytes
// that are not UTF-8 are replaced, and DEL and the C1 controls
// (U+0080..U+009F), which the library writes as they are, are written as \u
// escapes: the same strings, but nothing that drives a terminal.
std::string dumpJson(const nlohmann::ordered_json& j);

}  // namespace m350::cli
