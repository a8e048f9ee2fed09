// SPDX-License-Identifier: MIT
#include "gui/port_status_text.h"

#include <array>
#include <string_view>

namespace m350::gui {

namespace {

template <std::size_t N>
std::string_view pick(const std::array<std::string_view, N>& table, int index, int fallback) {
    if (index < 0 || index >= static_cast<int>(N)) index = fallback;
    return table[static_cast<std::size_t>(index)];
}

}  // namespace

std::string serialStatusText(const m350::SerialSettings& s, const std::string& devicePath) {
    static constexpr std::array<std::string_view, 7> kBaud = {"2400",  "4800",  "9600",  "19200",
                                                              "38400", "57600", "115200"};
    static constexpr std::array<std::string_view, 3> kParity = {"N", "O", "E"};
    static constexpr std::array<std::string_view, 2> kDataBits = {"7", "8"};
    static constexpr std::array<std::string_view, 3> kStopBits = {"1", "1.5", "2"};
    static constexpr std::array<std::string_view, 3> kHandshake = {"None", "RTS", "RTS/CTS"};
    static constexpr std::array<std::string_view, 2> kXonXoff = {"", "Xon/Xoff"};

    std::string text = devicePath.empty() ? s.portName : devicePath;
    text += ' ';
    text += pick(kBaud, s.baud, 2);
    text += ',';
    text += pick(kParity, s.parity, 0);
    text += ',';
    text += pick(kDataBits, s.dataBits, 1);
    text += ',';
    text += pick(kStopBits, s.stopBits, 0);
    text += ' ';
    text += pick(kHandshake, s.handshake, 2);
    text += ' ';
    text += pick(kXonXoff, s.xonXoff, 0);
    return text;
}

}  // namespace m350::gui
