// SPDX-License-Identifier: MIT
// The USB device choice from the command line: the list that tells how to
// choose, the option that names a device, and what happens when nothing
// matches. This machine has no USB bus; the emulated one is in
// tests/core/transport/usb_umockdev_test.cpp.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "cli/usb_allow.h"
#include "ctl_test_support.h"

namespace m350test {
namespace {

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(CtlUsb, ListSaysWhatWouldBeUsedAndHowToName) {
    struct Case {
        std::vector<std::string> args;
        std::vector<std::pair<std::string, std::string>> env;
        std::string says;
    };
    const Case cases[] = {
        {{"usb", "list"},
         {{"M350_USB_PRINTERS", "/nonexistent"}},
         "No device of the printer list (empty) is attached"},
        {{"usb", "list"}, {{"M350_USB", "1234:0002"}}, "No device matches the name \"1234:0002\""},
        {{"--usb-device", "1-4", "usb", "list"},
         {{"M350_USB", "1234:0002"}},
         "No device matches the name \"1-4\""},
        {{"usb", "list"},
         {{"M350_USB", "a printer"}},
         "is neither VID:PID[:SERIAL] nor a bus path"},
        {{"--usb-device", "auto", "usb", "list"},
         {{"M350_USB", "1-4"}},
         "No device of the printer list"},
    };
    for (const Case& c : cases) {
        CtlRun run = runCtl(c.args, {}, c.env);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_TRUE(has(run.out, c.says)) << run.out;
        EXPECT_TRUE(has(run.out, "M350_USB=VID:PID[:SERIAL] or M350_USB=BUS-PATH")) << run.out;
        EXPECT_TRUE(has(run.out, "--usb-device VID:PID[:SERIAL]|BUS-PATH")) << run.out;
    }
}

TEST(CtlUsb, TheDeviceOptionIsCheckedAndNothingMatchingFailsTheOpen) {
    for (const char* bad : {"printer", "1234", "12345:1", "1-", "/dev/bus/usb/001/002"}) {
        CtlRun run = runCtl({"--usb-device", bad, "status"});
        EXPECT_EQ(run.exitCode, 64) << bad;
        EXPECT_TRUE(has(run.err, "--usb-device")) << run.err;
    }
    // Another interface and a USB device do not go together.
    EXPECT_EQ(runCtl({"--usb-device", "1-1", "--net", "127.0.0.1", "status"}).exitCode, 64);
    EXPECT_EQ(runCtl({"--usb-device", "1-1", "--com", "COM1", "status"}).exitCode, 64);

    // Named, or not, and not there: "Port Open Error" and exit 1.
    for (const auto& args : {std::vector<std::string>{"--usb-device", "1234:0002", "status"},
                             std::vector<std::string>{"--usb-device", "1-1.4", "selftest"},
                             std::vector<std::string>{"status"}}) {
        CtlRun run = runCtl(args);
        EXPECT_EQ(run.exitCode, 1) << args[0];
        // The result text, then why: nothing on the bus matched.
        EXPECT_EQ(run.err.rfind("Port Open Error\nm350ctl: USB", 0), 0u) << run.err;
        EXPECT_TRUE(has(run.err, "m350ctl usb list")) << run.err;
    }
}

// A udev rule line as udev reads it: comma-separated KEY[{NAME}]OP"VALUE",
// matches (== !=) on keys that can be matched, assignments (= += :=) on
// keys that can be assigned.
bool validUdevLine(const std::string& line) {
    static const std::regex item(
        R"re(\s*(SUBSYSTEM|ENV\{[A-Za-z0-9_]+\}|ATTR\{[a-zA-Z0-9_]+\}|TAG|GROUP|MODE)(==|!=|\+=|:=|=)"([^"\\]*)"\s*)re");
    std::stringstream ss(line);
    for (std::string part; std::getline(ss, part, ',');) {
        std::smatch m;
        if (!std::regex_match(part, m, item)) return false;
        const bool match = m[2] == "==" || m[2] == "!=";
        const std::string key = m[1];
        const bool assignable =
            key == "TAG" || key == "GROUP" || key == "MODE" || key.rfind("ENV{", 0) == 0;
        const bool matchable = key != "GROUP" && key != "MODE";
        if (match ? !matchable : !assignable) return false;
    }
    return true;
}

TEST(CtlUsb, AllowWritesTheListAndAValidRuleAndForgetUndoesIt) {
    TempDir dir;
    int reloads = 0;
    m350::cli::UsbAllowPlaces places;
    places.listFile = dir.file("etc/m350/usb-printers");
    places.rulesDir = dir.file("rules.d");
    places.run = [&](const std::vector<std::string>& args) {
        reloads += args == std::vector<std::string>{"udevadm", "control", "--reload"};
        return 0;
    };
    places.root = true;
    const std::string rules = dir.file("rules.d/61-m350-allowed.rules");
    const auto a = *m350::parseUsbListEntry("1234:0002:SN-1");
    const auto b = *m350::parseUsbListEntry("04b8:0e28");
    struct Step {
        bool allow;
        m350::UsbListEntry entry;
        const char* group;
        int exit;
        const char* list;  // the list file's entries afterwards
        int rules;         // rule lines afterwards
    };
    const Step steps[] = {
        {true, a, "", 0, "1234:0002:SN-1", 1},
        {true, b, "root", 0, "1234:0002:SN-1 04b8:0e28", 2},
        {true, b, "", 0, "1234:0002:SN-1 04b8:0e28", 2},  // again: its rule is replaced
        {true, a, "no such group", 64, "1234:0002:SN-1 04b8:0e28", 2},
        {false, a, "", 0, "04b8:0e28", 1},
        {false, a, "", 0, "04b8:0e28", 1},  // nothing left to undo
        {false, b, "", 0, "", 0},
    };
    for (const Step& st : steps) {
        const auto o = st.allow ? m350::cli::allowUsbPrinter(st.entry, st.group, places)
                                : m350::cli::forgetUsbPrinter(st.entry, places);
        const std::string what = m350::usbListEntryText(st.entry);
        EXPECT_EQ(o.exitCode, st.exit) << what << o.err;
        EXPECT_EQ(o.out.find("plug it in again") != std::string::npos, st.allow && !st.exit);
        std::string listed;
        for (const auto& e : m350::parseUsbList(readFile(places.listFile)))
            listed += (listed.empty() ? "" : " ") + m350::usbListEntryText(e);
        EXPECT_EQ(listed, st.list) << what;
        int ruleLines = 0;
        std::stringstream ss(readFile(rules));
        for (std::string line; std::getline(ss, line);) {
            if (line.empty() || line[0] == '#') continue;
            ++ruleLines;
            EXPECT_TRUE(validUdevLine(line)) << line;
        }
        EXPECT_EQ(ruleLines, st.rules) << what << "\n" << readFile(rules);
    }
    EXPECT_EQ(m350::cli::allowedRuleLine(a, "lp"),
              "SUBSYSTEM==\"usb\", ENV{DEVTYPE}==\"usb_device\", ATTR{idVendor}==\"1234\", "
              "ATTR{idProduct}==\"0002\", ATTR{serial}==\"SN-1\", ENV{M350_PRINTER}=\"1\", "
              "TAG+=\"uaccess\", GROUP=\"lp\", MODE=\"0660\"");
    // Reloaded after each change that touched the rules, never otherwise.
    EXPECT_EQ(reloads, 5);
    EXPECT_FALSE(std::ifstream(rules).good()) << "the last rule gone, the file goes";
    for (const char* bad : {"SUBSYSTEM=\"usb\"", "GROUP==\"lp\"", "ATTR{x}==\"a\"b\""})
        EXPECT_FALSE(validUdevLine(bad)) << bad;  // the check refuses what udev would

    // Not root: nothing is touched. A failed reload is reported, not success.
    places.root = false;
    EXPECT_EQ(m350::cli::allowUsbPrinter(a, "", places).exitCode, 77);
    EXPECT_TRUE(m350::parseUsbList(readFile(places.listFile)).empty());
    places.root = true;
    places.run = [](const std::vector<std::string>&) { return -1; };
    const auto failed = m350::cli::allowUsbPrinter(a, "", places);
    EXPECT_EQ(failed.exitCode, 69);
    EXPECT_NE(failed.err.find("sudo udevadm control --reload"), std::string::npos);

    // From the command line: what is not VID:PID[:SERIAL] is a usage error.
    for (const char* bad : {"1234", "1234:0002:a*", "printer", "1-1.4"})
        EXPECT_EQ(runCtl({"usb", "allow", bad}).exitCode, 64) << bad;
}

// A printer that streams bytes and never answers: config read ends with 3 at
// once, having asked only its first question.
TEST(CtlReplyBounds, ConfigReadOfAnEndlesslyStreamingPrinterEnds) {
    START_SIM(sim, "--fault", "stream:DPI");
    CtlRun run = runCtl(overNet(sim, {"config", "read"}));
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.err, "Data Receiving Error\n");
    auto rx = received(sim, 1);
    ASSERT_EQ(rx.size(), 1u);
    EXPECT_EQ(rx[0], "\r\nDIAGNOSTIC INTERFACE NET\r\nDIAGNOSTIC REPORT DPI\r\n");
}

}  // namespace
}  // namespace m350test
