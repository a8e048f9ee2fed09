// SPDX-License-Identifier: MIT
// Printer texts (SSIDs, keys, host names, versions ...) are bytes. This is the
// one rule for showing them and for turning what an operator typed back into
// bytes, used by the window and by m350ctl alike.
//
// The bytes are read and typed in one printer text encoding. By default it is
// the code page of the interface language, which is what printers and .dcf
// files in the field hold (CP1252, CP1250, CP1251, CP1257, CP932, GBK,
// CP950); UTF-8 or any other of the offered code pages can be chosen instead.
// Conversions go through glibc's iconv, never approximate a character and
// never drop one silently: a byte the encoding does not define is handed to
// the caller to show as it likes, a typed character the encoding cannot hold
// makes the conversion fail.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace m350 {

inline constexpr std::string_view kUtf8Encoding = "UTF-8";

// The printer text encoding that goes with an interface language: its code
// page, with Windows code page 950 for traditional Chinese (the superset of
// Big5 that printers of that market use).
std::string defaultTextEncoding(int language);

// The encodings the window offers, UTF-8 first, then the code pages of the
// interface languages.
std::span<const std::string_view> offeredTextEncodings();

// Whether iconv converts between the name and UTF-8 both ways.
bool isTextEncoding(std::string_view name);

// Printer bytes as UTF-8. A byte (or an incomplete sequence at the end) that
// the encoding does not define is passed to `undefined` one byte at a time,
// and its result stands in its place; without a function it becomes U+FFFD.
std::string decodeText(std::string_view bytes, std::string_view encoding,
                       const std::function<std::string(unsigned char)>& undefined = {});

// Bytes as UTF-8 only when the encoding defines every one of them and
// encoding the result gives exactly the same bytes back, so text loaded this
// way is sent unchanged. Otherwise nothing, with the offset of the first byte
// that does not decode or does not come back (badOffset, when given).
std::optional<std::string> decodeExactly(std::string_view bytes, std::string_view encoding,
                                         std::size_t* badOffset = nullptr);

// UTF-8 text as printer bytes. On failure nothing is returned and, when
// `unheld` is given, it receives the first character (UTF-8) the encoding
// cannot hold; an unknown encoding fails with `unheld` empty.
std::optional<std::string> encodeText(std::string_view utf8, std::string_view encoding,
                                      std::string* unheld = nullptr);

// The encoding printer texts are read and typed in: the choice (an encoding
// name), or the language's encoding when the choice is empty. The window and
// m350ctl each keep their own choice and language and ask this.
std::string chosenTextEncoding(std::string_view choice, int language);

}  // namespace m350
