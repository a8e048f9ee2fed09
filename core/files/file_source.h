// SPDX-License-Identifier: MIT
// A local file read from disk in blocks, so that sending a file of any size
// holds one block in memory, never the whole file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace m350 {

class FileSource {
  public:
    FileSource() = default;
    ~FileSource();
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    // Opens a regular file for reading and takes its size. False (with the
    // system's reason in error()) when it cannot be opened or is not a
    // regular file: a directory, a pipe or a device has no size to announce.
    bool open(const std::string& path);
    // Takes over an open descriptor of a regular file (closed with the
    // source, also on failure) and reads from where it stands: the size is
    // what is left of it.
    bool adopt(int fd);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    // The size when it was opened.
    std::uint64_t size() const { return size_; }
    const std::string& error() const { return error_; }

    // Fills dst with up to cap bytes; fewer only at the end of the file. 0 at
    // the end of the file or on a read error (then error() says which).
    std::size_t read(std::uint8_t* dst, std::size_t cap);

  private:
    int fd_ = -1;
    std::uint64_t size_ = 0;
    std::string error_;
};

// The size of a regular file, or false when it cannot be opened as one.
bool regularFileSize(const std::string& path, std::uint64_t& size, std::string& error);

}  // namespace m350
