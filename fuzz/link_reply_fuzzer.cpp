// SPDX-License-Identifier: MIT
// The network settings, clock, sensor-settings and emulation reads against a
// printer whose replies are arbitrary bytes (split at each NUL); the first
// byte picks the read. Each keeps to its buffers and returns a result code.
#include <cstddef>
#include <cstdint>

#include "core/access/emulation.h"
#include "core/link/link_operations.h"
#include "core/net/net_settings.h"
#include "core/printer/clock.h"
#include "core/printer/sensor.h"
#include "link_replies.h"
#include "support/scripted_port.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const int which = data[0] % 4;
    m350test::ScriptedLink link(repliesOf(data + 1, size - 1));
    m350::Link l{link.ctx(), m350::kCom};
    switch (which) {
        case 0: {
            m350::NetSettings n;
            m350::readNetSettings(l, n);
            break;
        }
        case 1: {
            m350::ClockValues c{};
            m350::readClock(l, c);
            break;
        }
        case 2: {
            m350::SensorRequest r;
            m350::readSensorSettings(l, r);
            break;
        }
        default: {
            int emulation = 0;
            m350::readEmulation(l, emulation);
            break;
        }
    }
    return 0;
}
