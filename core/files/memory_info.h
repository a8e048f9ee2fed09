// SPDX-License-Identifier: MIT
// Link operations 12 and 15: the sizes and file lists of the printer's three
// memory devices, read in one exchange, and the format of one device.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/files/file_types.h"
#include "core/link/link.h"

namespace m350 {

struct DeviceMemory {
    // The device's file names, each followed by CR LF, as the printer listed them.
    std::string fileList;
    bool physicalKnown = false;
    std::int32_t physicalSize = 0;  // as the printer answered (shown as KB)
    bool freeKnown = false;
    std::int32_t freeSpace = 0;
};

// DRAM, FLASH, CARD, by MemoryDevice index. A default record is the cleared one.
struct MemoryInfo {
    std::array<DeviceMemory, kDeviceCount> devices;
};

// Room for one device's file list, terminator included.
inline constexpr std::size_t kFileListCapacity = 65536;

// Link operation 12 over one connection: the announcement, then physical
// space, free space and file list of DRAM and of FLASH, then the card's
// physical space and file list (its free space is not asked). The first
// failing step ends it with its code; what the steps before it read stays in
// info, so the caller clears info first. A file list that outgrows
// kFileListCapacity fails with kReceiveError.
int readMemoryInfo(Link& link, MemoryInfo& info);

// The lines of a file list ("A.BAS\r\nB.PCX\r\n" gives A.BAS and B.PCX).
std::vector<std::string> fileListLines(std::string_view fileList);

// The command that deletes every file of a device: KILL "*.*", KILL F,"*.*" or
// KILL E,"*.*", each with CR LF.
std::string formatCommand(int device);

// Link operation 15: the format command, no reply read.
int formatDevice(Link& link, int device);

}  // namespace m350
