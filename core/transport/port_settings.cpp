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

int bitsPerSecond(BaudRate rate) {
    const auto i = static_cast<std::size_t>(rate);
    return i < kBaudRates.size() ? kBaudRates[i] : 9600;
}

}  // namespace m350
