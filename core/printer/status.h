// SPDX-License-Identifier: MIT
// The printer's status: ten flags from the status byte and the extended status,
// and the one word shown for them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/link/link.h"

namespace m350 {

using StatusFlags = std::array<std::uint8_t, 10>;

// Text keys of the status words in the language table.
enum StatusTextKey : int {
    kKeyReady = 48,
    kKeyCoverOpen = 49,
    kKeyPaperJam = 50,
    kKeyOutOfPaper = 51,
    kKeyOutOfRibbon = 52,
    kKeyRibbonEncoderErr = 53,
    kKeyPause = 54,
    kKeyPrinting = 55,
    kKeyOtherError = 56,
};

// Names of the ten flags for machine-readable output, by index: coverOpen,
// paperJam, outOfPaper, ribbon, pause, printing, bit6, otherError,
// ribbonEncoderError, outOfRibbon. Empty past the last.
std::string_view statusFlagName(std::size_t index);

// The key of the word to show, by priority: cover open, other error, out of
// ribbon, ribbon encoder, out of paper, paper jam, pause, printing, ready.
int statusTextKeyFor(const StatusFlags& flags);

// Link operation 0: the status byte (ESC !?) into flags 0..7, then the
// extended status (ESC !S) for the ribbon flags 8 and 9. The flags not set
// by the replies keep what the caller put in them.
int readStatus(Link& link, StatusFlags& flags);

// Flags 0..7 from the status byte; 8 and 9 from the fifth extended byte.
void setFlagsFromStatusByte(StatusFlags& flags, std::uint8_t status);
void setRibbonFlagsFromExtended(StatusFlags& flags, std::uint8_t fifthByte);

}  // namespace m350
