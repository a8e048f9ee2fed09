// SPDX-License-Identifier: MIT
// A USB bus made of fake devices for the USB port's tests: a device list in a
// chosen enumeration order, printers that answer from a script, stall, stay
// silent, refuse access or vanish.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "core/transport/usb_backend.h"

namespace m350test {

struct FakeUsbDevice {
    m350::UsbDeviceDescription description;
    // Behaviour.
    bool accessDenied = false;   // open fails as without permission
    bool interfaceBusy = false;  // claim fails: another program holds it
    bool kernelDriverBound = false;
    bool stallWrites = false;         // OUT transfers never complete
    bool unplugged = false;           // gone from the list; transfers report it
    std::deque<std::string> replies;  // each IN transfer takes up to 64 bytes of the front
    // What the port did.
    std::vector<std::string> chunks;  // every OUT transfer, in order
    std::vector<std::string>
        events;  // "open", "detach 0", "claim 0", "release 0", "attach 0", "cancel", "close"
    int inTransfers = 0;
    int waits = 0;
};

// A printer-class device of the vendor with a bidirectional interface 0
// (bulk OUT 0x01, bulk IN 0x82).
std::shared_ptr<FakeUsbDevice> makeFakePrinter(std::uint16_t vendor, std::uint16_t product = 1);

class FakeUsbBackend final : public m350::UsbBackend {
  public:
    std::vector<std::shared_ptr<FakeUsbDevice>> bus;  // enumeration order

    std::vector<m350::UsbDeviceDescription> devices() override;
    std::unique_ptr<m350::UsbDeviceHandle> open(const m350::UsbDeviceDescription& device) override;
    int lastOpenError() const override { return openError_; }

  private:
    std::vector<std::shared_ptr<FakeUsbDevice>> listed_;
    int openError_ = 0;
};

}  // namespace m350test
