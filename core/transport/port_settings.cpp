#include "core/transport/port_settings.h"

#include <array>

namespace m350 {

std::string_view resultText(int code) {
    static constexpr std::array<std::string_view, 7> kTexts = {
        "",
        "Port Open Error",
        "Data Transmission Error",
        "Data Receiving Error",
        "File Open Error",
        "Unknow Error",
        "Not Support",
    };
    if (code < 0 || code >= static_cast<int>(kTexts.size())) return {};
    return kTexts[static_cast<std::size_t>(code)];
}

std::string_view interfaceAnnouncementName(int iface) {
    switch (iface) {
        case kUsb: return "USB";
        case kCom: return "COM";
        case kLpt: return "LPT";
        case kEthernet: return "NET";
        default: return "";
    }
}

}  // namespace m350
