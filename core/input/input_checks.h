// SPDX-License-Identifier: MIT
// The checks every typed value passes before it reaches the printer, shared by
// the window and m350ctl: texts that go inside a quoted command, numbers and
// their ranges, IPv4 addresses. Each returns a verdict; the front ends word it
// with the field's caption (the window) or the option's name (m350ctl), and
// the command builders refuse what fails, so nothing is edited on the way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace m350 {

// The offset of the first byte a quoted command argument may not hold, or
// npos: a double quote (it would end the argument and let the rest run as
// commands), CR, LF and every other control byte including DEL (a line end
// starts another command). Bytes from 0x80 up are code-page characters and
// pass.
std::size_t findUnquotableByte(std::string_view text);
inline bool quotable(std::string_view text) {
    return findUnquotableByte(text) == std::string_view::npos;
}

// What a number box may hold: the inclusive range and, for reals, how many
// decimals the command carries (-1: any, the value is converted anyway).
struct NumberRule {
    double min = 0;
    double max = 0;
    bool integer = true;
    int decimals = -1;
};

enum class NumberFault : std::uint8_t {
    kNone,
    kEmpty,
    kNotANumber,
    kOutOfRange,
    kTooPrecise,  // more decimals than the command carries
};

struct NumberVerdict {
    NumberFault fault = NumberFault::kNone;
    double value = 0;  // the number, when it is one
};

// The whole text must be the number: blanks around it and a leading '+'
// allowed; for reals a ',' counts as the decimal point. A real passes the
// precision check when the single-precision value it is stored as equals
// that of the value rounded to the rule's decimals (3.29999995231628 is
// 3.3f and passes with one decimal; 3.25 does not).
NumberVerdict checkNumber(std::string_view text, const NumberRule& rule);

// "min to max" with the rule's decimals ("0 to 30", "-9999 to 9999").
std::string rangeText(const NumberRule& rule);

// Four decimal parts 0 to 255 separated by dots, nothing else: no blanks,
// signs, empty parts or leading zeros that would read as octal ("010").
bool isIpv4Address(std::string_view text);

// The ranges the printer's settings take, by what they are. Lengths are in
// the unit typed (inch or mm) and convert to dots afterwards.
namespace ranges {
constexpr double kInt32Min = -2147483648.0, kInt32Max = 2147483647.0;
// Common page. The speed command carries one decimal.
inline constexpr NumberRule kSpeed{0.1, 99.9, false, 1};
inline constexpr NumberRule kLengthInch{0, 100, false, -1};
inline constexpr NumberRule kLengthMm{0, 2540, false, -1};
inline constexpr NumberRule kAnyDots{kInt32Min, kInt32Max, true, -1};
inline constexpr NumberRule kCount{0, kInt32Max, true, -1};
// The sensor's intensity levels (the calibration's list 0 to 15) and its
// threshold (three digits).
inline constexpr NumberRule kSensorIntensity{0, 15, true, -1};
inline constexpr NumberRule kSensorThreshold{0, 999, true, -1};
// Z page, by the range captions beside the boxes.
inline constexpr NumberRule kZDarkness{0, 30, true, -1};
inline constexpr NumberRule kZTearOff{-120, 120, true, -1};
inline constexpr NumberRule kZLabelTop{-120, 120, true, -1};
inline constexpr NumberRule kZLeftPosition{-9999, 9999, true, -1};
// D page.
inline constexpr NumberRule kDHeat{0, 30, true, -1};
inline constexpr NumberRule kDSpeed{0, 99.9, false, -1};
// Wireless page: roaming levels in dBm, the delta as its hint says.
inline constexpr NumberRule kRoamTrigger{-99, 0, true, -1};
inline constexpr NumberRule kRoamDelta{1, 39, true, -1};
inline constexpr NumberRule kTcpPort{1, 65535, true, -1};
// The clock, year to second.
inline constexpr NumberRule kYear{0, 9999, true, -1};
inline constexpr NumberRule kMonth{1, 12, true, -1};
inline constexpr NumberRule kDate{1, 31, true, -1};
inline constexpr NumberRule kHour{0, 23, true, -1};
inline constexpr NumberRule kMinute{0, 59, true, -1};
inline constexpr NumberRule kSecond{0, 59, true, -1};
}  // namespace ranges

}  // namespace m350
