// SPDX-License-Identifier: MIT
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "core/transport/port.h"

namespace m350 {

std::string devicePathForPortName(const std::string& name) {
    std::string prefix, base;
    if (name.rfind("COM", 0) == 0) {
        prefix = "M350_COM";
        base = "/dev/ttyS";
    } else if (name.rfind("LPT", 0) == 0) {
        prefix = "M350_LPT";
        base = "/dev/lp";
    } else {
        return {};
    }
    std::string digits = name.substr(3);
    if (digits.empty() || digits.size() > 3 ||
        digits.find_first_not_of("0123456789") != std::string::npos)
        return {};
    int n = std::stoi(digits);
    if (n < 1) return {};
    if (const char* env = std::getenv((prefix + digits).c_str()); env && *env) return env;
    return base + std::to_string(n - 1);
}

namespace {

namespace fs = std::filesystem;

// The number after a device's prefix ("ttyUSB12" -> 12), -1 when the rest is
// not all digits.
int deviceNumber(const std::string& name, const std::string& prefix) {
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return -1;
    const std::string digits = name.substr(prefix.size());
    if (digits.size() > 4 || digits.find_first_not_of("0123456789") != std::string::npos) return -1;
    return std::stoi(digits);
}

// /dev/ttyS* nodes exist for every possible 8250 port; sysfs gives a port
// type of 0 to those with no hardware behind them.
bool isRealUart(const fs::path& sysTty) {
    std::ifstream type(sysTty / "type");
    int value = 0;
    return type >> value && value != 0;
}

}  // namespace

std::vector<SerialDevice> listSerialDevices(const std::string& root) {
    std::vector<SerialDevice> out;
    std::set<std::string> reached;  // device names reached by a by-id link
    std::error_code ec;
    const fs::path dev = fs::path(root.empty() ? "/" : root) / "dev";

    std::vector<std::string> links;
    for (const auto& e : fs::directory_iterator(dev / "serial/by-id", ec))
        links.push_back(e.path().filename());
    std::sort(links.begin(), links.end());
    for (const auto& name : links) {
        const fs::path link = dev / "serial/by-id" / name;
        const fs::path target = fs::read_symlink(link, ec);
        if (!ec) reached.insert(target.filename());
        out.push_back({"/dev/serial/by-id/" + name, name});
    }

    const fs::path sysTty = fs::path(root.empty() ? "/" : root) / "sys/class/tty";
    for (const char* prefix : {"ttyUSB", "ttyACM", "ttyS"}) {
        std::vector<std::pair<int, std::string>> found;
        for (const auto& e : fs::directory_iterator(dev, ec)) {
            const std::string name = e.path().filename();
            const int n = deviceNumber(name, prefix);
            if (n < 0 || reached.count(name)) continue;
            if (std::string(prefix) == "ttyS" && !isRealUart(sysTty / name)) continue;
            found.emplace_back(n, name);
        }
        std::sort(found.begin(), found.end());
        for (const auto& [n, name] : found) out.push_back({"/dev/" + name, {}});
    }
    return out;
}

}  // namespace m350
