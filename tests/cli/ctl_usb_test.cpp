// The USB device choice from the command line: the list that tells how to
// choose, the option that names a device, and what happens when nothing
// matches. This machine has no USB bus; the emulated one is in
// tests/core/transport/usb_umockdev_test.cpp.
#include <gtest/gtest.h>

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
        {{"usb", "list"}, {}, "No device of the vendors f1e0, f1e1, f1e2 is attached"},
        {{"usb", "list"}, {{"M350_USB", "1234:0002"}}, "No device matches the name \"1234:0002\""},
        {{"--usb-device", "1-4", "usb", "list"},
         {{"M350_USB", "1234:0002"}},
         "No device matches the name \"1-4\""},
        {{"usb", "list"},
         {{"M350_USB", "a printer"}},
         "is neither VID:PID[:SERIAL] nor a bus path"},
        {{"--usb-device", "auto", "usb", "list"},
         {{"M350_USB", "1-4"}},
         "No device of the vendors"},
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
