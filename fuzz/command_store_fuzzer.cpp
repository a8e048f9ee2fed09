// SPDX-License-Identifier: MIT
// The Command Tool's store file on any bytes: whatever it holds, the window
// gets its fixed number of buffers, none longer than a buffer may be, and a
// history within its length.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "gui/pages/command_store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const m350::gui::CommandStoreLimits limits{12, 64, 20};
    QStringList buffers, history;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (!m350::gui::parseCommandStore(bytes, limits, buffers, history)) return 0;
    if (buffers.size() != limits.bufferCount || history.size() > limits.historyLength) std::abort();
    for (const QString& b : buffers)
        if (b.size() > limits.maxCharacters) std::abort();
    return 0;
}
