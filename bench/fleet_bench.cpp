// SPDX-License-Identifier: MIT
// m350ctl --hosts against 50 simulated printers on loopback: the wall time of
// the whole fleet against one printer's time, and the goal
// 1.25 x ceil(N / J) x one printer's time for N printers and J connections.
// One printer's time is the median of single `m350ctl --net HOST COMMAND`
// runs, process start included, as each printer of the fleet has its own.
//
//   build/bench/fleet_bench [N [J [COMMAND...]]]     (default 50 8 status)
//   build/bench/fleet_bench 50 8 config read
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "support/sim_process.h"

namespace {

using Clock = std::chrono::steady_clock;

// Runs m350ctl with args, its output thrown away; the exit status.
int runCtl(const std::vector<std::string>& args) {
    std::string cmd = M350CTL_PATH;
    for (const auto& a : args) cmd += " '" + a + "'";
    cmd += " >/dev/null 2>&1";
    const int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

double secondsOf(const std::vector<std::string>& args, int& exitCode) {
    const auto start = Clock::now();
    exitCode = runCtl(args);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const int n = argc > 1 ? std::atoi(argv[1]) : 50;
    const int jobs = argc > 2 ? std::atoi(argv[2]) : 8;
    std::vector<std::string> command;
    for (int i = 3; i < argc; ++i) command.push_back(argv[i]);
    if (command.empty()) command = {"status"};
    if (n < 1 || jobs < 1) {
        std::fprintf(stderr, "usage: fleet_bench [N [J [COMMAND...]]]\n");
        return 64;
    }

    // Without transcripts: the simulators only answer.
    m350test::SimProcess::Options options;
    options.transcript = false;
    std::vector<std::unique_ptr<m350test::SimProcess>> sims;
    for (int i = 0; i < n; ++i) {
        sims.push_back(std::make_unique<m350test::SimProcess>(options));
        if (!sims.back()->ok()) {
            std::fprintf(stderr, "simulator %d: %s\n", i, sims.back()->error().c_str());
            return 1;
        }
    }
    const std::string hostsPath = "/tmp/m350-fleet-bench-hosts." + std::to_string(::getpid());
    {
        std::ofstream hosts(hostsPath);
        for (const auto& s : sims) hosts << "127.0.0.1:" << s->tcpPort() << "\n";
    }

    // One printer, several times: the median.
    std::vector<double> single;
    for (int i = 0; i < 7; ++i) {
        std::vector<std::string> args = {"--net",
                                         "127.0.0.1:" + std::to_string(sims[0]->tcpPort())};
        args.insert(args.end(), command.begin(), command.end());
        int code = 0;
        single.push_back(secondsOf(args, code));
        if (code != 0) {
            std::fprintf(stderr, "one printer: exit %d\n", code);
            return 1;
        }
    }
    std::sort(single.begin(), single.end());
    const double one = single[single.size() / 2];

    std::vector<std::string> args = {"--hosts", hostsPath, "--jobs", std::to_string(jobs)};
    args.insert(args.end(), command.begin(), command.end());
    int code = 0;
    const double fleet = secondsOf(args, code);
    std::remove(hostsPath.c_str());

    const double rounds = std::ceil(static_cast<double>(n) / jobs);
    const double goal = 1.25 * rounds * one;
    std::printf("printers %d, connections %d, command:", n, jobs);
    for (const auto& c : command) std::printf(" %s", c.c_str());
    std::printf("\none printer      %8.3f s (median of %zu)\n", one, single.size());
    std::printf("fleet            %8.3f s (exit %d)\n", fleet, code);
    std::printf("goal             %8.3f s (1.25 x %.0f x one printer)\n", goal, rounds);
    std::printf("fleet / goal     %8.2f  %s\n", fleet / goal, fleet <= goal ? "met" : "NOT met");
    return code == 0 ? 0 : 1;
}
