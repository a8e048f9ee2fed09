// Dump text, clock, sensor and emulation operations against the simulated
// printer: the bytes it received, and what a later read gives back.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "core/access/emulation.h"
#include "core/link/connection.h"
#include "core/link/link_operations.h"
#include "core/printer/clock.h"
#include "core/printer/dump_text.h"
#include "core/printer/maintenance.h"
#include "core/printer/sensor.h"
#include "support/scripted_port.h"
#include "support/sim_process.h"

using namespace m350;
using m350test::SimProcess;

namespace {

const std::string kAnnounce = "\r\nDIAGNOSTIC INTERFACE NET\r\n";

struct NetRig {
    SimProcess sim;
    PortSettings settings;
    LinkContext ctx;

    explicit NetRig(std::vector<std::string> args = {}) : sim(std::move(args)) {
        settings.net = {"127.0.0.1", sim.tcpPort()};
        ctx.settings = &settings;
        ctx.sleep = [](int) {};
        ctx.timeouts.netReadMs = 2000;
        ctx.timeouts.progressHideMs = 0;
    }
    int run(std::uint32_t op, const OperationCall& call) {
        return runOperation(ctx, op, kEthernet, call);
    }
    // What each connection received, once count of them have closed.
    std::vector<std::string> received(std::size_t count) {
        EXPECT_TRUE(sim.waitForClosed(count));
        std::vector<std::string> rx;
        for (const auto& c : sim.transcript()) rx.push_back(c.rx);
        return rx;
    }
};

#define START(rig, ...)      \
    NetRig rig{__VA_ARGS__}; \
    ASSERT_TRUE(rig.sim.ok()) << rig.sim.error()

}  // namespace

