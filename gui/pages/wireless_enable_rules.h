// SPDX-License-Identifier: MIT
// Which controls of the wireless page the encryption, EAP type and DHCP
// choices enable, disable, empty or reset, as data: the page applies the
// changes to its controls by object name, and tests read them as tables.
#pragma once

#include <string_view>
#include <vector>

namespace m350::gui {

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
