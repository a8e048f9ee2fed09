// SPDX-License-Identifier: MIT
// A USB printer on a bus that umockdev emulates, for the libusb backend's
// tests. The device (one printer-class interface, bulk OUT 0x01 and IN 0x82)
// answers the usbfs requests libusb makes, and speaks a small part of the
// printer language: the status byte, the extended status, the interface
// announcement, report queries (unknown keys get an empty frame) and the
// serial number line. It lives in this process; its requests
// are served on umockdev's worker thread, so its state is locked.
//
// Several printers may share one bus (EmulatedUsbBus), each in its own socket
// with its own strings; a printer made without a bus gets one of its own.
//
// Only usable when the process runs under umockdev-wrapper; see unavailable().
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace m350test {

// One emulated USB bus (bus 1); it lives as long as the printers on it.
class EmulatedUsbBus {
  public:
    EmulatedUsbBus();
    ~EmulatedUsbBus();
    EmulatedUsbBus(const EmulatedUsbBus&) = delete;
    EmulatedUsbBus& operator=(const EmulatedUsbBus&) = delete;
    struct State;
    State& state() { return *s_; }

  private:
    std::unique_ptr<State> s_;
};

// Where a printer is plugged in and what it tells about itself.
struct UsbPlacement {
    int port = 1;                        // bus path "1-<port>", device number port + 1
    std::string serial = "M350-000001";  // also answered to OUT _SERIAL$
    std::string manufacturer;            // empty: none reported
    std::string product;
};

class EmulatedPrinter {
  public:
    // Why the emulation cannot run here, or empty when it can.
    static std::string unavailable();

    EmulatedPrinter(std::uint16_t vendor, std::uint16_t product = 1);
    EmulatedPrinter(std::shared_ptr<EmulatedUsbBus> bus, std::uint16_t vendor,
                    std::uint16_t product, const UsbPlacement& where);
    ~EmulatedPrinter();
    EmulatedPrinter(const EmulatedPrinter&) = delete;
    EmulatedPrinter& operator=(const EmulatedPrinter&) = delete;

    // Empty when the device was set up; else what went wrong.
    const std::string& error() const;

    void setStatusByte(std::uint8_t status);
    void setExtendedStatus(const std::string& eightBytes);
    void setReport(const std::string& key, const std::string& value);
    // OUT transfers stay pending until cancelled, as on a printer whose
    // buffer is full.
    void stallWrites(bool on);
    // Removes the device from the bus.
    void unplug();

    // Every byte the host sent.
    std::string received() const;
    // Length of every OUT transfer.
    std::vector<int> outTransferSizes() const;
    // Driver and interface events: "detach 0", "claim 0", "release 0",
    // "attach 0", "discard".
    std::vector<std::string> events() const;

    struct State;

  private:
    std::unique_ptr<State> s_;
};

}  // namespace m350test
