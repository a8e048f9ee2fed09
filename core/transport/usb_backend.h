// SPDX-License-Identifier: MIT
// USB device access behind the USB port: enumeration, open, claim and bulk
// transfers. The production backend is libusb; tests put a list of fake
// devices in its place (LinkContext::usb), so the vendor order, the chunking,
// the time limits and an unplugged printer can be exercised without hardware.
//
// The port (usb_port.cpp) keeps the policy: which device is the printer, which
// interface to claim, how long to wait. A backend only does what it is told
// and never waits longer than asked. Listing devices touches none of them:
// what it tells comes from the system's tables (sysfs), not from the devices.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace m350 {

// Stand-in vendor identifiers of the printers' own make. These three numbers
// are not assigned to any company in the public USB vendor list; emulated
// printers report them. They are not searched for unless the printer list
// (usb_printer_list.h) names them: the installed list carries them as a
// commented example.
inline constexpr std::array<std::uint16_t, 3> kPrinterVendorIds = {0xF1E0, 0xF1E1, 0xF1E2};

struct UsbListEntry;

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
    // Kernel driver bound to the interface: "usblp" (the system's printer
    // driver), "usbfs" (a program has claimed it), empty for none or unknown.
    std::string driver;
};

struct UsbDeviceDescription {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    int busNumber = 0;
    int address = 0;
    // Where the device is plugged in: bus and ports, "1-1.4" (the system's
    // own name for it); empty when unknown.
    std::string busPath;
    // Strings the device reported when it was plugged in; empty when none.
    std::string serial;
    std::string manufacturer;
    std::string product;
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
    // Why the last open() gave null, as an errno value: EACCES without
    // permission, ENODEV when the device went away, EBUSY; 0 when unknown.
    virtual int lastOpenError() const { return 0; }
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

// A USB device the operator names, when the printer does not report one of
// the vendor identifiers: "VID:PID" or "VID:PID:SERIAL" (hexadecimal
// identifiers, the serial number as the device reports it), or the bus path
// "1-1.4" of the socket it is plugged into.
struct UsbDeviceChoice {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::string serial;   // empty: any serial number
    std::string busPath;  // set: the device at this path, the identifiers unused
};

// The choice a text names; nullopt when it is neither form.
std::optional<UsbDeviceChoice> parseUsbDeviceChoice(std::string_view text);

// The environment variable that names a device, for both programs.
inline constexpr const char* kUsbDeviceVariable = "M350_USB";

// Said instead of a device: no device is named, the vendor identifiers
// decide (whatever M350_USB says).
inline constexpr std::string_view kUsbDeviceAuto = "auto";

// Whether a text names a device or says "auto".
bool isUsbDeviceOption(std::string_view text);

// The device named for this run: the given text (an option, or what the
// window remembered) when it is not empty, else the environment variable
// M350_USB, else none (empty). "auto" names none.
std::string namedUsbDevice(const std::string& given);

// Whether a device matches the choice.
bool usbDeviceMatches(const UsbDeviceDescription& device, const UsbDeviceChoice& choice);

enum class UsbPick {
    kFound,           // index names the printer
    kNone,            // nothing named and no device of the printer list to drive
    kBadName,         // the named text is neither form
    kNamedAbsent,     // no device matches the name
    kNamedAmbiguous,  // several devices match the name: add the serial number or use the bus path
    kNamedUnusable,   // the named device has no interface to drive a printer through
};

struct UsbSelection {
    UsbPick pick = UsbPick::kNone;
    int index = -1;  // into the device list when pick is kFound
};

// The printer among the devices. With a named device (see UsbDeviceChoice)
// only that device is taken, and only when exactly one matches. Without one,
// each entry of the printer list is searched over the whole device list
// before the next one, so the list order decides before the enumeration
// order; only devices with an interface choosePrinterInterface accepts count.
// No other device is ever taken: a printer not in the list must be named.
UsbSelection selectUsbPrinter(const std::vector<UsbDeviceDescription>& devices,
                              std::string_view named, const std::vector<UsbListEntry>& list);

// Index in the device list of the printer to use, or -1 (selectUsbPrinter
// with nothing named).
int findPrinterDevice(const std::vector<UsbDeviceDescription>& devices,
                      const std::vector<UsbListEntry>& list);

}  // namespace m350
