// SPDX-License-Identifier: MIT
// m350ctl send of files larger than one block, from every kind of input and
// over every port the simulator offers: the printer gets exactly the file's
// bytes, and an input over the bound is refused before anything is sent.
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <random>

#include "ctl_test_support.h"
#include "support/test_files.h"

using namespace m350test;

using m350test::randomBytes;

namespace {

// m350ctl with its standard input a pipe (cat FILE | m350ctl ...): the exit
// status, standard error in err.
int runCtlPiped(const std::string& input, const std::vector<std::string>& args, std::string& err) {
    TempDir dir;
    writeFile(dir.file("in"), input);
    std::string command = "cat '" + dir.file("in") + "' | '" + std::string(M350CTL_PATH) + "'";
    for (const auto& a : args) command += " '" + a + "'";
    command += " 2>'" + dir.file("err") + "' >/dev/null";
    const int status = std::system(command.c_str());
    err = readFile(dir.file("err"));
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(CtlSendLarge, EveryInputOverEveryPortArrivesByteForByte) {
    SimProcess sim(SimProcess::Options{{}, /*pty=*/true, /*parallel=*/true, /*transcript=*/true});
    ASSERT_TRUE(sim.ok()) << sim.error();
    TempDir dir;
    // Past three 64 KiB blocks, not a multiple of any chunk.
    const std::string bytes = randomBytes(3 * 65536 + 4321, 21);
    writeFile(dir.file("job.bin"), bytes);
    const std::vector<std::pair<std::string, std::string>> env = {
        {"M350_COM2", sim.ptyPath()}, {"M350_LPT2", sim.parallelPath()}};
    struct Case {
        const char* name;
        std::vector<std::string> port;
        const char* input;  // "file", "stdin" (a file) or "pipe"
    };
    const std::string net = "127.0.0.1:" + std::to_string(sim.tcpPort());
    const std::vector<Case> cases = {
        {"a file over TCP", {"--net", net}, "file"},
        {"standard input from a file over TCP", {"--net", net}, "stdin"},
        {"standard input from a pipe over TCP", {"--net", net}, "pipe"},
        {"a file over the serial line", {"--com", "COM2", "--baud", "115200"}, "file"},
        {"a file over the parallel port", {"--lpt", "LPT2"}, "file"},
    };
    std::size_t before = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args = c.port;
        args.push_back("send");
        const std::string input = c.input;
        args.push_back(input == "file" ? dir.file("job.bin") : "-");
        int exitCode = -1;
        std::string err;
        if (input == "pipe") {
            exitCode = runCtlPiped(bytes, args, err);
        } else {
            CtlRun run = runCtl(args, input == "stdin" ? bytes : std::string(), env);
            exitCode = run.exitCode;
            err = run.err;
        }
        EXPECT_EQ(exitCode, 0) << err;
        const std::string all = receivedAtLeast(sim, before + bytes.size());
        ASSERT_GE(all.size(), before + bytes.size());
        EXPECT_TRUE(all.compare(before, std::string::npos, bytes) == 0)
            << "the printer got other bytes than the file's";
        before = all.size();
        sim.waitForQuiet();
    }
}

TEST(CtlSendLarge, InputOverTheBoundIsRefusedBeforeAnythingIsSent) {
    START_SIM(sim);
    TempDir dir;
    // One byte over 64 MiB, as a sparse file.
    const std::string big = dir.file("big.bin");
    const int fd = ::open(big.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, (off_t{64} << 20) + 1), 0);
    ::close(fd);
    const std::string limit = "longer than 67108864 bytes";
    CtlRun file = runCtl(overNet(sim, {"send", big}));
    EXPECT_EQ(file.exitCode, 66);
    EXPECT_NE(file.err.find(big + ": " + limit), std::string::npos) << file.err;
    std::string err;
    EXPECT_EQ(runCtlPiped(std::string((64u << 20) + 1, 'p'), overNet(sim, {"send", "-"}), err), 66);
    EXPECT_NE(err.find("standard input: " + limit), std::string::npos) << err;
    sim.waitForQuiet();
    EXPECT_TRUE(sim.transcript().empty()) << "nothing connected";
}

// m350ctl loads no Qt library (its start is what every status query costs);
// font make runs the font maker found beside it, and says so when it is not
// there instead of failing quietly.
TEST(CtlFontMaker, M350ctlStartsWithoutQtAndNeedsItsFontMakerOnlyForFontMake) {
    TempDir dir;
    const std::string libs = dir.file("libs");
    ASSERT_EQ(std::system(("ldd '" + std::string(M350CTL_PATH) + "' >'" + libs + "'").c_str()), 0);
    EXPECT_EQ(readFile(libs).find("libQt6"), std::string::npos) << readFile(libs);

    // A copy of m350ctl alone in a folder: everything but font make works.
    const std::string lone = dir.file("m350ctl");
    ASSERT_EQ(std::system(("cp '" + std::string(M350CTL_PATH) + "' '" + lone + "'").c_str()), 0);
    const std::string err = dir.file("err");
    auto run = [&](const std::string& args) {
        const int status =
            std::system(("'" + lone + "' " + args + " >/dev/null 2>'" + err + "'").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(run("--version"), 0);
    EXPECT_EQ(
        run("font make --family Sans --size 10 --encode standard -o '" + dir.file("f.bmf") + "'"),
        69);
    EXPECT_NE(readFile(err).find("cannot run"), std::string::npos) << readFile(err);
    EXPECT_NE(readFile(err).find("m350ctl-fonts"), std::string::npos) << readFile(err);
}
