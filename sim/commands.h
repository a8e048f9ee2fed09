// SPDX-License-Identifier: MIT
// The printer's command language as the simulator understands it: the default
// settings of a profile, the command lines that change settings, and the reports
// whose payload is computed from several settings.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "printer.h"

namespace m350::sim {

// Fills every report key with the values of the given profile.
void loadDefaults(Printer& printer, const Profile& profile);

// Applies one command line; false when no command matches.
bool applyCommand(Printer& printer, std::string_view line);

// Reports that are derived rather than stored (wireless keys that depend on the
// security mode, free space ...). nullopt: look the key up in the settings.
std::optional<std::string> computedReport(const Printer& printer, const std::string& key);

// GAPSENSOR / BLINESENSOR: one sensor reading per frame, one frame per intensity
// level, for the liner (or black mark) or the label, whichever lies under the
// sensor.
std::optional<std::vector<std::string>> sensorReadings(const Printer& printer,
                                                       const std::string& key);

// The default sensor curves of every profile (sixteen intensity levels).
void loadSensorCurves(Printer& printer);

// "100,500,900/120,600,300": the liner readings, a slash, the label readings,
// one per intensity level (at most 128 each). false when the text is not that.
bool parseSensorCurve(std::string_view text, Printer::SensorCurve& out);

// SCANAP / SCANBT payloads: a count and a line per device, each ended by CR.
std::string accessPointScan(const Printer& printer);
std::string bluetoothScan(const Printer& printer);

// The external module's answer to one AT command (CR already removed); empty when
// it does not answer.
std::string moduleAnswer(Printer& printer, std::string_view command);

// Splits command arguments at commas outside double quotes, trims blanks and
// removes the quotes. "a", 1 ,"b,c" gives a | 1 | b,c.
std::vector<std::string> splitArgs(std::string_view args);

// Dots per millimetre as the printer derives them from its resolution (8.0 at 203
// dpi, 11.8 at 300 dpi).
double dotsPerMm(double dpi);

// A length argument in the printer's units: a plain number is inches, "N mm" is
// millimetres and "N dot" is dots. Returns dots, rounded to the nearest dot;
// nullopt when the text holds no number.
std::optional<long> lengthToDots(std::string_view text, double dpi);

}  // namespace m350::sim
