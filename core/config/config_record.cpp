#include "core/config/config_record.h"

#include <algorithm>
#include <bit>
#include <cmath>
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

constexpr FieldInfo Plain(Field f, std::string_view name, int offset, int width, K kind,
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
constexpr FieldInfo Flagged(Field f, std::string_view name, int offset, int width, K kind,
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
constexpr FieldInfo Int(Field f, std::string_view name, int offset, U unit = U::kNone) {
    return Flagged(f, name, offset, 4, K::kInt, unit);
}
constexpr FieldInfo Real(Field f, std::string_view name, int offset, U unit = U::kNone) {
    return Flagged(f, name, offset, 4, K::kReal, unit);
}
constexpr FieldInfo Text(Field f, std::string_view name, int offset, int width) {
    return Flagged(f, name, offset, width, K::kText);
}
constexpr FieldInfo Table(Field f, std::string_view name, int offset, const KeywordTable* t) {
    return Flagged(f, name, offset, 4, K::kInt, U::kNone, t);
}

using F = Field;

constexpr std::array<FieldInfo, kFieldCount> kFields = {
    Plain(F::edition, "edition", 0, 4, K::kInt),
    Plain(F::dpiKnown, "dpiKnown", 4, 1, K::kByte),
    Plain(F::dpi, "dpi", 5, 4, K::kReal, U::kDotsPerInch),
    Plain(F::dotsPerMm, "dotsPerMm", 9, 4, K::kReal, U::kDotsPerMm),
    Plain(F::cutCounter, "cutCounter", 13, 4, K::kInt),
    Plain(F::resetCutCounter, "resetCutCounter", 17, 4, K::kInt),
    Plain(F::version, "version", 21, 256, K::kText),
    Plain(F::mileage, "mileage", 277, 16, K::kText),
    Plain(F::resetMileage, "resetMileage", 293, 16, K::kText),
    Plain(F::checksum, "checksum", 309, 16, K::kText),
    Plain(F::serial, "serial", 325, 64, K::kText),

    Real(F::speed, "speed", 389, U::kInchPerSecond),
    Int(F::density, "density", 394),
    Int(F::densityBase, "densityBase", 399),
    Real(F::paperWidth, "paperWidth", 404, U::kDots),
    Real(F::paperHeight, "paperHeight", 409, U::kDots),
    Int(F::sensorMode, "sensorMode", 414),
    Real(F::gapSize, "gapSize", 419, U::kDots),
    Real(F::gapOffset, "gapOffset", 424, U::kDots),
    Int(F::printOut, "printOut", 429),
    Int(F::cutterPiece, "cutterPiece", 434),
    Int(F::referenceX, "referenceX", 439, U::kDots),
    Int(F::referenceY, "referenceY", 444, U::kDots),
    Int(F::direction, "direction", 449),
    Int(F::mirror, "mirror", 454),
    Int(F::offset, "offset", 459, U::kDots),
    Int(F::offsetBase, "offsetBase", 464),
    Int(F::shiftY, "shiftY", 469, U::kDots),
    Int(F::shiftYBase, "shiftYBase", 474),
    Int(F::shiftX, "shiftX", 479, U::kDots),
    Int(F::shiftXBase, "shiftXBase", 484),
    Int(F::ribbon, "ribbon", 489),
    Int(F::ribbonSensor, "ribbonSensor", 494),
    Int(F::ribbonEncoder, "ribbonEncoder", 499),
    Table(F::codePage, "codePage", 504, &kCodePageTable),
    Table(F::countryCode, "countryCode", 509, &kCountryTable),
    Table(F::displayLanguage, "displayLanguage", 514, &kDisplayLanguageTable),
    Int(F::headSensor, "headSensor", 519),
    Int(F::reprint, "reprint", 524),
    Real(F::maxLength, "maxLength", 529, U::kDots),
    Int(F::gapInten, "gapInten", 534),
    Int(F::blineInten, "blineInten", 539),
    Int(F::conInten, "conInten", 544),
    Int(F::autoThreshold, "autoThreshold", 549),
    Plain(F::inchUnits, "inchUnits", 554, 1, K::kByte),

    Int(F::zDarkness, "zDarkness", 555),
    Int(F::zSpeed, "zSpeed", 560),
    Int(F::zPosition, "zPosition", 565),
    Int(F::zPrintMode, "zPrintMode", 570),
    Int(F::zLabelWidth, "zLabelWidth", 575, U::kDots),
    Flagged(F::zControl, "zControl", 580, 1, K::kChar),
    Flagged(F::zFormat, "zFormat", 582, 1, K::kChar),
    Flagged(F::zDelimiter, "zDelimiter", 584, 1, K::kChar),
    Int(F::zFeedPowerUp, "zFeedPowerUp", 586),
    Int(F::zFeedHeadClose, "zFeedHeadClose", 591),
    Int(F::zLabelTop, "zLabelTop", 596),
    Int(F::zLabelShift, "zLabelShift", 601),

    Int(F::dHeat, "dHeat", 606),
    Real(F::dSpeed, "dSpeed", 611, U::kInchPerSecond),
    Int(F::dLabelWidth, "dLabelWidth", 616, U::kDots),
    Int(F::dPresentSensor, "dPresentSensor", 621),
    Int(F::dCutterEquipped, "dCutterEquipped", 626),
    Int(F::dControlCodes, "dControlCodes", 631),
    Int(F::dColumnOffset, "dColumnOffset", 636, U::kDots),
    Int(F::dRowOffset, "dRowOffset", 641, U::kDots),

    Table(F::baudRate, "baudRate", 646, &kBaudReportedTable),
    Table(F::dataBits, "dataBits", 651, &kDataBitsTable),
    Table(F::parity, "parity", 656, &kParityTable),
    Table(F::stopBits, "stopBits", 661, &kStopBitsTable),

    Plain(F::btPresent, "btPresent", 666, 1, K::kByte),
    Text(F::btPinCode, "btPinCode", 667, 32),
    Text(F::btName, "btName", 700, 32),
    Text(F::btVersion, "btVersion", 733, 32),
    Text(F::btLocalMac, "btLocalMac", 766, 32),
    Plain(F::wifiPresent, "wifiPresent", 799, 1, K::kByte),
    Text(F::wifiSsid, "wifiSsid", 800, 64),
    Int(F::wifiSecurity, "wifiSecurity", 865),
    Text(F::wifiKey, "wifiKey", 870, 128),
    Text(F::wifiIp, "wifiIp", 999, 64),
    Text(F::wifiMask, "wifiMask", 1064, 64),
    Text(F::wifiGateway, "wifiGateway", 1129, 64),
    Int(F::wifiEap, "wifiEap", 1194),
    Text(F::wifiUsername, "wifiUsername", 1199, 64),
    Text(F::wifiPassword, "wifiPassword", 1264, 64),
    Plain(F::wifiCurrentIp, "wifiCurrentIp", 1329, 64, K::kText),
    Plain(F::wifiCurrentMask, "wifiCurrentMask", 1393, 64, K::kText),
    Plain(F::wifiCurrentGateway, "wifiCurrentGateway", 1457, 64, K::kText),
    Plain(F::wifiCaCert, "wifiCaCert", 1521, 16, K::kText),
    Plain(F::wifiClientCert, "wifiClientCert", 1537, 16, K::kText),
    Plain(F::wifiPrivateKey, "wifiPrivateKey", 1553, 16, K::kText),
    Plain(F::wifiMac, "wifiMac", 1569, 64, K::kText),
    Text(F::wifiPrintName, "wifiPrintName", 1633, 64),
    Text(F::wifiFreq, "wifiFreq", 1698, 4),
    Int(F::wifiRoamTrigger, "wifiRoamTrigger", 1703, U::kDbm),
    Int(F::wifiRoamDelta, "wifiRoamDelta", 1708, U::kDbm),
    Int(F::wifiRawPort, "wifiRawPort", 1713),
    Plain(F::extBtPresent, "extBtPresent", 1718, 1, K::kByte),
    Text(F::extBtPinCode, "extBtPinCode", 1719, 32),
    Text(F::extBtName, "extBtName", 1752, 32),
    Plain(F::extWifiPresent, "extWifiPresent", 1785, 1, K::kByte),
    Text(F::extWifiSsid, "extWifiSsid", 1786, 64),
    Int(F::extWifiSecurity, "extWifiSecurity", 1851),
    Text(F::extWifiKey, "extWifiKey", 1856, 128),
    Int(F::extWifiDhcp, "extWifiDhcp", 1985),
    Text(F::extWifiIp, "extWifiIp", 1990, 64),
    Text(F::extWifiMask, "extWifiMask", 2055, 64),
    Text(F::extWifiGateway, "extWifiGateway", 2120, 64),
    Text(F::extWifiCurrentIp, "extWifiCurrentIp", 2185, 64),
    Text(F::extWifiCurrentMask, "extWifiCurrentMask", 2250, 64),
    Text(F::extWifiCurrentGateway, "extWifiCurrentGateway", 2315, 64),
    Plain(F::reserved, "reserved", 2380, 140, K::kRaw),

    Int(F::ftpClientEnabled, "ftpClientEnabled", 2520),
    Text(F::ftpServer, "ftpServer", 2525, 64),
    Text(F::ftpPath, "ftpPath", 2590, 128),
    Text(F::ftpDescriptionFile, "ftpDescriptionFile", 2719, 40),
    Text(F::ftpUser, "ftpUser", 2760, 32),
    Text(F::ftpPassword, "ftpPassword", 2793, 32),
};

// The table must tile the record: each field starts where the previous one
// ended, in enum order, and the last one ends at the last byte.
constexpr bool TableTilesRecord(const std::array<FieldInfo, kFieldCount>& t) {
    std::size_t at = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (static_cast<std::size_t>(t[i].field) != i || t[i].offset != at) return false;
        at = t[i].end();
    }
    return at == kConfigRecordSize;
}
static_assert(TableTilesRecord(kFields), "the field table must tile the 2826-byte record");

}  // namespace

