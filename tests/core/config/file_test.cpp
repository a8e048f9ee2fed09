// SPDX-License-Identifier: MIT
// The .dcf file: the image byte for byte, the load checks, and a save that
// cannot destroy the file it replaces.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "core/config/config_file.h"
#include "support/test_files.h"

using namespace m350;
namespace fs = std::filesystem;

using m350test::readAll;
using m350test::TempDir;
using m350test::writeRaw;

namespace {

ConfigFileContents sample() {
    ConfigFileContents c;
    c.unit = 1;
    c.record.setInteger(Field::edition, 108);
    c.record.setText(Field::wifiSsid, "lab");
    c.record.setByte(Field::inchUnits, 0);
    c.record.bytes()[kConfigRecordSize - 1] = 0x7F;  // last byte of ftpPassword
    c.statusFlags = {1, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    return c;
}

}  // namespace

TEST(ConfigFile, ImageByteForByte) {
    ConfigFileContents c = sample();
    ConfigFileImage image = encodeConfigFile(c);
    const std::uint8_t head[12] = {0xAA, 0x55, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
    EXPECT_TRUE(std::equal(head, head + 12, image.begin()));
    EXPECT_TRUE(std::equal(c.record.bytes().begin(), c.record.bytes().end(), image.begin() + 12));
    EXPECT_EQ(image[12 + kConfigRecordSize - 1], 0x7F) << "the record's last bytes are stored";
    EXPECT_EQ(image[2838], 1);
    EXPECT_EQ(image[2847], 1);

    // A file of a freshly reset record: 200.0 and 11.8, speed 3.0, "~" "^" ",".
    ConfigFileImage fresh = encodeConfigFile(ConfigFileContents{});
    const std::uint8_t dpi[] = {0x00, 0x00, 0x48, 0x43, 0xCD, 0xCC, 0x3C, 0x41};
    EXPECT_TRUE(std::equal(dpi, dpi + 8, fresh.begin() + 12 + 5));
    EXPECT_EQ(fresh[12 + 392], 0x40);
    EXPECT_EQ(fresh[12 + 581], '~');
    EXPECT_EQ(fresh[12 + 583], '^');
    EXPECT_EQ(fresh[12 + 585], ',');
}

TEST(ConfigFile, SaveAndLoadRoundTrip) {
    TempDir dir;
    ConfigFileContents c = sample();
    ASSERT_EQ(saveConfigFile(dir.file("a.dcf"), c), ConfigFileResult::kOk);
    std::string bytes = readAll(dir.file("a.dcf"));
    ASSERT_EQ(bytes.size(), kConfigFileSize);
    ConfigFileImage image = encodeConfigFile(c);
    EXPECT_EQ(bytes, std::string(image.begin(), image.end()));
    EXPECT_EQ(dir.entries(), 1u) << "no temporary file left behind";

    ConfigFileContents back;
    ASSERT_EQ(loadConfigFile(dir.file("a.dcf"), back), ConfigFileResult::kOk);
    EXPECT_EQ(back.unit, 1);
    EXPECT_EQ(back.version, 1);
    EXPECT_EQ(back.record, c.record);
    EXPECT_EQ(back.statusFlags, c.statusFlags);
}

TEST(ConfigFile, LoadRefusesBadFilesAndLeavesTheCallersContents) {
    TempDir dir;
    ConfigFileImage image = encodeConfigFile(sample());
    std::string good(image.begin(), image.end());

    ConfigFileContents out;
    out.unit = 7;
    writeRaw(dir.file("short.dcf"), good.substr(0, kConfigFileSize - 1));
    EXPECT_EQ(loadConfigFile(dir.file("short.dcf"), out), ConfigFileResult::kDataError);
    std::string badMagic = good;
    badMagic[1] = 0x56;
    writeRaw(dir.file("magic.dcf"), badMagic);
    EXPECT_EQ(loadConfigFile(dir.file("magic.dcf"), out), ConfigFileResult::kDataError);
    writeRaw(dir.file("empty.dcf"), "");
    EXPECT_EQ(loadConfigFile(dir.file("empty.dcf"), out), ConfigFileResult::kDataError);
    EXPECT_EQ(loadConfigFile(dir.file("missing.dcf"), out), ConfigFileResult::kOpenFailed);
    EXPECT_EQ(out.unit, 7) << "a refused file changes nothing";
    EXPECT_EQ(configFileResultText(ConfigFileResult::kDataError), "File Data Error");

    // Only version 1 exists; bytes past the image are ignored.
    std::string other = good;
    other[4] = 9;
    writeRaw(dir.file("v9.dcf"), other);
    std::string what;
    EXPECT_EQ(loadConfigFile(dir.file("v9.dcf"), out, &what), ConfigFileResult::kDataError);
    EXPECT_EQ(what, "version");
    writeRaw(dir.file("tail.dcf"), good + "tail");
    ASSERT_EQ(loadConfigFile(dir.file("tail.dcf"), out), ConfigFileResult::kOk);
    EXPECT_EQ(out.version, 1);
}

// A record is checked field by field before anything shows or sends it.
TEST(ConfigFile, LoadRefusesFieldsOutOfRangeAndNamesThem) {
    auto flaggedValue = [](Field f) {
        return kConfigFileRecordOffset + fieldInfoOf(f).valueOffset();
    };
    struct Case {
        const char* what;
        std::function<void(ConfigFileImage&)> spoil;
        const char* field;  // nullptr: accepted
    };
    const std::vector<Case> cases = {
        {"every byte 0xFF",
         [](ConfigFileImage& i) {
             std::fill(i.begin() + kConfigFileRecordOffset, i.begin() + kConfigFileStatusOffset,
                       0xFF);
         },
         "edition"},
        {"speed NaN",
         [&](ConfigFileImage& i) {
             i[kConfigFileRecordOffset + fieldInfoOf(Field::speed).offset] = 1;
             storeLeFloat(i.data() + flaggedValue(Field::speed), std::nanf(""));
         },
         "speed"},
        {"maxLength infinite",
         [&](ConfigFileImage& i) {
             i[kConfigFileRecordOffset + fieldInfoOf(Field::maxLength).offset] = 1;
             storeLeFloat(i.data() + flaggedValue(Field::maxLength), INFINITY);
         },
         "maxLength"},
        {"density -1",
         [&](ConfigFileImage& i) {
             i[kConfigFileRecordOffset + fieldInfoOf(Field::density).offset] = 1;
             storeLe32(i.data() + flaggedValue(Field::density), -1);
         },
         "density"},
        {"density -1 while unknown is ignored",
         [&](ConfigFileImage& i) { storeLe32(i.data() + flaggedValue(Field::density), -1); },
         nullptr},
        {"a presence byte of 2",
         [&](ConfigFileImage& i) {
             i[kConfigFileRecordOffset + fieldInfoOf(Field::mirror).offset] = 2;
         },
         "mirror"},
        {"a negative counter",
         [&](ConfigFileImage& i) {
             storeLe32(i.data() + kConfigFileRecordOffset + fieldInfoOf(Field::cutCounter).offset,
                       -5);
         },
         "cutCounter"},
        {"code page past the table",
         [&](ConfigFileImage& i) {
             i[kConfigFileRecordOffset + fieldInfoOf(Field::codePage).offset] = 1;
             storeLe32(i.data() + flaggedValue(Field::codePage), 37);
         },
         "codePage"},
        {"code page equal to the table length (no match)",
         [&](ConfigFileImage& i) {
             i[kConfigFileRecordOffset + fieldInfoOf(Field::codePage).offset] = 1;
             storeLe32(i.data() + flaggedValue(Field::codePage), 36);
         },
         nullptr},
        {"a quote in the SSID",
         [&](ConfigFileImage& i) {
             const char* t = "Office\" 0,\"xFORMAT F";
             std::copy(t, t + std::strlen(t) + 1, i.begin() + flaggedValue(Field::wifiSsid));
         },
         "wifiSsid"},
        {"a line break in the host name",
         [&](ConfigFileImage& i) {
             i[kConfigFileRecordOffset + fieldInfoOf(Field::wifiPrintName).offset] = 1;
             const char* t = "a\r\nRESET";
             std::copy(t, t + std::strlen(t) + 1, i.begin() + flaggedValue(Field::wifiPrintName));
         },
         "wifiPrintName"},
        {"a text without its terminator",
         [&](ConfigFileImage& i) {
             i[kConfigFileRecordOffset + fieldInfoOf(Field::btName).offset] = 1;
             std::fill_n(i.begin() + flaggedValue(Field::btName), 32, 'A');
         },
         "btName"},
        // Printer texts are bytes of the printer's code page, not UTF-8.
        {"code-page bytes are kept",
         [&](ConfigFileImage& i) {
             i[kConfigFileRecordOffset + fieldInfoOf(Field::btName).offset] = 1;
             i[flaggedValue(Field::btName)] = 0xEF;
             i[flaggedValue(Field::btName) + 1] = 0;
         },
         nullptr},
        {"UTF-8 text is kept",
         [&](ConfigFileImage& i) {
             i[kConfigFileRecordOffset + fieldInfoOf(Field::btName).offset] = 1;
             const char* t = "B\xC3\xBCro";
             std::copy(t, t + std::strlen(t) + 1, i.begin() + flaggedValue(Field::btName));
         },
         nullptr},
        {"a prefix character that is a control byte",
         [&](ConfigFileImage& i) {
             i[kConfigFileRecordOffset + fieldInfoOf(Field::zFormat).offset] = 1;
             i[flaggedValue(Field::zFormat)] = '\n';
         },
         "zFormat"},
        // The delimiter goes into the head-close command even while unknown.
        {"an unknown delimiter that is a NUL",
         [&](ConfigFileImage& i) { i[flaggedValue(Field::zDelimiter)] = 0; }, "zDelimiter"},
        {"unit 2", [](ConfigFileImage& i) { storeLe32(i.data() + 8, 2); }, "unit"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ConfigFileImage image = encodeConfigFile(sample());
        c.spoil(image);
        ConfigFileContents out;
        out.unit = 7;
        std::string what = "stale";
        const auto r = decodeConfigFile(image, out, &what);
        if (c.field) {
            EXPECT_EQ(r, ConfigFileResult::kDataError);
            EXPECT_EQ(what, c.field);
            EXPECT_EQ(out.unit, 7);
        } else {
            EXPECT_EQ(r, ConfigFileResult::kOk) << what;
        }
    }
}

TEST(ConfigFile, LoadRefusesWhatIsNotARegularFile) {
    TempDir dir;
    ::mkfifo(dir.file("fifo.dcf").c_str(), 0600);
    for (const std::string& path : {dir.file("fifo.dcf"), std::string("/dev/zero")}) {
        ConfigFileContents out;
        std::string why;
        EXPECT_EQ(loadConfigFile(path, out, &why), ConfigFileResult::kOpenFailed);
        EXPECT_NE(why.find("not a regular file"), std::string::npos) << why;
    }
}

TEST(ConfigFile, FailedSaveKeepsTheOldFile) {
    TempDir dir;
    const std::string target = dir.file("keep.dcf");
    writeRaw(target, "old contents");

    // A file size limit below the image makes the write stop half-way, as a
    // full disk would. Run it in a child so the limit stays there.
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit lim{1000, 1000};
        ::setrlimit(RLIMIT_FSIZE, &lim);
        bool failed = saveConfigFile(target, sample()) == ConfigFileResult::kWriteFailed;
        ::_exit(failed ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the save reports its failure";
    EXPECT_EQ(readAll(target), "old contents");
    EXPECT_EQ(dir.entries(), 1u) << "the half-written temporary file is removed";

    // A directory that does not exist: nothing is created, failure is reported.
    EXPECT_EQ(saveConfigFile(dir.file("no/such/dir.dcf"), sample()),
              ConfigFileResult::kWriteFailed);
    EXPECT_EQ(saveConfigFile("", sample()), ConfigFileResult::kWriteFailed);
}
