// SPDX-License-Identifier: MIT
#include "gui/port_status_text.h"

#include <array>
#include <string_view>

namespace m350::gui {

namespace {

// The text of a setting by its value; a value outside the table shows as the
// fallback, which is what the line opens with.
template <std::size_t N, class E>
std::string_view pick(const std::array<std::string_view, N>& table, E value, E fallback) {
    auto index = static_cast<int>(value);
    if (index < 0 || index >= static_cast<int>(N)) index = static_cast<int>(fallback);
    return table[static_cast<std::size_t>(index)];
}

}  // namespace

std::string serialStatusText(const m350::SerialSettings& s, const std::string& devicePath) {
    static constexpr std::array<std::string_view, 3> kParity = {"N", "O", "E"};
    static constexpr std::array<std::string_view, 2> kDataBits = {"7", "8"};
    static constexpr std::array<std::string_view, 3> kStopBits = {"1", "1.5", "2"};
    static constexpr std::array<std::string_view, 3> kHandshake = {"None", "RTS", "RTS/CTS"};
    static constexpr std::array<std::string_view, 2> kXonXoff = {"", "Xon/Xoff"};

    std::string text = devicePath.empty() ? s.portName : devicePath;
    text += ' ';
    text += std::to_string(m350::bitsPerSecond(s.baud));
    text += ',';
    text += pick(kParity, s.parity, m350::Parity::kNone);
    text += ',';
    text += pick(kDataBits, s.dataBits, m350::DataBits::kEight);
    text += ',';
    text += pick(kStopBits, s.stopBits, m350::StopBits::kOne);
    text += ' ';
    text += pick(kHandshake, s.handshake, m350::Handshake::kRtsCts);
    text += ' ';
    text += pick(kXonXoff, s.xonXoff, m350::XonXoff::kOff);
    return text;
}

}  // namespace m350::gui
