// SPDX-License-Identifier: MIT
// Printer texts (file names, font names, the module's name and PIN, scan
// results, device names) as the window shows and types them: bytes in the
// printer text encoding (core/i18n/text_encoding.h), the one rule the
// configuration pages follow too.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace m350::gui {

// The encoding is the window's (AppContext::textEncoding).

// The bytes in the encoding; an undefined byte shows as U+FFFD.
QString printerText(std::string_view bytes, std::string_view encoding);

// What was typed as printer bytes; nothing when the encoding cannot hold a
// character of it.
std::optional<std::string> printerBytes(const QString& text, std::string_view encoding);

// The bytes to send for a box that was filled with `shown` from `bytes`: the
// same bytes when the box still shows that, else what it holds now.
std::optional<std::string> printerBytes(const QString& text, const QString& shown,
                                        const std::string& bytes, std::string_view encoding);

// "... cannot be written in the printer text encoding ..." for a text that
// printerBytes refused, in the language given.
QString unwritableText(const QString& text, int language, std::string_view encoding);

}  // namespace m350::gui
