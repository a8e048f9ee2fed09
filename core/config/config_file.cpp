#include "core/config/config_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <vector>

namespace m350 {

namespace {

// plain write(2) until every byte is out; EINTR is retried.
bool writeAll(int fd, const std::uint8_t* p, std::size_t n) {
    while (n > 0) {
        ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (w == 0) return false;
        p += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

std::string directoryOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

}  // namespace

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

ConfigFileResult decodeConfigFile(std::span<const std::uint8_t> bytes, ConfigFileContents& out) {
    // A short file would leave the record half from the file and half from
    // whatever was there before; refuse it like a wrong magic.
    if (bytes.size() < kConfigFileSize) return ConfigFileResult::kDataError;
    if (loadLe32(bytes.data()) != kConfigFileMagic) return ConfigFileResult::kDataError;
    ConfigFileContents c;
    c.version = loadLe32(bytes.data() + 4);
    c.unit = loadLe32(bytes.data() + 8);
    std::copy_n(bytes.begin() + kConfigFileRecordOffset, kConfigRecordSize,
                c.record.bytes().begin());
    std::copy_n(bytes.begin() + kConfigFileStatusOffset, c.statusFlags.size(),
                c.statusFlags.begin());
    out = c;
    return ConfigFileResult::kOk;
}

bool writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
    if (path.empty()) return false;
    std::string tmpl = path + ".XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0) return false;
    bool ok = writeAll(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
    // mkstemp creates the file 0600. A replaced file keeps its permissions;
    // a new one gets the usual ones under the umask.
    if (ok) {
        struct stat st {};
        mode_t mode = 0;
        if (::stat(path.c_str(), &st) == 0) {
            mode = st.st_mode & 07777;
        } else {
            mode_t mask = ::umask(0);
            ::umask(mask);
            mode = 0666 & ~mask;
        }
        ok = ::fchmod(fd, mode) == 0;
    }
    ok = (::close(fd) == 0) && ok;
    if (ok) ok = ::rename(name.data(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(name.data());
        return false;
    }
    // Make the rename itself durable.
    int dir = ::open(directoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

ConfigFileResult saveConfigFile(const std::string& path, const ConfigFileContents& contents) {
    ConfigFileImage image = encodeConfigFile(contents);
    return writeFileAtomically(path, image) ? ConfigFileResult::kOk
                                            : ConfigFileResult::kWriteFailed;
}

ConfigFileResult loadConfigFile(const std::string& path, ConfigFileContents& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return ConfigFileResult::kOpenFailed;
    // Only the image is read; a longer file keeps its extra bytes unread, as
    // before, and a huge wrong file never lands in memory.
    std::vector<std::uint8_t> bytes(kConfigFileSize);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) return ConfigFileResult::kOpenFailed;
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return decodeConfigFile(bytes, out);
}

}  // namespace m350
