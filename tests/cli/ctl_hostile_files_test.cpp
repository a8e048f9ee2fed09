// SPDX-License-Identifier: MIT
// m350ctl against hostile local files: save targets that are links, devices
// and FIFOs, input files that never end or never open, records full of 0xFF
// and texts with quotes. Each ends at once with its exit code and a message
// naming the file and the reason; nothing reaches the printer and nothing is
// damaged.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "core/config/config_file.h"
#include "ctl_test_support.h"

namespace m350test {
namespace {

namespace fs = std::filesystem;

std::string dcfWith(const std::function<void(m350::ConfigFileImage&)>& spoil) {
    m350::ConfigFileImage image = m350::encodeConfigFile(m350::ConfigFileContents{});
    spoil(image);
    return std::string(image.begin(), image.end());
}

std::string goodDcf() {
    return dcfWith([](m350::ConfigFileImage&) {});
}

struct InputCase {
    const char* what;
    std::function<std::vector<std::string>(const TempDir&)> args;
    int exitCode;
    const char* message;
};

}  // namespace

TEST(CtlHostileFiles, InputsThatCannotBeReadAreRefusedAtOnce) {
    const std::vector<InputCase> cases = {
        {"config show of a FIFO",
         [](const TempDir& d) {
             return std::vector<std::string>{"config", "show", d.file("fifo")};
         },
         66, "a FIFO, not a regular file"},
        {"config show of /dev/zero",
         [](const TempDir&) {
             return std::vector<std::string>{"config", "show", "/dev/zero"};
         },
         66, "/dev/zero: it is a device"},
        {"config show of a folder",
         [](const TempDir& d) {
             return std::vector<std::string>{"config", "show", d.path()};
         },
         66, "a directory"},
        {"password file /dev/zero",
         [](const TempDir&) {
             return std::vector<std::string>{"--net", "127.0.0.1:9", "--password-file", "/dev/zero",
                                             "factory-default"};
         },
         66, "/dev/zero: it is a device"},
        {"password file that is a FIFO",
         [](const TempDir& d) {
             return std::vector<std::string>{"--net", "127.0.0.1:9", "--password-file",
                                             d.file("fifo"), "factory-default"};
         },
         66, "a FIFO"},
        {"password file of 2 KiB",
         [](const TempDir& d) {
             return std::vector<std::string>{"--net", "127.0.0.1:9", "--password-file",
                                             d.file("big"), "factory-default"};
         },
         66, "longer than 1024 bytes"},
        {"send of /dev/zero",
         [](const TempDir&) {
             return std::vector<std::string>{"--net", "127.0.0.1:9", "send", "/dev/zero"};
         },
         66, "a device"},
        {"a record of 0xFF bytes",
         [](const TempDir& d) {
             return std::vector<std::string>{"config", "show", d.file("ff.dcf")};
         },
         65, "File Data Error: edition"},
        {"a quote in the SSID",
         [](const TempDir& d) {
             return std::vector<std::string>{"config", "show", d.file("quote.dcf")};
         },
         65, "File Data Error: wifiSsid"},
        {"version 2",
         [](const TempDir& d) {
             return std::vector<std::string>{"config", "show", d.file("v2.dcf")};
         },
         65, "File Data Error: version"},
        {"config write of a bad record sends nothing",
         [](const TempDir& d) {
             return std::vector<std::string>{"--net",  "127.0.0.1:9", "--password",     "x",
                                             "config", "write",       d.file("ff.dcf"), "--page",
                                             "common"};
         },
         65, "File Data Error"},
        {"config write with a certificate that is not there",
         [](const TempDir& d) {
             return std::vector<std::string>{
                 "--net",    "127.0.0.1:9", "--password",       "x",
                 "config",   "write",       d.file("good.dcf"), "--page",
                 "wireless", "--ca-cert",   "/nonexistent.pem"};
         },
         66, "/nonexistent.pem"},
        {"config read -o with an empty name",
         [](const TempDir&) {
             return std::vector<std::string>{"--net", "127.0.0.1:9", "config", "read", "-o", ""};
         },
         64, "empty"},
    };
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
    writeFile(dir.file("big"), std::string(2048, 'p'));
    writeFile(dir.file("good.dcf"), goodDcf());
    writeFile(dir.file("ff.dcf"), dcfWith([](m350::ConfigFileImage& i) {
                  std::fill(i.begin() + m350::kConfigFileRecordOffset, i.end(), 0xFF);
              }));
    writeFile(dir.file("quote.dcf"), dcfWith([](m350::ConfigFileImage& i) {
                  const auto& f = m350::fieldInfoOf(m350::Field::wifiSsid);
                  i[m350::kConfigFileRecordOffset + f.offset] = 1;
                  const std::string t = "Office\" 0,\"xFORMAT F";
                  std::copy(t.begin(), t.end(),
                            i.begin() + m350::kConfigFileRecordOffset + f.valueOffset());
              }));
    writeFile(dir.file("v2.dcf"), dcfWith([](m350::ConfigFileImage& i) { i[4] = 2; }));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // Port 9 on loopback refuses: had anything been sent, the exit code
        // would be the link's 1, not the file's.
        CtlRun run = runCtl(c.args(dir));
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_TRUE(fs::is_fifo(dir.file("fifo")));
}

TEST(CtlHostileFiles, SaveTargetsAreFollowedOrRefused) {
    START_SIM(sim);
    TempDir dir;
    writeFile(dir.file("target.dcf"), "old");
    fs::create_symlink("target.dcf", dir.file("link.dcf"));
    ASSERT_EQ(::mkfifo(dir.file("fifo.dcf").c_str(), 0600), 0);

    CtlRun viaLink = runCtl(overNet(sim, {"config", "read", "-o", dir.file("link.dcf")}));
    EXPECT_EQ(viaLink.exitCode, 0) << viaLink.err;
    EXPECT_TRUE(fs::is_symlink(dir.file("link.dcf"))) << "the link stays a link";
    EXPECT_EQ(readFile(dir.file("target.dcf")).size(), m350::kConfigFileSize);

    struct Refused {
        std::string path;
        const char* reason;
    };
    for (const Refused& r :
         {Refused{"/dev/null", "it is a device, not a regular file"},
          Refused{dir.file("fifo.dcf"), "it is a FIFO"}, Refused{dir.path(), "it is a directory"},
          Refused{dir.file("no/such/x.dcf"), "No such file or directory"}}) {
        SCOPED_TRACE(r.path);
        CtlRun run = runCtl(overNet(sim, {"config", "read", "-o", r.path}));
        EXPECT_EQ(run.exitCode, 73);
        EXPECT_NE(run.err.find("cannot write " + r.path + ": " + r.reason), std::string::npos)
            << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_TRUE(fs::is_fifo(dir.file("fifo.dcf")));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 3)
        << "no temporary file left beside the targets";
}

TEST(CtlHostileFiles, ExitSeventyFourIsListedAndExplained) {
    CtlRun help = runCtl({"--help"});
    EXPECT_NE(help.out.find("  74     standard output cannot be written"), std::string::npos);

    TempDir dir;
    writeFile(dir.file("good.dcf"), goodDcf());
    const std::string command = std::string(M350CTL_PATH) + " config show '" +
                                dir.file("good.dcf") + "' >/dev/full 2>'" + dir.file("err") + "'";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 74);
    EXPECT_NE(readFile(dir.file("err")).find("cannot write standard output: No space left"),
              std::string::npos)
        << readFile(dir.file("err"));
}

}  // namespace m350test
