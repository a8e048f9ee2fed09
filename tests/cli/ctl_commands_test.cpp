// SPDX-License-Identifier: MIT
// Status, the one-shot commands and raw send through the real binary, checked
// on the simulator's transcript.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "ctl_test_support.h"

namespace m350test {
namespace {

TEST(CtlStatus, WordJsonAndWireBytes) {
    START_SIM(sim, "--status-byte", "0x21");
    CtlRun text = runCtl(overNet(sim, {"status"}));
    EXPECT_EQ(text.exitCode, 0) << text.err;
    EXPECT_EQ(text.out, "Cover Open\n");
    EXPECT_EQ(text.err, "");

    CtlRun json = runCtl(overNet(sim, {"status", "--json"}));
    ASSERT_EQ(json.exitCode, 0) << json.err;
    auto j = nlohmann::json::parse(json.out);
    EXPECT_EQ(j["status"], "Cover Open");
    EXPECT_EQ(j["statusKey"], 49);
    EXPECT_EQ(j["flags"], nlohmann::json({1, 0, 0, 0, 0, 1, 0, 0, 0, 0}));

    auto rx = received(sim, 2);
    ASSERT_EQ(rx.size(), 2u);
    EXPECT_EQ(rx[0], std::string("\x1B!?\x1B!S\r\n"));
}

TEST(CtlStatus, RibbonDetailAndLanguage) {
    START_SIM(sim, "--status-byte", "0x08", "--ext-status", "000000000c000000");
    CtlRun run = runCtl(overNet(sim, {"status"}));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "Ribbon Encoder Err.\n");
    // Another language gives another word for the same flags.
    CtlRun other = runCtl(overNet(sim, {"--language", "2", "status"}));
    EXPECT_EQ(other.exitCode, 0);
    EXPECT_NE(other.out, run.out);
    EXPECT_FALSE(other.out.empty());
}

TEST(CtlOneShot, EachCommandSendsItsBytesAndNothingElse) {
    START_SIM(sim);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"selftest", "SELFTEST\r\n"},
        {"reset", "\x1B!R"},
        {"ignore-auto", "\x1B!C"},
        {"exit-line-mode", std::string("\x1BZ\r\n")},
    };
    for (const auto& [command, bytes] : cases) {
        CtlRun run = runCtl(overNet(sim, {command}));
        EXPECT_EQ(run.exitCode, 0) << command << ": " << run.err;
        EXPECT_EQ(run.out, "") << command;
    }
    auto rx = received(sim, cases.size());
    ASSERT_EQ(rx.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(rx[i], cases[i].second) << i;
}

TEST(CtlOneShot, FactoryDefaultWithoutPrinterPasswordRunsGateThenCommand) {
    START_SIM(sim);
    CtlRun run = runCtl(overNet(sim, {"factory-default"}));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    auto rx = received(sim, 2);
    ASSERT_EQ(rx.size(), 2u);
    EXPECT_EQ(rx[0], kGateQueries);
    EXPECT_EQ(rx[1], "INITIALPRINTER\r\n");
}

TEST(CtlSend, FileAndStandardInputGoOutByteForByte) {
    START_SIM(sim);
    TempDir dir;
    std::string bytes;
    for (int i = 0; i < 3000; ++i) bytes.push_back(static_cast<char>(i * 7));
    writeFile(dir.file("job.bin"), bytes);
    CtlRun file = runCtl(overNet(sim, {"send", dir.file("job.bin")}));
    EXPECT_EQ(file.exitCode, 0) << file.err;
    // Standard error is not a terminal here: no progress bar.
    EXPECT_EQ(file.err, "");
    CtlRun piped = runCtl(overNet(sim, {"send", "-"}), "PRINT 1\r\n");
    EXPECT_EQ(piped.exitCode, 0) << piped.err;
    auto rx = received(sim, 2);
    ASSERT_EQ(rx.size(), 2u);
    EXPECT_EQ(rx[0], bytes);
    EXPECT_EQ(rx[1], "PRINT 1\r\n");
}

TEST(CtlSend, MissingFileIsALocalErrorAndOpensNothing) {
    START_SIM(sim);
    TempDir dir;
    CtlRun run = runCtl(overNet(sim, {"send", dir.file("absent.prn")}));
    EXPECT_EQ(run.exitCode, 66);
    EXPECT_NE(run.err.find("absent.prn"), std::string::npos);
    EXPECT_TRUE(sim.transcript().empty());
}

TEST(CtlLinkFailure, ExitCodeIsTheResultWithItsExactText) {
    // A port nothing listens on: the simulator picked it and is gone.
    int closedPort = 0;
    {
        START_SIM(gone);
        closedPort = gone.tcpPort();
    }
    CtlRun open = runCtl({"--net", "127.0.0.1:" + std::to_string(closedPort), "status"});
    EXPECT_EQ(open.exitCode, 1);
    // The result text is the first line as it always was; the cause follows.
    EXPECT_EQ(open.err.substr(0, open.err.find('\n') + 1), "Port Open Error\n");
    EXPECT_NE(open.err.find("Connection refused"), std::string::npos) << open.err;
    EXPECT_EQ(open.out, "");

    // A printer that hangs up instead of answering.
    START_SIM(sim, "--fault", "drop:status");
    CtlRun recv = runCtl(overNet(sim, {"status", "--json"}));
    EXPECT_EQ(recv.exitCode, 3);
    EXPECT_EQ(recv.err, "Data Receiving Error\n");
    // --json: the failure as JSON on standard output, without a port cause.
    EXPECT_EQ(nlohmann::json::parse(recv.out),
              nlohmann::json::parse(R"({"schema": 1, "error": {"exitCode": 3,
                  "message": "Data Receiving Error", "result": 3}})"));

    // The parallel port cannot be read: refused before anything is opened.
    CtlRun lpt = runCtl({"--lpt", "LPT1", "status"}, {}, {{"M350_LPT1", "/nonexistent/lp"}});
    EXPECT_EQ(lpt.exitCode, 3);
    EXPECT_EQ(lpt.err, "Data Receiving Error\n");
}

