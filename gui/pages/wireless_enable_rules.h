// SPDX-License-Identifier: MIT
// Which controls of the wireless page the encryption, EAP type and DHCP
// choices enable, disable, empty or reset, as data: the page applies the
// changes to its controls by object name, and tests read them as tables.
#pragma once

#include <string_view>
#include <vector>

namespace m350::gui {

// Item indexes of ComboBoxWiFiEncryption, cbxWiFiEapType and ComboBoxWiFiDHCP.
inline constexpr int kEncryptionWpaEnterprise = 6;
inline constexpr int kEapNone = 0;
inline constexpr int kEapTls = 1;
inline constexpr int kEapTtls = 2;
inline constexpr int kEapFast = 3;
inline constexpr int kEapPeap = 4;
inline constexpr int kEapLeap = 5;
inline constexpr int kDhcpOff = 1;  // a fixed address
inline constexpr int kDhcpOn = 2;

// One change a choice makes to a control of the page, by object name.
struct ControlChange {
    enum Kind { kEnable, kDisable, kClear, kSelectFirst };
    std::string_view control;
    Kind kind;
    bool operator==(const ControlChange&) const = default;
};

// ComboBoxWiFiEncryptionChange, in order.
std::vector<ControlChange> encryptionChangeRule(int encryption);
// cbxWiFiEapTypeChange, in order.
std::vector<ControlChange> eapTypeChangeRule(int eapType);
// ComboBoxWiFiDHCPChange.
std::vector<ControlChange> dhcpChangeRule(int dhcp);

}  // namespace m350::gui
