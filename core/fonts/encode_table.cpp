#include "core/fonts/encode_table.h"

#include "core/files/local_file.h"

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

std::optional<std::string> readTableFile(const std::string& path, std::string* why) {
    std::string data, reason;
    if (!readLocalFile(path, kMaxTableBytes, data, reason)) {
        if (why) *why = reason;
        return std::nullopt;
    }
    return data;
}

}  // namespace m350
