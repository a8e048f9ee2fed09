// SPDX-License-Identifier: MIT
#include "core/config/config_read.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <span>

#include "core/link/connection.h"
#include "core/link/link_operations.h"

namespace m350 {

namespace {

using F = Field;

constexpr std::size_t kReplyCapacity = 1024;
constexpr std::size_t kSerialLength = 63;  // what the serial field holds

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

}  // namespace

std::int32_t parseConfigInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::int64_t v = 0;
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        v = std::min(v * 10 + (text[i] - '0'), kLimit);
    }
    if (negative) v = -v;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

float parseConfigReal(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i])) ++i;
    std::size_t start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < text.size() && isDigit(text[i])) ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return 0.0f;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        if (j < text.size() && isDigit(text[j])) {
            while (j < text.size() && isDigit(text[j])) ++j;
            i = j;
        }
    }
    // from_chars takes no leading '+'.
    if (text[start] == '+') ++start;
    double v = 0.0;
    auto [end, ec] = std::from_chars(text.data() + start, text.data() + i, v);
    (void)end;
    if (ec == std::errc::result_out_of_range) {
        // Too large: the nearest float is infinity; too small: zero.
        bool neg = text[start] == '-';
        bool tiny = false;
        for (std::size_t k = start; k < i; ++k) {
            if (text[k] == 'e' || text[k] == 'E') {
                tiny = text[k + 1] == '-';
                break;
            }
        }
        if (tiny) return neg ? -0.0f : 0.0f;
        return neg ? -std::numeric_limits<float>::infinity()
                   : std::numeric_limits<float>::infinity();
    }
    if (ec != std::errc()) return 0.0f;
    return static_cast<float>(v);
}

std::optional<float> dotsPerMmForDpi(float dpi) {
    double scaled = static_cast<double>(dpi) * 0.03937007933143675 * 100.0;
    // A resolution that is not a positive number of usable size has no
    // dots-per-millimetre value, and lengths could not be converted with it.
    if (!(scaled >= 1.0) || scaled > 1e9) return std::nullopt;
    auto n = static_cast<std::int64_t>(scaled);
    n = ((n + 5) / 10) * 10;
    if (n == 0) return std::nullopt;
    return static_cast<float>(static_cast<double>(n) * 0.01);
}

std::optional<std::int32_t> zSpeedFromReply(std::string_view reply) {
    if (reply.empty()) return std::nullopt;
    if (reply == "A") return 2;
    if (reply == "B") return 3;
    if (reply == "C") return 4;
    if (reply == "D") return 6;
    if (reply == "E") return 8;
    return parseConfigInt(reply);
}

std::optional<float> dSpeedFromReply(std::string_view reply) {
    if (reply.size() != 1) return std::nullopt;
    char c = reply[0];
    if (c >= 'A' && c <= 'V') return 1.0f + 0.5f * static_cast<float>(c - 'A');
    if (c >= 'W' && c <= 'Z') return 12.0f + static_cast<float>(c - 'W');
    if (c >= 'a' && c <= 'e') return 16.0f + static_cast<float>(c - 'a');
    return std::nullopt;
}

namespace {

struct LetterCode {
    std::string_view letter;
    std::int32_t value;
};

std::optional<std::int32_t> lookup(std::span<const LetterCode> codes, std::string_view reply) {
    for (const auto& c : codes) {
        if (c.letter == reply) return c.value;
    }
    return std::nullopt;
}

constexpr LetterCode kZPrintModes[] = {{"T", 1}, {"P", 2}, {"R", 1}, {"A", 1}, {"C", 3}, {"D", 3}};
constexpr LetterCode kZMediaActions[] = {{"F", 1}, {"C", 2}, {"L", 3}, {"N", 4}};
constexpr LetterCode kDPresence[] = {{"N", 1}, {"E", 2}, {"A", 2}};
constexpr LetterCode kDControlCodes[] = {{"S", 1}, {"1", 2}, {"2", 3}};

}  // namespace

