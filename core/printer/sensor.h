// SPDX-License-Identifier: MIT
// The media sensor: its settings (media type, intensity, threshold), its
// readings over every intensity level, and the commands that calibrate it or
// set it by hand. The rules the calibration dialog and m350ctl share are here
// as pure functions.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/link/link.h"

namespace m350 {

enum MediaType : int {
    kMediaGap = 0,
    kMediaBlackMark = 1,
    kMediaContinuous = 2,
    kMediaAutoSelect = 3,
};

// What the sensor read gives and the calibration sends. Zero numbers are
// "not given".
struct SensorRequest {
    bool confirmed = false;  // the dialog ended with values to apply
    int mediaType = kMediaContinuous;
    int manual = 0;  // 0: let the printer detect; 1: apply intensity and threshold
    int threshold = 0;
    int intensity = 0;
    int paperHeight = 0;  // dots
    int gap = 0;          // dots
    // Dots per inch, or per millimetre when the window shows mm; whole part.
    int dotsPerUnit = 0;
    // The same resolution with its fraction, which lengths are converted with
    // (a 300 dpi printer has 11.8 dots per millimetre, not 11); 0: dotsPerUnit.
    double exactDotsPerUnit = 0;
};

// The resolution lengths are converted with.
double lengthDotsPerUnit(const SensorRequest& request);

// One reading per intensity level, from level 0.
struct SensorValues {
    int mode = 0;  // 1 reads the black-mark sensor; anything else the gap sensor
    std::vector<std::int32_t> readings;
};

// Readings kept of one sensor read; more frames are read but not kept.
inline constexpr std::size_t kMaxSensorReadings = 128;
// Frames of one sensor read before the reply counts as broken.
inline constexpr std::size_t kMaxSensorFrames = 4096;
// Frame capacity of a reading.
inline constexpr std::size_t kSensorFrameCapacity = 64;

// Link operation 23: announcement, SENSORMODE (above 2, or below 0, gives
// continuous), the intensity of that media (GAPINTEN, BLINEINTEN, CONINTEN),
// EDITION, and THRESHOLD from edition 104 on. A failing or older EDITION ends
// the run with kOk and the threshold left as it was.
int readSensorSettings(Link& link, SensorRequest& request);

// Link operation 24: GAPSENSOR or BLINESENSOR (no announcement), frames until
// an empty one, each a reading.
int readSensorValues(Link& link, SensorValues& values);

// The commands of link operation 10 for a request; empty when there is
// nothing to send.
std::string sensorCommands(const SensorRequest& request);

// Link operation 10: sensorCommands in one write; nothing sent (and kOk) when
// they are empty.
int applySensorCalibration(Link& link, const SensorRequest& request);

// A length in the shown unit, in dots, the fraction dropped (toward zero).
// nullopt when the result does not fit in 32 bits.
std::optional<std::int32_t> lengthInDots(double length, double dotsPerUnit);

// The manual calibration's choice from the liner (or mark) and label readings.
struct CalibrationChoice {
    bool found = false;    // a level separated them by kMinSensorDifference or more
    int level = 0;         // the intensity to use
    int threshold = 0;     // halfway between the two readings at that level
    int linerReading = 0;  // at that level
    int labelReading = 0;  // at that level
    int difference = 0;    // the largest difference seen
};

// Smallest difference between liner and label a usable level shows.
inline constexpr int kMinSensorDifference = 96;

// The level where label and liner differ most (the lowest on ties), over the
// levels both reads hold.
CalibrationChoice chooseLevel(const std::vector<std::int32_t>& liner,
                              const std::vector<std::int32_t>& label);

// Continuous media, from one read of the sensor with the paper in place.
struct ContinuousChoice {
    int level = 0;  // the level whose reading decided
    int reading = 0;
    int intensity = 0;
    int threshold = 0;
};

// Walks down from the highest level to the first whose reading lies on the
// right side of the sensor's range for the curve's direction; nullopt with
// fewer than two readings.
std::optional<ContinuousChoice> chooseContinuous(const std::vector<std::int32_t>& readings);

}  // namespace m350
