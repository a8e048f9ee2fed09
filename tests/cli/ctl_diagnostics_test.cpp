// SPDX-License-Identifier: MIT
// What m350ctl tells an operator who must find out what went wrong: the trace
// of every byte (compared with what the simulator saw), the cause under a
// result text, errors and status flags as JSON.
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <nlohmann/json.hpp>

#include "ctl_test_support.h"
#include "support/trace_events.h"

namespace m350test {
namespace {

TEST(CtlTrace, MatchesTheSimulatorsTranscriptEventForEvent) {
    TempDir dir;
    writeFile(dir.file("label.txt"), std::string(1500, 'A') + "PRINT 1\r\n");
    // Each command is a fresh run against a fresh printer, so connection
    // numbers on both sides start at 1.
    const std::vector<std::vector<std::string>> commands = {
        {"status"},                       // one connection, two exchanges
        {"config", "read"},               // many reports in one connection
        {"send", dir.file("label.txt")},  // writes in several chunks
        {"clock", "get"},
    };
    for (const auto& command : commands) {
        SCOPED_TRACE(command[0] + (command.size() > 1 ? " " + command[1] : ""));
        START_SIM(sim);
        const std::string tracePath = dir.file("trace.txt");
        std::vector<std::string> args = overNet(sim, command);
        args.insert(args.begin(), {"--trace", tracePath});
        CtlRun run = runCtl(args);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        ASSERT_TRUE(sim.waitForQuiet());
        const std::string trace = readFile(tracePath);
        const std::string transcript = readFile(sim.transcriptPath());
        const LinkEvents traced = traceEvents(trace);
        EXPECT_TRUE(traced.badLines.empty()) << traced.badLines.front();
        const auto& ours = traced.connections;
        const auto theirs = transcriptEvents(transcript).connections;
        ASSERT_FALSE(ours.empty()) << trace;
        EXPECT_EQ(ours, theirs) << "trace:\n" << trace << "transcript:\n" << transcript;
        EXPECT_EQ(ours.front().front(), (std::pair<std::string, std::string>("OPEN", "tcp")));
        EXPECT_EQ(ours.front().back().first, "CLOSE");

        // The tool operators use gives the same verdict.
        if (std::system("python3 --version >/dev/null 2>&1") == 0) {
            const std::string tool = std::string(M350_SOURCE_DIR) + "/tools/compare_trace.py";
            const std::string cmd = "python3 '" + tool + "' '" + tracePath + "' '" +
                                    sim.transcriptPath() + "' >/dev/null";
            EXPECT_EQ(std::system(cmd.c_str()), 0);
        }
        ::unlink(tracePath.c_str());
    }
}

TEST(CtlTrace, RefusesWhatIsNotARegularFileAndNamesIt) {
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
    ::mkdir(dir.file("folder").c_str(), 0700);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {dir.file("fifo"), "a FIFO"},  // would block an open for writing
        {dir.file("folder"), "a directory"},
        {"/dev/null", "a device"},
        {dir.file("missing/trace.txt"), "No such file or directory"},
    };
    for (const auto& [path, why] : cases) {
        CtlRun run = runCtl({"--net", "127.0.0.1:9", "--trace", path, "status"});
        EXPECT_EQ(run.exitCode, 73) << path;
        EXPECT_NE(run.err.find(path), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(why), std::string::npos) << run.err;
    }
}

// A loopback port nothing listens on: bound, then closed.
int closedPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

struct CauseCase {
    const char* name;
    std::vector<std::string> args;  // connection options
    std::vector<std::pair<std::string, std::string>> env;
    std::string device;  // named on the second line
    std::string reason;  // the system's words, empty when they vary
    std::string fault;   // in JSON
    std::string hint;    // a piece of the hint
};

// Runs status on the case's port, as text and as JSON, and checks both.
void expectCause(const CauseCase& c) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> text = c.args;
    text.push_back("status");
    CtlRun run = runCtl(text, {}, c.env);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    // The result text is the first line, exactly as the result table words it.
    ASSERT_EQ(run.err.rfind("Port Open Error\n", 0), 0u) << run.err;
    const std::string second = run.err.substr(16);
    EXPECT_EQ(second.rfind("m350ctl: " + c.device + ": " + c.reason, 0), 0u) << second;
    EXPECT_NE(second.find(c.hint), std::string::npos) << second;
    EXPECT_EQ(std::count(second.begin(), second.end(), '\n'), 1) << second;

