// SPDX-License-Identifier: MIT
// The access-point and Bluetooth scans: the reply parsers on byte vectors,
// the list rows, the waits and their progress steps, and the bytes on the
// wire against the simulated printer.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/link/link_operations.h"
#include "core/wireless/wireless_scan.h"
#include "support/scripted_port.h"
#include "support/sim_process.h"
#include "support/test_files.h"

using m350test::frame;

namespace {

using m350::AccessPointScan;
using m350::BluetoothScan;

struct ApCase {
    const char* what;
    std::string payload;
    int result;
    bool found;
    std::vector<std::pair<std::string, int>> entries;
};

TEST(AccessPointScanParser, Payloads) {
    const ApCase cases[] = {
        {"three",
         "3\rSimNet,2,-41\rGuest,0,-67\rLab,1,-80\r",
         m350::kOk,
         true,
         {{"SimNet", 2}, {"Guest", 0}, {"Lab", 1}}},
        {"no module", "-1\r", m350::kOk, false, {}},
        {"none heard", "0\r", m350::kOk, true, {}},
        {"negative count", "-5\rA,1,x\r", m350::kOk, true, {}},
        {"no CR at all", "2", m350::kReceiveError, false, {}},
        {"empty payload", "", m350::kReceiveError, false, {}},
        {"count above the lines", "3\rA,1,x\rB,2,y\r", m350::kOk, true, {{"A", 1}, {"B", 2}}},
        {"count below the lines", "1\rA,1,x\rB,2,y\r", m350::kOk, true, {{"A", 1}}},
        {"line without a comma ends the list",
         "3\rA,1,x\rbroken\rC,2,z\r",
         m350::kOk,
         true,
         {{"A", 1}}},
        {"line without its third field ends the list",
         "2\rA,1,x\rB,2\r",
         m350::kOk,
         true,
         {{"A", 1}}},
        {"last line without CR still counts", "1\rA,2,x", m350::kOk, true, {{"A", 2}}},
        {"empty SSID", "1\r,2,x\r", m350::kOk, true, {{"", 2}}},
        {"code that is no number", "1\rA,zz,x\r", m350::kOk, true, {{"A", 0}}},
        {"count with blanks", " 1\rA,3,x\r", m350::kOk, true, {{"A", 3}}},
        {"count that is no number", "x\rA,1,x\r", m350::kOk, true, {}},
    };
    for (const auto& c : cases) {
        AccessPointScan scan;
        scan.entries.push_back({"stale", 9});
        EXPECT_EQ(m350::parseAccessPointScan(c.payload, scan), c.result) << c.what;
        EXPECT_EQ(scan.moduleFound, c.found) << c.what;
        std::vector<std::pair<std::string, int>> got;
        for (const auto& e : scan.entries) got.emplace_back(e.ssid, e.encryption);
        EXPECT_EQ(got, c.entries) << c.what;
    }
}

TEST(AccessPointScanParser, TakesAtMostAHundred) {
    std::string payload = "150\r";
    for (int i = 0; i < 150; ++i) payload += "N" + std::to_string(i) + ",1,x\r";
    AccessPointScan scan;
    EXPECT_EQ(m350::parseAccessPointScan(payload, scan), m350::kOk);
    ASSERT_EQ(scan.entries.size(), 100u);
    EXPECT_EQ(scan.entries.back().ssid, "N99");
}

struct BtCase {
    const char* what;
    std::string payload;
    int result;
    bool found;
    std::vector<std::pair<std::string, std::string>> entries;
};

TEST(BluetoothScanParser, Payloads) {
    const BtCase cases[] = {
        {"count 0", "0\r", m350::kOk, true, {}},
        {"count -1", "-1\r", m350::kOk, false, {}},
        {"two in order",
         "2\rB,02:00:00:00:00:02\rA,02:00:00:00:00:01\r",
         m350::kOk,
         true,
         {{"B", "02:00:00:00:00:02"}, {"A", "02:00:00:00:00:01"}}},
        {"count 3 with two lines", "3\rA,11\rB,22\r", m350::kOk, true, {{"A", "11"}, {"B", "22"}}},
        {"empty name", "1\r,02:00:00:00:00:09\r", m350::kOk, true, {{"", "02:00:00:00:00:09"}}},
        {"empty address", "1\rName,\r", m350::kOk, true, {{"Name", ""}}},
        {"duplicates stay", "2\rA,1\rA,1\r", m350::kOk, true, {{"A", "1"}, {"A", "1"}}},
        {"malformed line ends the list", "3\rA,1\rno comma\rC,3\r", m350::kOk, true, {{"A", "1"}}},
        {"address without its CR is not taken", "2\rA,1\rB,2", m350::kOk, true, {{"A", "1"}}},
        {"no CR", "1", m350::kReceiveError, false, {}},
    };
    for (const auto& c : cases) {
        BluetoothScan scan;
        EXPECT_EQ(m350::parseBluetoothScan(c.payload, scan), c.result) << c.what;
        EXPECT_EQ(scan.moduleFound, c.found) << c.what;
        std::vector<std::pair<std::string, std::string>> got;
        for (const auto& e : scan.entries) got.emplace_back(e.name, e.address);
        EXPECT_EQ(got, c.entries) << c.what;
    }
}

TEST(AccessPointRows, DuplicateRuleAndWords) {
    AccessPointScan scan;
    scan.moduleFound = true;
    scan.entries = {{"Home", 2}, {"Home", 2}, {"Home", 1}, {"Cafe", 3}, {"Cafe", 0}, {"home", 2}};
    const auto rows = m350::accessPointRows(scan);
    std::vector<std::pair<std::string, std::string>> got;
    for (const auto& r : rows) got.emplace_back(r.ssid, r.encryption);
    const std::vector<std::pair<std::string, std::string>> want = {
        {"Home", "WPA"}, {"Home", "WEP"}, {"Cafe", "NONE"}, {"Cafe", "NONE"}, {"home", "WPA"}};
    EXPECT_EQ(got, want);
    EXPECT_EQ(m350::encryptionIndexForWord("WEP"), 1);
    EXPECT_EQ(m350::encryptionIndexForWord("WPA"), 5);
    EXPECT_EQ(m350::encryptionIndexForWord("NONE"), 0);
}

struct WaitCase {
    const char* what;
    bool bluetooth;
    int pauses;
    int pauseMs;
    std::string request;
};

// The waits go through the pause seam (nothing sleeps here), each followed by
// one progress step, and the reply is read only after them.
TEST(ScanOperations, WaitStepAndRead) {
    const WaitCase cases[] = {
        {"access points", false, 60, 200, "DIAGNOSTIC REPORT SCANAP\r\n"},
        {"bluetooth", true, 100, 600, "DIAGNOSTIC REPORT SCANBT\r\n"},
    };
    for (const auto& c : cases) {
        m350test::ScriptedLink link({frame("USB"), frame(c.bluetooth ? "1\rA,1\r" : "1\rA,1,x\r")},
                                    m350::kUsb);
        link.conn().close();
        m350test::RecordingProgress progress;
        std::vector<int> pauses;
        link.ctx().progress = &progress;
        link.ctx().sleep = [&](int ms) { pauses.push_back(ms); };
        int r = -1;
        std::size_t entries = 0;
        if (c.bluetooth) {
            BluetoothScan scan;
            r = m350::runOperation(link.ctx(), m350::kOpScanBt, m350::kUsb,
                                   [&](m350::Link& x) { return m350::scanBluetooth(x, scan); });
            entries = scan.entries.size();
        } else {
            AccessPointScan scan;
            r = m350::runOperation(link.ctx(), m350::kOpScanAp, m350::kUsb,
                                   [&](m350::Link& x) { return m350::scanAccessPoints(x, scan); });
            entries = scan.entries.size();
        }
        EXPECT_EQ(r, m350::kOk) << c.what;
        EXPECT_EQ(entries, 1u) << c.what;
        EXPECT_EQ(link.written(), "\r\nDIAGNOSTIC INTERFACE USB\r\n" + c.request) << c.what;
        // The scan's pauses, then the 200 ms before the window hides.
        std::vector<int> want(static_cast<std::size_t>(c.pauses), c.pauseMs);
        want.push_back(200);
        EXPECT_EQ(pauses, want) << c.what;
        const long steps = std::count(progress.calls.begin(), progress.calls.end(), "close");
        EXPECT_EQ(steps, 1) << c.what;
        EXPECT_EQ(progress.calls.front(), "open Communicating...") << c.what;
        // open, its position, one position per write's step... at least one per pause.
        EXPECT_GE(progress.calls.size(), static_cast<std::size_t>(c.pauses) + 3) << c.what;
        EXPECT_EQ(link.port().opens, link.port().closes) << c.what;
    }
}

struct FailCase {
    const char* what;
    std::vector<std::string> replies;
    bool failOpen;
    int result;
};

TEST(ScanOperations, FailuresAndThePortClosed) {
    const FailCase cases[] = {
        {"port", {}, true, m350::kPortOpenError},
        {"no announcement reply", {}, false, m350::kTransmitError},
        {"no scan reply", {frame("USB")}, false, m350::kReceiveError},
        {"reply without CR", {frame("USB"), frame("2")}, false, m350::kReceiveError},
    };
    for (const auto& c : cases) {
        for (bool bluetooth : {false, true}) {
            m350test::ScriptedLink link(c.replies, m350::kUsb);
            link.conn().close();
            link.port().opens = link.port().closes = 0;
            link.port().failOpen = c.failOpen;
            link.ctx().timeouts.usbReadMs = 20;
            m350::Link l{link.ctx(), m350::kUsb};
            AccessPointScan ap;
            BluetoothScan bt;
            const int r = bluetooth ? m350::scanBluetooth(l, bt) : m350::scanAccessPoints(l, ap);
            EXPECT_EQ(r, c.result) << c.what << " bt=" << bluetooth;
            EXPECT_EQ(link.port().closes, c.failOpen ? 0 : link.port().opens) << c.what;
        }
    }
}

m350::PortSettings tcpTo(const m350test::SimProcess& sim) {
    m350::PortSettings settings;
    settings.net.address = "127.0.0.1";
    settings.net.port = sim.tcpPort();
    return settings;
}

TEST(ScanOnTheWire, ListsFromTheSimulatorAndItsBytes) {
    m350test::SimProcess sim({"--scan-delay", "100", "--ap", "Office,2", "--ap", "Office,2,-60",
                              "--ap", "Office,1,-70", "--ap", "Open,3,-50", "--bt",
                              "Scanner,02:00:00:00:00:0A", "--bt", ",02:00:00:00:00:0B"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    m350::PortSettings settings = tcpTo(sim);
    m350::LinkContext ctx;
    ctx.settings = &settings;
    ctx.sleep = [](int) {};
    AccessPointScan ap;
    ASSERT_EQ(m350::runOperation(ctx, m350::kOpScanAp, m350::kEthernet,
                                 [&](m350::Link& l) { return m350::scanAccessPoints(l, ap); }),
              m350::kOk);
    const auto rows = m350::accessPointRows(ap);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].ssid + rows[0].encryption, "OfficeWPA");
    EXPECT_EQ(rows[1].ssid + rows[1].encryption, "OfficeWEP");
    EXPECT_EQ(rows[2].ssid + rows[2].encryption, "OpenNONE");
    BluetoothScan bt;
    ASSERT_EQ(m350::runOperation(ctx, m350::kOpScanBt, m350::kEthernet,
                                 [&](m350::Link& l) { return m350::scanBluetooth(l, bt); }),
              m350::kOk);
    ASSERT_EQ(bt.entries.size(), 2u);
    EXPECT_EQ(bt.entries[1].name, "");
    EXPECT_EQ(bt.entries[1].address, "02:00:00:00:00:0B");
    EXPECT_EQ(m350::runOperation(ctx, m350::kOpBtMaster, m350::kEthernet,
                                 [](m350::Link& l) { return m350::setBluetoothMaster(l, ""); }),
              m350::kOk);
    ASSERT_TRUE(sim.waitForClosed(3));
    const auto t = sim.transcript();
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0].rx, "\r\nDIAGNOSTIC INTERFACE NET\r\nDIAGNOSTIC REPORT SCANAP\r\n");
    EXPECT_EQ(t[1].rx, "\r\nDIAGNOSTIC INTERFACE NET\r\nDIAGNOSTIC REPORT SCANBT\r\n");
    EXPECT_EQ(t[2].rx, "BT DMAC \"\"\r\n");
    EXPECT_TRUE(t[2].tx.empty());
}

TEST(ScanOnTheWire, PrinterWithoutModulesAnswersMinusOne) {
    m350test::SimProcess sim({"--scan-delay", "50", "--wifi", "off", "--bluetooth", "no"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    m350::PortSettings settings = tcpTo(sim);
    m350::LinkContext ctx;
    ctx.settings = &settings;
    ctx.sleep = [](int) {};
    m350::Link l{ctx, m350::kEthernet};
    AccessPointScan ap;
    ap.moduleFound = true;
    EXPECT_EQ(m350::scanAccessPoints(l, ap), m350::kOk);
    EXPECT_FALSE(ap.moduleFound);
    BluetoothScan bt;
    EXPECT_EQ(m350::scanBluetooth(l, bt), m350::kOk);
    EXPECT_FALSE(bt.moduleFound);
}

}  // namespace
