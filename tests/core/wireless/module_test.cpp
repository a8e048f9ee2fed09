// SPDX-License-Identifier: MIT
// The external module: the exchange primitive (marker, silence, full
// collection, repeat, the port closed on every path), the serial switch into
// pass-through mode, detection, name read-back and the name/PIN write, in
// scripted tables and against the simulated printer's module.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/config/config_record.h"
#include "core/link/link_operations.h"
#include "core/wireless/external_module.h"
#include "support/scripted_port.h"
#include "support/sim_process.h"

namespace {

using m350::Field;

// A scripted COM port whose module answers with replies; every connection
// the code opens reads from the same script.
struct ModuleRig {
    explicit ModuleRig(std::vector<std::string> replies) : link(std::move(replies)) {
        link.conn().close();
        link.port().opens = 0;
        link.port().closes = 0;
        link.ctx().timeouts.moduleReadMs = 10;
    }
    m350::Link l() { return {link.ctx(), m350::kCom}; }
    m350test::ScriptedLink link;
};

struct ExchangeCase {
    const char* what;
    std::vector<std::string> replies;
    std::optional<std::string> marker;
    int repeat;
    bool failOpen;
    bool failWrites;
    int result;
    std::string collected;
    std::string written;
};

TEST(ModuleExchange, MarkerSilenceAndFailures) {
    const std::string full(1024, 'x');
    const ExchangeCase cases[] = {
        {"marker arrives",
         {"\r\n+STA:1\r\n"},
         "\r\n+STA:1\r\n",
         1,
         false,
         false,
         m350::kOk,
         "\r\n+STA:1\r\n",
         "AT\r"},
        {"marker in pieces after noise",
         {"noise\r\n+ST", "A:1\r\nrest"},
         "\r\n+STA:1\r\n",
         1,
         false,
         false,
         m350::kOk,
         "noise\r\n+STA:1\r\n",
         "AT\r"},
        {"marker never comes",
         {"\r\nERROR\r\n"},
         "\r\n1\r\n",
         1,
         false,
         false,
         m350::kReceiveError,
         "\r\nERROR\r\n",
         "AT\r"},
        {"no marker: collects until silence",
         {"\r\n+LN:A\r\n"},
         std::nullopt,
         1,
         false,
         false,
         m350::kOk,
         "\r\n+LN:A\r\n",
         "AT\r"},
        {"no marker, nothing comes", {}, std::nullopt, 1, false, false, m350::kOk, "", "AT\r"},
        {"repeat 3", {}, std::nullopt, 3, false, false, m350::kOk, "", "AT\rAT\rAT\r"},
        {"repeat 0 counts as 1", {}, std::nullopt, 0, false, false, m350::kOk, "", "AT\r"},
        {"port does not open", {}, "U", 1, true, false, m350::kPortOpenError, "", ""},
        {"write fails", {"U"}, "U", 1, false, true, m350::kTransmitError, "", ""},
        // A module that fills the collection without the marker, or without
        // falling silent, fails instead of being read on.
        {"full before the marker",
         {full + "U"},
         "U",
         1,
         false,
         false,
         m350::kReceiveError,
         full,
         "AT\r"},
        {"full without a marker",
         {full + "more"},
         std::nullopt,
         1,
         false,
         false,
         m350::kReceiveError,
         full,
         "AT\r"},
        {"marker as the 1024th byte",
         {std::string(1023, 'x') + "U"},
         "U",
         1,
         false,
         false,
         m350::kOk,
         std::string(1023, 'x') + "U",
         "AT\r"},
    };
    for (const auto& c : cases) {
        ModuleRig rig(c.replies);
        rig.link.port().failOpen = c.failOpen;
        rig.link.port().failWrites = c.failWrites;
        m350::Link l = rig.l();
        std::string collected = "stale";
        std::optional<std::string_view> marker;
        if (c.marker) marker = *c.marker;
        EXPECT_EQ(m350::moduleExchange(l, "AT\r", marker, &collected, c.repeat), c.result)
            << c.what;
        EXPECT_EQ(collected, c.collected) << c.what;
        EXPECT_EQ(rig.link.written(), c.written) << c.what;
        EXPECT_EQ(rig.link.port().opens, 1) << c.what;
        EXPECT_EQ(rig.link.port().closes, c.failOpen ? 0 : 1) << c.what;
    }
}

TEST(ModuleExchange, EachByteWaitsTheModuleLimit) {
    ModuleRig rig({});
    rig.link.ctx().timeouts.moduleReadMs = 3000;
    m350::Link l = rig.l();
    m350::moduleExchange(l, "\r\r\r", std::nullopt);
    ASSERT_FALSE(rig.link.port().refillWaits.empty());
    EXPECT_LE(rig.link.port().refillWaits.front(), 3000);
    EXPECT_GT(rig.link.port().refillWaits.front(), 2000);
}

struct ModeCase {
    const char* what;
    std::vector<std::string> replies;
    bool failWrites;
    int result;
    int opens;
};

TEST(ModuleMode, SwitchThenDebugConfirmedByU) {
    // An empty reply is a refill that gets nothing: the switch's collection
    // ends there, and what follows is the answer to the debug line.
    const ModeCase cases[] = {
        {"confirmed", {"", "U"}, false, m350::kOk, 2},
        {"confirmed after noise", {"", "xxU"}, false, m350::kOk, 2},
        {"not confirmed", {"", "x"}, false, m350::kNotSupported, 2},
        {"switch not sent", {}, true, m350::kTransmitError, 1},
    };
    for (const auto& c : cases) {
        ModuleRig rig(c.replies);
        rig.link.port().failWrites = c.failWrites;
        const int r = m350::runOperation(rig.link.ctx(), m350::kOpModuleMode, m350::kCom,
                                         m350::enterModuleMode);
        EXPECT_EQ(r, c.result) << c.what;
        const std::string want =
            c.failWrites ? "" : std::string("SET COM1 115,N,8,1\r\n") + "DEBUG 4193,7,2\r\n";
        EXPECT_EQ(rig.link.written(), want) << c.what;
        EXPECT_EQ(rig.link.port().opens, c.opens) << c.what;
        EXPECT_EQ(rig.link.port().closes, c.failWrites ? 1 : 2) << c.what;
    }
}

TEST(ModuleName, FormattedReadOfTheNameAnswer) {
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"\r\n+LN:PRN01\r\n", "PRN01"},
        {"\r\n+LN:My Printer\r\n", "My"},  // a blank keeps the first word
        {"  +LN:X", "X"},
        {"+LN: spaced\r\n", "spaced"},
        {"OK\r\n+LN:PRN01\r\n", std::nullopt},  // other text first
        {"\r\n+LN:\r\n", std::nullopt},
        {"", std::nullopt},
        {"+ln:lower", std::nullopt},
    };
    for (const auto& [answer, name] : cases)
        EXPECT_EQ(m350::parseModuleName(answer), name) << answer;
}

