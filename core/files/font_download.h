// SPDX-License-Identifier: MIT
// Link operation 13 as the font manager uses it: the bitmap font file made on
// disk goes into a memory device under the printer font name, through the
// same streamed download as every other file.
#pragma once

#include <string>

#include "core/files/file_types.h"
#include "core/link/link.h"

namespace m350 {

// DOWNLOAD [prefix]"NAME",SIZE, then the file's bytes; device is a
// MemoryDevice (0 DRAM, 1 FLASH, 2 CARD). kOk, kFileOpenError, kPortOpenError
// or kTransmitError.
int downloadFontFile(Link& link, const std::string& path, const std::string& name, int device);

}  // namespace m350
