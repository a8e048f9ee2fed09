// SPDX-License-Identifier: MIT
// m350ctl --hosts FILE: one command run against many network printers at
// once, at most --jobs of them at a time, so a printer that does not answer
// holds up only its own slot, and only until its own time limit. Each
// printer's run is the command line again with --net HOST:PORT instead of
// --hosts: parsed afresh and run in a thread of this process, or with
// --isolate (and for commands that draw fonts or may ask at a terminal) in a
// process of its own.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/transport/port_settings.h"

namespace CLI {
class App;
}

namespace m350::cli {

struct FleetOptions {
    std::string hostsFile;   // --hosts; empty: one printer as usual
    int jobs = 8;            // --jobs: printers worked on at the same time
    double hostTimeout = 0;  // --host-timeout seconds; 0: the link's own limits only
    bool json = false;       // the top-level --json (a command's own --json counts too)
    bool isolate = false;    // --isolate: a process per printer
};

// Registers --hosts, --jobs and --host-timeout (and --json on the top level
// when no other part has) on the top-level command. Call after the
// connection options: --hosts excludes them.
void addFleetOptions(CLI::App& app, FleetOptions& options);

// "host:port" ("[v6]:port" for an IPv6 address).
std::string hostLabel(const m350::NetAddress& a);

// The command line of one printer's run: argv without the fleet options,
// with --net HOST:PORT after the program name, and "{host}" in any argument
// replaced by the printer's label with ':' as '_' (so each printer can write
// its own file).
std::vector<std::string> childArguments(const std::vector<std::string>& argv,
                                        const m350::NetAddress& host);

// What one printer's run gave.
struct HostResult {
    m350::NetAddress host;
    int exitCode = -1;
    bool timedOut = false;
    std::string out, err;
    double seconds = 0;
};

// Runs the command against every printer of the hosts file and prints one
// result line per printer (in the file's order) and a summary, or with
// json one JSON document. inProcess: threads unless --isolate; otherwise a
// process per printer. --host-timeout caps a thread's network time limits
// and ends a process outright. The exit status: 0 when every printer
// succeeded, else the status of the first that failed (3 for a process
// ended at its time limit).
int runFleet(const std::vector<std::string>& argv, const FleetOptions& options, bool json,
             bool inProcess);

}  // namespace m350::cli