TEST(PrinterFunctionsWire, DumpModesByteForByteAndTheFetchedFile) {
    START(rig);
    const std::vector<std::pair<DumpRequest, std::string>> cases = {
        {{kDumpPrint, "Dump.txt"}, "DUMP_TEXT PRINT,"},
        {{kDumpToCard, "LOG1.TXT"}, "DUMP_TEXT SAVE 1000,E,\"LOG1.TXT\","},
        {{kDumpForFetch, "IGNORED"}, "DUMP_TEXT SAVE 1000,\"Dump.txt\","},
    };
    for (const auto& [request, bytes] : cases)
        ASSERT_EQ(rig.run(kOpDumpText, [&](Link& l) { return enterDumpMode(l, request); }), kOk);
    // Nothing was dumped yet: the printer's Dump.txt is empty, and so is the fetch.
    std::string data = "old";
    ASSERT_EQ(rig.run(kOpFetchFile, [&](Link& l) { return fetchFile(l, kDumpFetchName, data); }),
              kOk);
    EXPECT_EQ(data, "");
    auto rx = rig.received(4);
    ASSERT_EQ(rx.size(), 4u);
    for (std::size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(rx[i], cases[i].second);
    EXPECT_EQ(rx[3], "\r\nDIAGNOSTIC FILE \"Dump.txt\"\r\n\r\n");

    // What a host sends after the mode is what the fetch returns, whole.
    const std::string text = "^XA^FO50,50^FDHello{|}^FS^XZ\r\n";
    ASSERT_EQ(rig.run(kOpDumpText,
                      [&](Link& l) {
                          Connection c(l.ctx, l.iface);
                          if (!c.open()) return int(kPortOpenError);
                          return c.write(dumpCommand({kDumpForFetch, ""}) + text)
                                     ? int(kOk)
                                     : int(kTransmitError);
                      }),
              kOk);
    ASSERT_TRUE(rig.sim.waitForClosed(5));
    ASSERT_EQ(rig.run(kOpFetchFile, [&](Link& l) { return fetchFile(l, kDumpFetchName, data); }),
              kOk);
    EXPECT_EQ(data, text);
}

TEST(PrinterFunctionsWire, ClockSetThenReadGivesTheValuesBack) {
    START(rig);
    const ClockValues typed{2024, 13, 31, 23, 59, 58};
    ASSERT_EQ(rig.run(kOpSetClock, [&](Link& l) { return setClock(l, typed); }), kOk);
    ClockValues read{};
    ASSERT_EQ(rig.run(kOpReadClock, [&](Link& l) { return readClock(l, read); }), kOk);
    // The year went out modulo 100; the month as typed.
    EXPECT_EQ(read, (ClockValues{24, 13, 31, 23, 59, 58}));
    auto rx = rig.received(2);
    EXPECT_EQ(rx[0],
              "@YEAR = \"24\"\r\n@MONTH = \"13\"\r\n@DATE = \"31\"\r\n@HOUR = \"23\"\r\n"
              "@MINUTE = \"59\"\r\n@SECOND = \"58\"\r\n");
    EXPECT_EQ(rx[1], kAnnounce +
                         "DIAGNOSTIC REPORT YEAR\r\nDIAGNOSTIC REPORT MONTH\r\nDIAGNOSTIC REPORT "
                         "DATE\r\nDIAGNOSTIC REPORT HOUR\r\nDIAGNOSTIC REPORT MINUTE\r\n"
                         "DIAGNOSTIC REPORT SECOND\r\n");
}

TEST(PrinterFunctionsWire, SensorSettingsByEdition) {
    struct Case {
        const char* edition;
        bool threshold;
    };
    for (const Case c : {Case{"108", true}, Case{"104", true}, Case{"103", false}}) {
        START(rig, {"--edition", c.edition, "--set", "SENSORMODE=1", "--set", "BLINEINTEN=9"});
        SensorRequest r;
        ASSERT_EQ(rig.run(kOpReadSensor, [&](Link& l) { return readSensorSettings(l, r); }), kOk);
        EXPECT_EQ(r.mediaType, kMediaBlackMark);
        EXPECT_EQ(r.intensity, 9);
        EXPECT_EQ(r.threshold, c.threshold ? 30 : 0) << c.edition;
        auto rx = rig.received(1);
        std::string want = kAnnounce +
                           "DIAGNOSTIC REPORT SENSORMODE\r\nDIAGNOSTIC REPORT BLINEINTEN\r\n"
                           "DIAGNOSTIC REPORT EDITION\r\n";
        if (c.threshold) want += "DIAGNOSTIC REPORT THRESHOLD\r\n";
        EXPECT_EQ(rx[0], want) << c.edition;
    }
}

TEST(PrinterFunctionsWire, SensorCurvesFollowTheMediaUnderTheSensor) {
    char path[] = "/tmp/m350-media-XXXXXX";
    const int fd = ::mkstemp(path);
    ASSERT_GE(fd, 0);
    ::close(fd);
    auto put = [&](const char* what) { std::ofstream(path) << what << "\n"; };
    put("liner");
    START(rig, {"--gapsensor", "100,500,900/120,600,300", "--blinesensor", "10,20/300,400",
                "--media-file", path});
    auto read = [&](int mode) {
        SensorValues v;
        v.mode = mode;
        EXPECT_EQ(rig.run(kOpSensorValues, [&](Link& l) { return readSensorValues(l, v); }), kOk);
        return v.readings;
    };
    using R = std::vector<std::int32_t>;
    const R liner = read(kMediaGap);
    EXPECT_EQ(liner, (R{100, 500, 900}));
    EXPECT_EQ(read(kMediaBlackMark), (R{10, 20}));
    put("label");
    const R label = read(kMediaGap);
    EXPECT_EQ(label, (R{120, 600, 300}));
    // Continuous media reads the gap sensor.
    EXPECT_EQ(read(kMediaContinuous), (R{120, 600, 300}));
    // The worked example end to end.
    const CalibrationChoice choice = chooseLevel(liner, label);
    EXPECT_TRUE(choice.found);
    EXPECT_EQ(choice.level, 2);
    EXPECT_EQ(choice.threshold, 600);
    auto rx = rig.received(4);
    EXPECT_EQ(rx[0], "DIAGNOSTIC REPORT GAPSENSOR\r\n");
    EXPECT_EQ(rx[1], "DIAGNOSTIC REPORT BLINESENSOR\r\n");
    std::remove(path);
}

TEST(PrinterFunctionsWire, CalibrationCommandsChangeWhatThePrinterReports) {
    START(rig);
    SensorRequest manual;
    manual.manual = 1;
    manual.mediaType = kMediaBlackMark;
    manual.intensity = 2;
    manual.threshold = 600;
    ASSERT_EQ(rig.run(kOpSensorCommand, [&](Link& l) { return applySensorCalibration(l, manual); }),
              kOk);
    SensorRequest read;
    ASSERT_EQ(rig.run(kOpReadSensor, [&](Link& l) { return readSensorSettings(l, read); }), kOk);
    EXPECT_EQ(read.mediaType, kMediaBlackMark);
    EXPECT_EQ(read.intensity, 2);
    EXPECT_EQ(read.threshold, 600);

    SensorRequest automatic;
    automatic.mediaType = kMediaGap;
    automatic.paperHeight = *lengthInDots(1.5, 203);
    automatic.gap = *lengthInDots(0.12, 203);
    ASSERT_EQ(
        rig.run(kOpSensorCommand, [&](Link& l) { return applySensorCalibration(l, automatic); }),
        kOk);
    ASSERT_EQ(rig.run(kOpReadSensor, [&](Link& l) { return readSensorSettings(l, read); }), kOk);
    EXPECT_EQ(read.mediaType, kMediaGap);
    auto rx = rig.received(4);
    EXPECT_EQ(rx[0], "SET SENSOR_REF MANUAL\r\nBLINE 0.08,0\r\nSET GAP 2,600\r\n\x10\x4A\x4C");
    EXPECT_EQ(rx[2], "SET SENSOR_REF MANUAL\r\nGAPDETECT 304,24\r\n");
}

TEST(PrinterFunctionsWire, EmulationSwitchIsWhatTheQueryReports) {
    START(rig, {"--set", "ACT_EMULATION=0"});
    int emulation = -1;
    ASSERT_EQ(rig.run(kOpEmulationQuery, [&](Link& l) { return readEmulation(l, emulation); }),
              kOk);
    EXPECT_EQ(emulation, kEmulationZpl2);
    ASSERT_EQ(rig.run(kOpEmulationSwitch, [](Link& l) { return switchEmulation(l, 1); }), kOk);
    ASSERT_EQ(rig.run(kOpEmulationQuery, [&](Link& l) { return readEmulation(l, emulation); }),
              kOk);
    EXPECT_EQ(emulation, kEmulationCpcl);
    ASSERT_EQ(rig.run(kOpEmulationSwitch, [](Link& l) { return switchEmulation(l, 0); }), kOk);
    ASSERT_EQ(rig.run(kOpEmulationQuery, [&](Link& l) { return readEmulation(l, emulation); }),
              kOk);
    EXPECT_EQ(emulation, kEmulationZpl2);
    auto rx = rig.received(5);
    EXPECT_EQ(rx[0], kAnnounce + "DIAGNOSTIC REPORT ACT_EMULATION\r\n");
    EXPECT_EQ(rx[1], "\x1B\x59");
    EXPECT_EQ(rx[3], "\x1B\x5A");
}
