// SPDX-License-Identifier: MIT
#include "core/transport/port_settings.h"

namespace m350 {

std::string_view interfaceAnnouncementName(int iface) {
    switch (iface) {
        case kUsb:
            return "USB";
        case kCom:
            return "COM";
        case kLpt:
            return "LPT";
        case kEthernet:
            return "NET";
        default:
            return "";
    }
}

}  // namespace m350
