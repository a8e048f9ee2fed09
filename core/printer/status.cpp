// SPDX-License-Identifier: MIT
#include "core/printer/status.h"

#include <iterator>

#include "core/link/connection.h"
#include "core/link/link_operations.h"

namespace m350 {

std::string_view statusFlagName(std::size_t index) {
    static constexpr std::string_view kNames[] = {
        "coverOpen", "paperJam",   "outOfPaper",         "ribbon",     "pause", "printing",
        "bit6",      "otherError", "ribbonEncoderError", "outOfRibbon"};
    return index < std::size(kNames) ? kNames[index] : std::string_view();
}

int statusTextKeyFor(const StatusFlags& f) {
    if (f[0]) return kKeyCoverOpen;
    if (f[7]) return kKeyOtherError;
    if (f[3] && f[9]) return kKeyOutOfRibbon;
    if (f[3] && f[8]) return kKeyRibbonEncoderErr;
    if (f[2]) return kKeyOutOfPaper;
    if (f[1]) return kKeyPaperJam;
    if (f[4]) return kKeyPause;
    if (f[5]) return kKeyPrinting;
    return kKeyReady;
}

void setFlagsFromStatusByte(StatusFlags& flags, std::uint8_t status) {
    for (int bit = 0; bit < 8; ++bit) flags[bit] = (status >> bit) & 1u;
    flags[8] = flags[9] = 0;
}

void setRibbonFlagsFromExtended(StatusFlags& flags, std::uint8_t fifth) {
    if (fifth & 0x08)
        flags[8] = 1;
    else if (fifth & 0x04)
        flags[9] = 1;
}

int readStatus(Link& link, StatusFlags& flags) {
    Connection c(link.ctx, link.iface);
    if (!c.open()) return kPortOpenError;
    if (!c.write("\x1B!?")) return kTransmitError;
    std::uint8_t status = 0;
    if (!c.readByte(status)) return kReceiveError;
    setFlagsFromStatusByte(flags, status);
    if (!c.write("\x1B!S\r\n")) return kTransmitError;
    // A missing or short extended reply only leaves the ribbon detail unknown.
    std::uint8_t ext[8];
    if (c.readBytes(ext, sizeof ext) == sizeof ext) setRibbonFlagsFromExtended(flags, ext[4]);
    return kOk;
}

}  // namespace m350
