// SPDX-License-Identifier: MIT
#include "core/wireless/wireless_scan.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <optional>

#include "core/input/input_checks.h"
#include "core/link/connection.h"
#include "core/link/link_operations.h"

namespace m350 {

namespace {

// A decimal number as the C library's string-to-long reads it: leading white
// space, a sign, digits; anything else ends it, no digits give 0. Values past
// the int range are clamped.
long decimal(std::string_view text) {
    std::string copy(text);
    errno = 0;
    long v = std::strtol(copy.c_str(), nullptr, 10);
    if (v > INT_MAX) v = INT_MAX;
    if (v < INT_MIN) v = INT_MIN;
    return v;
}

// The lines after the count: each read up to the next CR. Fields are searched
// within a line, so a line without its separator never reaches into the next.
class LineCursor {
  public:
    explicit LineCursor(std::string_view rest) : rest_(rest) {}
    // The next line and whether it ended with CR.
    bool next(std::string_view& line, bool& terminated) {
        if (rest_.empty()) return false;
        const std::size_t cr = rest_.find('\r');
        terminated = cr != std::string_view::npos;
        line = rest_.substr(0, terminated ? cr : rest_.size());
        rest_.remove_prefix(terminated ? cr + 1 : rest_.size());
        return true;
    }

  private:
    std::string_view rest_;
};

// The count and what follows it; nullopt when there is no CR.
std::optional<std::pair<long, std::string_view>> countAndRest(std::string_view payload) {
    const std::size_t cr = payload.find('\r');
    if (cr == std::string_view::npos) return std::nullopt;
    return std::pair{decimal(payload.substr(0, cr)), payload.substr(cr + 1)};
}

// Shared shape of the two scans: announce, ask, wait stepping the progress
// window, read one frame.
int runScan(Link& link, std::string_view request, ScanWait wait, std::string& payload) {
    Connection c(link.ctx, link.iface);
    if (!c.open()) return kPortOpenError;
    std::string announced;
    if (c.query(announcementText(link.iface), announced, kScanReplyCapacity) != kOk)
        return kTransmitError;
    if (!c.write(request)) return kTransmitError;
    c.discardReceived();
    showProgress(link.ctx, kStepMode, 3, 3);
    for (int i = 0; i < wait.pauses && !link.ctx.stopping(); ++i) {
        link.ctx.pause(wait.pauseMs);
        reportProgress(link.ctx, kStepMode, 0);
        link.ctx.sink().remaining((wait.pauses - i - 1) * wait.pauseMs);
    }
    const bool read = c.readFrame(payload, kScanReplyCapacity);
    hideProgress(link.ctx);
    return read ? kOk : kReceiveError;
}

// The count line both scans begin with: nullopt for a reply without one;
// otherwise whether a module answered (a count of -1 says none is fitted)
// and, when it did, the count and the lines after it.
struct ScanHead {
    bool moduleFound = false;
    long count = 0;
    std::string_view rest;
};
std::optional<ScanHead> scanHead(std::string_view payload) {
    const auto head = countAndRest(payload);
    if (!head) return std::nullopt;
    if (head->first == -1) return ScanHead{};
    return ScanHead{true, head->first, head->second};
}

}  // namespace

int parseAccessPointScan(std::string_view payload, AccessPointScan& out) {
    out = {};
    const auto head = scanHead(payload);
    if (!head) return kReceiveError;
    out.moduleFound = head->moduleFound;
    LineCursor lines(head->rest);
    std::string_view line;
    bool terminated = false;
    for (long i = 0; i < head->count && out.entries.size() < kMaxScanEntries; ++i) {
        if (!lines.next(line, terminated)) break;
        const std::size_t first = line.find(',');
        if (first == std::string_view::npos) break;
        const std::size_t second = line.find(',', first + 1);
        if (second == std::string_view::npos) break;
        out.entries.push_back(
            {std::string(line.substr(0, first)),
             static_cast<int>(decimal(line.substr(first + 1, second - first - 1)))});
    }
    return kOk;
}

int parseBluetoothScan(std::string_view payload, BluetoothScan& out) {
    out = {};
    const auto head = scanHead(payload);
    if (!head) return kReceiveError;
    out.moduleFound = head->moduleFound;
    LineCursor lines(head->rest);
    std::string_view line;
    bool terminated = false;
    for (long i = 0; i < head->count && out.entries.size() < kMaxScanEntries; ++i) {
        if (!lines.next(line, terminated) || !terminated) break;
        const std::size_t comma = line.find(',');
        if (comma == std::string_view::npos) break;
        out.entries.push_back(
            {std::string(line.substr(0, comma)), std::string(line.substr(comma + 1))});
    }
    return kOk;
}

int scanAccessPoints(Link& link, AccessPointScan& out, ScanWait wait) {
    out = {};
    std::string payload;
    if (int r = runScan(link, "DIAGNOSTIC REPORT SCANAP\r\n", wait, payload); r != kOk) return r;
    return parseAccessPointScan(payload, out);
}

int scanBluetooth(Link& link, BluetoothScan& out, ScanWait wait) {
    out = {};
    std::string payload;
    if (int r = runScan(link, "DIAGNOSTIC REPORT SCANBT\r\n", wait, payload); r != kOk) return r;
    return parseBluetoothScan(payload, out);
}

int setBluetoothMaster(Link& link, std::string_view address) {
    // A '"' or a line end would end the address and run the rest as commands.
    if (!quotable(address)) return kTransmitError;
    std::string line = "BT DMAC \"";
    line.append(address);
    line.append("\"\r\n");
    return sendCommand(link, line);
}

ScanWait scanWaitOf(ScanWait base, int seconds) {
    if (seconds < 0 || base.pauseMs <= 0) return base;
    return {static_cast<int>((static_cast<long long>(seconds) * 1000 + base.pauseMs - 1) /
                             base.pauseMs),
            base.pauseMs};
}

std::vector<AccessPointRow> accessPointRows(const AccessPointScan& scan) {
    std::vector<AccessPointRow> rows;
    for (std::size_t i = 0; i < scan.entries.size(); ++i) {
        const AccessPoint& e = scan.entries[i];
        bool seen = false;
        for (std::size_t j = 0; j < i && !seen; ++j)
            seen = scan.entries[j].encryption == e.encryption && scan.entries[j].ssid == e.ssid;
        if (!seen) rows.push_back({e.ssid, std::string(encryptionWord(e.encryption))});
    }
    return rows;
}

std::string_view encryptionWord(int code) {
    if (code == 1) return "WEP";
    if (code == 2) return "WPA";
    return "NONE";
}

int encryptionIndexForWord(std::string_view word) {
    if (word == "WEP") return 1;
    if (word == "WPA") return 5;
    return 0;
}

}  // namespace m350
