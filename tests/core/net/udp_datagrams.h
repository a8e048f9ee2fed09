// SPDX-License-Identifier: MIT
// The datagrams of a simulator's UDP endpoint, one per transcript line.
#pragma once

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/sim_process.h"

namespace m350test {

struct UdpDatagrams {
    std::vector<std::string> rx, tx;
};

inline UdpDatagrams udpDatagrams(const std::string& transcriptPath) {
    UdpDatagrams d;
    std::ifstream in(transcriptPath);
    std::string line, udpId;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string id, what, detail;
        words >> id >> what >> detail;
        if (what == "OPEN" && detail == "udp") udpId = id;
        if (id != udpId || udpId.empty()) continue;
        if (what == "RX") d.rx.push_back(decodeHex(detail));
        if (what == "TX") d.tx.push_back(decodeHex(detail));
    }
    return d;
}

// Waits until the simulator has received at least count datagrams (at most 5 s).
inline UdpDatagrams udpDatagramsAtLeast(const std::string& path, std::size_t count) {
    UdpDatagrams d = udpDatagrams(path);
    for (int i = 0; i < 500 && d.rx.size() < count; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        d = udpDatagrams(path);
    }
    return d;
}

inline std::string bytesOf(const std::vector<std::uint8_t>& v) {
    return std::string(v.begin(), v.end());
}

}  // namespace m350test
