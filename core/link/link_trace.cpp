// SPDX-License-Identifier: MIT
#include "core/link/link_trace.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>

#include "core/transport/port_settings.h"

namespace m350 {

namespace {

std::string timeStamp() {
    const auto now = std::chrono::system_clock::now();
    const auto micros =
        std::chrono::duration_cast<std::chrono::microseconds>(now.time_since_epoch()).count();
    const std::time_t seconds = static_cast<std::time_t>(micros / 1'000'000);
    std::tm utc{};
    ::gmtime_r(&seconds, &utc);
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%06lldZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                  static_cast<long long>(micros % 1'000'000));
    return text;
}

std::string hex(const std::uint8_t* data, std::size_t n) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(n * 2);
    for (std::size_t i = 0; i < n; ++i) {
        out.push_back(kDigits[data[i] >> 4]);
        out.push_back(kDigits[data[i] & 15]);
    }
    return out;
}

}  // namespace

const char* traceInterfaceName(int iface) {
    switch (iface) {
        case kUsb:
            return "usb";
        case kCom:
            return "serial";
        case kLpt:
            return "parallel";
        case kEthernet:
            return "tcp";
        default:
            return "unknown";
    }
}

LinkTrace::LinkTrace(int fd) : fd_(fd) {}

LinkTrace::~LinkTrace() {
    if (fd_ >= 0) ::close(fd_);
}

int LinkTrace::opened(int iface) {
    const int id = next_++;
    line(id, "OPEN", traceInterfaceName(iface));
    return id;
}

void LinkTrace::sent(int id, const std::uint8_t* data, std::size_t n) {
    if (n > 0) line(id, "TX", hex(data, n));
}

void LinkTrace::received(int id, const std::uint8_t* data, std::size_t n) {
    if (n > 0) line(id, "RX", hex(data, n));
}

void LinkTrace::closed(int id) {
    line(id, "CLOSE", {});
}

void LinkTrace::failed(int iface, const PortError& error) {
    std::string detail = traceInterfaceName(iface);
    if (error.isSet()) detail += " " + describePortError(error);
    line(0, "ERROR", detail);
}

void LinkTrace::line(int id, const char* what, const std::string& detail) {
    if (fd_ < 0 || !complete_) return;
    std::string text = timeStamp() + " " + std::to_string(id) + " " + what;
    if (!detail.empty()) text += " " + detail;
    text += "\n";
    // One write per line (the file is opened for appending), so nothing waits
    // in a buffer when the program is stopped.
    const char* p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t w = ::write(fd_, p, left);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) {
            complete_ = false;
            return;
        }
        p += w;
        left -= static_cast<std::size_t>(w);
    }
}

}  // namespace m350