TEST(ModuleCommands, LinesAsSent) {
    EXPECT_EQ(m350::moduleSetNameCommand("PRN01"), "at+sln=PRN01\r");
    EXPECT_EQ(m350::moduleSetPinCommand("1234"), "at+pin=1234\r");
    // Formatted into 64 bytes: a longer value is cut, the CR stays.
    const std::string line = m350::moduleSetNameCommand(std::string(100, 'n'));
    EXPECT_EQ(line.size(), 63u);
    EXPECT_EQ(line.back(), '\r');
}

TEST(ModuleOperations, WithoutAModuleNothingIsSent) {
    ModuleRig rig({});
    m350::Link l = rig.l();
    m350::ConfigRecord record;
    record.setText(Field::extBtName, "Old");
    record.setByte(Field::extBtPresent, 0);
    EXPECT_EQ(m350::readModule(l, record), m350::kOk);
    EXPECT_EQ(m350::writeModule(l, record), m350::kOk);
    EXPECT_EQ(rig.link.port().opens, 0);
    EXPECT_EQ(record.text(Field::extBtName), "Old");
}

TEST(ModuleOperations, DetectionReadBackAndWrite) {
    // Detection: the marker; then wake (silence), the name, the two writes.
    ModuleRig rig({"\r\n+STA:1\r\n"});
    m350::Link l = rig.l();
    m350::ConfigRecord record;
    record.setByte(Field::extWifiPresent, 1);
    EXPECT_EQ(m350::detectModule(l, record), m350::kOk);
    EXPECT_EQ(record.byte(Field::extBtPresent), 1);
    EXPECT_EQ(record.byte(Field::extWifiPresent), 0);

    record.setText(Field::extBtPinCode, "9999");
    rig.link.port().replies.push_back("");  // the wake: nothing
    EXPECT_EQ(m350::readModule(l, record), m350::kOk);
    // Nothing answered the name: the name stays, the PIN is emptied.
    EXPECT_EQ(record.text(Field::extBtPinCode), "");

    record.setText(Field::extBtName, "PRN02");
    record.setText(Field::extBtPinCode, "4321");
    rig.link.port().replies = {"\r\n1\r\n", "\r\n1\r\n"};
    EXPECT_EQ(m350::writeModule(l, record), m350::kOk);
    EXPECT_EQ(rig.link.written(), "\r\rAT+STA\r\r\r\rAT+GLN\rat+sln=PRN02\rat+pin=4321\r");
    EXPECT_EQ(rig.link.port().opens, rig.link.port().closes);

    // A set that is not confirmed stops the write with 2.
    rig.link.port().replies = {"\r\nERROR\r\n"};
    rig.link.port().chunks.clear();
    EXPECT_EQ(m350::writeModule(l, record), m350::kTransmitError);
    EXPECT_EQ(rig.link.written(), "at+sln=PRN02\r");

    // Detection that is not answered.
    rig.link.port().replies = {"\r\nERROR\r\n"};
    EXPECT_NE(m350::detectModule(l, record), m350::kOk);
    EXPECT_EQ(record.byte(Field::extBtPresent), 0);
}

