// SPDX-License-Identifier: MIT
// The configuration read (link operation 1): one report query per setting,
// each reply parsed into a record the caller has reset to the defaults. The
// printer's edition, asked in the middle of the run, decides which settings
// follow.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/config/config_record.h"
#include "core/link/link.h"

namespace m350 {

// Runs the read on an interface. The record comes in reset and goes out filled
// as far as the run got; callers keep it only when the result is kOk. The
// parallel port is refused by the link entry, not here.
int readConfig(Link& link, ConfigRecord& record);

// Parse rules of the replies, as pure functions.

// decimal integer at the start of the text: white space, optional sign,
// digits; no number gives 0. Values beyond 32 bits saturate.
std::int32_t parseConfigInt(std::string_view text);
// decimal real at the start of the text: optional sign, digits, optional point
// and fraction, optional exponent; no number gives 0. Independent of the locale.
float parseConfigReal(std::string_view text);
// Dots per millimetre for a resolution in dots per inch, rounded to a tenth
// (203 -> 8.0, 300 -> 11.8); nullopt when the resolution gives no usable value.
std::optional<float> dotsPerMmForDpi(float dpi);
// ZSPEED: "A" 2, "B" 3, "C" 4, "D" 6, "E" 8, else the integer; empty: absent.
std::optional<std::int32_t> zSpeedFromReply(std::string_view reply);
// DSPEED: one letter "A".."V" 1.0 + 0.5 per letter, "W".."Z" 12..15, "a".."e"
// 16..20; anything else is absent.
std::optional<float> dSpeedFromReply(std::string_view reply);
// Whole-reply letter codes; nullopt when the reply is none of them.
std::optional<std::int32_t> zPrintModeFromReply(std::string_view reply);     // T P R A C D
std::optional<std::int32_t> zMediaActionFromReply(std::string_view reply);   // F C L N
std::optional<std::int32_t> dPresenceFromReply(std::string_view reply);      // N E A
std::optional<std::int32_t> dControlCodesFromReply(std::string_view reply);  // S 1 2

}  // namespace m350
