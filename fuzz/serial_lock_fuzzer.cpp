// SPDX-License-Identifier: MIT
// The content of a serial port's lock file, as another program may have
// written it: any bytes give a process id of 0 or more.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/transport/uucp_lock.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string content(reinterpret_cast<const char*>(data), size);
    if (m350::uucpLockOwner(content) < 0) std::abort();
    return 0;
}
