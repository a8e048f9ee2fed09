#include <cstdlib>
#include <string>

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

}  // namespace m350
