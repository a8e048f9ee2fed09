// SPDX-License-Identifier: MIT
// Window tests that measure controls first let the layouts take in new texts.
#pragma once

#include <QCoreApplication>
#include <QEvent>

namespace m350test {

// Lets the layouts take in the new texts, as the event loop would before the
// window is painted.
inline void settleLayouts() {
    for (int i = 0; i < 3; ++i) QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QCoreApplication::processEvents();
}

}  // namespace m350test
