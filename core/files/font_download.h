// Link operation 13 as the font manager uses it: a local file into a memory
// device under a printer file name, as DOWNLOAD [prefix]"NAME",SIZE, followed
// at once by the file's bytes.
#pragma once

#include <string>

#include "core/link/link.h"

namespace m350 {

enum MemoryDevice : int { kDram = 0, kFlash = 1, kCard = 2 };

// The command header for a file of size bytes: "DOWNLOAD F,\"NAME\",1234,"
// (no prefix for DRAM, "E," for the card).
std::string downloadHeader(int device, const std::string& name, std::size_t size);

// Reads the file at path whole (kFileOpenError when it cannot), then sends
// the header and the bytes with the progress window in percent mode.
// kOk, kFileOpenError, kPortOpenError or kTransmitError.
int downloadFontFile(Link& link, const std::string& path, const std::string& name, int device);

}  // namespace m350
