// SPDX-License-Identifier: MIT
#include "core/printer/sensor.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "core/config/config_read.h"
#include "core/link/connection.h"
#include "core/link/link_operations.h"

namespace m350 {

namespace {

// Where the readings of continuous media are taken to lie well inside the
// sensor's range, for a falling and a rising curve.
constexpr int kContinuousLow = 256;
constexpr int kContinuousHigh = 768;
// From this edition on the printer reports its sensor threshold.
constexpr int kFirstEditionWithThreshold = 104;

const char* intensityKey(int mediaType) {
    switch (mediaType) {
        case kMediaGap:
            return "GAPINTEN";
        case kMediaBlackMark:
            return "BLINEINTEN";
        default:
            return "CONINTEN";
    }
}

std::int32_t clampTo32(long long v) {
    if (v > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (v < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}

}  // namespace

int readSensorSettings(Link& link, SensorRequest& request) {
    Connection c(link.ctx, link.iface);
    if (!c.open()) return kPortOpenError;
    if (int r = c.announce(); r != kOk) return r;
    std::string payload;
    if (int r = c.report("SENSORMODE", payload); r != kOk) return r;
    int media = parseConfigInt(payload);
    // Only the three media the printer senses can come back; anything else
    // would select no item of the dialog's list.
    if (media > kMediaContinuous || media < kMediaGap) media = kMediaContinuous;
    request.mediaType = media;
    if (int r = c.report(intensityKey(media), payload); r != kOk) return r;
    request.intensity = parseConfigInt(payload);
    if (c.report("EDITION", payload) != kOk) return kOk;
    if (parseConfigInt(payload) < kFirstEditionWithThreshold) return kOk;
    if (int r = c.report("THRESHOLD", payload); r != kOk) return r;
    request.threshold = parseConfigInt(payload);
    return kOk;
}

int readSensorValues(Link& link, SensorValues& values) {
    values.readings.clear();
    Connection c(link.ctx, link.iface);
    if (!c.open()) return kPortOpenError;
    const char* request = values.mode == kMediaBlackMark ? "DIAGNOSTIC REPORT BLINESENSOR\r\n"
                                                         : "DIAGNOSTIC REPORT GAPSENSOR\r\n";
    if (!c.write(request)) return kTransmitError;
    std::vector<std::int32_t> readings;
    for (std::size_t frames = 0;; ++frames) {
        // A printer that never sends the closing empty frame is broken, not slow.
        if (frames == kMaxSensorFrames) return kReceiveError;
        std::string payload;
        if (!c.readFrame(payload, kSensorFrameCapacity)) return kReceiveError;
        if (payload.empty()) break;
        if (readings.size() < kMaxSensorReadings) readings.push_back(parseConfigInt(payload));
    }
    values.readings = std::move(readings);
    return kOk;
}

std::string sensorCommands(const SensorRequest& r) {
    const std::string manualRef = "SET SENSOR_REF MANUAL\r\n";
    if (r.manual == 0) {
        const bool sizes = r.paperHeight != 0 && r.gap != 0;
        const std::string both =
            std::to_string(r.paperHeight) + "," + std::to_string(r.gap) + "\r\n";
        switch (r.mediaType) {
            case kMediaGap:
                return sizes ? manualRef + "GAPDETECT " + both : "GAPDETECT\r\n";
            case kMediaBlackMark:
                return sizes ? manualRef + "BLINEDETECT " + both : "BLINEDETECT\r\n";
            case kMediaContinuous:
                return "GAP 0.12,0\r\nGAP 0,0\r\n";
            case kMediaAutoSelect:
                return sizes ? manualRef + "AUTODETECT " + both : "AUTODETECT\r\n";
            default:
                return {};
        }
    }
    std::string text = manualRef;
    switch (r.mediaType) {
        case kMediaGap:
            text += "GAP 0.08,0\r\n";
            break;
        case kMediaBlackMark:
            text += "BLINE 0.08,0\r\n";
            break;
        case kMediaContinuous:
            text += "GAP 0,0\r\n";
            break;
        default:
            break;
    }
    if (r.intensity != 0 && r.threshold != 0)
        text +=
            "SET GAP " + std::to_string(r.intensity) + "," + std::to_string(r.threshold) + "\r\n";
    else if (r.intensity != 0)
        text += "SET GAP " + std::to_string(r.intensity) + "\r\n";
    text += "\x10\x4A\x4C";
    return text;
}

int applySensorCalibration(Link& link, const SensorRequest& request) {
    const std::string text = sensorCommands(request);
    if (text.empty()) return kOk;
    return sendCommand(link, text);
}

double lengthDotsPerUnit(const SensorRequest& request) {
    return request.exactDotsPerUnit > 0 ? request.exactDotsPerUnit : request.dotsPerUnit;
}

std::optional<std::int32_t> lengthInDots(double length, double dotsPerUnit) {
    const double dots = std::trunc(length * dotsPerUnit);
    if (!std::isfinite(dots) || dots > std::numeric_limits<std::int32_t>::max() ||
        dots < std::numeric_limits<std::int32_t>::min())
        return std::nullopt;
    return static_cast<std::int32_t>(dots);
}

CalibrationChoice chooseLevel(const std::vector<std::int32_t>& liner,
                              const std::vector<std::int32_t>& label) {
    CalibrationChoice choice;
    // Levels one read holds and the other does not carry nothing to compare.
    const std::size_t levels = std::min(liner.size(), label.size());
    long long best = -1;
    for (std::size_t i = 0; i < levels; ++i) {
        const long long d = std::llabs(static_cast<long long>(label[i]) - liner[i]);
        if (d > best) {
            best = d;
            choice.level = static_cast<int>(i);
        }
    }
    if (best < 0) return choice;
    choice.difference = clampTo32(best);
    choice.linerReading = liner[static_cast<std::size_t>(choice.level)];
    choice.labelReading = label[static_cast<std::size_t>(choice.level)];
    choice.threshold =
        clampTo32((static_cast<long long>(choice.labelReading) + choice.linerReading) / 2);
    choice.found = best >= kMinSensorDifference;
    return choice;
}

std::optional<ContinuousChoice> chooseContinuous(const std::vector<std::int32_t>& r) {
    const std::size_t count = r.size();
    if (count < 2) return std::nullopt;
    const long long slope = static_cast<long long>(r[1]) - r[count - 1];
    std::size_t level = count - 1;
    for (; level >= 2; --level) {
        if (slope < 0 && r[level] < kContinuousHigh) break;
        if (slope > 0 && r[level] > kContinuousLow) break;
    }
    if (level < 2) level = 1;
    ContinuousChoice choice;
    choice.level = static_cast<int>(level);
    choice.reading = r[level];
    choice.intensity = static_cast<int>((level + 1) / 2);
    choice.threshold = clampTo32(
        (static_cast<long long>(r[level]) + (slope > 0 ? kContinuousHigh : kContinuousLow)) / 2);
    return choice;
}

}  // namespace m350
