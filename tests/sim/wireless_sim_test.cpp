// SPDX-License-Identifier: MIT
// The scans and the external module of the simulated printer, driven over
// raw TCP sockets.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "sim_client.h"
#include "sim_process.h"
#include "support/test_files.h"

using m350test::frame;

namespace {

using m350test::SimProcess;

using Client = m350test::SimClient;

#define START(sim, ...)                                    \
    SimProcess sim(std::vector<std::string>{__VA_ARGS__}); \
    ASSERT_TRUE(sim.ok()) << sim.error()

struct ScanCase {
    const char* what;
    std::vector<std::string> args;
    std::string key;
    std::string payload;
};

TEST(SimScans, ListsFromTheCommandLine) {
    const ScanCase cases[] = {
        {"access points given",
         {"--ap", "Office,2", "--ap", "Lab,1,-70"},
         "SCANAP",
         "2\rOffice,2,-50\rLab,1,-70\r"},
        {"no access point heard", {"--ap", "none"}, "SCANAP", "0\r"},
        {"no wireless module", {"--wifi", "off", "--ap", "Office,2"}, "SCANAP", "-1\r"},
        {"devices given",
         {"--bt", "Scanner,02:00:00:00:00:0A", "--bt", ",02:00:00:00:00:0B"},
         "SCANBT",
         "2\rScanner,02:00:00:00:00:0A\r,02:00:00:00:00:0B\r"},
        {"no device found", {"--bt", "none"}, "SCANBT", "0\r"},
        {"no Bluetooth module", {"--bluetooth", "no"}, "SCANBT", "-1\r"},
        {"made-up neighbours", {}, "SCANAP", "3\rSimNet,2,-41\rGuestNet,0,-67\rOldLab,1,-80\r"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--scan-delay", "0"});
        SimProcess sim(args);
        ASSERT_TRUE(sim.ok()) << c.what << ": " << sim.error();
        Client client(sim.tcpPort());
        ASSERT_TRUE(client.ok());
        EXPECT_EQ(client.report(c.key), frame(c.payload)) << c.what;
    }
}

TEST(SimScans, BadListEntriesAreRefused) {
    for (const char* arg : {"--ap=NoComma", "--bt=NoComma"}) {
        SimProcess sim(std::vector<std::string>{arg});
        EXPECT_FALSE(sim.ok()) << arg;
    }
}

TEST(SimModule, PassThroughAnswersTheAtCommands) {
    START(sim, "--ext-module", "SIMBT");
    Client c(sim.tcpPort());
    ASSERT_TRUE(c.ok());
    ASSERT_TRUE(c.send("DEBUG 4193,7,2\r\n"));
    EXPECT_EQ(c.readUntil("U"), "U");
    const std::pair<std::string, std::string> exchanges[] = {
        {"\r\rAT+STA\r", "\r\n+STA:1\r\n"}, {"AT+GLN\r", "\r\n+LN:SIMBT\r\n"},
        {"at+sln=PRN01\r", "\r\n1\r\n"},    {"at+pin=1234\r", "\r\n1\r\n"},
        {"AT+GLN\r", "\r\n+LN:PRN01\r\n"},  {"AT+XYZ\r", "\r\nERROR\r\n"},
    };
    for (const auto& [command, answer] : exchanges) {
        ASSERT_TRUE(c.send(command));
        EXPECT_EQ(c.readUntil(answer.substr(answer.size() - 2)), answer) << command;
    }
    // A reset ends the pass-through mode: the module no longer answers.
    ASSERT_TRUE(c.send("\x1b!R"));
    ASSERT_TRUE(c.send("AT+GLN\r"));
    const std::string after = c.readUntil("\n", 500);
    EXPECT_EQ(after, "");
}

TEST(SimModule, WithoutAModuleDebugIsNotConfirmed) {
    START(sim);
    Client c(sim.tcpPort());
    ASSERT_TRUE(c.send("SET COM1 115,N,8,1\r\nDEBUG 4193,7,2\r\n"));
    EXPECT_EQ(c.readUntil("U", 500), "");
}

}  // namespace
