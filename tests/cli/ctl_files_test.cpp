// SPDX-License-Identifier: MIT
// download, firmware, memory, format and fetch through the real m350ctl binary,
// checked on the simulator's transcript and log.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/terminal_progress.h"
#include "ctl_test_support.h"

namespace m350test {
namespace {

std::string bytesOf(std::size_t n, int seed) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>(i * seed + 3);
    return s;
}

TEST(CtlDownload, SeveralFilesEachWithTheNameRuleAfterOneGate) {
    START_SIM(sim);
    TempDir dir;
    struct Case {
        const char* file;
        std::size_t size;
        const char* header;  // without the size
    };
    const Case cases[] = {
        {"Company_Logo.bmp", 1234, "DOWNLOAD E,\"Company_.BMP\","},
        {"ABCDEFGHIJ.pcx", 600, "DOWNLOAD E,\"ABCDEFGH.PCX\","},
        {"prices.csv", 0, "DOWNLOAD E,\"prices\","},  // data: no extension; size 0, no bytes
        {"Startup.Bas", 40, "DOWNLOAD E,\"Startup.BAS\","},
    };
    std::vector<std::string> args = {"download", "--device", "card"};
    for (const auto& c : cases) {
        writeFile(dir.file(c.file), bytesOf(c.size, 7));
        args.push_back(dir.file(c.file));
    }
    CtlRun run = runCtl(overNet(sim, args));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    auto rx = received(sim, 5);
    ASSERT_EQ(rx.size(), 5u);
    EXPECT_EQ(rx[0], kGateQueries);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(rx[i + 1],
                  cases[i].header + std::to_string(cases[i].size) + "," + bytesOf(cases[i].size, 7))
            << cases[i].file;
    EXPECT_NE(run.out.find("-> CARD:Company_.BMP (1234 bytes)"), std::string::npos) << run.out;
    EXPECT_TRUE(sim.waitForLog("stored C:Startup.BAS 40 bytes"));
}

TEST(CtlDownload, NameTypeAndDeviceOptions) {
    START_SIM(sim);
    TempDir dir;
    writeFile(dir.file("logo.png"), "PNG");
    struct Case {
        std::vector<std::string> options;
        const char* header;
    };
    const Case cases[] = {
        {{}, "DOWNLOAD F,\"logo\",3,"},  // flash by default, .png is data
        {{"--type", "bmp"}, "DOWNLOAD F,\"logo.BMP\",3,"},
        {{"--type", "font", "--device", "dram"}, "DOWNLOAD \"logo\",3,"},
        {{"--name", std::string(30, 'N')}, nullptr},
    };
    std::size_t connections = 0;
    for (const auto& c : cases) {
        std::vector<std::string> args = {"download", dir.file("logo.png")};
        args.insert(args.end(), c.options.begin(), c.options.end());
        CtlRun run = runCtl(overNet(sim, args));
        ASSERT_EQ(run.exitCode, 0) << run.err;
        connections += 2;
        auto rx = received(sim, connections);
        ASSERT_EQ(rx.size(), connections);
        const std::string expected = c.header ? std::string(c.header) + "PNG"
                                              : "DOWNLOAD F,\"" + std::string(30, 'N') + "\",3,PNG";
        EXPECT_EQ(rx.back(), expected);
    }
}

TEST(CtlDownload, RefusedBeforeAnythingIsSent) {
    START_SIM(sim);
    TempDir dir;
    writeFile(dir.file("a.bmp"), "a");
    writeFile(dir.file("b.bmp"), "b");
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        const char* message;
    };
    const Case cases[] = {
        {{"download", dir.file("a.bmp"), "--name", std::string(31, 'N')}, 65, "at most 30"},
        {{"download", dir.file("a.bmp"), "--name", "A\"B"}, 65, "double quote"},
        {{"download", dir.file("a.bmp"), dir.file("b.bmp"), "--name", "X"}, 64, "one file"},
        {{"download", dir.file("a.bmp"), dir.file("absent.bmp")}, 66, "absent.bmp"},
        {{"download", dir.path()}, 66, "folder"},
        {{"download", dir.file("a.bmp"), "--device", "tape"}, 64, ""},
        {{"firmware", dir.file("absent.new")}, 66, "absent.new"},
    };
    for (const auto& c : cases) {
        CtlRun run = runCtl(overNet(sim, c.args));
        EXPECT_EQ(run.exitCode, c.exitCode) << c.args.back() << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
    EXPECT_TRUE(sim.transcript().empty());
}

TEST(CtlFirmware, BytesUnchangedThenTheLedNotice) {
    START_SIM(sim);
    TempDir dir;
    const std::string image = bytesOf(200000, 131);
    writeFile(dir.file("T10101.NEW"), image);
    CtlRun run = runCtl(overNet(sim, {"firmware", dir.file("T10101.NEW")}));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Please wait for the LED to change to Green.\n");
    auto rx = received(sim, 2);
    ASSERT_EQ(rx.size(), 2u);
    EXPECT_EQ(rx[0], kGateQueries);
    EXPECT_EQ(rx[1], image);
}

TEST(CtlMemory, TextAndJsonForAllOrOneDevice) {
    START_SIM(sim, "--file", "F:LOGO.BMP=bm", "--file", "F:AUTO.BAS=10", "--set", "CPHYSPACE=64");
    CtlRun text = runCtl(overNet(sim, {"memory"}));
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_EQ(text.out,
              "DRAM   physical 1048576 KB, free 1048576 KB\n"
              "FLASH  physical 4194304 KB, free 4194302 KB\n"
              "  LOGO.BMP\n"
              "  AUTO.BAS\n"
              "CARD   physical 64 KB, free -\n");
    CtlRun json = runCtl(overNet(sim, {"memory", "--device", "flash", "--json"}));
    ASSERT_EQ(json.exitCode, 0) << json.err;
    auto j = nlohmann::json::parse(json.out)["devices"];
    ASSERT_EQ(j.size(), 1u);
    EXPECT_EQ(j[0]["device"], "FLASH");
    EXPECT_EQ(j[0]["physicalKB"], 4194304);
    EXPECT_EQ(j[0]["files"], nlohmann::json({"LOGO.BMP", "AUTO.BAS"}));
    CtlRun card = runCtl(overNet(sim, {"memory", "--device", "card", "--json"}));
    EXPECT_TRUE(nlohmann::json::parse(card.out)["devices"][0]["freeKB"].is_null());
    // One connection each, the whole sequence on it.
    auto rx = received(sim, 3);
    EXPECT_EQ(rx.size(), 3u);
}

TEST(CtlFormat, AsksOnATerminalAndRefusesWithoutOne) {
    START_SIM(sim, "--file", "D:A.DAT=a");
    // No terminal, no --yes: nothing at all is sent.
    CtlRun refused = runCtl(overNet(sim, {"format", "dram"}));
    EXPECT_EQ(refused.exitCode, 11);
    EXPECT_NE(refused.err.find("--yes"), std::string::npos);
    EXPECT_TRUE(sim.transcript().empty());
    // Answered no on the terminal: nothing sent, no password asked.
    CtlRun no = runCtlOnTerminal(overNet(sim, {"format", "dram"}), {{"[y/N]", "n"}});
    EXPECT_EQ(no.exitCode, 11);
    EXPECT_TRUE(sim.transcript().empty());
    // Yes on the terminal, and --yes, go through the gate to the KILL form.
    CtlRun yes = runCtlOnTerminal(overNet(sim, {"format", "card"}), {{"[y/N]", "y"}});
    EXPECT_EQ(yes.exitCode, 0) << yes.err;
    CtlRun given = runCtl(overNet(sim, {"format", "DRAM", "--yes"}));
    EXPECT_EQ(given.exitCode, 0) << given.err;
    auto rx = received(sim, 4);
    ASSERT_EQ(rx.size(), 4u);
    EXPECT_EQ(rx[0], kGateQueries);
    EXPECT_EQ(rx[1], "KILL E,\"*.*\"\r\n");
    EXPECT_EQ(rx[3], "KILL \"*.*\"\r\n");
    EXPECT_TRUE(sim.waitForLog("formatted D"));
}

TEST(CtlFetch, AStoredFileToAFileOrStandardOutput) {
    START_SIM(sim, "--file", "D:Dump.txt=line one\nline two");
    TempDir dir;
    CtlRun run = runCtl(overNet(sim, {"fetch", "Dump.txt", "-o", dir.file("dump.txt")}));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(readFile(dir.file("dump.txt")), "line one\nline two");
    CtlRun out = runCtl(overNet(sim, {"fetch", "Dump.txt", "-o", "-"}));
    EXPECT_EQ(out.out, "line one\nline two");
    auto rx = received(sim, 2);
    ASSERT_EQ(rx.size(), 2u);
    EXPECT_EQ(rx[0], "\r\nDIAGNOSTIC FILE \"Dump.txt\"\r\n\r\n");
    // A printer that hangs up instead of answering is asked three times in all.
    START_SIM(broken, "--fault", "drop:FILE");
    CtlRun failed = runCtl(overNet(broken, {"fetch", "Dump.txt", "-o", dir.file("x")}));
    EXPECT_EQ(failed.exitCode, 3);
    EXPECT_EQ(failed.err, "Data Receiving Error\n");
    EXPECT_EQ(received(broken, 3).size(), 3u);
}

TEST(CtlDownload, TerminalShowsBytesRateAndPercent) {
    START_SIM(sim);
    TempDir dir;
    writeFile(dir.file("big.dat"), std::string(300000, 'd'));
    CtlRun ok = runCtlOnTerminal(overNet(sim, {"download", dir.file("big.dat")}), {});
    EXPECT_EQ(ok.exitCode, 0) << ok.err;
    EXPECT_NE(ok.err.find("100%"), std::string::npos) << ok.err;
    EXPECT_NE(ok.err.find("293.0 KiB of 293.0 KiB"), std::string::npos) << ok.err;
}

TEST(CtlProgress, AmountsRatesAndTimeLeft) {
    using m350::cli::byteAmount;
    using m350::cli::transferText;
    const std::pair<std::uint64_t, const char*> amounts[] = {
        {0, "0 B"},
        {1023, "1023 B"},
        {1024, "1.0 KiB"},
        {1536, "1.5 KiB"},
        {104857600, "100.0 MiB"},
        {1073741824, "1.00 GiB"},
        {4294967295, "4.00 GiB"},
    };
    for (const auto& [bytes, text] : amounts) EXPECT_EQ(byteAmount(bytes), text) << bytes;
    EXPECT_EQ(transferText(1024, 2048, 0.05), "1.0 KiB of 2.0 KiB");  // too soon for a rate
    EXPECT_EQ(transferText(52428800, 104857600, 5.0),
              "50.0 MiB of 100.0 MiB, 10.0 MiB/s, 0:05 left");
    EXPECT_EQ(transferText(1048576, 4294967295, 1.0),
              "1.0 MiB of 4.00 GiB, 1.0 MiB/s, 1:08:15 left");
    EXPECT_EQ(transferText(2048, 2048, 1.0), "2.0 KiB of 2.0 KiB, 2.0 KiB/s");
}

}  // namespace
}  // namespace m350test
