// SPDX-License-Identifier: MIT
// Encoding tables: the characters of a table font as bytes, one per
// character (single-byte) or two (double-byte), from the table text typed by
// the operator or read from a file.
//
// A table file holds its characters in the table's code page, the same bytes
// the font's codes are: Save writes the text with encodeTableText, Load shows
// a file with decodeTableText, and the font is made from the file's bytes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// The code page (iconv name) of a table's codes: the Asian encoding's for a
// double-byte table, otherwise the single-byte code page.
std::string tableCodePage(bool doubleByte, int asianEncoding,
                          const std::string& singleByteCodePage);

// Table text (UTF-8, '\n' or CR LF between lines) as the bytes of its code
// page, with CR LF between lines. A character the code page cannot hold is
// left out and listed once in unheld (UTF-8), in the order of the text.
struct EncodedTable {
    std::string bytes;
    std::vector<std::string> unheld;
};
EncodedTable encodeTableText(std::string_view utf8, const std::string& codePage);

// The bytes of a table file as text (UTF-8), its line breaks kept; a byte the
// code page does not define becomes U+FFFD.
std::string decodeTableText(std::string_view bytes, const std::string& codePage);

// The two-byte codes of a double-byte table (converted as by convertTable):
// each lead byte of the encoding with the byte after it. A character of one
// byte (ASCII, half-width katakana, a lead byte at the end) is not a code of
// a double-byte font: it is left out, so the codes after it keep their
// pairs, and listed once in *singles (UTF-8) when given.
std::string doubleByteTableCodes(std::string_view converted, int asianEncoding,
                                 std::vector<std::string>* singles = nullptr);

}  // namespace m350
