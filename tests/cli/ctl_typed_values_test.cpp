// SPDX-License-Identifier: MIT
// What m350ctl refuses before anything reaches the printer: the window's
// checks of typed values, exit 65 and the option (or field) named.
#include <gtest/gtest.h>

#include "ctl_test_support.h"

namespace m350test {
namespace {

TEST(CtlTypedValues, RefusedByNameWithNothingSent) {
    TempDir dir;
    writeFile(dir.file("logo.bmp"), "BM");
    writeFile(dir.file("font.bmf"), "B");
    struct Case {
        std::vector<std::string> args;
        std::string named;  // in the message
    } cases[] = {
        {{"bt", "master", "A\"B"}, "MAC"},
        {{"bt", "master", "AA\r\nINITIALPRINTER"}, "MAC"},
        {{"net", "set", "--ip", "10.1.2.300", "--mask", "255.255.255.0", "--gateway", "10.1.2.1"},
         "--ip"},
        {{"net", "set", "--ip", "10.1.2.3", "--mask", "255.255.0", "--gateway", "10.1.2.1"},
         "--mask"},
        {{"net", "set", "--ip", "10.1.2.3", "--mask", "255.255.255.0", "--gateway", "abc"},
         "--gateway"},
        {{"clock", "set", "2026-13-01 10:00:00"}, "month"},
        {{"clock", "set", "2026-01-01 25:00:00"}, "hour"},
        {{"sensor", "set", "--intensity", "99"}, "--intensity"},
        {{"sensor", "set", "--intensity", "3", "--threshold", "9999"}, "--threshold"},
        {{"download", dir.file("logo.bmp"), "--name", "*.*"}, "--name"},
        {{"download", dir.file("logo.bmp"), "--name", "a/b\\c.BMP"}, "--name"},
        {{"download", dir.file("logo.bmp"), "--name", "   "}, "--name"},
        {{"download", dir.file("logo.bmp"), "--name", std::string(31, 'A')}, "--name"},
        {{"font", "download", dir.file("font.bmf"), "--name", "F\"1"}, "--name"},
        {{"dump", "save-card", "a\"b"}, "NAME"},
        {{"module", "set", "--name", "Dock\r7", "--pin", "1234"}, "--name"},
    };
    for (const Case& c : cases) {
        START_SIM(sim);
        std::vector<std::string> args = overNet(sim, c.args);
        args.insert(args.begin(), {"--password", "x"});
        const CtlRun run = runCtl(args);
        EXPECT_EQ(run.exitCode, 65) << c.args[0] << " " << c.named << ": " << run.err;
        EXPECT_NE(run.err.find(c.named), std::string::npos) << run.err;
        EXPECT_TRUE(sim.waitForQuiet());
        EXPECT_EQ(sim.allRx(), "") << c.args[0] << " " << c.named;
    }
}

}  // namespace
}  // namespace m350test
