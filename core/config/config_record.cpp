// SPDX-License-Identifier: MIT
#include "core/config/config_record.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace m350 {

namespace {

using std::string_view_literals::operator""sv;

constexpr std::array kCodePages = {
    "USA"sv,    "BRI"sv,    "GER"sv,     "FRE"sv,    "DAN"sv,    "ITA"sv,    "SPA"sv,    "SWE"sv,
    "SWI"sv,    "437"sv,    "850"sv,     "852"sv,    "857"sv,    "860"sv,    "863"sv,    "865"sv,
    "1250"sv,   "1251"sv,   "1252"sv,    "1253"sv,   "1254"sv,   "1255"sv,   "1256"sv,   "1257"sv,
    "1258"sv,   "8859-1"sv, "8859-2"sv,  "8859-3"sv, "8859-4"sv, "8859-5"sv, "8859-6"sv, "8859-7"sv,
    "8859-8"sv, "8859-9"sv, "8859-10"sv, "8859-15"sv};
static_assert(kCodePages.size() == 36);

constexpr std::array kCountries = {"001"sv, "002"sv, "003"sv, "031"sv, "032"sv, "033"sv,
                                   "034"sv, "036"sv, "038"sv, "039"sv, "041"sv, "042"sv,
                                   "044"sv, "045"sv, "046"sv, "047"sv, "048"sv, "049"sv,
                                   "055"sv, "061"sv, "351"sv, "358"sv};
static_assert(kCountries.size() == 22);

constexpr std::array kDisplayLanguages = {"ENGLISH"sv, "FRENCH"sv,  "SPANISH"sv,
                                          "ITALIAN"sv, "RUSSIAN"sv, "GERMAN"sv};
constexpr std::array kBaudReported = {"0"sv,     "1200"sv,  "2400"sv,  "4800"sv,  "9600"sv,
                                      "19200"sv, "38400"sv, "57600"sv, "115200"sv};
constexpr std::array kBaudWritten = {"0"sv,  "12"sv, "24"sv, "48"sv, "96"sv,
                                     "19"sv, "38"sv, "56"sv, "115"sv};
constexpr std::array kDataBits = {"7"sv, "8"sv};
constexpr std::array kParities = {"None"sv, "Odd"sv, "Even"sv};
constexpr std::array kStopBits = {"1"sv, "2"sv};

}  // namespace

const KeywordTable kCodePageTable{"code page", kCodePages};
const KeywordTable kCountryTable{"country", kCountries};
const KeywordTable kDisplayLanguageTable{"display language", kDisplayLanguages};
const KeywordTable kBaudReportedTable{"baud rate", kBaudReported};
const KeywordTable kBaudWrittenTable{"baud rate (written)", kBaudWritten};
const KeywordTable kDataBitsTable{"data bits", kDataBits};
const KeywordTable kParityTable{"parity", kParities};
const KeywordTable kStopBitsTable{"stop bits", kStopBits};

int KeywordTable::indexOf(std::string_view text) const {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i] == text) return static_cast<int>(i);
    }
    return size();
}

std::optional<std::string_view> KeywordTable::entry(int index) const {
    if (index < 0 || index >= size()) return std::nullopt;
    return entries[static_cast<std::size_t>(index)];
}

