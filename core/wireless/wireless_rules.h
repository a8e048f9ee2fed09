// SPDX-License-Identifier: MIT
// Wireless settings that need no window: the key check before a
// configuration write, the certificate file name limit of the printer's file
// system, the FTP path slashes, and the wireless factory default (link
// operation 33). Which controls the page's choices enable is the window's
// (gui/pages/wireless_enable_rules.h).
#pragma once

#include <string>
#include <string_view>

#include "core/link/link.h"

namespace m350 {

// The wireless encryption, in the order of the configuration's wifiSecurity
// value.
enum class WirelessEncryption : int {
    kNone,
    kWep1,
    kWep2,
    kWep3,
    kWep4,
    kWpaPersonal,
    kWpaEnterprise,
};

enum class WirelessKeyVerdict {
    kPass,
    kFormatInvalid,  // "The format is not valid!!"
    kLengthInvalid,  // "The length is invalid!!"
    kRefused,        // a WPA-Personal key out of rule: refused without a message
};

// The key typed for the encryption chosen, as UTF-8. Lengths count
// characters, not bytes. Only WEP and WPA-Personal keys have rules: any other
// value passes.
WirelessKeyVerdict checkWirelessKey(WirelessEncryption encryption, std::string_view keyUtf8);

// The message a verdict shows, or empty for kPass and kRefused.
std::string_view wirelessKeyMessage(WirelessKeyVerdict verdict);

inline constexpr std::string_view kCertificateNameTooLongText =
    "Not compatible with 8.3 filenames for printer";

// The printer stores certificates under 8.3 names: the chosen file's name
// without its directory must be shorter than 13 characters.
bool certificateNameFits(std::string_view pathUtf8);

// The FTP server takes "/" only; every "\" typed becomes one.
std::string ftpPathWithSlashes(std::string path);

// The three path edits read these words until a file is chosen, and again
// after the wireless factory default.
inline constexpr std::string_view kCaCertificateWord = "CA Certificate";
inline constexpr std::string_view kUserCertificateWord = "User Certificate";
inline constexpr std::string_view kPrivateKeyWord = "Private Key";

// Link operation 33: the wireless module back to its factory settings
// (WLAN DEFAULT). No reply is read.
int wirelessFactoryDefault(Link& link);

}  // namespace m350
