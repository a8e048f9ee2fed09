#include "printer.h"

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
    return applyCommand(*this, line);
}

void Printer::storeFile(char device, const std::string& name, std::size_t size, std::string head) {
    auto& list = devices_[device];
    for (auto& f : list) {
        if (f.name == name) {
            f.size = size;
            f.head = std::move(head);
            return;
        }
    }
    // A real memory device is finite; so is ours.
    if (list.size() >= 1000) return;
    list.push_back(StoredFile{name, size, std::move(head)});
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
        if (f.head.size() < kKeptFileBytes)
            f.head.append(bytes.substr(0, kKeptFileBytes - f.head.size()));
        return;
    }
    storeFile(device, name, bytes.size(), std::string(bytes.substr(0, kKeptFileBytes)));
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

void Printer::note(std::string what) {
    // Bounded: a long session keeps only the most recent entries.
    if (journal_.size() >= 10000) journal_.erase(journal_.begin(), journal_.begin() + 5000);
    journal_.push_back(std::move(what));
}

}  // namespace m350::sim