namespace {

using K = FieldKind;
using U = FieldUnit;

constexpr FieldInfo plain(Field f, std::string_view name, int offset, int width, K kind,
                          U unit = U::kNone) {
    return {f,
            name,
            static_cast<std::uint16_t>(offset),
            static_cast<std::uint16_t>(width),
            kind,
            false,
            unit,
            nullptr};
}
constexpr FieldInfo flagged(Field f, std::string_view name, int offset, int width, K kind,
                            U unit = U::kNone, const KeywordTable* table = nullptr) {
    return {f,
            name,
            static_cast<std::uint16_t>(offset),
            static_cast<std::uint16_t>(width),
            kind,
            true,
            unit,
            table};
}
constexpr FieldInfo integer(Field f, std::string_view name, int offset, U unit = U::kNone) {
    return flagged(f, name, offset, 4, K::kInt, unit);
}
constexpr FieldInfo real(Field f, std::string_view name, int offset, U unit = U::kNone) {
    return flagged(f, name, offset, 4, K::kReal, unit);
}
constexpr FieldInfo text(Field f, std::string_view name, int offset, int width) {
    return flagged(f, name, offset, width, K::kText);
}
constexpr FieldInfo table(Field f, std::string_view name, int offset, const KeywordTable* t) {
    return flagged(f, name, offset, 4, K::kInt, U::kNone, t);
}

using F = Field;

constexpr std::array<FieldInfo, kFieldCount> kFields = {
    plain(F::edition, "edition", 0, 4, K::kInt),
    plain(F::dpiKnown, "dpiKnown", 4, 1, K::kByte),
    plain(F::dpi, "dpi", 5, 4, K::kReal, U::kDotsPerInch),
    plain(F::dotsPerMm, "dotsPerMm", 9, 4, K::kReal, U::kDotsPerMm),
    plain(F::cutCounter, "cutCounter", 13, 4, K::kInt),
    plain(F::resetCutCounter, "resetCutCounter", 17, 4, K::kInt),
    plain(F::version, "version", 21, 256, K::kText),
    plain(F::mileage, "mileage", 277, 16, K::kText),
    plain(F::resetMileage, "resetMileage", 293, 16, K::kText),
    plain(F::checksum, "checksum", 309, 16, K::kText),
    plain(F::serial, "serial", 325, 64, K::kText),

    real(F::speed, "speed", 389, U::kInchPerSecond),
    integer(F::density, "density", 394),
    integer(F::densityBase, "densityBase", 399),
    real(F::paperWidth, "paperWidth", 404, U::kDots),
    real(F::paperHeight, "paperHeight", 409, U::kDots),
    integer(F::sensorMode, "sensorMode", 414),
    real(F::gapSize, "gapSize", 419, U::kDots),
    real(F::gapOffset, "gapOffset", 424, U::kDots),
    integer(F::printOut, "printOut", 429),
    integer(F::cutterPiece, "cutterPiece", 434),
    integer(F::referenceX, "referenceX", 439, U::kDots),
    integer(F::referenceY, "referenceY", 444, U::kDots),
    integer(F::direction, "direction", 449),
    integer(F::mirror, "mirror", 454),
    integer(F::offset, "offset", 459, U::kDots),
    integer(F::offsetBase, "offsetBase", 464),
    integer(F::shiftY, "shiftY", 469, U::kDots),
    integer(F::shiftYBase, "shiftYBase", 474),
    integer(F::shiftX, "shiftX", 479, U::kDots),
    integer(F::shiftXBase, "shiftXBase", 484),
    integer(F::ribbon, "ribbon", 489),
    integer(F::ribbonSensor, "ribbonSensor", 494),
    integer(F::ribbonEncoder, "ribbonEncoder", 499),
    table(F::codePage, "codePage", 504, &kCodePageTable),
    table(F::countryCode, "countryCode", 509, &kCountryTable),
    table(F::displayLanguage, "displayLanguage", 514, &kDisplayLanguageTable),
    integer(F::headSensor, "headSensor", 519),
    integer(F::reprint, "reprint", 524),
    real(F::maxLength, "maxLength", 529, U::kDots),
    integer(F::gapInten, "gapInten", 534),
    integer(F::blineInten, "blineInten", 539),
    integer(F::conInten, "conInten", 544),
    integer(F::autoThreshold, "autoThreshold", 549),
    plain(F::inchUnits, "inchUnits", 554, 1, K::kByte),

    integer(F::zDarkness, "zDarkness", 555),
    integer(F::zSpeed, "zSpeed", 560),
    integer(F::zPosition, "zPosition", 565),
    integer(F::zPrintMode, "zPrintMode", 570),
    integer(F::zLabelWidth, "zLabelWidth", 575, U::kDots),
    flagged(F::zControl, "zControl", 580, 1, K::kChar),
    flagged(F::zFormat, "zFormat", 582, 1, K::kChar),
    flagged(F::zDelimiter, "zDelimiter", 584, 1, K::kChar),
    integer(F::zFeedPowerUp, "zFeedPowerUp", 586),
    integer(F::zFeedHeadClose, "zFeedHeadClose", 591),
    integer(F::zLabelTop, "zLabelTop", 596),
    integer(F::zLabelShift, "zLabelShift", 601),

    integer(F::dHeat, "dHeat", 606),
    real(F::dSpeed, "dSpeed", 611, U::kInchPerSecond),
    integer(F::dLabelWidth, "dLabelWidth", 616, U::kDots),
    integer(F::dPresentSensor, "dPresentSensor", 621),
    integer(F::dCutterEquipped, "dCutterEquipped", 626),
    integer(F::dControlCodes, "dControlCodes", 631),
    integer(F::dColumnOffset, "dColumnOffset", 636, U::kDots),
    integer(F::dRowOffset, "dRowOffset", 641, U::kDots),

    table(F::baudRate, "baudRate", 646, &kBaudReportedTable),
    table(F::dataBits, "dataBits", 651, &kDataBitsTable),
    table(F::parity, "parity", 656, &kParityTable),
    table(F::stopBits, "stopBits", 661, &kStopBitsTable),

    plain(F::btPresent, "btPresent", 666, 1, K::kByte),
    text(F::btPinCode, "btPinCode", 667, 32),
    text(F::btName, "btName", 700, 32),
    text(F::btVersion, "btVersion", 733, 32),
    text(F::btLocalMac, "btLocalMac", 766, 32),
    plain(F::wifiPresent, "wifiPresent", 799, 1, K::kByte),
    text(F::wifiSsid, "wifiSsid", 800, 64),
    integer(F::wifiSecurity, "wifiSecurity", 865),
    text(F::wifiKey, "wifiKey", 870, 128),
    text(F::wifiIp, "wifiIp", 999, 64),
    text(F::wifiMask, "wifiMask", 1064, 64),
    text(F::wifiGateway, "wifiGateway", 1129, 64),
    integer(F::wifiEap, "wifiEap", 1194),
    text(F::wifiUsername, "wifiUsername", 1199, 64),
    text(F::wifiPassword, "wifiPassword", 1264, 64),
    plain(F::wifiCurrentIp, "wifiCurrentIp", 1329, 64, K::kText),
    plain(F::wifiCurrentMask, "wifiCurrentMask", 1393, 64, K::kText),
    plain(F::wifiCurrentGateway, "wifiCurrentGateway", 1457, 64, K::kText),
    plain(F::wifiCaCert, "wifiCaCert", 1521, 16, K::kText),
    plain(F::wifiClientCert, "wifiClientCert", 1537, 16, K::kText),
    plain(F::wifiPrivateKey, "wifiPrivateKey", 1553, 16, K::kText),
    plain(F::wifiMac, "wifiMac", 1569, 64, K::kText),
    text(F::wifiPrintName, "wifiPrintName", 1633, 64),
    text(F::wifiFreq, "wifiFreq", 1698, 4),
    integer(F::wifiRoamTrigger, "wifiRoamTrigger", 1703, U::kDbm),
    integer(F::wifiRoamDelta, "wifiRoamDelta", 1708, U::kDbm),
    integer(F::wifiRawPort, "wifiRawPort", 1713),
    plain(F::extBtPresent, "extBtPresent", 1718, 1, K::kByte),
    text(F::extBtPinCode, "extBtPinCode", 1719, 32),
    text(F::extBtName, "extBtName", 1752, 32),
    plain(F::extWifiPresent, "extWifiPresent", 1785, 1, K::kByte),
    text(F::extWifiSsid, "extWifiSsid", 1786, 64),
    integer(F::extWifiSecurity, "extWifiSecurity", 1851),
    text(F::extWifiKey, "extWifiKey", 1856, 128),
    integer(F::extWifiDhcp, "extWifiDhcp", 1985),
    text(F::extWifiIp, "extWifiIp", 1990, 64),
    text(F::extWifiMask, "extWifiMask", 2055, 64),
    text(F::extWifiGateway, "extWifiGateway", 2120, 64),
    text(F::extWifiCurrentIp, "extWifiCurrentIp", 2185, 64),
    text(F::extWifiCurrentMask, "extWifiCurrentMask", 2250, 64),
    text(F::extWifiCurrentGateway, "extWifiCurrentGateway", 2315, 64),
    plain(F::reserved, "reserved", 2380, 140, K::kRaw),

    integer(F::ftpClientEnabled, "ftpClientEnabled", 2520),
    text(F::ftpServer, "ftpServer", 2525, 64),
    text(F::ftpPath, "ftpPath", 2590, 128),
    text(F::ftpDescriptionFile, "ftpDescriptionFile", 2719, 40),
    text(F::ftpUser, "ftpUser", 2760, 32),
    text(F::ftpPassword, "ftpPassword", 2793, 32),
};

// The table must tile the record: each field starts where the previous one
// ended, in enum order, and the last one ends at the last byte.
constexpr bool tableTilesRecord(const std::array<FieldInfo, kFieldCount>& t) {
    std::size_t at = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (static_cast<std::size_t>(t[i].field) != i || t[i].offset != at) return false;
        at = t[i].end();
    }
    return at == kConfigRecordSize;
}
static_assert(tableTilesRecord(kFields), "the field table must tile the 2826-byte record");

}  // namespace