std::span<const FieldInfo> FieldTable() {
    return kFields;
}

const FieldInfo& FieldInfoOf(Field f) {
    return kFields[static_cast<std::size_t>(f)];
}

std::optional<Field> FieldByName(std::string_view name) {
    for (const auto& info : kFields) {
        if (info.name == name) return info.field;
    }
    return std::nullopt;
}

std::int32_t LoadLe32(const std::uint8_t* p) {
    std::uint32_t u = std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) |
                      (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[3]} << 24);
    return static_cast<std::int32_t>(u);
}

void StoreLe32(std::uint8_t* p, std::int32_t v) {
    auto u = static_cast<std::uint32_t>(v);
    p[0] = static_cast<std::uint8_t>(u);
    p[1] = static_cast<std::uint8_t>(u >> 8);
    p[2] = static_cast<std::uint8_t>(u >> 16);
    p[3] = static_cast<std::uint8_t>(u >> 24);
}

float LoadLeFloat(const std::uint8_t* p) {
    return std::bit_cast<float>(static_cast<std::uint32_t>(LoadLe32(p)));
}

void StoreLeFloat(std::uint8_t* p, float v) {
    StoreLe32(p, static_cast<std::int32_t>(std::bit_cast<std::uint32_t>(v)));
}

ConfigRecord::ConfigRecord() {
    static_assert(sizeof(float) == 4);
    Reset();
}

