#include "core/wireless/wireless_rules.h"

#include <cctype>

#include "core/link/link_operations.h"

namespace m350 {

namespace {

// UTF-8 continuation bytes do not start a character.
std::size_t characterCount(std::string_view utf8) {
    std::size_t n = 0;
    for (unsigned char c : utf8)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

bool allAscii(std::string_view utf8) {
    for (unsigned char c : utf8)
        if (c > 0x7F) return false;
    return true;
}

bool allHex(std::string_view utf8) {
    for (unsigned char c : utf8)
        if (!std::isxdigit(c)) return false;
    return true;
}

}  // namespace

WirelessKeyVerdict checkWirelessKey(int encryption, std::string_view key) {
    const std::size_t length = characterCount(key);
    if (encryption >= kEncryptionWep1 && encryption <= kEncryptionWep4) {
        // WEP keys: 5 or 13 characters of text, or 10 or 26 hexadecimal digits.
        if (length == 5 || length == 13)
            return allAscii(key) ? WirelessKeyVerdict::kPass : WirelessKeyVerdict::kFormatInvalid;
        if (length == 10 || length == 26)
            return allHex(key) ? WirelessKeyVerdict::kPass : WirelessKeyVerdict::kFormatInvalid;
        return WirelessKeyVerdict::kLengthInvalid;
    }
    if (encryption == kEncryptionWpaPersonal) {
        // A passphrase of 8 to 63 characters, or the 64-digit key itself.
        if (length >= 8 && length <= 63) return WirelessKeyVerdict::kPass;
        if (length == 64 && allHex(key)) return WirelessKeyVerdict::kPass;
        return WirelessKeyVerdict::kRefused;
    }
    return WirelessKeyVerdict::kPass;
}

std::string_view wirelessKeyMessage(WirelessKeyVerdict verdict) {
    switch (verdict) {
        case WirelessKeyVerdict::kFormatInvalid:
            return "The format is not valid!!";
        case WirelessKeyVerdict::kLengthInvalid:
            return "The length is invalid!!";
        default:
            return {};
    }
}

bool certificateNameFits(std::string_view path) {
    const std::size_t slash = path.find_last_of('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    return characterCount(name) < 13;
}

std::string ftpPathWithSlashes(std::string path) {
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

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
        // Only TLS authenticates the client with a certificate and its key.
        out.insert(out.end(), {{"edtWiFiClientCerPath", K::kEnable},
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

// Link operation 33: the wireless module back to its factory settings. No
// reply is read.
int wirelessFactoryDefault(Link& link) { return sendCommand(link, "WLAN DEFAULT\r\n"); }

}  // namespace m350
