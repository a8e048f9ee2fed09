// SPDX-License-Identifier: MIT
// The configuration read against the simulated printer: the exact keys asked
// for each edition and module branch (from the simulator's transcript), the
// parse rules on their edge cases, and the failure rules. Plus the parse
// rules as pure functions.
#include <gtest/gtest.h>

#include <cstdlib>
#include <initializer_list>

#include "core/config/config_read.h"
#include "core/link/link_operations.h"
#include "support/scripted_port.h"
#include "support/sim_process.h"

using namespace m350;
using F = m350::Field;
using Keys = std::vector<std::string>;

namespace {

struct ReadRun {
    int result = -1;
    ConfigRecord record;
    Keys keys;  // report keys in order; "<NET>" the announcement, "<SERIAL>" the serial line
};

// Reads the configuration from a fresh simulator started with args.
ReadRun readFromSim(std::vector<std::string> args, int readLimitMs = 3000,
                    ProgressSink* progress = nullptr, int extra = 0, int iface = kEthernet) {
    ReadRun run;
    m350test::SimProcess sim(std::move(args), iface == kCom);
    if (!sim.ok()) {
        ADD_FAILURE() << "simulator: " << sim.error();
        return run;
    }
    PortSettings settings;
    settings.net.address = "127.0.0.1";
    settings.net.port = sim.tcpPort();
    if (iface == kCom) {
        settings.serial.portName = "COM9";
        ::setenv("M350_COM9", sim.ptyPath().c_str(), 1);
    }
    LinkContext ctx;
    ctx.settings = &settings;
    ctx.sleep = [](int) {};
    ctx.progress = progress;
    ctx.timeouts.netReadMs = readLimitMs;
    run.result = m350::runOperation(
        ctx, kOpReadConfig, iface, [&](m350::Link& l) { return m350::readConfig(l, run.record); },
        extra == 1);
    sim.waitForClosed(1);
    auto conns = sim.transcript();
    if (conns.empty()) return run;
    const std::string& rx = conns[0].rx;
    std::size_t at = 0;
    while (at < rx.size()) {
        std::size_t end = rx.find("\r\n", at);
        if (end == std::string::npos) end = rx.size();
        std::string line = rx.substr(at, end - at);
        at = end + 2;
        if (line.rfind("DIAGNOSTIC REPORT ", 0) == 0) {
            run.keys.push_back(line.substr(18));
        } else if (line == "DIAGNOSTIC INTERFACE NET") {
            run.keys.push_back("<NET>");
        } else if (line == "DIAGNOSTIC INTERFACE COM") {
            run.keys.push_back("<COM>");
        } else if (line == "OUT _SERIAL$") {
            run.keys.push_back("<SERIAL>");
        } else if (!line.empty()) {
            run.keys.push_back("?" + line);
        }
    }
    return run;
}

Keys join(std::initializer_list<Keys> parts) {
    Keys all;
    for (const Keys& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

const Keys kHead = {"<NET>", "DPI", "VERSION", "MILAGE", "CHECKSUM", "<SERIAL>"};
const Keys kCommon = {
    "SPEED",     "DENSITY",    "DENSITYBASE", "PAPERWIDTH", "PAPERHEIGHT", "SENSORMODE", "GAPSIZE",
    "GAPOFFSET", "PRINTOUT",   "CUTTERPIECE", "REFERENCEX", "REFERENCEY",  "DIRCTION",   "MIRROR",
    "OFFSET",    "OFFSETBASE", "SHIFT",       "SHIFTBASE",  "RIBBON",      "CODEPAGE",   "COUNTRY",
    "HEAD",      "GAPINTEN",   "BLINEINTEN",  "CONINTEN",   "BAUDRATE",    "DATABIT",    "PARITY",
    "STOPBIT",   "REPRINT",    "SHIFTX",      "SHIFTXBASE", "EDITION"};
const Keys kEmulations = {"ZDARKNESS",       "ZSPEED",         "ZPOSITION",     "ZPRINTMODE",
                          "ZLABELWIDTH",     "ZCONTROL",       "ZFORMAT",       "ZDELIMITER",
                          "ZFEEDPOWERUP",    "ZFEEDHEADCLOSE", "ZLABELTOP",     "ZLABELSHIFT",
                          "DHEAT",           "DSPEED",         "DLABELWIDTH",   "DPRESENTSENSOR",
                          "DCUTTEREQUIPPED", "DCONTROLCODES",  "DCOLUMNOFFSET", "DROWOFFSET"};
const Keys kCounters = {"CUTCOUNTER", "MAXLENGTH"};
const Keys kSensors = {"RESETMILAGE", "RESETCUTCOUNTER", "RIBBONSENSOR", "RIBBONENCODER",
                       "AUTOTHRESHOLD"};
const Keys kBluetooth = {"ISBT", "BTPINCODE", "BTNAME"};
const Keys kAddress = {"WIFIIP", "WIFIMASK", "WIFIGATEWAY"};
const Keys kWifiMiddle = {"ISWIFI",       "WIFIPRINTNAME", "WIFIFREQ",
                          "WIFIROAMTRIG", "WIFIROAMDELTA", "WIFIRAWPORT"};
const Keys kCurrent = {"WIFIMAC", "WIFICIP", "WIFICMASK", "WIFICGATEWAY"};
const Keys kLast = {"BTVERSION", "BTLOCALMAC", "LANGUAGE"};

// The SSID block (rows 69-75 or 82-88) for a WPA network.
Keys wpaBlock() {
    return join({{"WIFISSID", "WIFIWPA"}, kAddress});
}

}  // namespace

TEST(ConfigReadParse, Numbers) {
    EXPECT_EQ(parseConfigInt("  -12abc"), -12);
    EXPECT_EQ(parseConfigInt("+7"), 7);
    EXPECT_EQ(parseConfigInt(""), 0);
    EXPECT_EQ(parseConfigInt("x5"), 0);
    EXPECT_EQ(parseConfigInt("99999999999"), 2147483647);
    EXPECT_EQ(parseConfigInt("-99999999999"), -2147483647 - 1);
    EXPECT_FLOAT_EQ(parseConfigReal("3.00"), 3.0f);
    EXPECT_FLOAT_EQ(parseConfigReal(" -1.5e1 ips"), -15.0f);
    EXPECT_FLOAT_EQ(parseConfigReal(".5"), 0.5f);
    EXPECT_FLOAT_EQ(parseConfigReal("2e"), 2.0f) << "an exponent without digits is not one";
    EXPECT_FLOAT_EQ(parseConfigReal("+4"), 4.0f);
    EXPECT_EQ(parseConfigReal("nan"), 0.0f);
    EXPECT_EQ(parseConfigReal("0x10"), 0.0f);
    EXPECT_EQ(parseConfigReal(""), 0.0f);
}

TEST(ConfigReadParse, ResolutionAndLetterCodes) {
    EXPECT_FLOAT_EQ(*dotsPerMmForDpi(203.0f), 8.0f);
    EXPECT_FLOAT_EQ(*dotsPerMmForDpi(300.0f), 11.8f);
    EXPECT_FLOAT_EQ(*dotsPerMmForDpi(600.0f), 23.6f);
    EXPECT_FALSE(dotsPerMmForDpi(0.0f));
    EXPECT_FALSE(dotsPerMmForDpi(-203.0f));
    EXPECT_FALSE(dotsPerMmForDpi(1.0f)) << "rounds to 0 dots per mm, no conversion possible";
    EXPECT_FALSE(dotsPerMmForDpi(1e30f));

    EXPECT_FLOAT_EQ(*dSpeedFromReply("A"), 1.0f);
    EXPECT_FLOAT_EQ(*dSpeedFromReply("B"), 1.5f);
    EXPECT_FLOAT_EQ(*dSpeedFromReply("V"), 11.5f);
    EXPECT_FLOAT_EQ(*dSpeedFromReply("X"), 13.0f);
    EXPECT_FLOAT_EQ(*dSpeedFromReply("c"), 18.0f);
    EXPECT_FALSE(dSpeedFromReply("f"));
    EXPECT_FALSE(dSpeedFromReply("BB"));
    EXPECT_FALSE(dSpeedFromReply(""));

    EXPECT_EQ(*zSpeedFromReply("D"), 6);
    EXPECT_EQ(*zSpeedFromReply("12"), 12);
    EXPECT_EQ(*zSpeedFromReply("F"), 0) << "other text goes through the integer rule";
    EXPECT_FALSE(zSpeedFromReply(""));
    EXPECT_EQ(*zPrintModeFromReply("R"), 1);
    EXPECT_EQ(*zPrintModeFromReply("D"), 3);
    EXPECT_FALSE(zPrintModeFromReply("TP"));
    EXPECT_EQ(*zMediaActionFromReply("N"), 4);
    EXPECT_FALSE(zMediaActionFromReply("f"));
    EXPECT_EQ(*dPresenceFromReply("A"), 2);
    EXPECT_EQ(*dControlCodesFromReply("2"), 3);
    EXPECT_FALSE(dControlCodesFromReply("3"));
}

TEST(ConfigRead, Edition99AsksNothingAfterEdition) {
    ReadRun run = readFromSim({"--profile", "basic"});
    ASSERT_EQ(run.result, kOk);
    EXPECT_EQ(run.keys, join({kHead, kCommon}));
    const ConfigRecord& r = run.record;
    EXPECT_EQ(r.integer(F::edition), 99);
    EXPECT_EQ(r.byte(F::dpiKnown), 1);
    EXPECT_FLOAT_EQ(r.real(F::dpi), 203.0f);
    EXPECT_FLOAT_EQ(r.real(F::dotsPerMm), 8.0f);
    EXPECT_EQ(r.text(F::serial), "SIM350000001");
    EXPECT_EQ(r.integer(F::codePage), 10);  // "850"
    EXPECT_EQ(r.integer(F::baudRate), 4);   // "9600"
    for (F f : {F::zDarkness, F::zControl, F::dHeat, F::dRowOffset, F::maxLength, F::ribbonSensor,
                F::autoThreshold, F::btPinCode, F::wifiSsid, F::extWifiSsid, F::extWifiCurrentIp,
                F::btVersion, F::btLocalMac, F::displayLanguage}) {
        EXPECT_FALSE(r.present(f)) << fieldInfoOf(f).name;
    }
    EXPECT_TRUE(r.present(F::reprint));
    EXPECT_EQ(r.byte(F::wifiPresent), 0);
    EXPECT_EQ(r.byte(F::btPresent), 0);
}

TEST(ConfigRead, Edition103AddsEmulationsCountersAndSensors) {
    ReadRun run = readFromSim({"--profile", "emulation"});
    ASSERT_EQ(run.result, kOk);
    EXPECT_EQ(run.keys, join({kHead, kCommon, kEmulations, kCounters, kSensors}));
    const ConfigRecord& r = run.record;
    EXPECT_EQ(r.integer(F::cutCounter), 42);
    EXPECT_EQ(r.integer(F::resetCutCounter), 7);
    EXPECT_EQ(r.text(F::resetMileage), "1.5");
    EXPECT_EQ(r.integer(F::zPrintMode), 1);    // "T"
    EXPECT_EQ(r.integer(F::zFeedPowerUp), 2);  // "C"
    EXPECT_EQ(r.character(F::zControl), '~');
    EXPECT_EQ(r.integer(F::dPresentSensor), 1);  // "N"
    EXPECT_EQ(r.integer(F::dControlCodes), 1);   // "S"
    EXPECT_TRUE(r.present(F::autoThreshold));
    EXPECT_FALSE(r.present(F::btName));
}

TEST(ConfigRead, Edition105WithWirelessAsksTheSsidBlockTwice) {
    ReadRun run = readFromSim({"--edition", "105", "--wifi", "wpa", "--bluetooth", "yes"});
    ASSERT_EQ(run.result, kOk);
    EXPECT_EQ(run.keys, join({kHead,
                              kCommon,
                              kEmulations,
                              kCounters,
                              kSensors,
                              kBluetooth,
                              {"ISWIFI"},
                              wpaBlock(),
                              kWifiMiddle,
                              wpaBlock()}));
    const ConfigRecord& r = run.record;
    EXPECT_EQ(r.text(F::wifiKey), "simsecret123");
    EXPECT_EQ(r.integer(F::wifiSecurity), 5);
    EXPECT_TRUE(r.present(F::wifiSecurity));
    EXPECT_EQ(r.text(F::extWifiKey), "simsecret123");
    EXPECT_EQ(r.byte(F::extWifiPresent), 1);
    EXPECT_EQ(r.text(F::btName), "M350-BT");
    EXPECT_EQ(r.integer(F::wifiRoamTrigger), -70);
    EXPECT_EQ(r.text(F::wifiFreq), "2.4");
    EXPECT_FALSE(r.present(F::extWifiCurrentIp)) << "below 106";
}

TEST(ConfigRead, Edition108WithEveryModule) {
    ReadRun run = readFromSim({"--profile", "full"});
    ASSERT_EQ(run.result, kOk);
    EXPECT_EQ(run.keys, join({kHead,
                              kCommon,
                              kEmulations,
                              kCounters,
                              kSensors,
                              kBluetooth,
                              {"ISWIFI"},
                              wpaBlock(),
                              kWifiMiddle,
                              wpaBlock(),
                              {"WIFISECUR", "WIFIWPA"},
                              kCurrent,
                              kLast}));
    const ConfigRecord& r = run.record;
    EXPECT_EQ(r.integer(F::edition), 108);
    // The internal module has an address set ("0.0.0.0"), so the address in
    // use is its own.
    EXPECT_EQ(r.text(F::wifiCurrentIp), "127.0.0.50");
    EXPECT_FALSE(r.present(F::extWifiCurrentIp));
    EXPECT_EQ(r.text(F::wifiMac), "02:00:00:35:0A:01");
    EXPECT_EQ(r.text(F::btVersion), "BT 4.2.1");
    EXPECT_EQ(r.integer(F::displayLanguage), 0);
    EXPECT_TRUE(r.present(F::displayLanguage));
}

TEST(ConfigRead, Edition108WithoutModules) {
    ReadRun run = readFromSim({"--wifi", "off", "--bluetooth", "no"});
    ASSERT_EQ(run.result, kOk);
    EXPECT_EQ(run.keys, join({kHead,
                              kCommon,
                              kEmulations,
                              kCounters,
                              kSensors,
                              {"ISBT"},
                              {"ISWIFI"},
                              {"WIFISECUR"},
                              kCurrent,
                              kLast}));
    const ConfigRecord& r = run.record;
    EXPECT_FALSE(r.present(F::btPinCode));
    EXPECT_FALSE(r.present(F::wifiSsid));
    EXPECT_EQ(r.integer(F::wifiSecurity), 0);
    EXPECT_FALSE(r.present(F::wifiKey));
    // No internal address: the address in use goes to the external fields.
    EXPECT_TRUE(r.present(F::extWifiCurrentIp));
    EXPECT_EQ(r.text(F::extWifiCurrentIp), "127.0.0.50");
    EXPECT_EQ(r.text(F::wifiCurrentIp), "");
}

TEST(ConfigRead, WepAndEnterpriseBranches) {
    ReadRun wep = readFromSim({"--edition", "106", "--wifi", "wep", "--bluetooth", "no"});
    ASSERT_EQ(wep.result, kOk);
    const Keys wepBlock = join({{"WIFISSID", "WIFIWPA", "WIFIWEP", "WIFIKEYINDEX"}, kAddress});
    EXPECT_EQ(wep.keys, join({kHead,
                              kCommon,
                              kEmulations,
                              kCounters,
                              kSensors,
                              {"ISBT"},
                              {"ISWIFI"},
                              wepBlock,
                              kWifiMiddle,
                              wepBlock,
                              {"WIFISECUR", "WIFIWEP", "WIFIKEYINDEX"},
                              kCurrent}));
    EXPECT_EQ(wep.record.integer(F::wifiSecurity), 1);
    EXPECT_EQ(wep.record.text(F::wifiKey), "0123456789");

    ReadRun eap = readFromSim({"--edition", "107", "--wifi", "eap", "--bluetooth", "no"});
    ASSERT_EQ(eap.result, kOk);
    const Keys open = join({{"WIFISSID", "WIFIWPA", "WIFIWEP"}, kAddress});
    EXPECT_EQ(eap.keys, join({kHead,
                              kCommon,
                              kEmulations,
                              kCounters,
                              kSensors,
                              {"ISBT"},
                              {"ISWIFI"},
                              open,
                              kWifiMiddle,
                              open,
                              {"WIFISECUR", "WIFIEAP", "WIFIUSERNAME", "WIFIPASSWD", "WIFICACERT",
                               "WIFICLTCERT", "WIFIPRIVKEY"},
                              kCurrent,
                              {"BTVERSION", "BTLOCALMAC"}}));
    EXPECT_EQ(eap.record.integer(F::wifiSecurity), 6);
    EXPECT_EQ(eap.record.integer(F::wifiEap), 33);
    EXPECT_EQ(eap.record.text(F::wifiUsername), "simuser");
    EXPECT_FALSE(eap.record.present(F::wifiKey)) << "the open SSID block left no key";
    EXPECT_FALSE(eap.record.present(F::displayLanguage));
}

TEST(ConfigRead, ParseRuleEdgeCasesFromThePrinter) {
    ReadRun run = readFromSim({"--set", "DSPEED=X",        "--set",    "CUTCOUNTER=-5",
                               "--set", "SENSORMODE=5",    "--set",    "CODEPAGE=9999",
                               "--set", "ZCONTROL=~~",     "--set",    "ZSPEED=",
                               "--set", "ZPRINTMODE=Q",    "--set",    "RESETCUTCOUNTER=-1",
                               "--set", "WIFIFREQ=5.0GHz", "--serial", std::string(80, 's')});
    ASSERT_EQ(run.result, kOk);
    const ConfigRecord& r = run.record;
    EXPECT_FLOAT_EQ(r.real(F::dSpeed), 13.0f);
    EXPECT_EQ(r.integer(F::cutCounter), 0);
    EXPECT_EQ(r.integer(F::resetCutCounter), 0);
    EXPECT_EQ(r.integer(F::sensorMode), 2);
    EXPECT_EQ(r.integer(F::codePage), 36);
    EXPECT_TRUE(r.present(F::codePage)) << "an unknown code page is kept as 'no selection'";
    EXPECT_FALSE(r.present(F::zControl));
    EXPECT_FALSE(r.present(F::zSpeed));
    EXPECT_FALSE(r.present(F::zPrintMode));
    EXPECT_EQ(r.text(F::wifiFreq), "5.0");
    EXPECT_EQ(r.text(F::serial), std::string(63, 's'));
    EXPECT_EQ(r.text(F::version), "M350-203 V2.07 SIM");
}

TEST(ConfigRead, OversizedMandatoryReplyFails) {
    // A 300-byte version does not fit its 256-byte read.
    ReadRun run = readFromSim({"--set", "VERSION=" + std::string(300, 'v')});
    EXPECT_EQ(run.result, kReceiveError);
    EXPECT_EQ(run.keys.back(), "VERSION");
}

TEST(ConfigRead, DSpeedLettersFromThePrinter) {
    for (auto [reply, present, value] :
         {std::tuple{"B", true, 1.5f}, {"c", true, 18.0f}, {"f", false, 0.0f}}) {
        ReadRun run = readFromSim({"--set", std::string("DSPEED=") + reply});
        ASSERT_EQ(run.result, kOk);
        EXPECT_EQ(run.record.present(F::dSpeed), present) << reply;
        if (present) {
            EXPECT_FLOAT_EQ(run.record.real(F::dSpeed), value) << reply;
        }
    }
}

TEST(ConfigRead, MandatoryFailuresEndTheRun) {
    ReadRun dpi = readFromSim({"--set", "DPI=0"});
    EXPECT_EQ(dpi.result, kReceiveError);
    EXPECT_EQ(dpi.keys, (Keys{"<NET>", "DPI"}));
    EXPECT_EQ(dpi.record.byte(F::dpiKnown), 0);

    ReadRun silent = readFromSim({"--fault", "silent:DENSITY"}, 300);
    EXPECT_EQ(silent.result, kReceiveError);
    EXPECT_EQ(silent.keys.back(), "DENSITY");
    EXPECT_TRUE(silent.record.present(F::speed));

    ReadRun broken = readFromSim({"--fault", "broken-frame:ZDARKNESS"}, 300);
    EXPECT_EQ(broken.result, kReceiveError);
    EXPECT_EQ(broken.keys.back(), "ZDARKNESS");

    ReadRun late = readFromSim({"--fault", "garbage:LANGUAGE"}, 300);
    EXPECT_EQ(late.result, kReceiveError);
    EXPECT_EQ(late.keys.back(), "LANGUAGE");

    ReadRun mute = readFromSim({"--fault", "silent:INTERFACE"}, 300);
    EXPECT_EQ(mute.result, kReceiveError);
    EXPECT_EQ(mute.keys, Keys{"<NET>"});
}

TEST(ConfigRead, OptionalFailuresEndTheRunWithSuccess) {
    ReadRun shiftx = readFromSim({"--fault", "silent:SHIFTX"}, 300);
    EXPECT_EQ(shiftx.result, kOk);
    EXPECT_EQ(shiftx.keys.back(), "SHIFTX");
    EXPECT_TRUE(shiftx.record.present(F::reprint));
    EXPECT_FALSE(shiftx.record.present(F::shiftX));
    EXPECT_FALSE(shiftx.record.present(F::shiftXBase));

    ReadRun edition = readFromSim({"--fault", "broken-frame:EDITION"}, 300);
    EXPECT_EQ(edition.result, kOk);
    EXPECT_EQ(edition.keys.back(), "EDITION");
    EXPECT_EQ(edition.record.integer(F::edition), 0);
    EXPECT_TRUE(edition.record.present(F::shiftXBase));
    EXPECT_FALSE(edition.record.present(F::zDarkness));
}

TEST(ConfigRead, RefusedOnTheParallelPortAndWrappedInProgressOnRequest) {
    m350test::ScriptedLink lpt({});
    const int opens = lpt.port().opens;
    ConfigRecord r;
    EXPECT_EQ(m350::runOperation(
                  lpt.ctx(), kOpReadConfig, kLpt,
                  [&](m350::Link& l) { return m350::readConfig(l, r); }, true),
              kReceiveError);
    EXPECT_EQ(lpt.port().opens, opens) << "nothing opened on LPT";

    m350test::RecordingProgress progress;
    ReadRun run = readFromSim({"--profile", "basic"}, 3000, &progress, 1);
    ASSERT_EQ(run.result, kOk);
    ASSERT_GE(progress.calls.size(), 3u);
    EXPECT_EQ(progress.calls.front(), "open Communicating...");
    EXPECT_EQ(progress.calls.back(), "close");
    // Every request written steps the bar by 3, wrapping past 100.
    EXPECT_EQ(progress.calls[1], "pos 3");
    EXPECT_EQ(progress.calls[2], "pos 6");

    m350test::RecordingProgress quiet;
    ReadRun silentRun = readFromSim({"--profile", "basic"}, 3000, &quiet, 0);
    EXPECT_EQ(silentRun.result, kOk);
    EXPECT_TRUE(quiet.calls.empty()) << "the start-up read shows no progress window";
}

TEST(ConfigRead, OverTheSerialPort) {
    ReadRun run = readFromSim({"--profile", "basic"}, 3000, nullptr, 0, kCom);
    ASSERT_EQ(run.result, kOk);
    Keys expected = join({kHead, kCommon});
    expected[0] = "<COM>";
    EXPECT_EQ(run.keys, expected);
    EXPECT_EQ(run.record.integer(F::edition), 99);
}

TEST(ConfigRead, SerialLineBeyondTheLineReaderEndsTheRun) {
    ReadRun run = readFromSim({"--serial", std::string(1100, 's')});
    EXPECT_EQ(run.result, kOk);
    EXPECT_EQ(run.keys.back(), "<SERIAL>");
    EXPECT_EQ(run.record.text(F::serial), "");
    EXPECT_FALSE(run.record.present(F::speed));
}
