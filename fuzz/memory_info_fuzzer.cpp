// SPDX-License-Identifier: MIT
// The memory read (sizes and file lists of the three devices) against a
// printer whose replies are arbitrary bytes, split at each NUL: whatever comes
// back, the lists keep to their capacity and split into lines without CR LF.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/files/memory_info.h"
#include "core/link/link_operations.h"
#include "support/scripted_port.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> replies = m350test::repliesSplitAtNul(data, size);
    m350test::ScriptedLink link(replies);
    m350::MemoryInfo info;
    m350::runOperation(link.ctx(), m350::kOpMemoryInfo, m350::kCom,
                       [&](m350::Link& l) { return m350::readMemoryInfo(l, info); });
    for (const m350::DeviceMemory& d : info.devices) {
        if (d.fileList.size() >= m350::kFileListCapacity) std::abort();
        std::size_t total = 0;
        for (const std::string& line : m350::fileListLines(d.fileList)) {
            if (line.find("\r\n") != std::string::npos) std::abort();
            total += line.size() + 2;
        }
        if (total > d.fileList.size() + 2) std::abort();
    }
    return 0;
}
