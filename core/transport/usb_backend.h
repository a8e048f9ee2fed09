// USB device access behind the USB port: enumeration, open, claim and bulk
// transfers. The production backend is libusb; tests put a list of fake
// devices in its place (LinkContext::usb), so the vendor order, the chunking,
// the time limits and an unplugged printer can be exercised without hardware.
//
// The port (UsbPort.cpp) keeps the policy: which device is the printer, which
// interface to claim, how long to wait. A backend only does what it is told
// and never waits longer than asked.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace m350 {

// The printer maker's vendor identifiers, searched in this order at every
// open. These three numbers are not assigned to any company in the public USB
// vendor list: they stand in for the maker's own identifiers, so that this
// program never claims a device of somebody else's make by accident. Firmware
// and emulated printers used with this program report one of them. Change
// them here and nowhere else.
inline constexpr std::array<std::uint16_t, 3> kPrinterVendorIds = {0xF1E0, 0xF1E1, 0xF1E2};

// USB interface class of printers.
inline constexpr int kUsbPrinterClass = 7;

// Largest transfer each way: the full-speed bulk packet size.
inline constexpr std::size_t kUsbTransferSize = 64;

// One alternate setting of one interface of the active configuration.
struct UsbInterfaceDescription {
    int number = 0;
    int altSetting = 0;
    int interfaceClass = 0;
    int bulkIn = -1;   // endpoint address (0x80 bit set), -1 when there is none
    int bulkOut = -1;  // endpoint address, -1 when there is none
};

struct UsbDeviceDescription {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    int busNumber = 0;
    int address = 0;
    std::vector<UsbInterfaceDescription> interfaces;
    // Backend's own reference to the device (an index into its list).
    std::size_t token = 0;
};

enum class UsbTransferState {
    kPending,  // still running
    kDone,     // ended; actualLength() tells how many bytes moved
    kFailed,   // ended with an error (stall, overflow, cancelled)
    kGone,     // the device has been unplugged
};

// An open device, for one link operation. Destroying it releases the claimed
// interface, gives the interface back to the kernel driver it was taken from
// and closes the device.
class UsbDeviceHandle {
  public:
    virtual ~UsbDeviceHandle() = default;

    // Takes the interface for this program: a kernel driver bound to it (the
    // system's printer driver) is detached first and remembered, so it can be
    // re-attached when the handle is destroyed. False when the interface
    // cannot be had (in use elsewhere, no permission, device gone).
    virtual bool claim(int interfaceNumber, int altSetting) = 0;

    // Starts one bulk transfer of at most kUsbTransferSize bytes; data is the
    // payload for an OUT endpoint and ignored for an IN endpoint. The handle
    // keeps its own copy of the buffer. At most one transfer runs at a time.
    // False when the transfer could not be started.
    virtual bool submit(std::uint8_t endpoint, const std::uint8_t* data, std::size_t length) = 0;

    // Waits at most ms milliseconds for the running transfer to end.
    virtual UsbTransferState wait(int ms) = 0;

    // Bytes moved by the transfer that ended; for IN, copies them to dst
    // (at most cap bytes) when dst is not null.
    virtual std::size_t result(std::uint8_t* dst, std::size_t cap) = 0;

    // Cancels the running transfer and waits (bounded) until it has ended,
    // so its buffer is no longer in use. Does nothing when none runs.
    virtual void cancel() = 0;
};

class UsbBackend {
  public:
    virtual ~UsbBackend() = default;
    // Every present device, in the system's enumeration order.
    virtual std::vector<UsbDeviceDescription> devices() = 0;
    // Opens a device from the last devices() list; null when it is gone or
    // cannot be opened (no permission).
    virtual std::unique_ptr<UsbDeviceHandle> open(const UsbDeviceDescription& device) = 0;
};

// The backend on the system's USB bus (libusb), shared by the whole process.
std::shared_ptr<UsbBackend> systemUsbBackend();

// A fresh libusb backend with its own library context, for callers that must
// enumerate after setting up their bus (tests over an emulated bus).
std::shared_ptr<UsbBackend> makeLibusbBackend();

// The interface the printer is driven through: a printer-class interface with
// a bulk OUT endpoint (one with bulk IN too is preferred), else the first
// interface of any class with both bulk IN and OUT. Null when there is none.
const UsbInterfaceDescription* choosePrinterInterface(const UsbDeviceDescription& device);

// Index in the list of the printer to use, or -1. Each vendor identifier in
// kPrinterVendorIds is searched over the whole list before the next one, so
// the vendor order decides before the enumeration order; only devices with an
// interface choosePrinterInterface accepts count. When no listed vendor has
// one, the first device with a printer-class interface is taken.
int findPrinterDevice(const std::vector<UsbDeviceDescription>& devices);

}  // namespace m350