std::optional<std::int32_t> zPrintModeFromReply(std::string_view r) {
    return lookup(kZPrintModes, r);
}
std::optional<std::int32_t> zMediaActionFromReply(std::string_view r) {
    return lookup(kZMediaActions, r);
}
std::optional<std::int32_t> dPresenceFromReply(std::string_view r) {
    return lookup(kDPresence, r);
}
std::optional<std::int32_t> dControlCodesFromReply(std::string_view r) {
    return lookup(kDControlCodes, r);
}

namespace {

enum class Rule {
    kInt,
    kIntAtMost2,
    kReal,
    kText,
    kTable,
    kFlag,
    kCounter,  // int, negative becomes 0, plain field
    kIntIfAny,
    kZSpeed,
    kZPrintMode,
    kZMediaAction,
    kOneChar,
    kDSpeed,
    kDPresence,
    kDControlCodes,
};

// What a row's field is when the printer's edition is too old to be asked:
// a setting the printer does not have is absent, a flag reads 0 (no
// module), and a counter keeps what the record held.
enum class Skipped { kAbsent, kKept };

struct Row {
    std::string_view key;
    Field field;
    Rule rule;
    std::size_t capacity = kReplyCapacity;
    Skipped skipped = Skipped::kAbsent;
};

// Rows 5 to 33, all mandatory.
constexpr Row kCommonRows[] = {
    {"SPEED", F::speed, Rule::kReal},
    {"DENSITY", F::density, Rule::kInt},
    {"DENSITYBASE", F::densityBase, Rule::kInt},
    {"PAPERWIDTH", F::paperWidth, Rule::kReal},
    {"PAPERHEIGHT", F::paperHeight, Rule::kReal},
    {"SENSORMODE", F::sensorMode, Rule::kIntAtMost2},
    {"GAPSIZE", F::gapSize, Rule::kReal},
    {"GAPOFFSET", F::gapOffset, Rule::kReal},
    {"PRINTOUT", F::printOut, Rule::kInt},
    {"CUTTERPIECE", F::cutterPiece, Rule::kInt},
    {"REFERENCEX", F::referenceX, Rule::kInt},
    {"REFERENCEY", F::referenceY, Rule::kInt},
    {"DIRCTION", F::direction, Rule::kInt},
    {"MIRROR", F::mirror, Rule::kInt},
    {"OFFSET", F::offset, Rule::kInt},
    {"OFFSETBASE", F::offsetBase, Rule::kInt},
    {"SHIFT", F::shiftY, Rule::kInt},
    {"SHIFTBASE", F::shiftYBase, Rule::kInt},
    {"RIBBON", F::ribbon, Rule::kInt},
    {"CODEPAGE", F::codePage, Rule::kTable},
    {"COUNTRY", F::countryCode, Rule::kTable},
    {"HEAD", F::headSensor, Rule::kInt},
    {"GAPINTEN", F::gapInten, Rule::kInt},
    {"BLINEINTEN", F::blineInten, Rule::kInt},
    {"CONINTEN", F::conInten, Rule::kInt},
    {"BAUDRATE", F::baudRate, Rule::kTable},
    {"DATABIT", F::dataBits, Rule::kTable},
    {"PARITY", F::parity, Rule::kTable},
    {"STOPBIT", F::stopBits, Rule::kTable},
};

// Rows 34 to 36: a failure ends the run with success.
constexpr Row kOptionalRows[] = {
    {"REPRINT", F::reprint, Rule::kInt},
    {"SHIFTX", F::shiftX, Rule::kInt},
    {"SHIFTXBASE", F::shiftXBase, Rule::kInt},
};

// Rows 38 to 57, editions 100 and up.
constexpr Row kEmulationRows[] = {
    {"ZDARKNESS", F::zDarkness, Rule::kIntIfAny},
    {"ZSPEED", F::zSpeed, Rule::kZSpeed},
    {"ZPOSITION", F::zPosition, Rule::kIntIfAny},
    {"ZPRINTMODE", F::zPrintMode, Rule::kZPrintMode},
    {"ZLABELWIDTH", F::zLabelWidth, Rule::kIntIfAny},
    {"ZCONTROL", F::zControl, Rule::kOneChar},
    {"ZFORMAT", F::zFormat, Rule::kOneChar},
    {"ZDELIMITER", F::zDelimiter, Rule::kOneChar},
    {"ZFEEDPOWERUP", F::zFeedPowerUp, Rule::kZMediaAction},
    {"ZFEEDHEADCLOSE", F::zFeedHeadClose, Rule::kZMediaAction},
    {"ZLABELTOP", F::zLabelTop, Rule::kIntIfAny},
    {"ZLABELSHIFT", F::zLabelShift, Rule::kIntIfAny},
    {"DHEAT", F::dHeat, Rule::kIntIfAny},
    {"DSPEED", F::dSpeed, Rule::kDSpeed},
    {"DLABELWIDTH", F::dLabelWidth, Rule::kIntIfAny},
    {"DPRESENTSENSOR", F::dPresentSensor, Rule::kDPresence},
    {"DCUTTEREQUIPPED", F::dCutterEquipped, Rule::kDPresence},
    {"DCONTROLCODES", F::dControlCodes, Rule::kDControlCodes},
    {"DCOLUMNOFFSET", F::dColumnOffset, Rule::kIntIfAny},
    {"DROWOFFSET", F::dRowOffset, Rule::kIntIfAny},
};

// Editions 102 and up.
constexpr Row kLengthRows[] = {
    {"CUTCOUNTER", F::cutCounter, Rule::kCounter, kReplyCapacity, Skipped::kKept},
    {"MAXLENGTH", F::maxLength, Rule::kReal},
};

// Editions 103 and up.
constexpr Row kRibbonRows[] = {
    {"RESETMILAGE", F::resetMileage, Rule::kText, 16, Skipped::kKept},
    {"RESETCUTCOUNTER", F::resetCutCounter, Rule::kCounter, kReplyCapacity, Skipped::kKept},
    {"RIBBONSENSOR", F::ribbonSensor, Rule::kInt},
    {"RIBBONENCODER", F::ribbonEncoder, Rule::kInt},
    {"AUTOTHRESHOLD", F::autoThreshold, Rule::kInt},
};

// Editions 107 and up.
constexpr Row kBluetoothInfoRows[] = {
    {"BTVERSION", F::btVersion, Rule::kText},
    {"BTLOCALMAC", F::btLocalMac, Rule::kText},
};

// Edition 108 and up.
constexpr Row kDisplayRows[] = {
    {"LANGUAGE", F::displayLanguage, Rule::kTable},
};

// Settings that only a printer with the wireless module has.
constexpr Field kWirelessFields[] = {
    F::wifiSsid,    F::wifiSecurity,  F::wifiKey,     F::wifiIp,         F::wifiMask,
    F::wifiGateway, F::wifiPrintName, F::wifiFreq,    F::extWifiSsid,    F::extWifiSecurity,
    F::extWifiKey,  F::extWifiIp,     F::extWifiMask, F::extWifiGateway,
};

void setOptional(ConfigRecord& r, Field f, std::optional<std::int32_t> v) {
    if (v) {
        r.setInteger(f, *v);
    } else {
        r.setPresent(f, false);
    }
}

void apply(ConfigRecord& r, const Row& row, const std::string& reply) {
    const Field f = row.field;
    switch (row.rule) {
        case Rule::kInt:
            r.setInteger(f, parseConfigInt(reply));
            break;
        case Rule::kIntAtMost2:
            r.setInteger(f, std::min(parseConfigInt(reply), 2));
            break;
        case Rule::kReal:
            r.setReal(f, parseConfigReal(reply));
            break;
        case Rule::kText:
            r.setText(f, reply);
            break;
        case Rule::kTable:
            r.setInteger(f, fieldInfoOf(f).table->indexOf(reply));
            break;
        case Rule::kFlag:
            r.setByte(f, parseConfigInt(reply) != 0 ? 1 : 0);
            break;
        case Rule::kCounter:
            r.setInteger(f, std::max(parseConfigInt(reply), 0));
            break;
        case Rule::kIntIfAny:
            setOptional(
                r, f,
                reply.empty() ? std::nullopt : std::optional<std::int32_t>(parseConfigInt(reply)));
            break;
        case Rule::kZSpeed:
            setOptional(r, f, zSpeedFromReply(reply));
            break;
        case Rule::kZPrintMode:
            setOptional(r, f, zPrintModeFromReply(reply));
            break;
        case Rule::kZMediaAction:
            setOptional(r, f, zMediaActionFromReply(reply));
            break;
        case Rule::kDPresence:
            setOptional(r, f, dPresenceFromReply(reply));
            break;
        case Rule::kDControlCodes:
            setOptional(r, f, dControlCodesFromReply(reply));
            break;
        case Rule::kOneChar:
            if (reply.size() == 1) {
                r.setCharacter(f, reply[0]);
            } else {
                r.setPresent(f, false);
            }
            break;
        case Rule::kDSpeed:
            if (auto v = dSpeedFromReply(reply)) {
                r.setReal(f, *v);
            } else {
                r.setPresent(f, false);
            }
            break;
    }
}

// One run of the read over an open connection.
class Reader {
  public:
    Reader(Connection& c, ConfigRecord& r) : c_(c), r_(r) {}

