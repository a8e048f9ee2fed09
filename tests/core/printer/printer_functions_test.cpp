// SPDX-License-Identifier: MIT
// Dump text, clock, sensor and emulation operations on a scripted port, and
// the calibration rules as tables.
#include <gtest/gtest.h>

#include "core/access/emulation.h"
#include "core/link/link_operations.h"
#include "core/printer/clock.h"
#include "core/printer/dump_text.h"
#include "core/printer/sensor.h"
#include "support/scripted_port.h"
#include "support/test_files.h"

using namespace m350;
using m350test::ScriptedPortState;

using m350test::frame;

namespace {

struct FunctionRig {
    std::shared_ptr<ScriptedPortState> state = std::make_shared<ScriptedPortState>();
    PortSettings settings;
    LinkContext ctx;
    std::vector<int> pauses;

    explicit FunctionRig(std::vector<std::string> replies = {}) {
        state->replies.assign(replies.begin(), replies.end());
        ctx.settings = &settings;
        ctx.sleep = [this](int ms) { pauses.push_back(ms); };
        auto s = state;
        ctx.makePort = [s](LinkContext&, int) {
            return std::make_unique<m350test::ScriptedPort>(s);
        };
    }
    int run(std::uint32_t op, const OperationCall& call, int iface = kCom) {
        return runOperation(ctx, op, iface, call);
    }
    std::string written() const {
        std::string all;
        for (const auto& c : state->chunks) all += c;
        return all;
    }
    bool closedEveryOpen() const { return state->opens == state->closes; }
};

const std::string kAnnounceCom = "\r\nDIAGNOSTIC INTERFACE COM\r\n";
const std::string kSensorRef = "SET SENSOR_REF MANUAL\r\n";
const std::string kManualEnd = "\x10\x4A\x4C";

}  // namespace

TEST(SensorCommands, EveryRowOfTheCommandTable) {
    struct Case {
        int manual, media, height, gap, intensity, threshold;
        std::string bytes;
    };
    const Case cases[] = {
        // Automatic: the printer measures; with both sizes it is told them.
        {0, kMediaGap, 304, 24, 0, 0, kSensorRef + "GAPDETECT 304,24\r\n"},
        {0, kMediaBlackMark, 304, 24, 0, 0, kSensorRef + "BLINEDETECT 304,24\r\n"},
        {0, kMediaAutoSelect, 304, 24, 0, 0, kSensorRef + "AUTODETECT 304,24\r\n"},
        {0, kMediaGap, 0, 0, 0, 0, "GAPDETECT\r\n"},
        {0, kMediaGap, 304, 0, 0, 0, "GAPDETECT\r\n"},
        {0, kMediaBlackMark, 0, 24, 0, 0, "BLINEDETECT\r\n"},
        {0, kMediaAutoSelect, 0, 0, 0, 0, "AUTODETECT\r\n"},
        {0, kMediaContinuous, 304, 24, 0, 0, "GAP 0.12,0\r\nGAP 0,0\r\n"},
        {0, kMediaContinuous, 0, 0, 0, 0, "GAP 0.12,0\r\nGAP 0,0\r\n"},
        // By hand: the media's form, then intensity and threshold as given.
        {1, kMediaGap, 0, 0, 5, 0, kSensorRef + "GAP 0.08,0\r\nSET GAP 5\r\n" + kManualEnd},
        {1, kMediaBlackMark, 0, 0, 5, 600,
         kSensorRef + "BLINE 0.08,0\r\nSET GAP 5,600\r\n" + kManualEnd},
        {1, kMediaContinuous, 0, 0, 0, 600, kSensorRef + "GAP 0,0\r\n" + kManualEnd},
        {1, kMediaAutoSelect, 304, 24, 2, 600, kSensorRef + "SET GAP 2,600\r\n" + kManualEnd},
        // No media the printer knows: nothing at all.
        {0, 7, 304, 24, 0, 0, ""},
    };
    for (const auto& c : cases) {
        SensorRequest r;
        r.manual = c.manual;
        r.mediaType = c.media;
        r.paperHeight = c.height;
        r.gap = c.gap;
        r.intensity = c.intensity;
        r.threshold = c.threshold;
        EXPECT_EQ(sensorCommands(r), c.bytes) << c.manual << "/" << c.media;
        FunctionRig rig;
        EXPECT_EQ(rig.run(kOpSensorCommand, [&](Link& l) { return applySensorCalibration(l, r); }),
                  kOk);
        EXPECT_EQ(rig.written(), c.bytes);
        // An empty command opens nothing either.
        EXPECT_EQ(rig.state->opens, c.bytes.empty() ? 0 : 1);
    }
}

