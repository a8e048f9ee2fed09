// SPDX-License-Identifier: MIT
// Reads a link trace (m350ctl or m350-utility --trace) and the simulator's
// transcript into the same shape, so a test can compare them: per
// connection in order of opening, its events named from the printer's side
// (the trace's TX is the printer's RX), the bytes of consecutive lines of one
// direction joined, as the two ends cut the stream into different reads.
// ERROR lines (a port that did not open) have no twin and are left out.
// tools/compare_trace.py does the same for operators.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace m350test {

struct LinkEvents {
    // ("OPEN", "tcp"|"pty"|...), ("RX", bytes), ("TX", bytes), ("CLOSE", "")
    using Events = std::vector<std::pair<std::string, std::string>>;
    std::vector<Events> connections;
    // Trace lines without a time stamp of the form 2026-12-07T13:12:52.123456Z.
    std::vector<std::string> badLines;
};

LinkEvents traceEvents(const std::string& trace);
LinkEvents transcriptEvents(const std::string& transcript);

}  // namespace m350test
