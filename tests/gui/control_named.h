// SPDX-License-Identifier: MIT
// Window tests reach controls the way the language map and operators name
// them: by object name.
#pragma once

#include <gtest/gtest.h>

#include <QObject>
#include <QString>

namespace m350test {

// The control under root with the object name; a missing one fails the test
// (and gives null).
template <class W = QWidget>
W* controlNamed(const QObject& root, const char* name) {
    W* w = root.findChild<W*>(QString::fromLatin1(name));
    if (!w) ADD_FAILURE() << "no control named " << name;
    return w;
}

}  // namespace m350test
