// SPDX-License-Identifier: MIT
// What many tests need around files and bytes: a folder of their own that is
// removed at the end, files read and written whole, seeded random bytes, and
// the printer's frame around a reply.
#pragma once

#include <stdlib.h>
#include <sys/stat.h>

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <stdexcept>
#include <string>

namespace m350test {

// A fresh folder under the system's temporary folder, removed with all it
// holds (even after a test took away its permissions).
class TempDir {
  public:
    TempDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "m350test.XXXXXX").string();
        // Without its folder a test would write beside the system's files.
        if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed for " + tmpl);
        path_ = tmpl;
    }
    ~TempDir() {
        ::chmod(path_.c_str(), 0700);
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    // Writes a file in the folder and gives its path.
    std::string write(const std::string& name, const std::string& bytes) const {
        const std::string p = file(name);
        std::ofstream(p, std::ios::binary) << bytes;
        return p;
    }
    std::set<std::string> names() const {
        std::set<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(path_))
            out.insert(e.path().filename());
        return out;
    }
    std::size_t entries() const { return names().size(); }

  private:
    std::string path_;
};

inline std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeRaw(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string randomBytes(std::size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (auto& c : s) c = static_cast<char>(gen());
    return s;
}

// A framed reply: "{" length "|" payload "}".
inline std::string frame(const std::string& payload) {
    return "{" + std::to_string(payload.size()) + "|" + payload + "}";
}

}  // namespace m350test