TEST(CtlUsage, BadCommandLinesExit64AndHelpExits0) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"frobnicate"},
        {"--com", "COM31", "status"},
        {"--lpt", "LPT5", "status"},
        {"--net", "127.0.0.1:70000", "status"},
        {"--net", "bad host", "status"},
        {"--baud", "9600", "status"},  // serial settings without --com
        {"--com", "COM1", "--baud", "1234", "status"},
        {"--net", "127.0.0.1", "--com", "COM1", "status"},
        {"--password", "a", "--password-file", "f", "factory-default"},
        {"send"},
        {"config"},
        {"config", "write", "x.dcf"},  // no page
        {"config", "write", "x.dcf", "--page", "nine"},
        {"config", "read", "--unit", "furlong"},
        {"password"},
    };
    for (const auto& args : bad) {
        CtlRun run = runCtl(args);
        std::string line;
        for (const auto& a : args) line += a + " ";
        EXPECT_EQ(run.exitCode, 64) << line << run.err;
        EXPECT_FALSE(run.err.empty()) << line;
    }
    const std::vector<std::vector<std::string>> help = {
        {"--help"},
        {"status", "--help"},
        {"factory-default", "--help"},
        {"selftest", "--help"},
        {"reset", "--help"},
        {"ignore-auto", "--help"},
        {"exit-line-mode", "--help"},
        {"send", "--help"},
        {"password", "--help"},
        {"password", "set", "--help"},
        {"config", "--help"},
        {"config", "read", "--help"},
        {"config", "show", "--help"},
        {"config", "write", "--help"},
    };
    for (const auto& args : help) {
        CtlRun run = runCtl(args);
        EXPECT_EQ(run.exitCode, 0) << args[0];
        EXPECT_NE(run.out.find("Usage:"), std::string::npos) << args[0];
    }
}

// What cannot work is refused before the printer or the network is asked
// (each pair's valid address is on loopback); the top-level --json is the
// command's; a file standing for the parallel port holds what was sent.
TEST(CtlUsage, WhatCannotWorkIsRefusedFirstAndWhatCanWorks) {
    START_SIM(sim, "--file", "F:A.DAT=abc");
    TempDir dir;
    writeFile(dir.file("hosts"), "127.0.0.1:" + std::to_string(sim.tcpPort()) + "\n");
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"discover", "--broadcast", "not-an-ip", "--multicast", "127.0.0.1"},
             {"discover", "--multicast", "224.0.0", "--broadcast", "127.0.0.1"},
             overNet(sim, {"fetch", "A.DAT", "-o", ""}),
             {"--hosts", dir.file("hosts"), "--host-timeout", "nan", "status"}})
        EXPECT_EQ(runCtl(args).exitCode, 64) << args[1];
    sim.waitForQuiet();
    EXPECT_TRUE(sim.transcript().empty()) << "the printer was asked";
    EXPECT_EQ(nlohmann::json::parse(runCtl(overNet(sim, {"--json", "status"})).out)["status"],
              "Ready");
    writeFile(dir.file("lp"), std::string(100, '#'));
    EXPECT_EQ(runCtl({"--lpt", "LPT3", "send", "-"}, "PRINT 1\r\n", {{"M350_LPT3", dir.file("lp")}})
                  .exitCode,
              0);
    EXPECT_EQ(readFile(dir.file("lp")), "PRINT 1\r\n");
}

TEST(CtlSerial, StatusAndCommandOverAPseudoTerminal) {
    SimProcess sim({}, /*pty=*/true);
    ASSERT_TRUE(sim.ok()) << sim.error();
    ASSERT_FALSE(sim.ptyPath().empty());
    const std::vector<std::pair<std::string, std::string>> env = {{"M350_COM3", sim.ptyPath()}};
    CtlRun status =
        runCtl({"--com", "com3", "--baud", "115200", "--parity", "none", "status"}, {}, env);
    EXPECT_EQ(status.exitCode, 0) << status.err;
    EXPECT_EQ(status.out, "Ready\n");
    CtlRun line = runCtl({"--com", "COM3", "exit-line-mode"}, {}, env);
    EXPECT_EQ(line.exitCode, 0) << line.err;
    // How the simulator splits the opens of a pseudo-terminal into connections
    // is its own affair; the bytes in order are what count.
    const std::string expected = std::string("\x1B!?\x1B!S\r\n") + "\x1BZ\r\n";
    EXPECT_EQ(receivedAtLeast(sim, expected.size()), expected);
}

}  // namespace
}  // namespace m350test

namespace m350test {
namespace {

TEST(CtlSend, ProgressBarOnlyOnATerminal) {
    START_SIM(sim);
    TempDir dir;
    writeFile(dir.file("job.prn"), std::string(4000, 'x'));
    CtlRun run = runCtlOnTerminal(overNet(sim, {"send", dir.file("job.prn")}), {});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("Communicating... ["), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("100%"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
}

}  // namespace
}  // namespace m350test
