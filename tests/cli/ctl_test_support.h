// SPDX-License-Identifier: MIT
// Shared pieces of the m350ctl tests: a simulator on loopback TCP and the
// command line that reaches it.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "run_ctl.h"
#include "support/sim_process.h"

namespace m350test {

// m350ctl's connection options for the simulator's TCP port, then args.
inline std::vector<std::string> overNet(const SimProcess& sim, std::vector<std::string> args) {
    args.insert(args.begin(), {"--net", "127.0.0.1:" + std::to_string(sim.tcpPort())});
    return args;
}

// What the gate's password read sends over the network.
inline const std::string kGateQueries =
    "\r\nDIAGNOSTIC INTERFACE NET\r\nDIAGNOSTIC REPORT EDITION\r\nDIAGNOSTIC REPORT PASSWORD\r\n";

// The bytes received on each connection, once count connections have closed.
inline std::vector<std::string> received(const SimProcess& sim, std::size_t count) {
    EXPECT_TRUE(sim.waitForClosed(count));
    std::vector<std::string> rx;
    for (const auto& c : sim.transcript()) rx.push_back(c.rx);
    return rx;
}

// Everything the simulator has received once it holds at least size bytes (a
// pseudo-terminal hands bytes over after the writer may have gone); at most 5 s.
inline std::string receivedAtLeast(const SimProcess& sim, std::size_t size) {
    std::string all = sim.allRx();
    for (int i = 0; i < 500 && all.size() < size; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        all = sim.allRx();
    }
    return all;
}

#define START_SIM(name, ...)                                \
    SimProcess name(std::vector<std::string>{__VA_ARGS__}); \
    ASSERT_TRUE(name.ok()) << name.error()

}  // namespace m350test
