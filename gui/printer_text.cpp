// SPDX-License-Identifier: MIT
#include "gui/printer_text.h"

#include "core/i18n/text_encoding.h"
#include "gui/language_apply.h"
#include "gui/widgets/utf8_text.h"

namespace m350::gui {

QString printerText(std::string_view bytes) {
    return utf8Text(m350::decodeText(bytes, m350::currentTextEncoding()));
}

std::optional<std::string> printerBytes(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return m350::encodeText(std::string_view(utf8.constData(), utf8.size()),
                            m350::currentTextEncoding());
}

std::optional<std::string> printerBytes(const QString& text, const QString& shown,
                                        const std::string& bytes) {
    if (text == shown) return bytes;
    return printerBytes(text);
}

QString unwritableText(const QString& text, int language) {
    return ownTr("\"%1\" cannot be written in the printer text encoding %2. Nothing was sent.",
                 language)
        .arg(text, QString::fromStdString(m350::currentTextEncoding()));
}

}  // namespace m350::gui