std::span<const FieldInfo> fieldTable() {
    return kFields;
}

const FieldInfo& fieldInfoOf(Field f) {
    return kFields[static_cast<std::size_t>(f)];
}

std::optional<Field> fieldByName(std::string_view name) {
    for (const auto& info : kFields) {
        if (info.name == name) return info.field;
    }
    return std::nullopt;
}

std::int32_t loadLe32(const std::uint8_t* p) {
    std::uint32_t u = std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) |
                      (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[3]} << 24);
    return static_cast<std::int32_t>(u);
}

void storeLe32(std::uint8_t* p, std::int32_t v) {
    auto u = static_cast<std::uint32_t>(v);
    p[0] = static_cast<std::uint8_t>(u);
    p[1] = static_cast<std::uint8_t>(u >> 8);
    p[2] = static_cast<std::uint8_t>(u >> 16);
    p[3] = static_cast<std::uint8_t>(u >> 24);
}

float loadLeFloat(const std::uint8_t* p) {
    return std::bit_cast<float>(static_cast<std::uint32_t>(loadLe32(p)));
}

void storeLeFloat(std::uint8_t* p, float v) {
    storeLe32(p, static_cast<std::int32_t>(std::bit_cast<std::uint32_t>(v)));
}

ConfigRecord::ConfigRecord() {
    static_assert(sizeof(float) == 4);
    reset();
}

