// SPDX-License-Identifier: MIT
// The .dcf configuration file: a 2848-byte image of the unit choice, the
// configuration record and the ten status flags.
//
//   offset 0   magic 0x55AA (bytes AA 55 00 00)
//   offset 4   format version, 1
//   offset 8   unit choice (0 inch, 1 mm)
//   offset 12  the 2826-byte record as held in memory
//   offset 2838 the ten status flags
//
// Saving goes through writeFileAtomically, so a failed save never leaves a
// damaged or empty file where a good one was.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/config/config_record.h"
#include "core/files/local_file.h"
#include "core/printer/status.h"

namespace m350 {

inline constexpr std::size_t kConfigFileSize = 2848;
inline constexpr std::int32_t kConfigFileMagic = 0x55AA;
inline constexpr std::int32_t kConfigFileVersion = 1;
inline constexpr std::size_t kConfigFileRecordOffset = 12;
inline constexpr std::size_t kConfigFileStatusOffset = 2838;
static_assert(kConfigFileRecordOffset + kConfigRecordSize == kConfigFileStatusOffset);
static_assert(kConfigFileStatusOffset + std::tuple_size_v<StatusFlags> == kConfigFileSize);

using ConfigFileImage = std::array<std::uint8_t, kConfigFileSize>;

struct ConfigFileContents {
    std::int32_t unit = 0;  // item index of the unit choice: 0 inch, 1 mm
    std::int32_t version = kConfigFileVersion;
    ConfigRecord record;
    StatusFlags statusFlags{};
};

enum class ConfigFileResult {
    kOk,
    kOpenFailed,   // the file cannot be opened or read
    kDataError,    // wrong magic, version or unit, shorter than the image, or a field out of range
    kWriteFailed,  // creating, writing, flushing or renaming failed; the old file is intact
};

// The message for a result: "File Data Error" for a bad file, a plain sentence
// for the others, empty for kOk.
std::string_view configFileResultText(ConfigFileResult r);

// The image of contents; version is written as 1 whatever contents.version holds.
ConfigFileImage encodeConfigFile(const ConfigFileContents& contents);
// The first field of a record whose value cannot be shown or sent as it is:
// a presence or plain byte other than 0/1, a real that is not finite, a
// negative count, an index outside its table (the table's length, "no match",
// is allowed), a choice outside its coding, a prefix character that is not
// printable, a text without its terminator or holding a control byte, a '"'
// or bytes that are not UTF-8. Fields whose presence is 0 are not looked at,
// except the prefix characters (the delimiter goes into another command).
std::optional<std::string_view> findInvalidField(const ConfigRecord& record);

// Checks the size, the magic, the version (1), the unit choice (0 or 1) and
// every field (findInvalidField). On kDataError, what (when given) names the
// part that is wrong: a field name, "version" or "unit"; empty for the size
// and the magic.
ConfigFileResult decodeConfigFile(std::span<const std::uint8_t> bytes, ConfigFileContents& out,
                                  std::string* what = nullptr);

// Saves only what loadConfigFile takes back: a record findInvalidField refuses
// (or a unit choice other than 0 and 1) is kDataError with the field's name in
// why, and nothing is written. why (when given) receives the reason of a
// kWriteFailed.
ConfigFileResult saveConfigFile(const std::string& path, const ConfigFileContents& contents,
                                std::string* why = nullptr);
// out is changed only when the result is kOk. Only a regular file is read (a
// FIFO or a device is kOpenFailed); why receives the reason of kOpenFailed, or
// the part that is wrong for kDataError as decodeConfigFile gives it.
ConfigFileResult loadConfigFile(const std::string& path, ConfigFileContents& out,
                                std::string* why = nullptr);

}  // namespace m350
