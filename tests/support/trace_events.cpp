// SPDX-License-Identifier: MIT
#include "support/trace_events.h"

#include <map>
#include <regex>
#include <sstream>

#include "support/sim_process.h"

namespace m350test {

namespace {

LinkEvents read(const std::string& text, bool trace) {
    static const std::regex kStamp(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{6}Z)");
    LinkEvents out;
    std::map<int, LinkEvents::Events> byId;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream f(line);
        std::string stamp, what, detail;
        int id = 0;
        if (trace) {
            f >> stamp;
            if (!std::regex_match(stamp, kStamp)) out.badLines.push_back(line);
        }
        f >> id >> what >> detail;
        if (what == "ERROR") continue;
        if (trace && what == "TX")
            what = "RX";
        else if (trace && what == "RX")
            what = "TX";
        LinkEvents::Events& ev = byId[id];
        if (what == "TX" || what == "RX") {
            if (!ev.empty() && ev.back().first == what)
                ev.back().second += decodeHex(detail);
            else
                ev.emplace_back(what, decodeHex(detail));
        } else {
            // The simulator's end of a serial line is its pseudo-terminal.
            ev.emplace_back(what, trace && detail == "serial" ? "pty" : detail);
        }
    }
    for (auto& [id, ev] : byId) out.connections.push_back(std::move(ev));
    return out;
}

}  // namespace

LinkEvents traceEvents(const std::string& trace) {
    return read(trace, true);
}

LinkEvents transcriptEvents(const std::string& transcript) {
    return read(transcript, false);
}

}  // namespace m350test
