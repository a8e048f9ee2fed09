// SPDX-License-Identifier: MIT
#include "printer.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <fstream>

#include "commands.h"

namespace m350::sim {

std::string formatReal(double v, int decimals) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

Printer::Printer() : Printer(Profile{}) {}

Printer::Printer(const Profile& profile) {
    loadProfile(profile);
}

void Printer::loadProfile(const Profile& profile) {
    loadDefaults(*this, profile);
    loadSensorCurves(*this);
}

std::string Printer::get(const std::string& key) const {
    auto it = settings_.find(key);
    return it == settings_.end() ? std::string() : it->second;
}

std::optional<std::string> Printer::report(const std::string& key) const {
    // Settings with a leading underscore are the printer's own bookkeeping.
    if (!key.empty() && key[0] == '_') return std::nullopt;
    if (auto computed = computedReport(*this, key)) return computed;
    auto it = settings_.find(key);
    if (it == settings_.end()) return std::nullopt;
    return it->second;
}

std::optional<std::vector<std::string>> Printer::reportList(const std::string& key) const {
    if (auto readings = sensorReadings(*this, key)) return readings;
    // DFILELIST, FFILELIST, CFILELIST: one frame per stored file name.
    if (key.size() == 9 && key.compare(1, 8, "FILELIST") == 0 &&
        (key[0] == 'D' || key[0] == 'F' || key[0] == 'C')) {
        std::vector<std::string> names;
        for (const auto& f : files(key[0])) names.push_back(f.name);
        return names;
    }
    return std::nullopt;
}

bool Printer::applyLine(std::string_view line) {
    // A read-only setting keeps its value whatever the line says, as a printer
    // that takes the command but not the value (a locked or unsupported setting).
    std::map<std::string, std::optional<std::string>> kept;
    for (const auto& key : readOnly)
        kept[key] = has(key) ? std::optional<std::string>(get(key)) : std::nullopt;
    const bool known = applyCommand(*this, line);
    for (auto& [key, value] : kept) {
        if (value)
            settings_[key] = std::move(*value);
        else
            settings_.erase(key);
    }
    return known;
}

namespace {

std::size_t keptTotal(const std::map<char, std::vector<StoredFile>>& devices) {
    std::size_t total = 0;
    for (const auto& [device, list] : devices)
        for (const auto& f : list) total += f.head.size();
    return total;
}

}  // namespace

std::uint32_t crc32Update(std::uint32_t crc, std::string_view bytes) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t c = ~crc;
    for (char b : bytes) c = table[(c ^ static_cast<unsigned char>(b)) & 0xFF] ^ (c >> 8);
    return ~c;
}

void Printer::storeFile(char device, const std::string& name, std::size_t size, std::string head,
                        std::uint32_t crc32) {
    auto& list = devices_[device];
    StoredFile* slot = nullptr;
    for (auto& f : list)
        if (f.name == name) slot = &f;
    // A real memory device is finite; so is ours.
    if (!slot && list.size() >= 1000) {
        note("DEVICE FULL " + name);
        return;
    }
    if (slot) slot->head.clear();
    const std::size_t used = keptTotal(devices_);
    const std::size_t room = used < kKeptBytesTotal ? kKeptBytesTotal - used : 0;
    if (head.size() > room) head.resize(room);
    if (!slot) {
        list.push_back(StoredFile{name, 0, {}, 0});
        slot = &list.back();
    }
    slot->size = size;
    slot->head = std::move(head);
    slot->crc32 = crc32;
}

const std::vector<StoredFile>& Printer::files(char device) const {
    static const std::vector<StoredFile> none;
    auto it = devices_.find(device);
    return it == devices_.end() ? none : it->second;
}

void Printer::appendFile(char device, const std::string& name, std::string_view bytes) {
    for (auto& f : devices_[device]) {
        if (f.name != name) continue;
        f.size += bytes.size();
        f.crc32 = crc32Update(f.crc32, bytes);
        if (f.head.size() < kKeptFileBytes)
            f.head.append(bytes.substr(0, kKeptFileBytes - f.head.size()));
        return;
    }
    storeFile(device, name, bytes.size(), std::string(bytes.substr(0, kKeptFileBytes)),
              crc32Update(0, bytes));
}

const StoredFile* Printer::findFile(const std::string& name) const {
    for (char d : {'D', 'F', 'C'})
        for (const auto& f : files(d))
            if (f.name == name) return &f;
    return nullptr;
}

void Printer::formatDevice(char device) {
    devices_.erase(device);
}

const std::vector<long>& Printer::sensorCurve(bool blackMark) const {
    const SensorCurve& curve = blackMark ? blineSensor : gapSensor;
    bool label = labelUnderSensor;
    if (!mediaFile.empty()) {
        std::ifstream in(mediaFile);
        std::string word;
        if (in >> word) {
            for (auto& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (word == "label")
                label = true;
            else if (word == "liner" || word == "mark")
                label = false;
        }
    }
    return label ? curve.label : curve.liner;
}

bool Printer::deleteFiles(char device, const std::string& pattern) {
    if (pattern == "*.*" || pattern == "*") {
        formatDevice(device);
        event(std::string("formatted ") + device);
        return true;
    }
    auto& list = devices_[device];
    const auto before = list.size();
    std::erase_if(list, [&](const StoredFile& f) { return f.name == pattern; });
    if (list.size() == before) return false;
    event(std::string("deleted ") + device + ":" + pattern);
    return true;
}

void Printer::recordFirmware(FirmwareImage image) {
    // The last few images are enough to look back on.
    if (firmware_.size() >= 8) firmware_.erase(firmware_.begin());
    firmware_.push_back(std::move(image));
}

void Printer::event(const std::string& what) {
    note(what);
    if (onEvent) onEvent(what);
}

void Printer::note(std::string what) {
    // Bounded: a long session keeps only the most recent entries.
    if (journal_.size() >= 10000) journal_.erase(journal_.begin(), journal_.begin() + 5000);
    journal_.push_back(std::move(what));
}

}  // namespace m350::sim
