// SPDX-License-Identifier: MIT
#include "gui/pages/wireless_enable_rules.h"

namespace m350::gui {

std::vector<ControlChange> encryptionChangeRule(int encryption) {
    using K = ControlChange::Kind;
    if (encryption == kEncryptionWpaEnterprise) {
        // The key gives way to the EAP choice; the EAP controls follow from it.
        return {{"cbxWiFiEapType", K::kEnable},
                {"EditWiFiKey", K::kClear},
                {"EditWiFiKey", K::kDisable},
                {"LabelWiFiKey", K::kDisable}};
    }
    return {{"cbxWiFiEapType", K::kDisable},       {"edtWiFiSrvCerPath", K::kDisable},
            {"btnWiFiSrvCerBrowse", K::kDisable},  {"btnWiFiClientCerBrowse", K::kDisable},
            {"btnWiFiPrivKeyBrowse", K::kDisable}, {"edtWiFiUsername", K::kDisable},
            {"edtWiFiPasswd", K::kDisable},        {"EditWiFiKey", K::kEnable},
            {"LabelWiFiKey", K::kEnable},          {"cbxWiFiEapType", K::kSelectFirst},
            {"edtWiFiUsername", K::kClear},        {"edtWiFiPasswd", K::kClear}};
}

std::vector<ControlChange> eapTypeChangeRule(int eapType) {
    using K = ControlChange::Kind;
    std::vector<ControlChange> out = {{"edtWiFiUsername", K::kEnable},
                                      {"edtWiFiPasswd", K::kEnable},
                                      {"edtWiFiSrvCerPath", K::kEnable},
                                      {"btnWiFiPrivKeyBrowse", K::kEnable}};
    if (eapType == kEapTls) {
        // Only TLS authenticates the client with a certificate and its key;
        // it checks the server against a CA certificate as well, which is
        // chosen with its own browse button whatever was chosen before.
        out.insert(out.end(), {{"btnWiFiSrvCerBrowse", K::kEnable},
                               {"edtWiFiClientCerPath", K::kEnable},
                               {"edtWiFiPrivKeyPath", K::kEnable},
                               {"btnWiFiClientCerBrowse", K::kEnable},
                               {"btnWiFiPrivKeyBrowse", K::kEnable}});
        return out;
    }
    out.insert(out.end(), {{"edtWiFiClientCerPath", K::kDisable},
                           {"edtWiFiPrivKeyPath", K::kDisable},
                           {"btnWiFiClientCerBrowse", K::kDisable},
                           {"btnWiFiPrivKeyBrowse", K::kDisable}});
    if (eapType == kEapNone || eapType == kEapFast) {
        out.insert(out.end(),
                   {{"btnWiFiSrvCerBrowse", K::kDisable}, {"edtWiFiSrvCerPath", K::kDisable}});
    } else if (eapType == kEapPeap) {
        out.insert(out.end(),
                   {{"btnWiFiSrvCerBrowse", K::kEnable}, {"edtWiFiSrvCerPath", K::kEnable}});
    }
    // TTLS and LEAP leave the CA certificate's browse button as it was.
    return out;
}

std::vector<ControlChange> dhcpChangeRule(int dhcp) {
    const auto kind = dhcp == kDhcpOff ? ControlChange::kEnable : ControlChange::kDisable;
    std::vector<ControlChange> out;
    for (std::string_view c : {"LabelWiFiIP", "LabelWiFiMask", "LabelWiFiGateway", "EditWiFiIP",
                               "EditWiFiMask", "EditWiFiGateway"})
        out.push_back({c, kind});
    return out;
}

}  // namespace m350::gui
