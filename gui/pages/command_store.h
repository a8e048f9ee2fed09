// SPDX-License-Identifier: MIT
// The Command Tool's store file: its text buffers and its history as JSON
// ({"buffers": [...], "history": [...]}). Read from whatever the file holds:
// missing buffers are empty, long ones are cut, non-texts are skipped.
#pragma once

#include <QByteArray>
#include <QStringList>

namespace m350::gui {

struct CommandStoreLimits {
    int bufferCount = 0;
    int maxCharacters = 0;
    int historyLength = 0;
};

// The buffers (always limits.bufferCount of them) and the history of a store
// file's bytes; false when they are not a JSON object.
bool parseCommandStore(const QByteArray& data, const CommandStoreLimits& limits,
                       QStringList& buffers, QStringList& history);

}  // namespace m350::gui
