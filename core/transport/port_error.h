// SPDX-License-Identifier: MIT
// Why a port could not be opened: the device it tried, the system's own
// reason and what kind of trouble that is, so that m350ctl and the window can
// say more than "Port Open Error" and suggest a fix. The port that fails
// leaves it on the link context (LinkContext::lastError); every operation
// starts with it cleared.
#pragma once

#include <string>

namespace m350 {

enum class PortFault {
    kNone,
    kNoDevice,     // no such device file, no printer on the bus, nothing configured
    kPermission,   // the device exists but this user may not open it
    kBusy,         // another program or driver holds it
    kRefused,      // nothing listens at the printer's address and port
    kHostUnknown,  // the printer's name does not resolve
    kTimedOut,     // the address does not answer
    kOther,
};

struct PortError {
    PortFault fault = PortFault::kNone;
    // What was tried: "/dev/ttyS0", "printer.local:9100", "USB 1-1.4".
    std::string device;
    // The system's words for it: strerror(), gai_strerror(), or ours.
    std::string reason;

    bool isSet() const { return fault != PortFault::kNone; }
};

// The fault an errno value from open(), flock() or connect() stands for.
PortFault portFaultFromErrno(int err);
// A PortError from an errno value, with strerror's text as the reason.
PortError portErrorFromErrno(std::string device, int err);

// Stable name of a fault for machine-readable output: "no-device",
// "permission", "busy", "refused", "host-unknown", "timed-out", "other".
const char* portFaultName(PortFault fault);

// "<device>: <reason>", the second line m350ctl prints under the result text.
std::string describePortError(const PortError& error);
// What the operator can do about it on this interface (kUsb .. kEthernet):
// the dialout group, the udev rule, the printer's address ...; empty when
// there is nothing useful to say.
std::string portErrorHint(const PortError& error, int iface);

}  // namespace m350