TEST(ModuleOnTheWire, SetupAgainstTheSimulatedModule) {
    m350test::SimProcess sim({"--ext-module", "SIMBT"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    m350::PortSettings settings;
    settings.net.address = "127.0.0.1";
    settings.net.port = sim.tcpPort();
    m350::LinkContext ctx;
    ctx.settings = &settings;
    ctx.sleep = [](int) {};
    ctx.timeouts.moduleReadMs = 300;
    EXPECT_EQ(m350::runOperation(ctx, m350::kOpModuleMode, m350::kEthernet, m350::enterModuleMode),
              m350::kOk);
    m350::Link l{ctx, m350::kEthernet};
    m350::ConfigRecord record;
    EXPECT_EQ(m350::detectModule(l, record), m350::kOk);
    EXPECT_EQ(m350::readModule(l, record), m350::kOk);
    EXPECT_EQ(record.text(Field::extBtName), "SIMBT");
    record.setText(Field::extBtName, "NEWNAME");
    record.setText(Field::extBtPinCode, "2468");
    EXPECT_EQ(m350::writeModule(l, record), m350::kOk);
    EXPECT_EQ(m350::readModule(l, record), m350::kOk);
    EXPECT_EQ(record.text(Field::extBtName), "NEWNAME");
    ASSERT_TRUE(sim.waitForQuiet());
    std::vector<std::string> rx;
    for (const auto& c : sim.transcript()) rx.push_back(c.rx);
    const std::vector<std::string> want = {
        "SET COM1 115,N,8,1\r\n", "DEBUG 4193,7,2\r\n", "\r\rAT+STA\r", "\r\r\r",  "AT+GLN\r",
        "at+sln=NEWNAME\r",       "at+pin=2468\r",      "\r\r\r",       "AT+GLN\r"};
    EXPECT_EQ(rx, want);
}

TEST(ModuleOnTheWire, PrinterWithoutAModuleDoesNotConfirm) {
    m350test::SimProcess sim;
    ASSERT_TRUE(sim.ok()) << sim.error();
    m350::PortSettings settings;
    settings.net.address = "127.0.0.1";
    settings.net.port = sim.tcpPort();
    m350::LinkContext ctx;
    ctx.settings = &settings;
    ctx.timeouts.moduleReadMs = 200;
    EXPECT_EQ(m350::runOperation(ctx, m350::kOpModuleMode, m350::kEthernet, m350::enterModuleMode),
              m350::kNotSupported);
}

}  // namespace
