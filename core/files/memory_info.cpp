// SPDX-License-Identifier: MIT
#include "core/files/memory_info.h"

#include "core/config/config_read.h"
#include "core/link/connection.h"
#include "core/link/link_operations.h"

namespace m350 {

namespace {

int readNumber(Connection& c, char letter, const char* what, bool& known, std::int32_t& value) {
    std::string payload;
    if (int r = c.report(std::string(1, letter) + what, payload); r != kOk) return r;
    known = true;
    value = parseConfigInt(payload);
    return kOk;
}

int readList(Connection& c, char letter, std::string& list) {
    return c.queryFrames("DIAGNOSTIC REPORT " + std::string(1, letter) + "FILELIST\r\n", list,
                         kFileListCapacity);
}

}  // namespace

int readMemoryInfo(Link& link, MemoryInfo& info) {
    Connection c(link.ctx, link.iface);
    if (!c.open()) return kPortOpenError;
    if (int r = c.announce(); r != kOk) return r;
    for (int device : {kDeviceDram, kDeviceFlash}) {
        DeviceMemory& d = info.devices[static_cast<std::size_t>(device)];
        const char letter = deviceLetter(device);
        if (int r = readNumber(c, letter, "PHYSPACE", d.physicalKnown, d.physicalSize); r != kOk)
            return r;
        if (int r = readNumber(c, letter, "FREESPACE", d.freeKnown, d.freeSpace); r != kOk)
            return r;
        if (int r = readList(c, letter, d.fileList); r != kOk) return r;
    }
    DeviceMemory& card = info.devices[kDeviceCard];
    if (int r = readNumber(c, 'C', "PHYSPACE", card.physicalKnown, card.physicalSize); r != kOk)
        return r;
    card.freeKnown = false;
    return readList(c, 'C', card.fileList);
}

std::vector<std::string> fileListLines(std::string_view fileList) {
    std::vector<std::string> lines;
    while (!fileList.empty()) {
        const auto end = fileList.find("\r\n");
        lines.emplace_back(fileList.substr(0, end));
        if (end == std::string_view::npos) break;
        fileList.remove_prefix(end + 2);
    }
    return lines;
}

std::string formatCommand(int device) {
    return "KILL " + std::string(devicePrefix(device)) + "\"*.*\"\r\n";
}

int formatDevice(Link& link, int device) {
    return sendCommand(link, formatCommand(device));
}

}  // namespace m350
