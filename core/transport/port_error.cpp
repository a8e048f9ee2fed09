// SPDX-License-Identifier: MIT
#include "core/transport/port_error.h"

#include <cerrno>
#include <cstring>

#include "core/transport/port_settings.h"

namespace m350 {

PortFault portFaultFromErrno(int err) {
    switch (err) {
        case 0:
            return PortFault::kNone;
        case ENOENT:
        case ENODEV:
        case ENXIO:
        case ENOTDIR:
            return PortFault::kNoDevice;
        case EACCES:
        case EPERM:
            return PortFault::kPermission;
        case EBUSY:
        case EWOULDBLOCK:
            return PortFault::kBusy;
        case ECONNREFUSED:
            return PortFault::kRefused;
        case ETIMEDOUT:
            return PortFault::kTimedOut;
        default:
            return PortFault::kOther;
    }
}

PortError portErrorFromErrno(std::string device, int err) {
    PortError e;
    e.fault = portFaultFromErrno(err);
    if (e.fault == PortFault::kNone) e.fault = PortFault::kOther;
    e.device = std::move(device);
    // flock() and a held lock file say "would block"; the operator's word is busy.
    e.reason = e.fault == PortFault::kBusy ? std::string("Device or resource busy")
                                           : std::string(std::strerror(err));
    return e;
}

const char* portFaultName(PortFault fault) {
    switch (fault) {
        case PortFault::kNone:
            return "none";
        case PortFault::kNoDevice:
            return "no-device";
        case PortFault::kPermission:
            return "permission";
        case PortFault::kBusy:
            return "busy";
        case PortFault::kRefused:
            return "refused";
        case PortFault::kHostUnknown:
            return "host-unknown";
        case PortFault::kTimedOut:
            return "timed-out";
        case PortFault::kOther:
            return "other";
    }
    return "other";
}

std::string describePortError(const PortError& error) {
    if (error.device.empty()) return error.reason;
    if (error.reason.empty()) return error.device;
    return error.device + ": " + error.reason;
}

std::string portErrorHint(const PortError& error, int iface) {
    switch (error.fault) {
        case PortFault::kPermission:
            if (iface == kCom)
                return "serial ports belong to the dialout group: sudo usermod -aG dialout "
                       "$USER, then log in again";
            if (iface == kLpt)
                return "parallel ports belong to the lp group: sudo usermod -aG lp $USER, then "
                       "log in again";
            if (iface == kUsb)
                return "install the udev rule for the printer (/usr/share/doc/m350-utility/usb.md) "
                       "and plug it in "
                       "again";
            return {};
        case PortFault::kBusy:
            if (iface == kUsb)
                return "another driver or program holds the printer (usblp, ipp-usb, a print "
                       "spooler): see /usr/share/doc/m350-utility/usb.md";
            return "another program has the port open; close it and try again";
        case PortFault::kNoDevice:
            if (iface == kCom)
                return "check the port name and the cable or adapter (M350_COM<n> names "
                       "another device)";
            if (iface == kLpt) return "check the port name (M350_LPT<n> names another device)";
            if (iface == kUsb)
                return "check that the printer is switched on and plugged in (m350ctl usb "
                       "list)";
            return {};
        case PortFault::kRefused:
            return "nothing accepts connections there: check the printer is on and the port "
                   "number (9100 unless changed)";
        case PortFault::kHostUnknown:
            return "check the printer's name, or give its IP address (m350ctl discover)";
        case PortFault::kTimedOut:
            return "the address does not answer: check the printer's address and the network";
        case PortFault::kNone:
        case PortFault::kOther:
            return {};
    }
    return {};
}

}  // namespace m350
