// SPDX-License-Identifier: MIT
// config read / show / write against the simulator, compared with what the
// core library itself reads, saves and sends.
#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>

#include "core/config/config_file.h"
#include "core/config/config_read.h"
#include "core/config/config_write.h"
#include "core/link/link_operations.h"
#include "ctl_test_support.h"

namespace m350test {
namespace {

// The record as the library reads it from the simulator.
m350::ConfigRecord LibraryRead(const SimProcess& sim) {
    m350::PortSettings settings;
    settings.net.address = "127.0.0.1";
    settings.net.port = sim.tcpPort();
    m350::LinkContext ctx;
    ctx.settings = &settings;
    m350::ConfigRecord record;
    record.reset();
    m350::Link link{ctx, m350::kEthernet};
    EXPECT_EQ(m350::readConfig(link, record), m350::kOk);
    return record;
}

TEST(CtlConfigRead, SavedFileEqualsTheLibrarysFileByteForByte) {
    START_SIM(sim);
    TempDir dir;
    for (const std::string unit : {"inch", "mm"}) {
        const std::string path = dir.file("read-" + unit + ".dcf");
        CtlRun run = runCtl(overNet(sim, {"config", "read", "--unit", unit, "-o", path}));
        ASSERT_EQ(run.exitCode, 0) << run.err;

        m350::ConfigFileContents contents;
        contents.unit = unit == "mm" ? 1 : 0;
        contents.record = LibraryRead(sim);
        contents.record.setByte(m350::Field::inchUnits, unit == "mm" ? 0 : 1);
        const std::string expected = dir.file("library-" + unit + ".dcf");
        ASSERT_EQ(m350::saveConfigFile(expected, contents), m350::ConfigFileResult::kOk);
        const std::string got = readFile(path);
        EXPECT_EQ(got.size(), m350::kConfigFileSize);
        EXPECT_TRUE(got == readFile(expected)) << unit;
    }
}

TEST(CtlConfigRead, JsonNamesEveryFieldAndConvertsLengths) {
    START_SIM(sim);
    CtlRun inch = runCtl(overNet(sim, {"config", "read", "--json"}));
    CtlRun mm = runCtl(overNet(sim, {"config", "read", "--json", "--unit", "mm"}));
    ASSERT_EQ(inch.exitCode, 0) << inch.err;
    ASSERT_EQ(mm.exitCode, 0) << mm.err;
    auto ji = nlohmann::json::parse(inch.out);
    auto jm = nlohmann::json::parse(mm.out);
    EXPECT_EQ(ji["unit"], "inch");
    EXPECT_EQ(jm["unit"], "mm");
    const m350::ConfigRecord record = LibraryRead(sim);
    for (const auto& info : m350::fieldTable()) {
        if (info.kind == m350::FieldKind::kRaw) continue;
        EXPECT_TRUE(ji.contains(std::string(info.name))) << info.name;
    }
    EXPECT_EQ(ji["edition"], record.integer(m350::Field::edition));
    EXPECT_EQ(ji["version"], record.text(m350::Field::version));
    // Keyword settings come as their keywords.
    EXPECT_EQ(ji["codePage"],
              std::string(*m350::kCodePageTable.entry(record.integer(m350::Field::codePage))));
    // The same width in both units, to the two decimals shown.
    const double dots = record.real(m350::Field::paperWidth);
    EXPECT_NEAR(ji["paperWidth"].get<double>(), dots / record.real(m350::Field::dpi), 0.005);
    EXPECT_NEAR(jm["paperWidth"].get<double>(), dots / record.real(m350::Field::dotsPerMm), 0.005);
    // The FTP settings are never read: unknown, so null.
    EXPECT_TRUE(ji["ftpServer"].is_null());
}

// Printer texts read in the encoding of the language, or the one named; the
// saved file keeps the printer's bytes whatever is printed.
TEST(CtlConfigRead, PrinterTextsInTheChosenEncoding) {
    START_SIM(sim, "--set", "WIFISSID=Caf\xc3\xa9", "--set", "BTNAME=\xef\xe0\xf0\xee\xeb\xfc");
    const struct {
        std::vector<std::string> options;
        const char* ssid;
        const char* btName;
    } cases[] = {
        {{}, "CafÃ©", "ïàðîëü"},  // English: CP1252
        {{"--encoding", "UTF-8"},
         "Café",
         "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"
         "\xef\xbf\xbd\xef\xbf\xbd"},
        {{"--language", "9"}, "CafГ©", "пароль"},  // Russian: CP1251
        {{"--language", "9", "--encoding", "utf-8"},
         "Café",
         "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"},
    };
    TempDir dir;
    for (const auto& c : cases) {
        std::vector<std::string> args = c.options;
        for (const char* a : {"config", "read", "--json"}) args.push_back(a);
        CtlRun run = runCtl(overNet(sim, args));
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const auto j = nlohmann::json::parse(run.out);
        EXPECT_EQ(j["wifiSsid"], c.ssid);
        EXPECT_EQ(j["btName"], c.btName);
    }
    CtlRun text = runCtl(overNet(sim, {"--encoding", "UTF-8", "config", "read"}));
    EXPECT_NE(text.out.find("wifiSsid                Café\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("btName                  \\xef\\xe0\\xf0\\xee\\xeb\\xfc\n"),
              std::string::npos)
        << text.out;

    const std::string path = dir.file("texts.dcf");
    ASSERT_EQ(runCtl(overNet(sim, {"--encoding", "UTF-8", "config", "read", "-o", path})).exitCode,
              0);
    m350::ConfigFileContents saved;
    ASSERT_EQ(m350::loadConfigFile(path, saved), m350::ConfigFileResult::kOk);
    EXPECT_EQ(saved.record.text(m350::Field::wifiSsid), "Caf\xc3\xa9");
    EXPECT_EQ(saved.record.text(m350::Field::btName), "\xef\xe0\xf0\xee\xeb\xfc");

    CtlRun bad = runCtl(overNet(sim, {"--encoding", "KLINGON", "config", "read"}));
    EXPECT_EQ(bad.exitCode, 64);
    EXPECT_NE(bad.err.find("KLINGON"), std::string::npos) << bad.err;
}

TEST(CtlConfigShow, PrintsAFileAsTheReadPrintsThePrinter) {
    START_SIM(sim);
    TempDir dir;
    const std::string path = dir.file("a.dcf");
    CtlRun read = runCtl(overNet(sim, {"config", "read", "--unit", "mm", "--json", "-o", path}));
    ASSERT_EQ(read.exitCode, 0) << read.err;
    CtlRun show = runCtl({"config", "show", path, "--json"});
    ASSERT_EQ(show.exitCode, 0) << show.err;
    auto jr = nlohmann::json::parse(read.out);
    auto js = nlohmann::json::parse(show.out);
    // The file remembers mm; it also holds status flags, none read here.
    EXPECT_EQ(js["unit"], "mm");
    EXPECT_EQ(js["status"], "Ready");
    js.erase("status");
    js.erase("statusFlags");
    EXPECT_EQ(js["statusFlagsByName"]["coverOpen"], false);
    js.erase("statusFlagsByName");
    EXPECT_EQ(js, jr);

    CtlRun text = runCtl({"config", "show", path, "--unit", "inch"});
    EXPECT_EQ(text.exitCode, 0);
    EXPECT_NE(text.out.find("unit                    inch\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("\nspeed "), std::string::npos);
}

TEST(CtlConfigShow, BadFilesAreRefused) {
    TempDir dir;
    CtlRun missing = runCtl({"config", "show", dir.file("none.dcf")});
    EXPECT_EQ(missing.exitCode, 66);
    // Right magic but cut short, and full length with the wrong magic.
    std::string image(m350::kConfigFileSize, '\0');
    image[0] = '\xAA';
    image[1] = 0x55;
    writeFile(dir.file("short.dcf"), image.substr(0, 100));
    image[0] = 0x55;
    image[1] = '\xAA';
    writeFile(dir.file("magic.dcf"), image);
    for (const char* name : {"short.dcf", "magic.dcf"}) {
        CtlRun run = runCtl({"config", "show", dir.file(name)});
        EXPECT_EQ(run.exitCode, 65) << name;
        EXPECT_NE(run.err.find("File Data Error"), std::string::npos) << name;
        EXPECT_EQ(run.out, "") << name;
    }
}

TEST(CtlConfigRead, UnwritableOutputFailsAndLeavesTheOldFile) {
    START_SIM(sim);
    TempDir dir;
    CtlRun run = runCtl(overNet(sim, {"config", "read", "-o", dir.file("no/such/dir.dcf")}));
    EXPECT_EQ(run.exitCode, 73);
    EXPECT_EQ(run.out, "");
}

// A printer that reports what a .dcf cannot hold gets no backup: the save is
// refused by the field's name and an old file stays.
TEST(CtlConfigRead, AnUnrestorableBackupIsRefusedByItsField) {
    TempDir dir;
    writeFile(dir.file("old.dcf"), "old");
    for (const auto& [set, field] :
         std::vector<std::pair<std::string, std::string>>{{"SPEED=1e999", "speed"},
                                                          {"PAPERWIDTH=1e39", "paperWidth"},
                                                          {"WIFISSID=Office\"2", "wifiSsid"},
                                                          {"BTNAME=Pad\x1b[2J", "btName"}}) {
        START_SIM(sim, "--wifi", "wpa", "--bluetooth", "yes", "--set", set);
        const CtlRun run = runCtl(overNet(sim, {"config", "read", "-o", dir.file("old.dcf")}));
        EXPECT_EQ(run.exitCode, 65) << field;
        EXPECT_NE(run.err.find("printer's " + field + " cannot be loaded back"), std::string::npos)
            << run.err;
        EXPECT_EQ(readFile(dir.file("old.dcf")), "old");
    }
}

TEST(CtlConfigWrite, EveryPageSendsTheLibrarysLinesBehindTheGate) {
    START_SIM(sim, "--password", "pw");
    TempDir dir;
    const std::string path = dir.file("all.dcf");
    CtlRun read = runCtl(overNet(sim, {"config", "read", "--unit", "mm", "-o", path}));
    ASSERT_EQ(read.exitCode, 0) << read.err;
    m350::ConfigFileContents contents;
    ASSERT_EQ(m350::loadConfigFile(path, contents), m350::ConfigFileResult::kOk);

    const std::vector<std::pair<std::string, int>> pages = {
        {"common", 0},   {"z", 1},         {"d", 2},  {"rs232", 3},
        {"wireless", 4}, {"bluetooth", 5}, {"ftp", 6}};
    for (const auto& [name, index] : pages) {
        CtlRun run =
            runCtl(overNet(sim, {"--password", "pw", "config", "write", path, "--page", name}));
        EXPECT_EQ(run.exitCode, 0) << name << ": " << run.err;
    }
    // The unit can be overridden: the common page again, in inches.
    CtlRun inch = runCtl(overNet(
        sim, {"--password", "pw", "config", "write", path, "--page", "common", "--unit", "inch"}));
    EXPECT_EQ(inch.exitCode, 0) << inch.err;
    // And without the password nothing but the gate goes out.
    CtlRun refused = runCtl(overNet(sim, {"config", "write", path, "--page", "common"}));
    EXPECT_EQ(refused.exitCode, 77);

    const std::size_t total = 1 + 2 * pages.size() + 2 + 1;
    auto rx = received(sim, total);
    ASSERT_EQ(rx.size(), total);
    for (std::size_t i = 0; i < pages.size(); ++i) {
        std::string expected;
        for (const auto& line : m350::configPageLines(contents.record, pages[i].second))
            expected += line;
        EXPECT_EQ(rx[1 + 2 * i], kGateQueries) << pages[i].first;
        EXPECT_EQ(rx[2 + 2 * i], expected) << pages[i].first;
    }
    m350::ConfigRecord inchRecord = contents.record;
    inchRecord.setByte(m350::Field::inchUnits, 1);
    std::string expected;
    for (const auto& line : m350::configPageLines(inchRecord, 0)) expected += line;
    EXPECT_EQ(rx[2 + 2 * pages.size()], expected);
    EXPECT_NE(expected.find("SIZE "), std::string::npos);
    EXPECT_EQ(expected.find(" mm"), std::string::npos);
    EXPECT_EQ(rx[total - 1], kGateQueries);
}

}  // namespace
}  // namespace m350test

namespace m350test {
namespace {

TEST(CtlConfigSerial, ReadAndWriteOverAPseudoTerminal) {
    SimProcess sim({"--password", "pw"}, /*pty=*/true);
    ASSERT_TRUE(sim.ok()) << sim.error();
    const std::vector<std::pair<std::string, std::string>> env = {{"M350_COM2", sim.ptyPath()}};
    TempDir dir;
    const std::string path = dir.file("com.dcf");
    CtlRun read = runCtl({"--com", "COM2", "config", "read", "--json", "-o", path}, {}, env);
    ASSERT_EQ(read.exitCode, 0) << read.err;
    auto j = nlohmann::json::parse(read.out);
    EXPECT_EQ(j["unit"], "inch");
    EXPECT_TRUE(j["edition"].is_number());
    const std::string readRx = sim.allRx();
    EXPECT_EQ(readRx.rfind("\r\nDIAGNOSTIC INTERFACE COM\r\nDIAGNOSTIC REPORT DPI\r\n", 0), 0u);

    m350::ConfigFileContents contents;
    ASSERT_EQ(m350::loadConfigFile(path, contents), m350::ConfigFileResult::kOk);
    CtlRun write = runCtl(
        {"--com", "COM2", "--password", "pw", "config", "write", path, "--page", "rs232"}, {}, env);
    ASSERT_EQ(write.exitCode, 0) << write.err;
    std::string lines;
    for (const auto& line : m350::configPageLines(contents.record, m350::kPageRs232)) lines += line;
    ASSERT_FALSE(lines.empty());
    const std::string gate =
        "\r\nDIAGNOSTIC INTERFACE COM\r\nDIAGNOSTIC REPORT EDITION\r\nDIAGNOSTIC REPORT "
        "PASSWORD\r\n";
    const std::string all = receivedAtLeast(sim, readRx.size() + gate.size() + lines.size());
    EXPECT_EQ(all, readRx + gate + lines);
}

}  // namespace
}  // namespace m350test
