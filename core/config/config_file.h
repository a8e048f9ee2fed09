// The .dcf configuration file: a 2848-byte image of the unit choice, the
// configuration record and the ten status flags.
//
//   offset 0   magic 0x55AA (bytes AA 55 00 00)
//   offset 4   format version, 1
//   offset 8   unit choice (0 inch, 1 mm)
//   offset 12  the 2826-byte record as held in memory
//   offset 2838 the ten status flags
//
// Saving writes a temporary file next to the target, flushes it to disk and
// renames it over the target, so a failed save never leaves a damaged or empty
// file where a good one was.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/config/config_record.h"
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
    kDataError,    // wrong magic, or shorter than the image
    kWriteFailed,  // creating, writing, flushing or renaming failed; the old file is intact
};

// The message for a result: "File Data Error" for a bad file, a plain sentence
// for the others, empty for kOk.
std::string_view configFileResultText(ConfigFileResult r);

// The image of contents; version is written as 1 whatever contents.version holds.
ConfigFileImage encodeConfigFile(const ConfigFileContents& contents);
// Checks the size and the magic; the version is kept but not checked.
ConfigFileResult decodeConfigFile(std::span<const std::uint8_t> bytes, ConfigFileContents& out);

ConfigFileResult saveConfigFile(const std::string& path, const ConfigFileContents& contents);
// out is changed only when the result is kOk.
ConfigFileResult loadConfigFile(const std::string& path, ConfigFileContents& out);

// Writes bytes to path through a temporary file in the same directory, fsync
// and rename; on any failure the temporary file is removed and an existing
// file at path is left untouched.
bool writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);

}  // namespace m350
