#include "core/fonts/encode_table.h"

#include <fstream>
#include <iterator>

namespace m350 {

std::optional<std::string> convertTable(std::string_view raw) {
    if (raw.size() > kMaxTableBytes) return std::nullopt;
    const std::size_t nul = raw.find('\0');
    if (nul != std::string_view::npos) raw = raw.substr(0, nul);
    std::string out;
    out.reserve(raw.size());
    for (char c : raw)
        if (static_cast<unsigned char>(c) >= 0x20) out.push_back(c);
    return out;
}

std::optional<std::string> readTableFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string data;
    char buffer[4096];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        data.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (data.size() > kMaxTableBytes) return std::nullopt;
    }
    if (in.bad()) return std::nullopt;
    return data;
}

}  // namespace m350
