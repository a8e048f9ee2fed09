// SPDX-License-Identifier: MIT
#include "core/config/config_write.h"

#include <sys/stat.h>

#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <fstream>
#include <limits>

#include "core/files/local_file.h"
#include "core/input/input_checks.h"
#include "core/link/connection.h"
#include "core/link/link_operations.h"

namespace m350 {

namespace {

using F = Field;

// printf for the integer, character and text parts of a line. Reals go
// through fixed() so the decimal point never depends on the locale.
__attribute__((format(printf, 1, 2))) std::string Format(const char* fmt, ...) {
    char buf[640];
    va_list args;
    va_start(args, fmt);
    int n = std::vsnprintf(buf, sizeof buf, fmt, args);
    va_end(args);
    if (n < 0) return {};
    if (static_cast<std::size_t>(n) < sizeof buf)
        return std::string(buf, static_cast<std::size_t>(n));
    std::string big(static_cast<std::size_t>(n) + 1, '\0');
    va_start(args, fmt);
    std::vsnprintf(big.data(), big.size(), fmt, args);
    va_end(args);
    big.resize(static_cast<std::size_t>(n));
    return big;
}

// "%.Nf" of a value, with "." as the decimal point whatever the locale.
std::string fixed(double v, int decimals) {
    char buf[400];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    if (ec != std::errc()) return "0";
    return std::string(buf, end);
}

int trunc(double v) {
    if (!(v > std::numeric_limits<int>::min() && v < std::numeric_limits<int>::max())) return 0;
    return static_cast<int>(v);
}

class PageBuilder {
  public:
    PageBuilder(ConfigRecord& r, std::vector<std::string>& out) : r_(r), out_(out) {}

    void common();
    void z();
    void d();
    void rs232();
    int wireless(const CertificatePaths& certs);
    void bluetooth();
    void ftp();

    // Set when a text could not stand between quotes: the page is refused
    // whole, never sent with the text edited.
    bool refused = false;

  private:
    bool has(Field f) const { return r_.present(f); }
    // A text inside quotes on a command line. A '"' would end the argument
    // and let the rest become a command, a line break would start another
    // one: such a text refuses the page (findUnquotableByte). The window and
    // m350ctl refuse it by the field's name before they get here.
    std::string quoted(const std::string& text) {
        if (!m350::quotable(text)) refused = true;
        return text;
    }
    int i(Field f) const { return r_.integer(f); }
    void send(std::string piece) { out_.push_back(std::move(piece)); }
    // A length in dots, converted to the unit the record asks for.
    std::optional<std::string> length(Field f) const {
        auto v = dotsToUnits(r_, r_.number(f), r_.byte(F::inchUnits) != 0);
        if (!v) return std::nullopt;
        return unitsText(*v);
    }
    // "CMD a,b" in inch or "CMD a mm,b mm".
    void pair(const char* cmd, Field a, Field b) {
        auto x = length(a);
        auto y = length(b);
        if (!x || !y) return;
        const char* unit = r_.byte(F::inchUnits) != 0 ? "" : " mm";
        send(std::string(cmd) + " " + *x + unit + "," + *y + unit + "\r\n");
    }
    void onOff(Field f, const char* cmd) {
        if (has(f)) send(std::string(cmd) + (i(f) != 0 ? " ON\r\n" : " OFF\r\n"));
    }
    void keyword(Field f, const char* cmd) {
        if (!has(f)) return;
        // An index that matched no keyword (or a damaged file) has nothing to send.
        if (auto e = fieldInfoOf(f).table->entry(i(f))) {
            send(std::string(cmd) + " " + std::string(*e) + "\r\n");
        }
    }
    int certificate(int n, const std::string& path, Field nameField);
    // Hundredths of an inch on page "D", rounded to nearest.
    std::optional<int> hundredths(Field f) const {
        float dpi = r_.real(F::dpi);
        if (!(dpi > 0.0f) || !std::isfinite(dpi)) return std::nullopt;
        return trunc(static_cast<double>(i(f)) * 100.0 / dpi + 0.5);
    }