void ConfigRecord::reset() {
    for (const auto& info : kFields) {
        if (info.field == Field::inchUnits || info.field == Field::reserved) continue;
        std::memset(bytes_.data() + info.offset, 0, info.end() - info.offset);
    }
    setReal(Field::dpi, 200.0f);
    setReal(Field::dotsPerMm, 11.8f);
    setReal(Field::speed, 3.0f);
    setCharacter(Field::zControl, '~');
    setCharacter(Field::zFormat, '^');
    setCharacter(Field::zDelimiter, ',');
    // Defaults are values without presence: nothing here is to be written.
    setPresent(Field::speed, false);
    setPresent(Field::zControl, false);
    setPresent(Field::zFormat, false);
    setPresent(Field::zDelimiter, false);
}

bool ConfigRecord::present(Field f) const {
    const FieldInfo& info = fieldInfoOf(f);
    return !info.flagged || bytes_[info.offset] != 0;
}

void ConfigRecord::setPresent(Field f, bool on) {
    const FieldInfo& info = fieldInfoOf(f);
    if (info.flagged) bytes_[info.offset] = on ? 1 : 0;
}

std::int32_t ConfigRecord::integer(Field f) const {
    const FieldInfo& info = fieldInfoOf(f);
    return info.kind == K::kInt ? loadLe32(bytes_.data() + info.valueOffset()) : 0;
}

float ConfigRecord::real(Field f) const {
    const FieldInfo& info = fieldInfoOf(f);
    return info.kind == K::kReal ? loadLeFloat(bytes_.data() + info.valueOffset()) : 0.0f;
}

