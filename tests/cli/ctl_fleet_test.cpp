// SPDX-License-Identifier: MIT
// m350ctl --hosts: one command against several simulated printers on
// loopback, one of them silent, and the hosts file and child command lines
// it works from.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "cli/fleet.h"
#include "cli/host_list.h"
#include "core/config/config_file.h"
#include "ctl_test_support.h"

namespace m350test {
namespace {

std::string label(const SimProcess& sim) {
    return "127.0.0.1:" + std::to_string(sim.tcpPort());
}

TEST(CtlFleetHosts, HostsFilesInBothForms) {
    struct Case {
        const char* what;
        std::string text;
        bool ok;
        std::vector<std::string> hosts;  // labels, or the error's start
    };
    const Case cases[] = {
        {"lines, comments, blanks and ports",
         "# shelf A\n10.0.0.5\n\n  10.0.0.6:9101  # the one by the door\r\nprinter-7\n",
         true,
         {"10.0.0.5:9100", "10.0.0.6:9101", "printer-7:9100"}},
        {"an IPv6 address in brackets", "[::1]:9102\n", true, {"[::1]:9102"}},
        {"discover --json",
         R"({"schema":1,"printers":[{"name":"A","ip":"10.0.0.5"},{"ip":"10.0.0.6","port":9101}]})",
         true,
         {"10.0.0.5:9100", "10.0.0.6:9101"}},
        {"a bare JSON array",
         R"([{"name":"A","ip":"10.0.0.5"},{"ip":"10.0.0.6","port":9101}])",
         true,
         {"10.0.0.5:9100", "10.0.0.6:9101"}},
        {"an empty JSON array", " [ ]\n", true, {}},
        {"nothing but comments", "# none yet\n", true, {}},
        {"a bad port", "10.0.0.5\n10.0.0.6:99999\n", false, {"line 2: not HOST[:PORT]"}},
        {"a shell word", "10.0.0.5;reboot\n", false, {"line 1: "}},
        {"the any-address, which reaches this computer",
         "10.0.0.5\n0.0.0.0:9100\n",
         false,
         {"line 2: not a printer's address"}},
        {"JSON without an address", R"([{"name":"A"}])", false, {"printer 1: no \"ip\""}},
        {"JSON with a printer whose reply carried no address",
         R"([{"ip":"0.0.0.0"},{"ip":"10.0.0.6"}])",
         true,
         {"10.0.0.6:9100"}},
        {"JSON with a name that is no address",
         R"([{"ip":"a b"}])",
         false,
         {"printer 1: not an address"}},
        {"broken JSON", "[{\"ip\":", false, {"not a JSON list"}},
        {"JSON of something else", R"({"schema":1,"ports":[]})", false, {"not a JSON list"}},
    };
    for (const auto& c : cases) {
        std::vector<m350::NetAddress> hosts;
        std::string error;
        EXPECT_EQ(m350::cli::parseHostList(c.text, hosts, error), c.ok) << c.what << ": " << error;
        if (c.ok) {
            std::vector<std::string> labels;
            for (const auto& h : hosts) labels.push_back(m350::cli::hostLabel(h));
            EXPECT_EQ(labels, c.hosts) << c.what;
        } else {
            EXPECT_EQ(error.rfind(c.hosts.front(), 0), 0u) << c.what << ": " << error;
        }
    }
}

TEST(CtlFleetHosts, EachPrinterGetsItsOwnCommandLine) {
    m350::NetAddress host{"10.0.0.6", 9101};
    struct Case {
        std::vector<std::string> argv, expected;
    };
    const Case cases[] = {
        {{"m350ctl", "--hosts", "f", "--jobs", "4", "status", "--json"},
         {"m350ctl", "--net", "10.0.0.6:9101", "status", "--json"}},
        {{"m350ctl", "--hosts=f", "--jobs=4", "--host-timeout=2.5", "config", "read", "-o",
          "out-{host}.dcf"},
         {"m350ctl", "--net", "10.0.0.6:9101", "config", "read", "-o", "out-10.0.0.6_9101.dcf"}},
        // After "--" an argument is a file name, even one called --jobs.
        {{"m350ctl", "--hosts", "f", "send", "--", "--jobs"},
         {"m350ctl", "--net", "10.0.0.6:9101", "send", "--", "--jobs"}},
    };
    for (const auto& c : cases) EXPECT_EQ(m350::cli::childArguments(c.argv, host), c.expected);
}

// Three printers answer, one accepts the connection and never answers: the
// silent one costs its own time limit, the others report at once, in the
// file's order, and the exit status says something failed.
TEST(CtlFleet, OneResultLinePerPrinterAndASilentOneFailsAlone) {
    START_SIM(a);
    START_SIM(b, "--status-byte", "0x04");
    START_SIM(silent, "--fault", "silent");
    START_SIM(last);
    TempDir dir;
    const std::string hosts = dir.file("hosts");
    writeFile(hosts, "# the shelf\n" + label(a) + "\n" + label(b) + "\n" + label(silent) +
                         "  # quiet one\n" + label(last) + "\n");

    // With a time limit every printer runs in a process of its own, ended
    // at the limit.
    struct Case {
        std::vector<std::string> extra;
        std::string silentLine;
    };
    const Case cases[] = {
        {{}, "  failed: no answer within 2.50 s\n"},
        {{"--isolate"}, "  failed: no answer within 2.50 s\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"--hosts", hosts, "--jobs", "2", "--host-timeout", "2.5"};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        args.push_back("status");
        const auto started = std::chrono::steady_clock::now();
        CtlRun run = runCtl(args);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        EXPECT_EQ(run.exitCode, 3) << run.err;
        const std::string expected = label(a) + "  ok  Ready\n" + label(b) +
                                     "  ok  Out of Paper\n" + label(silent) + c.silentLine +
                                     label(last) + "  ok  Ready\n";
        ASSERT_GE(run.out.size(), expected.size()) << run.out;
        EXPECT_EQ(run.out.substr(0, expected.size()), expected);
        EXPECT_EQ(run.out.substr(expected.size()).rfind("4 printers: 3 ok, 1 failed (", 0), 0u)
            << run.out;
        // The silent printer's 2.5 s and three quick ones, never 2 x 2.5 s: the
        // margin leaves room for starting processes on a busy machine.
        EXPECT_LT(seconds, 4.9);
    }

    CtlRun json = runCtl({"--hosts", hosts, "--host-timeout", "1", "status", "--json"});
    EXPECT_EQ(json.exitCode, 3);
    const auto j = nlohmann::json::parse(json.out);
    ASSERT_EQ(j["printers"].size(), 4u);
    EXPECT_EQ(j["printers"][0]["port"], a.tcpPort());
    EXPECT_EQ(j["printers"][1]["output"]["status"], "Out of Paper");
    EXPECT_EQ(j["printers"][2]["ok"], false);
    EXPECT_EQ(j["printers"][2]["exit"], 3);
    EXPECT_EQ(j["printers"][3]["output"]["flags"].size(), 10u);
    EXPECT_EQ(j["summary"]["ok"], 3);
    EXPECT_EQ(j["summary"]["failed"], 1);
}

TEST(CtlFleet, AFailureKeepsItsTextAndTheOthersSucceed) {
    START_SIM(a);
    TempDir dir;
    const std::string hosts = dir.file("hosts");
    // Nothing listens on port 1 of the loopback: the link's own error.
    writeFile(hosts, "127.0.0.1:1\n" + label(a) + "\n");
    CtlRun run = runCtl({"--hosts", hosts, "status"});
    EXPECT_EQ(run.exitCode, 1) << run.err;
    // The failed printer's line carries the link's text, then its cause.
    EXPECT_EQ(run.out.rfind("127.0.0.1:1  failed (exit 1)  Port Open Error\n"
                            "    m350ctl: 127.0.0.1:1: Connection refused",
                            0),
              0u)
        << run.out;
    EXPECT_NE(run.out.find("\n" + label(a) + "  ok  Ready\n2 printers: 1 ok, 1 failed"),
              std::string::npos)
        << run.out;

    // Usage: the hosts file must be there and name printers, and --hosts
    // stands for the connection options.
    struct Case {
        std::vector<std::string> args;
        int exitCode;
    };
    writeFile(dir.file("empty"), "# nobody\n");
    writeFile(dir.file("bad"), "10.0.0.5:0\n");
    const Case cases[] = {
        {{"--hosts", dir.file("missing"), "status"}, 66},
        {{"--hosts", dir.file("empty"), "status"}, 65},
        {{"--hosts", dir.file("bad"), "status"}, 65},
        {{"--hosts", hosts, "--net", "127.0.0.1", "status"}, 64},
        {{"--hosts", hosts, "--jobs", "0", "status"}, 64},
        {{"--jobs", "2", "status"}, 64},
    };
    for (const auto& c : cases) EXPECT_EQ(runCtl(c.args).exitCode, c.exitCode) << c.args[1];
}

// The operator's round: one .dcf to the whole fleet with --verify; the
// printer that refused a setting is the one that fails, with the setting.
TEST(CtlFleet, AFleetWriteFindsThePrinterThatRefusedASetting) {
    START_SIM(a);
    START_SIM(refusing, "--read-only", "DENSITY");
    START_SIM(c);
    TempDir dir;
    const std::string file = dir.file("fleet.dcf");
    ASSERT_EQ(runCtl(overNet(a, {"config", "read", "-o", file})).exitCode, 0);
    m350::ConfigFileContents contents;
    ASSERT_EQ(m350::loadConfigFile(file, contents), m350::ConfigFileResult::kOk);
    contents.record.setInteger(m350::Field::density, 12);
    ASSERT_EQ(m350::saveConfigFile(file, contents), m350::ConfigFileResult::kOk);
    const std::string hosts = dir.file("hosts");
    writeFile(hosts, label(a) + "\n" + label(refusing) + "\n" + label(c) + "\n");

    CtlRun run =
        runCtl({"--hosts", hosts, "config", "write", file, "--page", "common", "--verify"});
    EXPECT_EQ(run.exitCode, 10) << run.err;
    EXPECT_EQ(run.out.rfind(label(a) + "  ok\n" + label(refusing) +
                                "  failed (exit 10)  m350ctl: verify: the printer did not take 1 "
                                "setting",
                            0),
              0u)
        << run.out;
    EXPECT_NE(run.out.find("\n    density                 12  8\n" + label(c) + "  ok\n"),
              std::string::npos)
        << run.out;
}

// --host-timeout ends a printer's whole run, not each wait: a printer taking
// 0.4 s a query would read its configuration for half a minute. --trace gives
// each printer its own FILE.HOST_PORT, in threads and in processes alike.
TEST(CtlFleet, TheTimeLimitEndsAWholeRunAndEachPrinterTracesToItsOwnFile) {
    START_SIM(slow, "--fault", "slow:400");
    START_SIM(quick);
    TempDir dir;
    const std::string hosts = dir.file("hosts"), trace = dir.file("t");
    writeFile(hosts, label(slow) + "\n" + label(quick) + "\n");
    const auto started = std::chrono::steady_clock::now();
    const CtlRun run = runCtl({"--hosts", hosts, "--host-timeout", "1", "config", "read"});
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(4));
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.out.rfind(label(slow) + "  failed: no answer within 1.00 s\n", 0), 0u) << run.out;
    for (const char* isolate : {"--jobs=8", "--isolate"}) {
        EXPECT_EQ(runCtl({"--hosts", hosts, isolate, "--trace", trace, "status"}).exitCode, 0);
        EXPECT_FALSE(std::filesystem::exists(trace));
        for (std::string file : {label(slow), label(quick)}) {
            std::replace(file.begin(), file.end(), ':', '_');
            EXPECT_NE(readFile(trace + "." + file).find(" CLOSE"), std::string::npos) << file;
            std::filesystem::remove(trace + "." + file);
        }
    }
}

}  // namespace
}  // namespace m350test
