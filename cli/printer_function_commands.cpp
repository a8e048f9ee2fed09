// SPDX-License-Identifier: MIT
// dump, clock, sensor and emulation: the printer functions of the window's
// "Printer Function" group that open dialogs there.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>
#include <regex>

#include "cli/commands.h"
#include "cli/config_text.h"
#include "cli/exit_codes.h"
#include "cli/invocation.h"
#include "core/access/emulation.h"
#include "core/config/config_read.h"
#include "core/files/local_file.h"
#include "core/input/input_checks.h"
#include "core/link/link_operations.h"
#include "core/printer/clock.h"
#include "core/printer/dump_text.h"
#include "core/printer/maintenance.h"
#include "core/printer/sensor.h"
#include "core/printer/test_page.h"

namespace m350::cli {

namespace {

// A typed number outside what the printer takes, named by its option (or
// field); kExitOk when it is inside.
int checkRange(Session& s, const std::string& name, double value, const m350::NumberRule& rule) {
    if (value >= rule.min && value <= rule.max) return kExitOk;
    char shown[64];
    std::snprintf(shown, sizeof shown, "%.15g", value);
    return s.fail(kExitDataError, name + " " + shown + " is outside " + m350::rangeText(rule) +
                                      " (nothing was sent)");
}

const std::map<std::string, int> kMedia = {{"gap", m350::kMediaGap},
                                           {"bline", m350::kMediaBlackMark},
                                           {"continuous", m350::kMediaContinuous},
                                           {"auto", m350::kMediaAutoSelect}};
const std::map<std::string, int> kSensors = {{"gap", m350::kMediaGap},
                                             {"bline", m350::kMediaBlackMark}};
const std::map<std::string, int> kEmulations = {{"zpl2", m350::kEmulationZpl2},
                                                {"cpcl", m350::kEmulationCpcl}};

const char* mediaName(int media) {
    switch (media) {
        case m350::kMediaGap:
            return "gap";
        case m350::kMediaBlackMark:
            return "bline";
        case m350::kMediaContinuous:
            return "continuous";
        default:
            return "auto";
    }
}

// --- dump ---------------------------------------------------------------

int dumpCommand(Session& s, const m350::DumpRequest& request) {
    return s.run(ops::enterDumpMode(request));
}

// The window's "Press OK to load file.": on a terminal the operator says when
// the host has sent what is to be dumped.
bool readyToLoad() {
    std::fputs("Press Enter to load file (Ctrl-D cancels): ", stderr);
    std::fflush(stderr);
    std::string line;
    const bool ok = static_cast<bool>(std::getline(std::cin, line));
    if (!ok) std::fputs("\n", stderr);
    return ok;
}

int dumpFetchCommand(Session& s, const std::string& output, bool ask) {
    if (output.empty()) return s.fail(kExitUsage, "--output: the file name is empty");
    const m350::DumpRequest request{m350::kDumpForFetch, std::string(m350::kDumpFetchName)};
    if (int r = dumpCommand(s, request); r != m350::kOk) return r;
    if (ask && !readyToLoad()) return s.fail(kExitOk, "not loaded");
    std::string data;
    const int r = m350::retryWhileNotReceived([&] {
        return m350::run(
            s.context(), s.iface(),
            ops::fetchFile(std::string(m350::kDumpFetchName), data, m350::kFetchCapacity));
    });
    if (s.report(r) != m350::kOk) return r;
    std::string error;
    if (!m350::writeFileAtomically(output, data, &error)) return s.fail(kExitCantCreate, error);
    return kExitOk;
}

// --- clock --------------------------------------------------------------

// The printer keeps the year in two digits; those are shown in this century.
long fullYear(const m350::ClockValues& v) {
    return v[m350::kYear] >= 0 && v[m350::kYear] < 100 ? 2000L + v[m350::kYear]
                                                       : long{v[m350::kYear]};
}

std::string clockText(const m350::ClockValues& v) {
    const long year = fullYear(v);
    char buf[128];
    std::snprintf(
        buf, sizeof buf, "%04ld-%02" PRId32 "-%02" PRId32 " %02" PRId32 ":%02" PRId32 ":%02" PRId32,
        year, v[m350::kMonth], v[m350::kDate], v[m350::kHour], v[m350::kMinute], v[m350::kSecond]);
    return buf;
}

int clockGetCommand(Session& s, bool asJson) {
    m350::ClockValues values{};
    if (int r = s.run(ops::readClock(values)); r != m350::kOk) return r;
    if (asJson) {
        nlohmann::ordered_json j;
        for (int f = 0; f < m350::kClockFields; ++f) {
            std::string key = m350::clockKey(f);
            for (auto& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            j[key] = values[static_cast<std::size_t>(f)];
        }
        j["year"] = fullYear(values);
        j["text"] = clockText(values);
        std::fprintf(s.out(), "%s\n", dumpJson(j).c_str());
    } else {
        std::fprintf(s.out(), "%s\n", clockText(values).c_str());
    }
    return kExitOk;
}

// "YYYY-MM-DD HH:MM:SS", numbers as typed; their ranges are checked before
// anything is sent (clockRangeProblem).
bool parseClock(const std::string& text, m350::ClockValues& out) {
    static const std::regex form(
        R"(^\s*(-?\d{1,9})-(\d{1,9})-(\d{1,9})[ T](\d{1,9}):(\d{1,9}):(\d{1,9})\s*$)");
    std::smatch m;
    if (!std::regex_match(text, m, form)) return false;
    for (int f = 0; f < m350::kClockFields; ++f)
        out[static_cast<std::size_t>(f)] =
            static_cast<std::int32_t>(std::stol(m[static_cast<std::size_t>(f) + 1].str()));
    return true;
}

m350::ClockValues localNow() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

int checkClock(Session& s, const m350::ClockValues& values) {
    static const std::pair<const char*, m350::NumberRule> fields[] = {
        {"year", m350::ranges::kYear},     {"month", m350::ranges::kMonth},
        {"date", m350::ranges::kDate},     {"hour", m350::ranges::kHour},
        {"minute", m350::ranges::kMinute}, {"second", m350::ranges::kSecond}};
    for (int f = 0; f < m350::kClockFields; ++f) {
        const auto& [name, rule] = fields[f];
        if (int r = checkRange(s, name, values[static_cast<std::size_t>(f)], rule); r != kExitOk)
            return r;
    }
    return kExitOk;
}

int clockSetCommand(Session& s, const m350::ClockValues& values, const PasswordAnswer& answer) {
    if (int r = runPasswordGate(s, answer); r != kExitOk) return r;
    return s.run(ops::setClock(values));
}

// --- sensor -------------------------------------------------------------

int sensorShowCommand(Session& s, bool asJson) {
    m350::SensorRequest request;
    if (int r = s.run(ops::readSensorSettings(request)); r != m350::kOk) return r;
    if (asJson) {
        nlohmann::ordered_json j;
        j["media"] = mediaName(request.mediaType);
        j["mediaType"] = request.mediaType;
        j["intensity"] = request.intensity;
        j["threshold"] = request.threshold;
        std::fprintf(s.out(), "%s\n", dumpJson(j).c_str());
    } else {
        std::fprintf(s.out(), "%-12s%s\n%-12s%d\n%-12s%d\n", "media", mediaName(request.mediaType),
                     "intensity", request.intensity, "threshold", request.threshold);
    }
    return kExitOk;
}

struct CalibrateOptions {
    int media = m350::kMediaGap;
    std::optional<double> height, gap;
    int unit = 0;
};

int sensorCalibrateCommand(Session& s, const CalibrateOptions& o, const PasswordAnswer& answer) {
    m350::SensorRequest request;
    request.mediaType = o.media;
    request.manual = 0;
    if (o.height && o.gap) {
        // Lengths are converted with the printer's own resolution.
        m350::ConfigRecord record;
        record.reset();
        if (int r = s.run(ops::readConfig(record)); r != m350::kOk) return r;
        const double perUnit = record.real(o.unit == 1 ? m350::Field::dotsPerMm : m350::Field::dpi);
        const auto height = m350::lengthInDots(*o.height, perUnit);
        const auto gap = m350::lengthInDots(*o.gap, perUnit);
        if (!(perUnit > 0) || !height || !gap)
            return s.fail(kExitUsage, "the lengths do not fit the printer's resolution");
        request.paperHeight = *height;
        request.gap = *gap;
    }
    if (int r = runPasswordGate(s, answer); r != kExitOk) return r;
    return s.run(ops::applySensorCalibration(request));
}

// --- test page ------------------------------------------------------------

struct TestPageOptions {
    std::optional<double> width, height;
    int unit = 0;
};

// The label is scaled as the window's button scales it: to the resolution
// the printer reports and to its paper size, or the size given.
int testPageCommand(Session& s, const TestPageOptions& o) {
    m350::ConfigRecord record;
    record.reset();
    if (int r = s.run(ops::readConfig(record)); r != m350::kOk) return r;
    if (record.byte(m350::Field::dpiKnown) == 0)
        return s.fail(kExitUnavailable, "the printer did not report its resolution");
    const double perUnit = record.real(o.unit == 1 ? m350::Field::dotsPerMm : m350::Field::dpi);
    auto dots = [&](const std::optional<double>& given, m350::Field field, const char* option,
                    float& out) -> int {
        if (!given) {
            if (!record.present(field))
                return s.fail(kExitUsage,
                              std::string("the printer reports no paper ") +
                                  (field == m350::Field::paperWidth ? "width" : "height") +
                                  ": give " + option);
            out = record.real(field);
            return kExitOk;
        }
        if (int r = checkRange(s, option, *given,
                               o.unit == 1 ? m350::ranges::kLengthMm : m350::ranges::kLengthInch);
            r != kExitOk)
            return r;
        const double d = *given * perUnit;
        if (!(perUnit > 0) || !std::isfinite(d) || d > 1e6)
            return s.fail(kExitUsage,
                          std::string(option) + " does not fit the printer's resolution");
        out = static_cast<float>(d);
        return kExitOk;
    };
    m350::TestPageRequest request;
    request.dotsPerMm = record.real(m350::Field::dotsPerMm);
    if (int r = dots(o.width, m350::Field::paperWidth, "--width", request.paperWidth); r != kExitOk)
        return r;
    if (int r = dots(o.height, m350::Field::paperHeight, "--height", request.paperHeight);
        r != kExitOk)
        return r;
    return s.run(ops::printTestPage(request));
}

int checkSensorSet(Session& s, int intensity, int threshold) {
    if (int r = checkRange(s, "--intensity", intensity, m350::ranges::kSensorIntensity);
        r != kExitOk)
        return r;
    return checkRange(s, "--threshold", threshold, m350::ranges::kSensorThreshold);
}

int sensorSetCommand(Session& s, std::optional<int> media, int intensity, int threshold,
                     const PasswordAnswer& answer) {
    m350::SensorRequest request;
    if (media) {
        request.mediaType = *media;
    } else {
        // The media the printer is set for, as the window's dialog opens on it.
        if (int r = s.run(ops::readSensorSettings(request)); r != m350::kOk) return r;
    }
    request.manual = 1;
    request.intensity = intensity;
    request.threshold = threshold;
    if (int r = runPasswordGate(s, answer); r != kExitOk) return r;
    return s.run(ops::applySensorCalibration(request));
}

int sensorReadingsCommand(Session& s, int sensor, bool asJson) {
    m350::SensorValues values;
    values.mode = sensor;
    if (int r = s.run(ops::readSensorValues(values)); r != m350::kOk) return r;
    if (asJson) {
        nlohmann::ordered_json j;
        j["sensor"] = mediaName(sensor);
        j["readings"] = values.readings;
        std::fprintf(s.out(), "%s\n", dumpJson(j).c_str());
    } else {
        for (std::size_t i = 0; i < values.readings.size(); ++i)
            std::fprintf(s.out(), "%zu %" PRId32 "\n", i, values.readings[i]);
    }
    return kExitOk;
}

// --- emulation ----------------------------------------------------------

int emulationGetCommand(Session& s, bool asJson) {
    int active = -1;
    if (int r = s.run(ops::readEmulation(active)); r != m350::kOk) return r;
    const std::string_view name = m350::emulationName(active);
    if (asJson) {
        // {"emulation": "ZPL2"|"CPCL"|null, "code": the printer's number}
        nlohmann::ordered_json j;
        j["emulation"] = name.empty() ? nlohmann::ordered_json(nullptr)
                                      : nlohmann::ordered_json(std::string(name));
        j["code"] = active;
        std::fprintf(s.out(), "%s\n", dumpJson(j).c_str());
    } else if (name.empty())
        std::fprintf(s.out(), "unknown (%d)\n", active);
    else
        std::fprintf(s.out(), "%.*s\n", static_cast<int>(name.size()), name.data());
    return kExitOk;
}

// dump print | save-card NAME | fetch -o FILE
void addDumpCommands(CLI::App& app, Invocation& inv) {
    auto* dump = app.add_subcommand("dump", "dump text mode: the printer shows what it receives");
    dump->require_subcommand(1);
    dump->add_subcommand("print", "print what the printer receives as text")->callback([&inv] {
        inv.action = [](Session& s) {
            return dumpCommand(s, {m350::kDumpPrint, std::string(m350::kDumpFetchName)});
        };
    });
    auto* card = dump->add_subcommand("save-card", "save what the printer receives on its card");
    auto cardName = std::make_shared<std::string>();
    card->add_option("NAME", *cardName, "file name on the card (at most 12 characters)")
        ->required();
    card->callback([&inv, cardName] {
        inv.action = [cardName](Session& s) {
            if (!m350::dumpFileNameSendable(*cardName))
                return s.fail(kExitDataError,
                              "NAME: the file name must hold 1 to 12 printable ASCII characters "
                              "other than \" (nothing was sent)");
            return dumpCommand(s, {m350::kDumpToCard, *cardName});
        };
    });
    auto* fetch = dump->add_subcommand(
        "fetch", "save what the printer receives in it, then fetch that into a file");
    auto fetchOut = std::make_shared<std::string>();
    auto fetchYes = std::make_shared<bool>(false);
    fetch->add_option("-o,--output", *fetchOut, "the local file")->type_name("FILE")->required();
    fetch->add_flag("--yes", *fetchYes, "fetch at once, without asking on the terminal");
    fetch->callback([&inv, fetchOut, fetchYes] {
        inv.action = [fetchOut, fetchYes](Session& s) {
            return dumpFetchCommand(s, *fetchOut, !*fetchYes && ::isatty(STDIN_FILENO));
        };
    });
}

// clock get | set TIME|--now
void addClockCommands(CLI::App& app, Invocation& inv) {
    auto* clock = app.add_subcommand("clock", "the printer's real-time clock");
    clock->require_subcommand(1);
    auto* clockGet = clock->add_subcommand("get", "read the clock (YYYY-MM-DD HH:MM:SS)");
    clockGet->add_flag("--json", inv.json, "print the six values as JSON");
    clockGet->callback(
        [&inv] { inv.action = [&inv](Session& s) { return clockGetCommand(s, inv.json); }; });
    auto* clockSet = clock->add_subcommand(
        "set", "set the clock to the computer's time or the one given (asks for the password)");
    auto when = std::make_shared<std::string>();
    auto* whenOpt = clockSet->add_option("TIME", *when, "\"YYYY-MM-DD HH:MM:SS\", sent as typed")
                        ->type_name("TIME");
    auto nowFlag = std::make_shared<bool>(false);
    clockSet->add_flag("--now", *nowFlag, "the computer's local time")->excludes(whenOpt);
    clockSet->callback([&inv, when, whenOpt, nowFlag] {
        const bool now = *nowFlag;
        const bool given = whenOpt->count() > 0;
        inv.action = [&inv, when, now, given](Session& s) {
            m350::ClockValues values{};
            if (now) {
                values = localNow();
            } else if (!given) {
                return s.fail(kExitUsage, "clock set wants --now or \"YYYY-MM-DD HH:MM:SS\"");
            } else if (!parseClock(*when, values)) {
                return s.fail(kExitUsage, "not a time of the form YYYY-MM-DD HH:MM:SS: " + *when);
            }
            if (int r = checkClock(s, values); r != kExitOk) return r;
            PasswordAnswer answer;
            if (int r = inv.passwordAnswer(s, answer); r != kExitOk) return r;
            return clockSetCommand(s, values, answer);
        };
    });
}

// sensor show | calibrate | set | readings
void addSensorCommands(CLI::App& app, Invocation& inv) {
    auto* sensor = app.add_subcommand("sensor", "the media sensor");
    sensor->require_subcommand(1);
    auto* show = sensor->add_subcommand("show", "media type, intensity and threshold");
    show->add_flag("--json", inv.json, "print them as JSON");
    show->callback(
        [&inv] { inv.action = [&inv](Session& s) { return sensorShowCommand(s, inv.json); }; });

    auto cal = std::make_shared<CalibrateOptions>();
    auto* calibrate = sensor->add_subcommand(
        "calibrate", "let the printer calibrate its sensor (asks for the password)");
    calibrate->add_option("--media", cal->media, "the media")
        ->transform(CLI::CheckedTransformer(kMedia, CLI::ignore_case).description(""))
        ->type_name("gap|bline|continuous|auto")
        ->required();
    auto* height = calibrate->add_option("--height", cal->height, "label height")->type_name("L");
    auto* gap = calibrate->add_option("--gap", cal->gap, "gap or mark length")->type_name("L");
    height->needs(gap);
    gap->needs(height);
    calibrate->add_option("--unit", cal->unit, "unit of the lengths (default inch)")
        ->transform(CLI::CheckedTransformer(kUnitNames, CLI::ignore_case).description(""))
        ->type_name("inch|mm");
    calibrate->callback([&inv, cal] {
        inv.action = [&inv, cal](Session& s) {
            PasswordAnswer answer;
            if (int r = inv.passwordAnswer(s, answer); r != kExitOk) return r;
            return sensorCalibrateCommand(s, *cal, answer);
        };
    });

    auto setMedia = std::make_shared<int>(0);
    auto setIntensity = std::make_shared<int>(0);
    auto setThreshold = std::make_shared<int>(0);
    auto* set = sensor->add_subcommand(
        "set", "set the sensor intensity and threshold by hand (asks for the password)");
    set->add_option("--intensity", *setIntensity, "sensor intensity level")->required();
    set->add_option("--threshold", *setThreshold, "threshold value");
    auto* setMediaOpt =
        set->add_option("--media", *setMedia, "the media (default: the printer's)")
            ->transform(CLI::CheckedTransformer(kMedia, CLI::ignore_case).description(""))
            ->type_name("gap|bline|continuous|auto");
    set->callback([&inv, setMedia, setIntensity, setThreshold, setMediaOpt] {
        std::optional<int> media;
        if (setMediaOpt->count()) media = *setMedia;
        inv.action = [&inv, media, setIntensity, setThreshold](Session& s) {
            if (int r = checkSensorSet(s, *setIntensity, *setThreshold); r != kExitOk) return r;
            PasswordAnswer answer;
            if (int r = inv.passwordAnswer(s, answer); r != kExitOk) return r;
            return sensorSetCommand(s, media, *setIntensity, *setThreshold, answer);
        };
    });

    auto readingsSensor = std::make_shared<int>(0);
    auto* readings =
        sensor->add_subcommand("readings", "the sensor's reading at every intensity level");
    readings->add_option("--media", *readingsSensor, "which sensor")
        ->transform(CLI::CheckedTransformer(kSensors, CLI::ignore_case).description(""))
        ->type_name("gap|bline")
        ->required();
    readings->add_flag("--json", inv.json, "print them as JSON");
    readings->callback([&inv, readingsSensor] {
        inv.action = [&inv, readingsSensor](Session& s) {
            return sensorReadingsCommand(s, *readingsSensor, inv.json);
        };
    });
}

// testpage [--width L] [--height L] [--unit inch|mm]
void addTestPageCommand(CLI::App& app, Invocation& inv) {
    auto page = std::make_shared<TestPageOptions>();
    auto* testpage = app.add_subcommand(
        "testpage", "print a test label scaled to the paper size and the printer's resolution");
    testpage->add_option("--width", page->width, "paper width (default: the printer's)")
        ->type_name("L")
        ->check(CLI::PositiveNumber);
    testpage->add_option("--height", page->height, "paper height (default: the printer's)")
        ->type_name("L")
        ->check(CLI::PositiveNumber);
    testpage->add_option("--unit", page->unit, "unit of the lengths (default inch)")
        ->transform(CLI::CheckedTransformer(kUnitNames, CLI::ignore_case).description(""))
        ->type_name("inch|mm");
    testpage->callback(
        [&inv, page] { inv.action = [page](Session& s) { return testPageCommand(s, *page); }; });
}

// emulation get | set zpl2|cpcl
void addEmulationCommands(CLI::App& app, Invocation& inv) {
    auto* emulation = app.add_subcommand("emulation", "the emulated command language");
    emulation->require_subcommand(1);
    auto* emuGet = emulation->add_subcommand("get", "the active emulation (ZPL2 or CPCL)");
    emuGet->add_flag("--json", inv.json, "print the emulation as JSON");
    emuGet->callback(
        [&inv] { inv.action = [&inv](Session& s) { return emulationGetCommand(s, inv.json); }; });
    auto target = std::make_shared<int>(0);
    auto* emuSet = emulation->add_subcommand("set", "switch the emulation");
    emuSet->add_option("EMULATION", *target, "zpl2 or cpcl")
        ->transform(CLI::CheckedTransformer(kEmulations, CLI::ignore_case).description(""))
        ->type_name("zpl2|cpcl")
        ->required();
    emuSet->callback([&inv, target] {
        inv.action = [target](Session& s) {
            const int emulation = *target;
            return s.run(ops::switchEmulation(emulation));
        };
    });
}

}  // namespace

void addPrinterFunctionCommands(CLI::App& app, Invocation& inv) {
    addDumpCommands(app, inv);
    addClockCommands(app, inv);
    addSensorCommands(app, inv);
    addTestPageCommand(app, inv);
    addEmulationCommands(app, inv);
}

}  // namespace m350::cli
