// SPDX-License-Identifier: MIT
#include "core/files/file_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace m350 {

FileSource::~FileSource() {
    close();
}

bool FileSource::open(const std::string& path) {
    close();
    error_.clear();
    // Opened without blocking, so a FIFO with no writer is refused below
    // instead of holding the program; a regular file reads as usual.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        error_ = std::strerror(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        error_ = std::strerror(errno);
        ::close(fd);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error_ = S_ISDIR(st.st_mode) ? "is a folder" : "is not a regular file";
        ::close(fd);
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    fd_ = fd;
    size_ = static_cast<std::uint64_t>(st.st_size);
    return true;
}

bool FileSource::adopt(int fd) {
    close();
    error_.clear();
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error_ = fd < 0 ? "no file" : "is not a regular file";
        if (fd >= 0) ::close(fd);
        return false;
    }
    const off_t at = ::lseek(fd, 0, SEEK_CUR);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    fd_ = fd;
    size_ = static_cast<std::uint64_t>(st.st_size) -
            static_cast<std::uint64_t>(std::min<off_t>(std::max<off_t>(at, 0), st.st_size));
    return true;
}

void FileSource::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    size_ = 0;
}

std::size_t FileSource::read(std::uint8_t* dst, std::size_t cap) {
    if (fd_ < 0) return 0;
    std::size_t got = 0;
    while (got < cap) {
        const ssize_t n = ::read(fd_, dst + got, cap - got);
        if (n > 0) {
            got += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error_ = std::strerror(errno);
            return 0;
        }
        break;  // end of file
    }
    return got;
}

bool regularFileSize(const std::string& path, std::uint64_t& size, std::string& error) {
    FileSource f;
    if (!f.open(path)) {
        error = f.error();
        return false;
    }
    size = f.size();
    return true;
}

}  // namespace m350
