// SPDX-License-Identifier: MIT
// Where the network utilities send their UDP requests and how they open a
// printer's web page. The application uses the real broadcast and multicast
// addresses and the desktop's URL handler; tests aim the requests at their own
// simulators and record the pages instead of opening a browser.
#pragma once

#include <QUrl>
#include <functional>

#include "core/net/udp_exchange.h"

namespace m350::gui {

struct NetworkSeams {
    m350::UdpTargets udp;
    std::function<void(const QUrl&)> openUrl;  // null: QDesktopServices::openUrl
};

}  // namespace m350::gui