std::string ConfigRecord::text(Field f) const {
    const FieldInfo& info = fieldInfoOf(f);
    if (info.kind != K::kText) return {};
    const auto* p = reinterpret_cast<const char*>(bytes_.data() + info.valueOffset());
    // A field loaded from a file may lack its terminator; never read past it.
    std::size_t n = 0;
    while (n + 1 < info.width && p[n] != '\0') ++n;
    return std::string(p, n);
}

char ConfigRecord::character(Field f) const {
    const FieldInfo& info = fieldInfoOf(f);
    return info.kind == K::kChar ? static_cast<char>(bytes_[info.valueOffset()]) : '\0';
}

std::uint8_t ConfigRecord::byte(Field f) const {
    const FieldInfo& info = fieldInfoOf(f);
    return info.kind == K::kByte ? bytes_[info.valueOffset()] : 0;
}

void ConfigRecord::setInteger(Field f, std::int32_t v) {
    const FieldInfo& info = fieldInfoOf(f);
    if (info.kind != K::kInt) return;
    storeLe32(bytes_.data() + info.valueOffset(), v);
    setPresent(f, true);
}

void ConfigRecord::setReal(Field f, float v) {
    const FieldInfo& info = fieldInfoOf(f);
    if (info.kind != K::kReal) return;
    storeLeFloat(bytes_.data() + info.valueOffset(), v);
    setPresent(f, true);
}

void ConfigRecord::setText(Field f, std::string_view v) {
    const FieldInfo& info = fieldInfoOf(f);
    if (info.kind != K::kText) return;
    std::uint8_t* p = bytes_.data() + info.valueOffset();
    std::memset(p, 0, info.width);
    // Stop at an embedded NUL as the text would when copied as a C string.
    v = v.substr(0, std::min(v.find('\0'), v.size()));
    std::size_t n = std::min<std::size_t>(v.size(), info.width - 1u);
    std::memcpy(p, v.data(), n);
    setPresent(f, true);
}

void ConfigRecord::setCharacter(Field f, char c) {
    const FieldInfo& info = fieldInfoOf(f);
    if (info.kind != K::kChar) return;
    bytes_[info.valueOffset()] = static_cast<std::uint8_t>(c);
    setPresent(f, true);
}

void ConfigRecord::setByte(Field f, std::uint8_t v) {
    const FieldInfo& info = fieldInfoOf(f);
    if (info.kind != K::kByte) return;
    bytes_[info.valueOffset()] = v;
}

double ConfigRecord::number(Field f) const {
    switch (fieldInfoOf(f).kind) {
        case K::kInt:
            return integer(f);
        case K::kReal:
            return real(f);
        case K::kChar:
            return static_cast<unsigned char>(character(f));
        case K::kByte:
            return byte(f);
        default:
            return 0.0;
    }
}

std::optional<double> dotsToUnits(const ConfigRecord& r, double dots, bool inch) {
    double res = inch ? r.real(Field::dpi) : r.real(Field::dotsPerMm);
    if (!(res > 0.0) || !std::isfinite(res)) return std::nullopt;
    return dots / res;
}

double unitsToDots(const ConfigRecord& r, double value, bool inch) {
    return value * (inch ? r.real(Field::dpi) : r.real(Field::dotsPerMm));
}

std::string unitsText(double units) {
    if (!std::isfinite(units)) return "0.00";
    // The product with 100 is exact in long double (53 + 7 bits), so a value
    // that lies exactly half-way rounds away from zero and no other does.
    const long double hundredths = std::round(static_cast<long double>(units) * 100.0L);
    if (std::fabs(hundredths) < 1e17L) {
        const auto n = static_cast<long long>(hundredths);
        const unsigned long long a =
            n < 0 ? 0ULL - static_cast<unsigned long long>(n) : static_cast<unsigned long long>(n);
        char buf[40];
        std::snprintf(buf, sizeof buf, "%s%llu.%02llu", n < 0 ? "-" : "", a / 100, a % 100);
        return buf;
    }
    char buf[400];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, units, std::chars_format::fixed, 2);
    return ec == std::errc() ? std::string(buf, end) : std::string("0.00");
}

}  // namespace m350
