// SPDX-License-Identifier: MIT
// The configuration record: every printer setting the utility reads, shows,
// writes back and stores in a .dcf file, as one packed 2826-byte image.
//
// The image is a file format, so it is kept as bytes and every field is reached
// through the field table below (offset, width, kind, unit). Integers and reals
// are 32-bit little-endian whatever the host; texts are NUL-terminated in a
// fixed field and are always cut to width - 1 characters.
//
// Most settings are flagged: a presence byte at the field's offset and the value
// right after it. Presence 0 means "unknown, leave the printer's value alone".
// plain fields (identity, counters, the present-bytes, reported addresses) have
// no presence byte.
//
// Forms and the command-line tool work from the table: fieldByName("speed"),
// fieldInfoOf(Field::speed).unit, record.real(Field::speed) ...
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace m350 {

inline constexpr std::size_t kConfigRecordSize = 2826;

// Every field, in record order. The names are the record's own field names.
enum class Field : std::uint8_t {
    // identity and counters (plain)
    edition,
    dpiKnown,
    dpi,
    dotsPerMm,
    cutCounter,
    resetCutCounter,
    version,
    mileage,
    resetMileage,
    checksum,
    serial,
    // page "Common"
    speed,
    density,
    densityBase,
    paperWidth,
    paperHeight,
    sensorMode,
    gapSize,
    gapOffset,
    printOut,
    cutterPiece,
    referenceX,
    referenceY,
    direction,
    mirror,
    offset,
    offsetBase,
    shiftY,
    shiftYBase,
    shiftX,
    shiftXBase,
    ribbon,
    ribbonSensor,
    ribbonEncoder,
    codePage,
    countryCode,
    displayLanguage,
    headSensor,
    reprint,
    maxLength,
    gapInten,
    blineInten,
    conInten,
    autoThreshold,
    inchUnits,
    // page "Z"
    zDarkness,
    zSpeed,
    zPosition,
    zPrintMode,
    zLabelWidth,
    zControl,
    zFormat,
    zDelimiter,
    zFeedPowerUp,
    zFeedHeadClose,
    zLabelTop,
    zLabelShift,
    // page "D"
    dHeat,
    dSpeed,
    dLabelWidth,
    dPresentSensor,
    dCutterEquipped,
    dControlCodes,
    dColumnOffset,
    dRowOffset,
    // page "RS-232"
    baudRate,
    dataBits,
    parity,
    stopBits,
    // Bluetooth and wireless
    btPresent,
    btPinCode,
    btName,
    btVersion,
    btLocalMac,
    wifiPresent,
    wifiSsid,
    wifiSecurity,
    wifiKey,
    wifiIp,
    wifiMask,
    wifiGateway,
    wifiEap,
    wifiUsername,
    wifiPassword,
    wifiCurrentIp,
    wifiCurrentMask,
    wifiCurrentGateway,
    wifiCaCert,
    wifiClientCert,
    wifiPrivateKey,
    wifiMac,
    wifiPrintName,
    wifiFreq,
    wifiRoamTrigger,
    wifiRoamDelta,
    wifiRawPort,
    extBtPresent,
    extBtPinCode,
    extBtName,
    extWifiPresent,
    extWifiSsid,
    extWifiSecurity,
    extWifiKey,
    extWifiDhcp,
    extWifiIp,
    extWifiMask,
    extWifiGateway,
    extWifiCurrentIp,
    extWifiCurrentMask,
    extWifiCurrentGateway,
    reserved,
    // page "FTP Update"
    ftpClientEnabled,
    ftpServer,
    ftpPath,
    ftpDescriptionFile,
    ftpUser,
    ftpPassword,
    kCount
};

inline constexpr std::size_t kFieldCount = static_cast<std::size_t>(Field::kCount);

enum class FieldKind : std::uint8_t {
    kInt,   // int32
    kReal,  // float32
    kText,  // NUL-terminated text, width includes the terminator
    kChar,  // one character
    kByte,  // one plain byte (present-bytes, dpiKnown, inchUnits)
    kRaw,   // bytes kept as stored (the reserved block)
};

// What a value measures; lengths in kDots are shown in inch or mm by the form.
enum class FieldUnit : std::uint8_t {
    kNone,
    kDots,
    kInchPerSecond,
    kDotsPerInch,
    kDotsPerMm,
    kDbm,
};

// A keyword table of the printer (code pages, countries, ...): the read maps
// a reply to the index of the entry that equals it, the write prints the entry.
struct KeywordTable {
    std::string_view name;
    std::span<const std::string_view> entries;

    // Index of the first entry equal to text (case-sensitive); size() when none.
    int indexOf(std::string_view text) const;
    // The entry at index; nullopt outside the table (an index that came from an
    // unmatched reply or a damaged file).
    std::optional<std::string_view> entry(int index) const;
    int size() const { return static_cast<int>(entries.size()); }
};

extern const KeywordTable kCodePageTable;         // 36
extern const KeywordTable kCountryTable;          // 22
extern const KeywordTable kDisplayLanguageTable;  // 6
extern const KeywordTable kBaudReportedTable;     // 9, as the printer reports them
extern const KeywordTable kBaudWrittenTable;      // 9, as the SET COM1 line writes them
extern const KeywordTable kDataBitsTable;         // 2
extern const KeywordTable kParityTable;           // 3
extern const KeywordTable kStopBitsTable;         // 2

struct FieldInfo {
    Field field;
    std::string_view name;
    std::uint16_t offset;  // presence byte for flagged fields, else the value
    std::uint16_t width;   // bytes of the value (text: including the terminator)
    FieldKind kind;
    bool flagged;
    FieldUnit unit;
    const KeywordTable* table;  // integer fields that index a keyword table

    constexpr std::uint16_t valueOffset() const {
        return static_cast<std::uint16_t>(offset + (flagged ? 1 : 0));
    }
    constexpr std::uint16_t end() const {
        return static_cast<std::uint16_t>(valueOffset() + width);
    }
};

// The field table, in record order; fieldInfoOf(f) is fieldTable()[f].
std::span<const FieldInfo> fieldTable();
const FieldInfo& fieldInfoOf(Field f);
std::optional<Field> fieldByName(std::string_view name);

class ConfigRecord {
  public:
    using Bytes = std::array<std::uint8_t, kConfigRecordSize>;

    // A record straight after reset(), with inchUnits 0 and the reserved bytes 0.
    ConfigRecord();

    // Defaults: edition 0, resolution 200 dpi / 11.8 dots per mm, counters 0,
    // texts empty, every presence and present-byte 0, numbers 0, then speed 3.0
    // and the Z prefix characters "~", "^", ",". inchUnits and the reserved
    // bytes are left as they are.
    void reset();

    const Bytes& bytes() const { return bytes_; }
    Bytes& bytes() { return bytes_; }

    // Presence of a flagged field; plain fields always count as present.
    bool present(Field f) const;
    // Sets the presence byte of a flagged field; ignored for plain fields.
    void setPresent(Field f, bool on);

    // Value access. The setters store the value and, for a flagged field, set
    // its presence to 1. Reading a field through the wrong kind gives 0 / empty.
    std::int32_t integer(Field f) const;
    float real(Field f) const;
    std::string text(Field f) const;
    char character(Field f) const;
    std::uint8_t byte(Field f) const;

    void setInteger(Field f, std::int32_t v);
    void setReal(Field f, float v);
    // Cut to the field width - 1; the rest of the field is zero-filled.
    void setText(Field f, std::string_view v);
    void setCharacter(Field f, char c);
    void setByte(Field f, std::uint8_t v);

    // Numbers as a double whatever their kind (int, real, char, byte); 0 for texts.
    double number(Field f) const;

    friend bool operator==(const ConfigRecord&, const ConfigRecord&) = default;

  private:
    Bytes bytes_{};
};

static_assert(sizeof(ConfigRecord) == kConfigRecordSize);

// A length in dots shown in inch (dots / dpi) or mm (dots / dotsPerMm), with
// the record's own resolution; nullopt when that resolution is not positive.
std::optional<double> dotsToUnits(const ConfigRecord& r, double dots, bool inch);
// A length typed in inch or mm, in dots (value * dpi or value * dotsPerMm).
double unitsToDots(const ConfigRecord& r, double value, bool inch);
// A length in inch or mm as the pages show it and the length commands carry
// it: two decimals rounded half away from zero (609 dots at 8.0 dots per mm
// give "76.13"), "." whatever the locale, never "-0.00".
std::string unitsText(double units);

// Little-endian access to a byte buffer, independent of the host's order.
std::int32_t loadLe32(const std::uint8_t* p);
void storeLe32(std::uint8_t* p, std::int32_t v);
float loadLeFloat(const std::uint8_t* p);
void storeLeFloat(std::uint8_t* p, float v);

}  // namespace m350
