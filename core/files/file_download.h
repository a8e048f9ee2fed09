// SPDX-License-Identifier: MIT
// Link operations 13 and 14 for files on disk: a file into a memory device of
// the printer under a short name (DOWNLOAD), and a firmware or TCF file sent
// unchanged. Both read the file in blocks while it goes out, so the memory
// they take does not grow with the file, and both show the progress window in
// percent mode.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/link/link.h"

namespace m350 {

class FileSource;

struct DownloadRequest {
    std::string path;  // the local file
    std::string name;  // the printer file name, quoted into the header
    int device = 1;    // MemoryDevice: 0 DRAM, 1 FLASH, 2 CARD
};

// DOWNLOAD, a blank, the device prefix, the quoted name, the size and a comma:
// DOWNLOAD F,"LOGO.BMP",1234,   The file's bytes follow it at once.
std::string downloadHeader(int device, std::string_view name, std::uint64_t size);

// Link operation 13. The header carries the size the file had when it was
// opened, and exactly that many bytes follow it; nothing comes after them.
// kFileOpenError when the file cannot be opened or read to that size, is
// larger than a header can announce (kMaxDownloadSize), or the name could
// not be held by the printer (checkPrinterFileName); kPortOpenError,
// kTransmitError.
int downloadFile(Link& link, const DownloadRequest& request);

// Link operation 14 for a file: its bytes as they are, nothing before or after.
// kFileOpenError when it cannot be opened or read whole; kPortOpenError,
// kTransmitError.
int sendFileRaw(Link& link, const std::string& path);
// The same for a file already open (standard input, a file checked by its
// caller), from where it stands to its end.
int sendFileRaw(Link& link, FileSource& file);

}  // namespace m350
