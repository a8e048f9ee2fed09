// SPDX-License-Identifier: MIT
#include "core/config/config_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <vector>

namespace m350 {

namespace {

bool validText(const ConfigRecord& r, const FieldInfo& info) {
    const auto* p = r.bytes().data() + info.valueOffset();
    const auto* end = p + info.width;
    const auto* nul = std::find(p, end, std::uint8_t{0});
    if (nul == end) return false;
    // Printer texts are bytes in the printer's own code page, so any byte
    // from 0x80 up may stand in them; what could end or split a command line
    // may not.
    for (const auto* q = p; q < nul; ++q)
        if (*q < 0x20 || *q == 0x7F || *q == '"') return false;
    return true;
}

// The inclusive range of an integer field with a fixed coding; nullopt for
// fields that take any number (offsets, shifts, sensor intensities ...) and for
// ftpClientEnabled, which the window stores as its list's item, -1 included.
std::optional<std::pair<std::int32_t, std::int32_t>> rangeOf(const FieldInfo& info) {
    using F = Field;
    if (info.table) return std::pair{0, info.table->size()};
    switch (info.field) {
        case F::cutCounter:
        case F::resetCutCounter:
        case F::cutterPiece:
        case F::edition:
            return std::pair{0, std::numeric_limits<std::int32_t>::max()};
        case F::density:
            return std::pair{0, 15};
        case F::sensorMode:
            return std::pair{0, 2};
        case F::printOut:
            return std::pair{0, 3};
        case F::direction:
        case F::mirror:
        case F::ribbon:
        case F::ribbonSensor:
        case F::ribbonEncoder:
        case F::headSensor:
        case F::reprint:
        case F::autoThreshold:
            return std::pair{0, 1};
        case F::wifiSecurity:
        case F::extWifiSecurity:
            return std::pair{0, 6};
        default:
            return std::nullopt;
    }
}

}  // namespace

std::optional<std::string_view> findInvalidField(const ConfigRecord& r) {
    for (const FieldInfo& info : fieldTable()) {
        if (info.kind == FieldKind::kRaw) continue;
        if (info.flagged) {
            const std::uint8_t presence = r.bytes()[info.offset];
            if (presence > 1) return info.name;
            // The prefix characters are checked even when unknown: the Z page
            // writes the delimiter into another setting's command.
            if (presence == 0 && info.kind != FieldKind::kChar) continue;
        }
        switch (info.kind) {
            case FieldKind::kInt: {
                const auto range = rangeOf(info);
                const std::int32_t v = r.integer(info.field);
                if (range && (v < range->first || v > range->second)) return info.name;
                break;
            }
            case FieldKind::kReal:
                if (!std::isfinite(r.real(info.field))) return info.name;
                break;
            case FieldKind::kText:
                if (!validText(r, info)) return info.name;
                break;
            case FieldKind::kChar: {
                const auto c = static_cast<unsigned char>(r.character(info.field));
                if (c <= 0x20 || c >= 0x7F || c == '"') return info.name;
                break;
            }
            case FieldKind::kByte:
                if (r.byte(info.field) > 1) return info.name;
                break;
            case FieldKind::kRaw:
                break;
        }
    }
    return std::nullopt;
}

std::string_view configFileResultText(ConfigFileResult r) {
    switch (r) {
        case ConfigFileResult::kOk:
            return "";
        case ConfigFileResult::kOpenFailed:
            return "The file cannot be opened.";
        case ConfigFileResult::kDataError:
            return "File Data Error";
        case ConfigFileResult::kWriteFailed:
            return "The file cannot be written.";
    }
    return "";
}

ConfigFileImage encodeConfigFile(const ConfigFileContents& contents) {
    ConfigFileImage image{};
    storeLe32(image.data() + 0, kConfigFileMagic);
    storeLe32(image.data() + 4, kConfigFileVersion);
    storeLe32(image.data() + 8, contents.unit);
    const auto& rec = contents.record.bytes();
    std::copy(rec.begin(), rec.end(), image.begin() + kConfigFileRecordOffset);
    std::copy(contents.statusFlags.begin(), contents.statusFlags.end(),
              image.begin() + kConfigFileStatusOffset);
    return image;
}

ConfigFileResult decodeConfigFile(std::span<const std::uint8_t> bytes, ConfigFileContents& out,
                                  std::string* what) {
    if (what) what->clear();
    auto refuse = [what](std::string_view part) {
        if (what) *what = std::string(part);
        return ConfigFileResult::kDataError;
    };
    // A short file would leave the record half from the file and half from
    // whatever was there before; refuse it like a wrong magic.
    if (bytes.size() < kConfigFileSize) return ConfigFileResult::kDataError;
    if (loadLe32(bytes.data()) != kConfigFileMagic) return ConfigFileResult::kDataError;
    ConfigFileContents c;
    c.version = loadLe32(bytes.data() + 4);
    c.unit = loadLe32(bytes.data() + 8);
    // Only version 1 exists; a later one may mean other things by the same bytes.
    if (c.version != kConfigFileVersion) return refuse("version");
    if (c.unit != 0 && c.unit != 1) return refuse("unit");
    std::copy_n(bytes.begin() + kConfigFileRecordOffset, kConfigRecordSize,
                c.record.bytes().begin());
    std::copy_n(bytes.begin() + kConfigFileStatusOffset, c.statusFlags.size(),
                c.statusFlags.begin());
    // Nothing from the file is shown or sent before every field has passed.
    if (auto bad = findInvalidField(c.record)) return refuse(*bad);
    out = c;
    return ConfigFileResult::kOk;
}

ConfigFileResult saveConfigFile(const std::string& path, const ConfigFileContents& contents,
                                std::string* why) {
    // A backup that loading would refuse is no backup: a printer that
    // reports a speed of 1e999 or a '"' in its SSID gets its file refused
    // here, by the field's name, and nothing is written.
    if (contents.unit != 0 && contents.unit != 1) {
        if (why) *why = "unit";
        return ConfigFileResult::kDataError;
    }
    if (auto bad = findInvalidField(contents.record)) {
        if (why) *why = std::string(*bad);
        return ConfigFileResult::kDataError;
    }
    ConfigFileImage image = encodeConfigFile(contents);
    return writeFileAtomically(path, image, why) ? ConfigFileResult::kOk
                                                 : ConfigFileResult::kWriteFailed;
}

ConfigFileResult loadConfigFile(const std::string& path, ConfigFileContents& out,
                                std::string* why) {
    // Only the image is read; a longer file keeps its extra bytes unread, as
    // before, and a huge wrong file never lands in memory.
    std::string bytes, reason;
    if (!readLocalFile(path, kConfigFileSize, bytes, reason, LongerFile::kReadHead)) {
        if (why) *why = reason;
        return ConfigFileResult::kOpenFailed;
    }
    return decodeConfigFile(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), out, why);
}

}  // namespace m350