TEST(SensorRules, LengthsInDotsDropTheFraction) {
    struct Case {
        double length, dotsPerUnit;
        std::optional<std::int32_t> dots;
    };
    const Case cases[] = {
        {1.5, 203, 304},   {0.12, 203, 24}, {40, 8, 320},    {40, 11.8, 472},
        {-0.5, 203, -101}, {0, 203, 0},     {1e10, 203, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(lengthInDots(c.length, c.dotsPerUnit), c.dots)
            << c.length << " x " << c.dotsPerUnit;
}

TEST(SensorRules, ManualCalibrationPicksTheLevelOfLargestDifference) {
    struct Case {
        std::vector<std::int32_t> liner, label;
        bool found;
        int level, threshold, difference;
    };
    const Case cases[] = {
        // The worked example: level 2 differs by 600, threshold halfway.
        {{100, 500, 900}, {120, 600, 300}, true, 2, 600, 600},
        // Never 96 apart: no calibration.
        {{100, 200, 300}, {150, 250, 395}, false, 2, 347, 95},
        {{100}, {196}, true, 0, 148, 96},
        // Ties go to the lowest level; the sign of the difference is no matter.
        {{0, 0}, {200, -200}, true, 0, 100, 200},
        // Halfway truncates toward zero.
        {{-101, 0}, {0, 0}, true, 0, -50, 101},
        // Only levels both reads hold count.
        {{100, 100, 100}, {100, 300}, true, 1, 200, 200},
        {{}, {500}, false, 0, 0, 0},
    };
    for (const auto& c : cases) {
        const CalibrationChoice got = chooseLevel(c.liner, c.label);
        EXPECT_EQ(got.found, c.found) << c.level;
        EXPECT_EQ(got.level, c.level);
        EXPECT_EQ(got.threshold, c.threshold) << c.level;
        EXPECT_EQ(got.difference, c.difference);
    }
    const CalibrationChoice worked = chooseLevel({100, 500, 900}, {120, 600, 300});
    EXPECT_EQ(worked.linerReading, 900);
    EXPECT_EQ(worked.labelReading, 300);
}

TEST(SensorRules, ContinuousMediaWalksDownFromTheTopLevel) {
    struct Case {
        std::vector<std::int32_t> readings;
        int level, reading, intensity, threshold;
    };
    const Case cases[] = {
        // Falling curve (r[1] above the last): the first level above 256.
        {{1000, 900, 800, 700, 600}, 4, 600, 2, (600 + 768) / 2},
        {{1000, 900, 200, 100, 50}, 1, 900, 1, (900 + 768) / 2},
        // Rising curve: the first level below 768.
        {{100, 200, 300, 900, 1000}, 2, 300, 1, (300 + 256) / 2},
        {{800, 900, 950, 1000}, 1, 900, 1, (900 + 256) / 2},
        // Two readings: level 1 at once; a flat curve takes the low side.
        {{500, 900}, 1, 900, 1, (900 + 256) / 2},
        {{500, 500, 500}, 1, 500, 1, (500 + 256) / 2},
    };
    for (const auto& c : cases) {
        const auto got = chooseContinuous(c.readings);
        ASSERT_TRUE(got.has_value()) << c.level;
        EXPECT_EQ(got->level, c.level);
        EXPECT_EQ(got->reading, c.reading);
        EXPECT_EQ(got->intensity, c.intensity);
        EXPECT_EQ(got->threshold, c.threshold);
    }
    EXPECT_FALSE(chooseContinuous({700}).has_value());
    EXPECT_FALSE(chooseContinuous({}).has_value());
}

TEST(SensorRead, SettingsFollowMediaTypeAndEdition) {
    struct Case {
        std::string mode;
        std::string intensityKey;
        std::string edition;
        bool asksThreshold;
        int media;
    };
    const Case cases[] = {
        {"0", "GAPINTEN", "108", true, kMediaGap},
        {"1", "BLINEINTEN", "104", true, kMediaBlackMark},
        {"2", "CONINTEN", "103", false, kMediaContinuous},
        {"5", "CONINTEN", "103", false, kMediaContinuous},
        {"-1", "CONINTEN", "103", false, kMediaContinuous},
    };
    for (const auto& c : cases) {
        std::vector<std::string> replies = {frame("COM"), frame(c.mode), frame("7"),
                                            frame(c.edition)};
        if (c.asksThreshold) replies.push_back(frame("612"));
        FunctionRig rig(replies);
        SensorRequest r;
        ASSERT_EQ(rig.run(kOpReadSensor, [&](Link& l) { return readSensorSettings(l, r); }), kOk)
            << c.mode;
        std::string want = kAnnounceCom + "DIAGNOSTIC REPORT SENSORMODE\r\nDIAGNOSTIC REPORT " +
                           c.intensityKey + "\r\nDIAGNOSTIC REPORT EDITION\r\n";
        if (c.asksThreshold) want += "DIAGNOSTIC REPORT THRESHOLD\r\n";
        EXPECT_EQ(rig.written(), want);
        EXPECT_EQ(r.mediaType, c.media);
        EXPECT_EQ(r.intensity, 7);
        EXPECT_EQ(r.threshold, c.asksThreshold ? 612 : 0);
        EXPECT_TRUE(rig.closedEveryOpen());
    }
}

TEST(SensorRead, FailuresKeepWhatWasReadAndCloseThePort) {
    // No EDITION answer: done, with the threshold left alone.
    FunctionRig noEdition({frame("COM"), frame("1"), frame("9")});
    SensorRequest r;
    r.threshold = 44;
    EXPECT_EQ(noEdition.run(kOpReadSensor, [&](Link& l) { return readSensorSettings(l, r); }), kOk);
    EXPECT_EQ(r.mediaType, kMediaBlackMark);
    EXPECT_EQ(r.intensity, 9);
    EXPECT_EQ(r.threshold, 44);

    // Silence after the mode: the intensity query fails the run.
    FunctionRig mute({frame("COM"), frame("0")});
    SensorRequest m;
    EXPECT_EQ(mute.run(kOpReadSensor, [&](Link& l) { return readSensorSettings(l, m); }),
              kReceiveError);
    EXPECT_EQ(m.mediaType, kMediaGap);
    EXPECT_TRUE(mute.closedEveryOpen());
}

TEST(SensorValues, FramesUntilTheEmptyOneAtMost128Kept) {
    struct Case {
        int mode;
        std::string replies;
        int result;
        std::size_t count;
        std::string request;
    };
    std::string many;
    for (int i = 0; i < 130; ++i) many += frame(std::to_string(i));
    const std::string gap = "DIAGNOSTIC REPORT GAPSENSOR\r\n";
    const Case cases[] = {
        {0, frame("100") + frame("500") + frame("900") + "{0|}", kOk, 3, gap},
        {1, frame("7") + "{0|}", kOk, 1, "DIAGNOSTIC REPORT BLINESENSOR\r\n"},
        {2, "{0|}", kOk, 0, gap},
        {0, many + "{0|}", kOk, 128, gap},
        // No closing frame, a broken one, a reading too long for its frame.
        {0, frame("100") + frame("500"), kReceiveError, 0, gap},
        {0, frame("100") + "{5|ab", kReceiveError, 0, gap},
        {0, frame(std::string(63, '1')) + "{0|}", kReceiveError, 0, gap},
    };
    for (const auto& c : cases) {
        FunctionRig rig({c.replies});
        SensorValues v;
        v.mode = c.mode;
        v.readings = {1, 2};
        EXPECT_EQ(rig.run(kOpSensorValues, [&](Link& l) { return readSensorValues(l, v); }),
                  c.result)
            << c.replies.substr(0, 40);
        EXPECT_EQ(v.readings.size(), c.count);
        EXPECT_EQ(rig.written(), c.request);
        EXPECT_TRUE(rig.closedEveryOpen());
    }
    FunctionRig rig({frame("100") + frame("-5") + "{0|}"});
    SensorValues v;
    ASSERT_EQ(rig.run(kOpSensorValues, [&](Link& l) { return readSensorValues(l, v); }), kOk);
    EXPECT_EQ(v.readings, (std::vector<std::int32_t>{100, -5}));
}

TEST(DumpText, EachModeSendsItsCommandAndNothingElse) {
    struct Case {
        int mode;
        std::string name;
        int result;
        std::string bytes;
    };
    const Case cases[] = {
        {kDumpPrint, "Dump.txt", kOk, "DUMP_TEXT PRINT,"},
        {kDumpToCard, "LOG1.TXT", kOk, "DUMP_TEXT SAVE 1000,E,\"LOG1.TXT\","},
        // The fetch form always names Dump.txt, whatever the box held.
        {kDumpForFetch, "OTHER.TXT", kOk, "DUMP_TEXT SAVE 1000,\"Dump.txt\","},
        // A card name that would break out of its quotes goes nowhere.
        {kDumpToCard, "A\",X", kTransmitError, ""},
        {kDumpToCard, "A\r\nSELFTEST", kTransmitError, ""},
        {kDumpToCard, "", kTransmitError, ""},
        {kDumpToCard, "ABCDEFGH.TXTX", kTransmitError, ""},
    };
    for (const auto& c : cases) {
        FunctionRig rig;
        DumpRequest request{c.mode, c.name};
        EXPECT_EQ(rig.run(kOpDumpText, [&](Link& l) { return enterDumpMode(l, request); }),
                  c.result)
            << c.name;
        EXPECT_EQ(rig.written(), c.bytes);
    }
}

TEST(FileFetch, RequestPausesAndTheOneFrameLimit) {
    FunctionRig rig({frame("hello")});
    std::string data;
    ASSERT_EQ(rig.run(kOpFetchFile, [&](Link& l) { return fetchFile(l, "Dump.txt", data); }), kOk);
    EXPECT_EQ(data, "hello");
    EXPECT_EQ(rig.written(), "\r\nDIAGNOSTIC FILE \"Dump.txt\"\r\n\r\n");
    EXPECT_EQ(rig.pauses, (std::vector<int>{500, 100}));

    // At most capacity - 2 bytes come in one frame.
    FunctionRig fits({frame(std::string(98, 'x'))});
    ASSERT_EQ(fits.run(kOpFetchFile, [&](Link& l) { return fetchFile(l, "F", data, 100); }), kOk);
    EXPECT_EQ(data.size(), 98u);
    FunctionRig tooLong({frame(std::string(99, 'x'))});
    EXPECT_EQ(tooLong.run(kOpFetchFile, [&](Link& l) { return fetchFile(l, "F", data, 100); }),
              kReceiveError);
    EXPECT_TRUE(data.empty());

    FunctionRig empty({"{0|}"});
    data = "old";
    ASSERT_EQ(empty.run(kOpFetchFile, [&](Link& l) { return fetchFile(l, "Dump.txt", data); }),
              kOk);
    EXPECT_TRUE(data.empty());
}

TEST(FileFetch, RetriedOnlyWhileNothingWasReceived) {
    struct Case {
        std::vector<int> results;
        int attempts;
        int result;
    };
    const Case cases[] = {
        {{kReceiveError, kReceiveError, kReceiveError, kOk}, 3, kReceiveError},
        {{kReceiveError, kOk}, 2, kOk},
        {{kReceiveError, kReceiveError, kOk}, 3, kOk},
        {{kOk}, 1, kOk},
        {{kPortOpenError, kOk}, 1, kPortOpenError},
        {{kTransmitError, kOk}, 1, kTransmitError},
        {{kReceiveError, kTransmitError, kOk}, 2, kTransmitError},
    };
    for (const auto& c : cases) {
        int attempts = 0;
        const int result = retryWhileNotReceived([&] { return c.results[attempts++]; });
        EXPECT_EQ(attempts, c.attempts) << c.results.size();
        EXPECT_EQ(result, c.result);
    }
}

TEST(Clock, LinesCarryTheValuesAsTypedWithTheYearModulo100) {
    EXPECT_EQ(clockCommands({2024, 2, 29, 13, 5, 0}),
              "@YEAR = \"24\"\r\n@MONTH = \"2\"\r\n@DATE = \"29\"\r\n@HOUR = \"13\"\r\n"
              "@MINUTE = \"5\"\r\n@SECOND = \"0\"\r\n");
    EXPECT_EQ(clockCommands({1999, 13, 0, 25, 61, -1}),
              "@YEAR = \"99\"\r\n@MONTH = \"13\"\r\n@DATE = \"0\"\r\n@HOUR = \"25\"\r\n"
              "@MINUTE = \"61\"\r\n@SECOND = \"-1\"\r\n");
    FunctionRig rig;
    ASSERT_EQ(rig.run(kOpSetClock,
                      [](Link& l) {
                          return setClock(l, {2100, 1, 1, 0, 0, 0});
                      }),
              kOk);
    EXPECT_EQ(rig.state->chunks.size(), 2u);  // one write, in the port's 64-byte chunks
    EXPECT_EQ(rig.written().substr(0, 14), "@YEAR = \"0\"\r\n@");
}

TEST(Clock, ReadStopsAtTheFirstFailingQuery) {
    FunctionRig rig({frame("COM"), frame("24"), frame("2")});
    ClockValues values{-1, -1, -1, -1, -1, -1};
    EXPECT_EQ(rig.run(kOpReadClock, [&](Link& l) { return readClock(l, values); }), kReceiveError);
    EXPECT_EQ(values, (ClockValues{24, 2, -1, -1, -1, -1}));
    EXPECT_EQ(rig.written(), kAnnounceCom +
                                 "DIAGNOSTIC REPORT YEAR\r\nDIAGNOSTIC REPORT MONTH\r\n"
                                 "DIAGNOSTIC REPORT DATE\r\n");
    EXPECT_TRUE(rig.closedEveryOpen());
}

TEST(Emulation, QueryAnnouncesThenReadsTheNumber) {
    FunctionRig rig({frame("COM"), frame("1")});
    int emulation = -1;
    ASSERT_EQ(rig.run(kOpEmulationQuery, [&](Link& l) { return readEmulation(l, emulation); }),
              kOk);
    EXPECT_EQ(emulation, kEmulationCpcl);
    EXPECT_EQ(rig.written(), kAnnounceCom + "DIAGNOSTIC REPORT ACT_EMULATION\r\n");
    // A failed announcement is a failed send, whatever went wrong with it.
    FunctionRig broken({"{5|ab"});
    emulation = -1;
    EXPECT_EQ(broken.run(kOpEmulationQuery, [&](Link& l) { return readEmulation(l, emulation); }),
              kTransmitError);
    EXPECT_EQ(emulation, -1);
    // Refused on the parallel port before anything opens.
    FunctionRig lpt;
    EXPECT_EQ(lpt.run(
                  kOpEmulationQuery, [&](Link& l) { return readEmulation(l, emulation); }, kLpt),
              kReceiveError);
    EXPECT_EQ(lpt.state->opens, 0);
    EXPECT_EQ(emulationName(0), "ZPL2");
    EXPECT_EQ(emulationName(1), "CPCL");
    EXPECT_EQ(emulationName(2), "");
}
