// SPDX-License-Identifier: MIT
// What the window and m350ctl send over ETHERNET ahead of their reads and
// guarded changes, byte for byte, as the tests compare it with what the
// printer got.
#pragma once

#include <string>

namespace m350test {

// Every report asked for over the network opens with this line.
inline const std::string kAnnounce = "\r\nDIAGNOSTIC INTERFACE NET\r\n";
// The edition and the password, read before every change the password guards.
inline const std::string kPasswordRead =
    kAnnounce + "DIAGNOSTIC REPORT EDITION\r\nDIAGNOSTIC REPORT PASSWORD\r\n";

}  // namespace m350test
