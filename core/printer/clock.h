// SPDX-License-Identifier: MIT
// The printer's real-time clock: six values, year to second, read with report
// queries and set with assignment lines. The window and m350ctl check the
// ranges (ranges::kMonth ... in core/input/input_checks.h) before they call
// setClock; the lines carry the values as given.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/link/link.h"

namespace m350 {

enum ClockField : int { kYear = 0, kMonth, kDate, kHour, kMinute, kSecond, kClockFields };

// Year, month, date (day of the month), hour, minute, second.
using ClockValues = std::array<std::int32_t, kClockFields>;

// The report keys, in the order they are asked: YEAR, MONTH, DATE, HOUR,
// MINUTE, SECOND.
const char* clockKey(int field);

// The six assignment lines, year to second; the year goes out modulo 100.
std::string clockCommands(const ClockValues& values);

// Link operation 9: the interface announcement, then the six report queries in
// order. The first failing query ends the run with its code and leaves the
// later values as they were.
int readClock(Link& link, ClockValues& values);

// Link operation 8: the six lines in one write.
int setClock(Link& link, const ClockValues& values);

}  // namespace m350