void ConfigRecord::Reset() {
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
    const FieldInfo& info = FieldInfoOf(f);
    return !info.flagged || bytes_[info.offset] != 0;
}

void ConfigRecord::setPresent(Field f, bool on) {
    const FieldInfo& info = FieldInfoOf(f);
    if (info.flagged) bytes_[info.offset] = on ? 1 : 0;
}

std::int32_t ConfigRecord::integer(Field f) const {
    const FieldInfo& info = FieldInfoOf(f);
    return info.kind == K::kInt ? LoadLe32(bytes_.data() + info.valueOffset()) : 0;
}

float ConfigRecord::real(Field f) const {
    const FieldInfo& info = FieldInfoOf(f);
    return info.kind == K::kReal ? LoadLeFloat(bytes_.data() + info.valueOffset()) : 0.0f;
}

std::string ConfigRecord::text(Field f) const {
    const FieldInfo& info = FieldInfoOf(f);
    if (info.kind != K::kText) return {};
    const auto* p = reinterpret_cast<const char*>(bytes_.data() + info.valueOffset());
    // A field loaded from a file may lack its terminator; never read past it.
    std::size_t n = 0;
    while (n + 1 < info.width && p[n] != '\0') ++n;
    return std::string(p, n);
}

char ConfigRecord::character(Field f) const {
    const FieldInfo& info = FieldInfoOf(f);
    return info.kind == K::kChar ? static_cast<char>(bytes_[info.valueOffset()]) : '\0';
}

std::uint8_t ConfigRecord::byte(Field f) const {
    const FieldInfo& info = FieldInfoOf(f);
    return info.kind == K::kByte ? bytes_[info.valueOffset()] : 0;
}

void ConfigRecord::setInteger(Field f, std::int32_t v) {
    const FieldInfo& info = FieldInfoOf(f);
    if (info.kind != K::kInt) return;
    StoreLe32(bytes_.data() + info.valueOffset(), v);
    setPresent(f, true);
}

void ConfigRecord::setReal(Field f, float v) {
    const FieldInfo& info = FieldInfoOf(f);
    if (info.kind != K::kReal) return;
    StoreLeFloat(bytes_.data() + info.valueOffset(), v);
    setPresent(f, true);
}

void ConfigRecord::setText(Field f, std::string_view v) {
    const FieldInfo& info = FieldInfoOf(f);
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
    const FieldInfo& info = FieldInfoOf(f);
    if (info.kind != K::kChar) return;
    bytes_[info.valueOffset()] = static_cast<std::uint8_t>(c);
    setPresent(f, true);
}

void ConfigRecord::setByte(Field f, std::uint8_t v) {
    const FieldInfo& info = FieldInfoOf(f);
    if (info.kind != K::kByte) return;
    bytes_[info.valueOffset()] = v;
}

double ConfigRecord::number(Field f) const {
    switch (FieldInfoOf(f).kind) {
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

std::optional<double> DotsToUnits(const ConfigRecord& r, double dots, bool inch) {
    double res = inch ? r.real(Field::dpi) : r.real(Field::dotsPerMm);
    if (!(res > 0.0) || !std::isfinite(res)) return std::nullopt;
    return dots / res;
}

double UnitsToDots(const ConfigRecord& r, double value, bool inch) {
    return value * (inch ? r.real(Field::dpi) : r.real(Field::dotsPerMm));
}

}  // namespace m350
