// SPDX-License-Identifier: MIT
#include "core/printer/clock.h"

#include "core/config/config_read.h"
#include "core/link/connection.h"
#include "core/link/link_operations.h"

namespace m350 {

namespace {
constexpr const char* kKeys[kClockFields] = {"YEAR", "MONTH", "DATE", "HOUR", "MINUTE", "SECOND"};
}  // namespace

const char* clockKey(int field) {
    return field >= 0 && field < kClockFields ? kKeys[field] : "";
}

std::string clockCommands(const ClockValues& values) {
    std::string text;
    for (int f = 0; f < kClockFields; ++f) {
        const std::int32_t v = f == kYear ? values[f] % 100 : values[f];
        text += "@";
        text += kKeys[f];
        text += " = \"" + std::to_string(v) + "\"\r\n";
    }
    return text;
}

int readClock(Link& link, ClockValues& values) {
    Connection c(link.ctx, link.iface);
    if (!c.open()) return kPortOpenError;
    if (int r = c.announce(); r != kOk) return r;
    for (int f = 0; f < kClockFields; ++f) {
        std::string payload;
        if (int r = c.report(kKeys[f], payload); r != kOk) return r;
        values[f] = parseConfigInt(payload);
    }
    return kOk;
}

int setClock(Link& link, const ClockValues& values) {
    return sendCommand(link, clockCommands(values));
}

}  // namespace m350
