// SPDX-License-Identifier: MIT
#include "gui/pages/command_store.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace m350::gui {

bool parseCommandStore(const QByteArray& data, const CommandStoreLimits& limits,
                       QStringList& buffers, QStringList& history) {
    const QJsonDocument doc = QJsonDocument::fromJson(data);
    if (!doc.isObject()) return false;
    buffers.clear();
    const QJsonArray stored = doc.object().value(QStringLiteral("buffers")).toArray();
    for (int i = 0; i < limits.bufferCount; ++i)
        buffers << (i < stored.size() ? stored[i].toString().left(limits.maxCharacters)
                                      : QString());
    history.clear();
    for (const auto& v : doc.object().value(QStringLiteral("history")).toArray())
        if (history.size() < limits.historyLength && v.isString()) history << v.toString();
    return true;
}

}  // namespace m350::gui