    ConfigRecord& r_;
    std::vector<std::string>& out_;
};

void PageBuilder::common() {
    if (has(F::speed)) send("SPEED " + fixed(r_.real(F::speed), 1) + "\r\n");
    if (has(F::density)) send(Format("DENSITY %d\r\n", i(F::density)));
    if (has(F::paperWidth) && has(F::paperHeight)) pair("SIZE", F::paperWidth, F::paperHeight);
    if (has(F::sensorMode)) {
        const int mode = i(F::sensorMode);
        const bool gap = has(F::gapSize) && has(F::gapOffset);
        if (mode == 0 && gap) pair("GAP", F::gapSize, F::gapOffset);
        if (mode == 1 && gap) pair("BLINE", F::gapSize, F::gapOffset);
        if (mode == 2) send("GAP 0,0\r\n");
    }
    if (has(F::printOut)) {
        switch (i(F::printOut)) {
            case 0:
                send("SET TEAR OFF\r\nSET PEEL OFF\r\nSET CUTTER OFF\r\n");
                break;
            case 1:
                send("SET TEAR ON\r\nSET PEEL OFF\r\nSET CUTTER OFF\r\n");
                break;
            case 2:
                send("SET TEAR OFF\r\nSET PEEL ON\r\nSET CUTTER OFF\r\n");
                break;
            case 3: {
                int pieces = has(F::cutterPiece) && i(F::cutterPiece) != 0 ? i(F::cutterPiece) : 1;
                send(Format("SET TEAR OFF\r\nSET PEEL OFF\r\nSET CUTTER %d\r\n", pieces));
                break;
            }
            default:
                break;
        }
    }
    if (has(F::referenceX) && has(F::referenceY)) {
        send(Format("REFERENCE %d,%d\r\n", i(F::referenceX), i(F::referenceY)));
    }
    if (has(F::direction)) {
        send(has(F::mirror) ? Format("DIRECTION %d,%d\r\n", i(F::direction), i(F::mirror))
                            : Format("DIRECTION %d\r\n", i(F::direction)));
    }
    if (has(F::offset)) send(Format("OFFSET %d dot\r\n", i(F::offset)));
    if (has(F::shiftX)) {
        send(Format("SHIFT %d,%d\r\n", i(F::shiftX), has(F::shiftY) ? i(F::shiftY) : 0));
    } else if (has(F::shiftY)) {
        send(Format("SHIFT %d\r\n", i(F::shiftY)));
    }
    onOff(F::ribbon, "SET RIBBON");
    onOff(F::ribbonSensor, "SET RIBBONEND");
    onOff(F::ribbonEncoder, "SET ENCODER");
    keyword(F::codePage, "CODEPAGE");
    keyword(F::countryCode, "COUNTRY");
    keyword(F::displayLanguage, "LANGUAGE");
    onOff(F::headSensor, "SET HEAD");
    onOff(F::reprint, "SET REPRINT");
    if (has(F::maxLength)) send("LIMITFEED " + fixed(r_.real(F::maxLength), 2) + " dot\r\n");
    // The sensor intensity of the current mode, when the record holds one:
    // an intensity nobody gave is not made up from what the record last held.
    const Field intensities[] = {F::gapInten, F::blineInten, F::conInten};
    const int mode = i(F::sensorMode);
    if (mode >= 0 && mode <= 2 && has(intensities[mode]))
        send(Format("SET GAP %d\r\n", i(intensities[mode])));
    if (has(F::autoThreshold)) {
        send(i(F::autoThreshold) != 0 ? "SET SENSOR_REF AUTO\r\n" : "SET SENSOR_REF MANUAL\r\n");
    }
}

// The two wrappers the first emulation expects around its commands.
constexpr const char* kControlPrefix = "\x10";
constexpr const char* kControlSuffix =
    "\x1E"
    "XA\x1E"
    "JUS\x1E"
    "XZ";
constexpr const char* kFormatPrefix =
    "\x1E"
    "XA\x1E";
constexpr const char* kFormatSuffix =
    "\x1E"
    "JUS\x1E"
    "XZ";
constexpr char kMediaActions[] = {'F', 'C', 'L', 'N'};

void PageBuilder::z() {
    auto control = [&](const std::string& body) {
        send(kControlPrefix + body + kControlSuffix + "\r\n");
    };
    auto format = [&](const std::string& body) {
        send(kFormatPrefix + body + kFormatSuffix + "\r\n");
    };
    if (has(F::zDarkness)) control(Format("SD%02d", i(F::zDarkness)));
    if (has(F::zSpeed)) format(Format("PR%d", i(F::zSpeed)));
    if (has(F::zPosition)) control(Format("TA%03d", i(F::zPosition)));
    if (has(F::zPrintMode)) {
        int m = i(F::zPrintMode);
        if (m >= 1 && m <= 3) format(std::string("MM") + "TPC"[m - 1]);
    }
    if (has(F::zLabelWidth)) format(Format("PW%d", i(F::zLabelWidth)));
    if (has(F::zControl)) control(std::string("CT") + r_.character(F::zControl));
    if (has(F::zFormat)) control(std::string("CC") + r_.character(F::zFormat));
    if (has(F::zDelimiter)) control(std::string("CD") + r_.character(F::zDelimiter));
    if (has(F::zFeedPowerUp)) {
        int a = i(F::zFeedPowerUp);
        if (a >= 1 && a <= 4) format(std::string("MF") + kMediaActions[a - 1]);
    }
    if (has(F::zFeedHeadClose)) {
        int a = i(F::zFeedHeadClose);
        if (a >= 1 && a <= 4) {
            format(std::string("MF") + r_.character(F::zDelimiter) + kMediaActions[a - 1]);
        }
    }
    if (has(F::zLabelTop)) format(Format("LT%d", i(F::zLabelTop)));
    if (has(F::zLabelShift)) format(Format("LS%d", i(F::zLabelShift)));
}

void PageBuilder::d() {
    // The second emulation takes each setting three times, with the three
    // introducer/terminator pairs it may be listening for.
    auto triple = [&](const std::string& body) {
        send("\x02" + body + "\r\r\n~" + body + "\r\r\n~" + body + "|\r\n");
    };
    if (has(F::dHeat)) triple(Format("KZH%02d", i(F::dHeat)));
    if (has(F::dSpeed)) triple(std::string("KZP") + dSpeedLetter(r_.real(F::dSpeed)));

    std::string params;
    auto piece = [&](const std::string& p) {
        if (params.size() + p.size() <= 511) params += p.substr(0, 15);
    };
    if (has(F::dLabelWidth)) {
        if (auto h = hundredths(F::dLabelWidth)) piece(Format("LW%04d;", *h));
    }
    auto yesNo = [&](Field f, const char* code) {
        if (!has(f)) return;
        int v = i(f);
        if (v == 1 || v == 2) piece(Format("%s%c;", code, v == 2 ? 'Y' : 'N'));
    };
    yesNo(F::dPresentSensor, "PS");
    yesNo(F::dCutterEquipped, "CE");
    if (has(F::dControlCodes)) {
        int v = i(F::dControlCodes);
        if (v >= 1 && v <= 3) piece(Format("CC%c;", "S12"[v - 1]));
    }
    if (has(F::dColumnOffset)) {
        if (auto h = hundredths(F::dColumnOffset)) piece(Format("CO%04d;", *h));
    }
    if (has(F::dRowOffset)) {
        if (auto h = hundredths(F::dRowOffset)) piece(Format("RO%04d;", *h));
    }
    if (!params.empty()) triple("Kc" + params);
}

void PageBuilder::rs232() {
    if (!has(F::baudRate) || !has(F::dataBits) || !has(F::parity) || !has(F::stopBits)) return;
    auto baud = kBaudWrittenTable.entry(i(F::baudRate));
    auto parity = kParityTable.entry(i(F::parity));
    auto data = kDataBitsTable.entry(i(F::dataBits));
    auto stop = kStopBitsTable.entry(i(F::stopBits));
    // An index outside its table cannot be written; the printer keeps its setting.
    if (!baud || !parity || !data || !stop) return;
    send("SET COM1 " + std::string(*baud) + "," + parity->front() + "," + data->front() + "," +
         stop->front() + "\r\n");
}

int PageBuilder::certificate(int n, const std::string& path, Field nameField) {
    if (path.empty()) return kOk;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        // A file that has gone is skipped, as the window expects.
        r_.setText(nameField, "");
        return kOk;
    }
    // Only a regular file of a certificate's size is read: a FIFO would block
    // and a device would never end.
    std::string bytes, why;
    if (!readLocalFile(path, kMaxCertificateBytes, bytes, why)) return kFileOpenError;
    const auto size = static_cast<std::streamoff>(bytes.size());

