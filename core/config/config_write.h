// SPDX-License-Identifier: MIT
// The configuration write (link operation 4): the settings of one page of the
// configuration form as printer command lines, sent one piece at a time.
// Settings whose presence is 0 are left alone on the printer.
#pragma once

#include <string>
#include <vector>

#include "core/config/config_record.h"
#include "core/link/link.h"
#include "core/link/link_context.h"

namespace m350 {

// Pages of the configuration form, by tab index.
enum ConfigPage : int {
    kPageCommon = 0,
    kPageZ = 1,
    kPageD = 2,
    kPageRs232 = 3,
    kPageWireless = 4,
    kPageBluetooth = 5,
    kPageFtpUpdate = 6,
};

// Local files the wireless page downloads to the printer (CA certificate,
// client certificate, private key). Empty paths are skipped.
struct CertificatePaths {
    std::string caCert;
    std::string clientCert;
    std::string privateKey;
};

// A certificate larger than this is refused (File Open Error) before anything
// is sent; real certificates are a few kilobytes.
inline constexpr std::size_t kMaxCertificateBytes = 1u << 20;

// The pieces a page sends, in order, each one write on the wire. For the
// wireless page the certificate blocks are built from the files: each file
// that opens becomes one piece (header announcing its size, then its bytes)
// and its name goes into the record's name field; a file that does not open
// clears that field. Returns kOk, kFileOpenError for a certificate too
// large to send, or kTransmitError and no pieces when a text (or a
// certificate's file name) holds a byte that cannot stand between quotes
// (findUnquotableByte). Pages outside 0..6 give no pieces.
int buildConfigPage(ConfigRecord& record, int page, const CertificatePaths& certs,
                    std::vector<std::string>& pieces);

// Convenience for pages without certificate files.
std::vector<std::string> configPageLines(const ConfigRecord& record, int page);

// Link operation 4: opens a connection, sends the page's pieces, closes.
// Result 1 when the port does not open, 2 when a send fails (the pieces
// already sent stay in effect; also, before the port opens, for a text that
// cannot stand between quotes), 4 for a certificate too large to send. The
// wireless page passes its certificate files and gets their names back in
// its record.
int writeConfig(Link& link, ConfigRecord& record, int page, const CertificatePaths& certs);
// A page without certificate files; the caller's record is left as it is.
int writeConfig(Link& link, const ConfigRecord& record, int page);

// Letter of a print speed on page "D" ("A" 1.0 ... "V" 11.5, "W".."Z" 12..15,
// "a".."e" 16..20, "G" for anything else).
char dSpeedLetter(float speed);

}  // namespace m350
