// SPDX-License-Identifier: MIT
// Bytes of the printer's code pages to Unicode and back, through iconv.
// Single-byte fonts use a Windows code page (CP1252 unless another is
// chosen); double-byte fonts use their encoding: Big5 (CP950) for Traditional
// Chinese, GBK for Simplified Chinese, CP949 for Korean and Shift_JIS (CP932)
// for Japanese.
#pragma once

#include <QString>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace m350 {

// The iconv name of an Asian encoding 0..3; empty for other numbers.
std::string_view asianCodePage(int asianEncoding);
// Header letter of an Asian encoding: T, G, K, J; 0 for other numbers.
char asianEncodingLetter(int asianEncoding);
// The single-byte code pages offered for single-byte fonts.
const std::vector<std::string>& singleByteCodePages();

// The one default rule of the font manager and the command tool: a font's
// codes are in the program's printer text encoding (the interface
// language's code page unless another is chosen). For single-byte fonts that
// is the encoding when it is one of singleByteCodePages(), CP1252 otherwise;
// a double-byte encoding gives its Asian encoding 0..3, any other -1.
std::string defaultSingleByteCodePage(std::string_view textEncoding);
int asianEncodingOf(std::string_view textEncoding);

class CodePage {
  public:
    explicit CodePage(const std::string& name);
    ~CodePage();
    CodePage(const CodePage&) = delete;
    CodePage& operator=(const CodePage&) = delete;
    bool valid() const;
    // The character of a code (one or two bytes); empty when the code page
    // has none for it or it is a control character.
    QString decode(std::string_view code);
    // Text to bytes. Characters the code page cannot hold are left out and
    // counted in *dropped when given.
    std::string encode(const QString& text, int* dropped = nullptr);

  private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

}  // namespace m350