    int run();

  private:
    // Sends the key's report query and keeps the payload in reply_.
    int ask(std::string_view key, std::size_t capacity = kReplyCapacity) {
        return c_.report(key, reply_, capacity);
    }
    int row(const Row& row) {
        if (int res = ask(row.key, row.capacity); res != kOk) return res;
        apply(r_, row, reply_);
        return kOk;
    }
    int row(std::string_view key, Field f, Rule rule, std::size_t capacity = kReplyCapacity) {
        return row(Row{key, f, rule, capacity});
    }

    int rows(std::span<const Row> rows) {
        for (const Row& rw : rows) {
            if (int res = row(rw); res != kOk) return res;
        }
        return kOk;
    }
    void skip(std::span<const Row> rows);

    int resolution();
    int serialNumber(bool& stop);
    int modules();
    void skipModules();
    int wireless(bool external);
    int security();
    void skipSecurity();
    void clearWireless();

    // A part of the read that a printer's edition gates: from that edition
    // on its rows (or its function) are read; below it they are skipped.
    struct Step {
        std::int32_t from;
        std::span<const Row> rows;
        int (Reader::*read)() = nullptr;
        void (Reader::*skipped)() = nullptr;
    };
    static const Step kSteps[];

    Connection& c_;
    ConfigRecord& r_;
    std::string reply_;
};

int Reader::resolution() {
    if (int res = ask("DPI"); res != kOk) return res;
    float dpi = parseConfigReal(reply_);
    auto perMm = dotsPerMmForDpi(dpi);
    if (!perMm) return kReceiveError;
    r_.setReal(F::dotsPerMm, *perMm);
    r_.setByte(F::dpiKnown, 1);
    r_.setReal(F::dpi, dpi);
    return kOk;
}

int Reader::serialNumber(bool& stop) {
    if (c_.sendText("OUT _SERIAL$\r\n") != kOk) return kTransmitError;
    std::string line;
    if (!c_.readLine(line)) {
        // A line longer than the line reader takes ends the run; what was read
        // so far stands.
        stop = true;
        return kOk;
    }
    r_.setText(F::serial, std::string_view(line).substr(0, kSerialLength));
    return kOk;
}

void Reader::clearWireless() {
    for (Field f : kWirelessFields) r_.setPresent(f, false);
    r_.setByte(F::extWifiPresent, 0);
}

// Rows 69-75 (internal) or 82-88 (external): SSID, then WPA or WEP with its
// key index, then the static address.
int Reader::wireless(bool external) {
    const Field ssid = external ? F::extWifiSsid : F::wifiSsid;
    const Field security = external ? F::extWifiSecurity : F::wifiSecurity;
    const Field key = external ? F::extWifiKey : F::wifiKey;
    if (int res = row("WIFISSID", ssid, Rule::kText); res != kOk) return res;
    r_.setInteger(security, 0);
    r_.setPresent(security, false);
    r_.setText(key, "");
    r_.setPresent(key, false);

    if (int res = ask("WIFIWPA"); res != kOk) return res;
    if (!reply_.empty()) {
        r_.setText(key, reply_);
        r_.setInteger(security, 5);
    } else {
        if (int res = ask("WIFIWEP"); res != kOk) return res;
        if (!reply_.empty()) {
            r_.setText(key, reply_);
            if (int res = row("WIFIKEYINDEX", security, Rule::kInt); res != kOk) return res;
        }
    }
    if (int res = row("WIFIIP", external ? F::extWifiIp : F::wifiIp, Rule::kText); res != kOk) {
        return res;
    }
    if (int res = row("WIFIMASK", external ? F::extWifiMask : F::wifiMask, Rule::kText);
        res != kOk) {
        return res;
    }
    return row("WIFIGATEWAY", external ? F::extWifiGateway : F::wifiGateway, Rule::kText);
}

// Rows 89-102, editions 106 and up.
int Reader::security() {
    if (int res = row("WIFISECUR", F::wifiSecurity, Rule::kInt); res != kOk) return res;
    const std::int32_t mode = r_.integer(F::wifiSecurity);
    if (mode == 0) {
        r_.setText(F::wifiKey, "");
        r_.setPresent(F::wifiKey, false);
    } else if (mode >= 1 && mode <= 4) {
        if (int res = row("WIFIWEP", F::wifiKey, Rule::kText); res != kOk) return res;
        if (int res = row("WIFIKEYINDEX", F::wifiSecurity, Rule::kInt); res != kOk) return res;
    } else if (mode == 5) {
        if (int res = row("WIFIWPA", F::wifiKey, Rule::kText); res != kOk) return res;
    } else if (mode == 6) {
        const Row enterprise[] = {
            {"WIFIEAP", F::wifiEap, Rule::kInt},
            {"WIFIUSERNAME", F::wifiUsername, Rule::kText},
            {"WIFIPASSWD", F::wifiPassword, Rule::kText},
        };
        for (const Row& rw : enterprise) {
            if (int res = row(rw); res != kOk) return res;
        }
        // Certificate names: the reply, or empty when there is none.
        const Row certs[] = {
            {"WIFICACERT", F::wifiCaCert, Rule::kText},
            {"WIFICLTCERT", F::wifiClientCert, Rule::kText},
            {"WIFIPRIVKEY", F::wifiPrivateKey, Rule::kText},
        };
        for (const Row& rw : certs) {
            if (int res = row(rw); res != kOk) return res;
        }
    }
    if (int res = row("WIFIMAC", F::wifiMac, Rule::kText); res != kOk) return res;

    // The address in use belongs to the internal module when it has a static
    // address set, otherwise to the external one.
    const bool internal = r_.present(F::wifiIp);
    const Row current[] = {
        {"WIFICIP", internal ? F::wifiCurrentIp : F::extWifiCurrentIp, Rule::kText},
        {"WIFICMASK", internal ? F::wifiCurrentMask : F::extWifiCurrentMask, Rule::kText},
        {"WIFICGATEWAY", internal ? F::wifiCurrentGateway : F::extWifiCurrentGateway, Rule::kText},
    };
    for (const Row& rw : current) {
        if (int res = row(rw); res != kOk) return res;
    }
    return kOk;
}

// The parts of the read after EDITION, in the order the printer is asked.
const Reader::Step Reader::kSteps[] = {
    {100, kEmulationRows},
    {102, kLengthRows},
    {103, kRibbonRows},
    {105, {}, &Reader::modules, &Reader::skipModules},
    {106, {}, &Reader::security, &Reader::skipSecurity},
    {107, kBluetoothInfoRows},
    {108, kDisplayRows},
};

int Reader::run() {
    if (int res = c_.announce(); res != kOk) return res;
    if (int res = resolution(); res != kOk) return res;

    if (int res = row("VERSION", F::version, Rule::kText, 256); res != kOk) return res;
    if (int res = row("MILAGE", F::mileage, Rule::kText, 16); res != kOk) return res;
    if (int res = row("CHECKSUM", F::checksum, Rule::kText, 16); res != kOk) return res;
    bool stop = false;
    if (int res = serialNumber(stop); res != kOk || stop) return res;

    if (int res = rows(kCommonRows); res != kOk) return res;
    for (const Row& rw : kOptionalRows) {
        if (row(rw) != kOk) {
            r_.setPresent(rw.field, false);
            return kOk;
        }
    }
    if (row("EDITION", F::edition, Rule::kInt) != kOk) {
        r_.setInteger(F::edition, 0);
        return kOk;
    }
    const std::int32_t edition = r_.integer(F::edition);
    for (const Step& step : kSteps) {
        if (edition < step.from) {
            if (step.skipped) {
                (this->*step.skipped)();
            } else {
                skip(step.rows);
            }
            continue;
        }
        if (int res = step.read ? (this->*step.read)() : rows(step.rows); res != kOk) return res;
    }
    return kOk;
}

void Reader::skip(std::span<const Row> rows) {
    for (const Row& rw : rows) {
        if (rw.skipped == Skipped::kKept) continue;
        r_.setPresent(rw.field, false);
    }
}

// The Bluetooth module, then the wireless module (internal, then external)
// when the printer says it has them.
int Reader::modules() {
    if (int res = row("ISBT", F::btPresent, Rule::kFlag); res != kOk) return res;
    if (r_.byte(F::btPresent)) {
        if (int res = row("BTPINCODE", F::btPinCode, Rule::kText); res != kOk) return res;
        if (int res = row("BTNAME", F::btName, Rule::kText); res != kOk) return res;
    } else {
        r_.setPresent(F::btPinCode, false);
        r_.setPresent(F::btName, false);
    }
    if (int res = row("ISWIFI", F::wifiPresent, Rule::kFlag); res != kOk) return res;
    if (!r_.byte(F::wifiPresent)) {
        clearWireless();
        return kOk;
    }
    if (int res = wireless(false); res != kOk) return res;
    const Row external[] = {
        {"ISWIFI", F::extWifiPresent, Rule::kFlag},
        {"WIFIPRINTNAME", F::wifiPrintName, Rule::kText},
        {"WIFIFREQ", F::wifiFreq, Rule::kText},
        {"WIFIROAMTRIG", F::wifiRoamTrigger, Rule::kInt},
        {"WIFIROAMDELTA", F::wifiRoamDelta, Rule::kInt},
        {"WIFIRAWPORT", F::wifiRawPort, Rule::kInt},
    };
    if (int res = rows(external); res != kOk) return res;
    return wireless(true);
}

void Reader::skipModules() {
    clearWireless();
    r_.setByte(F::btPresent, 0);
    r_.setPresent(F::btPinCode, false);
    r_.setPresent(F::btName, false);
    r_.setByte(F::wifiPresent, 0);
}

void Reader::skipSecurity() {
    r_.setPresent(F::extWifiCurrentIp, false);
    r_.setPresent(F::extWifiCurrentMask, false);
    r_.setPresent(F::extWifiCurrentGateway, false);
}

}  // namespace

int readConfig(Link& link, ConfigRecord& record) {
    Connection c(link.ctx, link.iface);
    if (!c.open()) return kPortOpenError;
    return Reader(c, record).run();
}

}  // namespace m350