    std::vector<std::string> json = text;
    json.push_back("--json");
    CtlRun j = runCtl(json, {}, c.env);
    EXPECT_EQ(j.exitCode, 1);
    EXPECT_EQ(j.err, run.err);
    const auto e = nlohmann::json::parse(j.out)["error"];
    EXPECT_EQ(e["exitCode"], 1);
    EXPECT_EQ(e["result"], 1);
    EXPECT_EQ(e["message"], "Port Open Error");
    EXPECT_EQ(e["fault"], c.fault);
    EXPECT_EQ(e["device"], c.device);
    if (!c.reason.empty()) {
        EXPECT_EQ(e["reason"], c.reason);
    }
    EXPECT_NE(e["hint"].get<std::string>().find(c.hint), std::string::npos);
}

TEST(CtlErrorCause, SecondLineAndJsonNameDeviceReasonAndFix) {
    TempDir dir;
    const int port = closedPort();
    const std::string heldPath = dir.file("held-tty");
    const std::string plainPath = dir.file("plain-file");
    writeFile(plainPath, "\x1b!?secret\r\n");
    writeFile(heldPath, "");
    // Another program holds the port: its lock on the device.
    const int held = ::open(heldPath.c_str(), O_RDWR);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);

    std::vector<CauseCase> cases = {
        {"refused",
         {"--net", "127.0.0.1:" + std::to_string(port)},
         {},
         "127.0.0.1:" + std::to_string(port),
         "Connection refused",
         "refused",
         "port number"},
        // .invalid never resolves; the resolver's words differ with and
        // without a name server.
        {"unknown host",
         {"--net", "printer.invalid"},
         {},
         "printer.invalid:9100",
         "",
         "host-unknown",
         "give its IP address"},
        {"missing serial device",
         {"--com", "COM7"},
         {{"M350_COM7", dir.file("ttyUSB9")}},
         dir.file("ttyUSB9"),
         "No such file or directory",
         "no-device",
         "cable or adapter"},
        {"busy serial device",
         {"--com", "COM7"},
         {{"M350_COM7", heldPath}},
         heldPath,
         "Device or resource busy",
         "busy",
         "another program"},
        // A file that is there but is no terminal is never read as a printer.
        {"not a terminal",
         {"--com", "COM7"},
         {{"M350_COM7", plainPath}},
         plainPath,
         "not a terminal device",
         "no-device",
         "cable or adapter"},
    };
    for (const auto& c : cases) expectCause(c);
    ::close(held);
}

TEST(CtlErrorCause, PermissionDeniedNamesTheGroup) {
    if (::geteuid() == 0) GTEST_SKIP() << "root opens a file of mode 000 all the same";
    TempDir dir;
    const std::string locked = dir.file("ttyS7");
    writeFile(locked, "");
    ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
    expectCause({"permission denied",
                 {"--com", "COM7"},
                 {{"M350_COM7", locked}},
                 locked,
                 "Permission denied",
                 "permission",
                 "dialout group"});
}

TEST(CtlErrorCause, LocalFailuresAndReceiveErrorsInJson) {
    // A printer that hangs up instead of answering: the port opened, so there
    // is no cause to add.
    START_SIM(sim, "--fault", "drop:status");
    CtlRun run = runCtl(overNet(sim, {"status", "--json"}), {}, {});
    EXPECT_NE(run.exitCode, 0);
    const auto e = nlohmann::json::parse(run.out)["error"];
    EXPECT_EQ(e["result"], run.exitCode);
    EXPECT_FALSE(e.contains("device")) << run.out;
    EXPECT_EQ(run.err.find("m350ctl:"), std::string::npos) << run.err;
}

TEST(CtlStatusJson, FlagsHaveNames) {
    // 0x21: cover open and printing.
    START_SIM(sim, "--status-byte", "0x21");
    CtlRun run = runCtl(overNet(sim, {"status", "--json"}));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto named = nlohmann::json::parse(run.out)["flagsByName"];
    const std::vector<std::pair<const char*, bool>> expected = {
        {"coverOpen", true},   {"paperJam", false},   {"outOfPaper", false},
        {"ribbon", false},     {"pause", false},      {"printing", true},
        {"bit6", false},       {"otherError", false}, {"ribbonEncoderError", false},
        {"outOfRibbon", false}};
    ASSERT_EQ(named.size(), expected.size()) << run.out;
    for (const auto& [name, value] : expected) EXPECT_EQ(named[name], value) << name;
}

}  // namespace
}  // namespace m350test
