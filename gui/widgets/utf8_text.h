// SPDX-License-Identifier: MIT
// The core's texts are UTF-8 bytes; the window shows them as Qt strings.
#pragma once

#include <QString>
#include <string_view>

namespace m350::gui {

// UTF-8 bytes as a QString; a byte sequence that is not UTF-8 shows as U+FFFD.
// Bytes in another encoding (Latin-1 names, the system's messages) are
// decoded where they are met, with their own decoder.
inline QString utf8Text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace m350::gui
