// Which USB device is the printer, and which of its interfaces to drive.
#include "core/transport/usb_backend.h"

namespace m350 {

const UsbInterfaceDescription* choosePrinterInterface(const UsbDeviceDescription& device) {
    const UsbInterfaceDescription* printerOutOnly = nullptr;
    for (const auto& i : device.interfaces) {
        if (i.interfaceClass != kUsbPrinterClass || i.bulkOut < 0) continue;
        // A bidirectional printer interface answers status queries; a
        // unidirectional one can still take downloads.
        if (i.bulkIn >= 0) return &i;
        if (!printerOutOnly) printerOutOnly = &i;
    }
    if (printerOutOnly) return printerOutOnly;
    for (const auto& i : device.interfaces) {
        if (i.bulkIn >= 0 && i.bulkOut >= 0) return &i;
    }
    return nullptr;
}

int findPrinterDevice(const std::vector<UsbDeviceDescription>& devices) {
    for (std::uint16_t vendor : kPrinterVendorIds) {
        for (std::size_t n = 0; n < devices.size(); ++n) {
            if (devices[n].vendorId == vendor && choosePrinterInterface(devices[n]))
                return static_cast<int>(n);
        }
    }
    // Last resort: a printer of another make that presents the printer class.
    for (std::size_t n = 0; n < devices.size(); ++n) {
        const UsbInterfaceDescription* i = choosePrinterInterface(devices[n]);
        if (i && i->interfaceClass == kUsbPrinterClass) return static_cast<int>(n);
    }
    return -1;
}

}  // namespace m350
