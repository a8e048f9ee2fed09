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

// Item indexes of ComboBoxWiFiEncryption.
inline constexpr int kEncryptionNone = 0;
inline constexpr int kEncryptionWep1 = 1;
inline constexpr int kEncryptionWep4 = 4;
inline constexpr int kEncryptionWpaPersonal = 5;
inline constexpr int kEncryptionWpaEnterprise = 6;

// Item indexes of cbxWiFiEapType.
inline constexpr int kEapNone = 0;
inline constexpr int kEapTls = 1;
inline constexpr int kEapTtls = 2;
inline constexpr int kEapFast = 3;
inline constexpr int kEapPeap = 4;
inline constexpr int kEapLeap = 5;

// Item index of ComboBoxWiFiDHCP that asks for a fixed address.
inline constexpr int kDhcpOff = 1;

enum class WirelessKeyVerdict {
    kPass,
    kFormatInvalid,  // "The format is not valid!!"
    kLengthInvalid,  // "The length is invalid!!"
    kRefused,        // a WPA-Personal key out of rule: refused without a message
};

// The key typed for the encryption chosen (item index; -1 for no selection),
// as UTF-8. Lengths count characters, not bytes.
WirelessKeyVerdict checkWirelessKey(int encryption, std::string_view keyUtf8);

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