    std::string name =
        path.substr(path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/') + 1);
    r_.setText(nameField, name);
    // The header announces exactly the bytes that follow; the whole file goes
    // out in one piece whatever its size.
    send(Format("DLCERT %d,\"%s\",%d,", n, quoted(name).c_str(), static_cast<int>(size)) + bytes);
    return kOk;
}

int PageBuilder::wireless(const CertificatePaths& certs) {
    if (!r_.byte(F::wifiPresent)) return kOk;
    auto text = [&](Field f) { return quoted(r_.text(f)); };
    send("WLAN SSID \"" + (has(F::wifiSsid) ? text(F::wifiSsid) : "") + "\"\r\n");
    const bool secured = has(F::wifiSecurity);
    const int security = i(F::wifiSecurity);
    if (secured) {
        if (security >= 1 && security <= 4) {
            send(Format("WLAN SECURI WEP%d\r\n", security));
        } else if (security == 5) {
            send("WLAN SECURI WPAPSK\r\n");
        } else if (security == 6) {
            send("WLAN SECURI WPAEAP\r\n");
        } else {
            send("WLAN SECURI NONE\r\n");
        }
    }
    // Only a key the record holds: never one left behind by an earlier read.
    send("WLAN WPA \"" + (secured && security == 5 && has(F::wifiKey) ? text(F::wifiKey) : "") +
         "\"\r\n");
    if (has(F::wifiKey) && secured && security >= 1 && security <= 4) {
        send(Format("WLAN WEP%d \"", security) + text(F::wifiKey) + "\"\r\n");
    } else {
        send("WLAN WEP1 \"\"\r\n");
    }
    if (secured && security == 6) {
        const int eap = i(F::wifiEap);
        const int inner = (eap & 15) != 0 ? (eap & 15) : 1;
        send(Format("WLAN EAP %d,%d,\"", eap >> 4, inner) + text(F::wifiUsername) + "\",\"" +
             text(F::wifiPassword) + "\"\r\n");
    } else {
        send("WLAN EAP 0,0,\"\",\"\"\r\n");
    }
    if (int r = certificate(1, certs.caCert, F::wifiCaCert); r != kOk) return r;
    if (int r = certificate(2, certs.clientCert, F::wifiClientCert); r != kOk) return r;
    if (int r = certificate(3, certs.privateKey, F::wifiPrivateKey); r != kOk) return r;
    if (has(F::wifiIp)) {
        if (r_.text(F::wifiIp) == "0.0.0.0") {
            send("WLAN DHCP\r\n");
        } else if (has(F::wifiGateway)) {
            send("WLAN IP \"" + text(F::wifiIp) + "\",\"" +
                 (has(F::wifiMask) ? text(F::wifiMask) : std::string()) + "\",\"" +
                 text(F::wifiGateway) + "\"\r\n");
        }
    }
    send("WLAN HOSTNAME \"" + (has(F::wifiPrintName) ? text(F::wifiPrintName) : "") + "\"\r\n");
    send("WLAN RF \"" + (has(F::wifiFreq) ? text(F::wifiFreq) : "") + "\"\r\n");
    if (has(F::wifiRoamTrigger) || has(F::wifiRoamDelta)) {
        send(Format("WLAN ROAM \"%d\",\"%d\"\r\n", i(F::wifiRoamTrigger), i(F::wifiRoamDelta)));
    } else {
        send("WLAN ROAM \"\",\"\"\r\n");
    }
    send(has(F::wifiRawPort) ? Format("WLAN PORT \"%d\"\r\n", i(F::wifiRawPort))
                             : std::string("WLAN PORT \"\"\r\n"));
    return kOk;
}

void PageBuilder::bluetooth() {
    if (!r_.byte(F::btPresent)) return;
    if (has(F::btPinCode)) send("BT PINCODE \"" + quoted(r_.text(F::btPinCode)) + "\"\r\n");
    if (has(F::btName)) send("BT NAME \"" + quoted(r_.text(F::btName)) + "\"\r\n");
}

void PageBuilder::ftp() {
    if (has(F::ftpClientEnabled)) {
        send(Format("FTPUPD ENABLE \"%d\"\r\n", i(F::ftpClientEnabled)));
    }
    const std::pair<Field, const char*> texts[] = {
        {F::ftpServer, "SRVIP"}, {F::ftpPath, "PATH"},     {F::ftpDescriptionFile, "DESCFILE"},
        {F::ftpUser, "ID"},      {F::ftpPassword, "PSWD"},
    };
    for (const auto& [f, cmd] : texts) {
        if (has(f)) send(std::string("FTPUPD ") + cmd + " \"" + quoted(r_.text(f)) + "\"\r\n");
    }
}

}  // namespace

char dSpeedLetter(float speed) {
    const double s = speed;
    if (s >= 0.75 && s < 12.5) return static_cast<char>('A' + trunc((s - 0.75) * 2));
    if (s >= 12.5 && s < 15.5) return static_cast<char>('X' + trunc(s - 12.5));
    if (s >= 15.5 && s < 20.5) return static_cast<char>('a' + trunc(s - 15.5));
    return 'G';
}

int buildConfigPage(ConfigRecord& record, int page, const CertificatePaths& certs,
                    std::vector<std::string>& pieces) {
    pieces.clear();
    PageBuilder b(record, pieces);
    int result = kOk;
    switch (page) {
        case kPageCommon:
            b.common();
            break;
        case kPageZ:
            b.z();
            break;
        case kPageD:
            b.d();
            break;
        case kPageRs232:
            b.rs232();
            break;
        case kPageWireless:
            result = b.wireless(certs);
            break;
        case kPageBluetooth:
            b.bluetooth();
            break;
        case kPageFtpUpdate:
            b.ftp();
            break;
        default:
            break;
    }
    if (b.refused) {
        pieces.clear();
        return kTransmitError;
    }
    return result;
}

std::vector<std::string> configPageLines(const ConfigRecord& record, int page) {
    ConfigRecord copy = record;
    std::vector<std::string> pieces;
    buildConfigPage(copy, page, CertificatePaths{}, pieces);
    return pieces;
}

int writeConfig(Link& link, ConfigRecord& record, int page, const CertificatePaths& certs) {
    std::vector<std::string> pieces;
    // Everything is built, and every certificate read, before the printer is
    // touched, so a refused certificate leaves the printer unchanged.
    if (int r = buildConfigPage(record, page, certs, pieces); r != kOk) return r;
    Connection c(link.ctx, link.iface);
    if (!c.open()) return kPortOpenError;
    for (const std::string& piece : pieces) {
        if (c.sendText(piece) != kOk) return kTransmitError;
    }
    return kOk;
}

int writeConfig(Link& link, const ConfigRecord& record, int page) {
    ConfigRecord copy = record;
    return writeConfig(link, copy, page, CertificatePaths{});
}

}  // namespace m350
