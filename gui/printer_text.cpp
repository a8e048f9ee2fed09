// SPDX-License-Identifier: MIT
#include "gui/printer_text.h"

#include "core/i18n/text_encoding.h"
#include "gui/language_apply.h"
#include "gui/widgets/utf8_text.h"

namespace m350::gui {

QString printerText(std::string_view bytes, std::string_view encoding) {
    return utf8Text(m350::decodeText(bytes, encoding));
}

std::optional<std::string> printerBytes(const QString& text, std::string_view encoding) {
    const QByteArray utf8 = text.toUtf8();
    return m350::encodeText(std::string_view(utf8.constData(), utf8.size()), encoding);
}

std::optional<std::string> printerBytes(const QString& text, const QString& shown,
                                        const std::string& bytes, std::string_view encoding) {
    if (text == shown) return bytes;
    return printerBytes(text, encoding);
}

QString unwritableText(const QString& text, int language, std::string_view encoding) {
    return ownTr("\"%1\" cannot be written in the printer text encoding %2. Nothing was sent.",
                 language)
        .arg(text, QString::fromUtf8(encoding.data(), static_cast<qsizetype>(encoding.size())));
}

}  // namespace m350::gui
