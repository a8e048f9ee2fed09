// Encoding tables: the characters of a table font as bytes, one per
// character (single-byte) or two (double-byte), from the table text typed by
// the operator or read from a file.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace m350 {

// A table holds at most this many bytes before conversion.
constexpr std::size_t kMaxTableBytes = 65535;

// The table's characters: the bytes up to the first NUL, without control
// bytes (below 0x20: CR, LF, TAB ...); a space stays a character. Nothing
// when the table is longer than kMaxTableBytes.
std::optional<std::string> convertTable(std::string_view raw);

// Reads a table file whole; nothing when it is not a regular file, cannot be
// read or is longer than kMaxTableBytes, with the reason in *why when given.
std::optional<std::string> readTableFile(const std::string& path, std::string* why = nullptr);

}  // namespace m350
