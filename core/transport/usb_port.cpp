// SPDX-License-Identifier: MIT
// USB port (interface 0), and the libusb backend under it.
//
// Contract (see Port.h):
// - open() searches the devices anew every time (a printer plugged in or
//   replaced between operations is found by the next one), opens the printer,
//   detaches a kernel driver bound to its interface and claims it. The printer
//   is the device the operator named, else the first device of the printer
//   list, read anew at every open (selectUsbPrinter, usb_printer_list.h); no
//   other device is opened. False when no printer is
//   present, when it cannot be opened (no permission: see docs/usb.md for the
//   udev rule) or the interface is held elsewhere.
// - writeChunk() sends at most 64 bytes as one bulk OUT transfer and waits at
//   most timeouts.usbWriteMs for the printer to take them; a printer that
//   stops taking data fails the write, the transfer is cancelled.
// - refill() runs one bulk IN transfer of up to 64 bytes and waits at most
//   timeouts.usbReadMs (3000 ms), or the caller's shorter limit; on time-out
//   the transfer is cancelled and nothing is delivered.
// - Waits run in slices of kUsbSliceMs with the context pumped between them, so
//   the progress window and the disabled main window keep painting.
// - Once the device is seen unplugged, every later write fails and every read
//   returns nothing at once; the next open does not find it.
// - close() releases the interface and gives it back to its kernel driver.
#include <libusb.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

#include "core/link/link_context.h"
#include "core/transport/port.h"
#include "core/transport/usb_backend.h"
#include "core/transport/usb_printer_list.h"

namespace m350 {

namespace {

constexpr int kUsbSliceMs = 20;
// How long a cancelled transfer may take to come back. usbfs discards a
// transfer at once; this only guards against a stuck host controller.
constexpr int kCancelWaitMs = 1000;

using Clock = std::chrono::steady_clock;

Clock::time_point deadlineIn(int ms) {
    return Clock::now() + std::chrono::milliseconds(std::max(ms, 0));
}

int msUntil(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}

// ---------------------------------------------------------------------------
// libusb backend

// One bulk transfer with its own buffer. It lives on the heap so that a
// transfer libusb never hands back (a cancel that does not complete) can be
// left behind instead of freeing memory the library still writes to.
struct TransferSlot {
    libusb_transfer* transfer = nullptr;
    std::uint8_t buffer[kUsbTransferSize] = {};
    int completed = 0;
};

void LIBUSB_CALL transferDone(libusb_transfer* t) {
    static_cast<TransferSlot*>(t->user_data)->completed = 1;
}

class LibusbHandle final : public UsbDeviceHandle {
  public:
    LibusbHandle(libusb_context* ctx, libusb_device_handle* h) : ctx_(ctx), h_(h) {
        slot_ = new TransferSlot;
        slot_->transfer = libusb_alloc_transfer(0);
    }

    ~LibusbHandle() override {
        cancel();
        if (running_) {
            // libusb still owns the buffer: leave the slot to it.
        } else {
            if (slot_->transfer) libusb_free_transfer(slot_->transfer);
            delete slot_;
        }
        if (claimed_ >= 0) libusb_release_interface(h_, claimed_);
        if (detached_ >= 0) libusb_attach_kernel_driver(h_, detached_);
        libusb_close(h_);
    }

    bool claim(int number, int alt) override {
        if (libusb_kernel_driver_active(h_, number) == 1) {
            if (libusb_detach_kernel_driver(h_, number) != 0) return false;
            detached_ = number;
        }
        if (libusb_claim_interface(h_, number) != 0) return false;
        claimed_ = number;
        return alt == 0 || libusb_set_interface_alt_setting(h_, number, alt) == 0;
    }

    bool submit(std::uint8_t endpoint, const std::uint8_t* data, std::size_t length) override {
        if (running_ || !slot_->transfer) return false;
        length = std::min(length, kUsbTransferSize);
        if (!(endpoint & LIBUSB_ENDPOINT_IN) && length > 0)
            std::memcpy(slot_->buffer, data, length);
        // No library time-out: the port bounds the wait and cancels.
        libusb_fill_bulk_transfer(slot_->transfer, h_, endpoint, slot_->buffer,
                                  static_cast<int>(length), transferDone, slot_, 0);
        slot_->completed = 0;
        if (libusb_submit_transfer(slot_->transfer) != 0) return false;
        running_ = true;
        return true;
    }

    UsbTransferState wait(int ms) override {
        if (running_) {
            pumpEvents(ms);
            if (!slot_->completed) return UsbTransferState::kPending;
            running_ = false;
        }
        switch (slot_->transfer->status) {
            case LIBUSB_TRANSFER_COMPLETED:
                return UsbTransferState::kDone;
            case LIBUSB_TRANSFER_NO_DEVICE:
                return UsbTransferState::kGone;
            default:
                return UsbTransferState::kFailed;
        }
    }

    std::size_t result(std::uint8_t* dst, std::size_t cap) override {
        if (running_) return 0;
        auto n = static_cast<std::size_t>(std::max(slot_->transfer->actual_length, 0));
        n = std::min(n, kUsbTransferSize);
        if (dst) {
            n = std::min(n, cap);
            std::memcpy(dst, slot_->buffer, n);
        }
        return n;
    }

    void cancel() override {
        if (!running_) return;
        libusb_cancel_transfer(slot_->transfer);
        pumpEvents(kCancelWaitMs);
        if (slot_->completed) running_ = false;
    }

  private:
    // Lets libusb deliver completions for up to ms milliseconds, returning as
    // soon as the running transfer has ended.
    void pumpEvents(int ms) {
        auto deadline = Clock::now() + std::chrono::milliseconds(ms);
        while (!slot_->completed) {
            int left = msUntil(deadline);
            timeval tv{left / 1000, (left % 1000) * 1000};
            libusb_handle_events_timeout_completed(ctx_, &tv, &slot_->completed);
            if (left == 0) break;
        }
    }

    libusb_context* ctx_;
    libusb_device_handle* h_;
    TransferSlot* slot_ = nullptr;
    bool running_ = false;
    int claimed_ = -1;
    int detached_ = -1;
};

// What the system tells of its USB devices without asking them: the strings
// they reported when plugged in and the drivers bound to their interfaces.
constexpr const char* kSysfsUsbDevices = "/sys/bus/usb/devices";

// A short attribute file, without its line end; empty when there is none.
std::string sysfsText(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "re");
    if (!f) return {};
    char buf[256];
    std::size_t n = std::fread(buf, 1, sizeof buf - 1, f);
    std::fclose(f);
    std::string s(buf, n);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
    return s;
}

// Name of the driver a sysfs "driver" link points at; empty when unbound.
std::string sysfsDriver(const std::string& path) {
    char target[512];
    ssize_t n = ::readlink(path.c_str(), target, sizeof target - 1);
    if (n <= 0) return {};
    std::string t(target, static_cast<std::size_t>(n));
    auto slash = t.find_last_of('/');
    return slash == std::string::npos ? t : t.substr(slash + 1);
}

// "1-1.4": the bus, then the ports from the root hub down.
std::string busPathOf(libusb_device* dev) {
    std::uint8_t ports[8];
    int n = libusb_get_port_numbers(dev, ports, sizeof ports);
    if (n <= 0) return {};
    std::string s = std::to_string(libusb_get_bus_number(dev)) + "-";
    for (int i = 0; i < n; ++i) {
        if (i > 0) s += '.';
        s += std::to_string(ports[i]);
    }
    return s;
}

UsbDeviceDescription describe(libusb_device* dev) {
    UsbDeviceDescription d;
    libusb_device_descriptor dd{};
    if (libusb_get_device_descriptor(dev, &dd) == 0) {
        d.vendorId = dd.idVendor;
        d.productId = dd.idProduct;
    }
    d.busNumber = libusb_get_bus_number(dev);
    d.address = libusb_get_device_address(dev);
    d.busPath = busPathOf(dev);
    // The system's entry for the device, when it is the same device (bus and
    // address agree): the strings come from there, so listing reads nothing
    // from the device itself.
    std::string sys;
    if (!d.busPath.empty()) {
        sys = std::string(kSysfsUsbDevices) + "/" + d.busPath;
        if (sysfsText(sys + "/busnum") != std::to_string(d.busNumber) ||
            sysfsText(sys + "/devnum") != std::to_string(d.address))
            sys.clear();
    }
    if (!sys.empty()) {
        d.serial = sysfsText(sys + "/serial");
        d.manufacturer = sysfsText(sys + "/manufacturer");
        d.product = sysfsText(sys + "/product");
    }
    libusb_config_descriptor* cfg = nullptr;
    if (libusb_get_active_config_descriptor(dev, &cfg) != 0) return d;  // not configured
    for (int i = 0; i < cfg->bNumInterfaces; ++i) {
        const libusb_interface& itf = cfg->interface[i];
        for (int a = 0; a < itf.num_altsetting; ++a) {
            const libusb_interface_descriptor& alt = itf.altsetting[a];
            UsbInterfaceDescription u;
            u.number = alt.bInterfaceNumber;
            u.altSetting = alt.bAlternateSetting;
            u.interfaceClass = alt.bInterfaceClass;
            if (!sys.empty()) {
                u.driver = sysfsDriver(sys + "/" + d.busPath + ":" +
                                       std::to_string(cfg->bConfigurationValue) + "." +
                                       std::to_string(u.number) + "/driver");
            }
            for (int e = 0; e < alt.bNumEndpoints; ++e) {
                const libusb_endpoint_descriptor& ep = alt.endpoint[e];
                if ((ep.bmAttributes & 0x03) != LIBUSB_TRANSFER_TYPE_BULK) continue;
                if (ep.bEndpointAddress & LIBUSB_ENDPOINT_IN) {
                    if (u.bulkIn < 0) u.bulkIn = ep.bEndpointAddress;
                } else if (u.bulkOut < 0) {
                    u.bulkOut = ep.bEndpointAddress;
                }
            }
            d.interfaces.push_back(u);
        }
    }
    libusb_free_config_descriptor(cfg);
    return d;
}

class LibusbBackend final : public UsbBackend {
  public:
    ~LibusbBackend() override {
        freeList();
        if (ctx_) libusb_exit(ctx_);
    }

    std::vector<UsbDeviceDescription> devices() override {
        std::vector<UsbDeviceDescription> out;
        // A machine without a USB bus fails here; try again next time.
        if (!ctx_ && libusb_init(&ctx_) != 0) {
            ctx_ = nullptr;
            return out;
        }
        freeList();
        libusb_device** list = nullptr;
        ssize_t n = libusb_get_device_list(ctx_, &list);
        if (n < 0) return out;
        list_ = list;
        count_ = static_cast<std::size_t>(n);
        for (std::size_t i = 0; i < count_; ++i) {
            out.push_back(describe(list_[i]));
            out.back().token = i;
        }
        return out;
    }

    std::unique_ptr<UsbDeviceHandle> open(const UsbDeviceDescription& device) override {
        if (!list_ || device.token >= count_) return nullptr;
        libusb_device_handle* h = nullptr;
        // LIBUSB_ERROR_ACCESS (no permission) and LIBUSB_ERROR_NO_DEVICE
        // (unplugged since the list was taken) end up here alike.
        const int rc = libusb_open(list_[device.token], &h);
        openError_ = rc == LIBUSB_ERROR_ACCESS      ? EACCES
                     : rc == LIBUSB_ERROR_NO_DEVICE ? ENODEV
                     : rc == LIBUSB_ERROR_BUSY      ? EBUSY
                     : rc != 0                      ? EIO
                                                    : 0;
        if (rc != 0) return nullptr;
        return std::make_unique<LibusbHandle>(ctx_, h);
    }

    int lastOpenError() const override { return openError_; }

  private:
    void freeList() {
        if (list_) libusb_free_device_list(list_, 1);
        list_ = nullptr;
        count_ = 0;
    }

    libusb_context* ctx_ = nullptr;
    libusb_device** list_ = nullptr;
    std::size_t count_ = 0;
    int openError_ = 0;
};

// ---------------------------------------------------------------------------
// The port

class UsbPort final : public Port {
  public:
    explicit UsbPort(LinkContext& ctx) : ctx_(ctx) {}
    ~UsbPort() override { close(); }

    bool open() override {
        close();
        backend_ = ctx_.usb ? ctx_.usb : systemUsbBackend();
        if (!backend_) return false;
        std::vector<UsbDeviceDescription> list = backend_->devices();
        UsbListFiles files;
        if (ctx_.settings)
            files = {ctx_.settings->usbListSystemFile, ctx_.settings->usbListUserFile};
        const UsbSelection chosen =
            selectUsbPrinter(list, namedUsbDevice(ctx_.settings ? ctx_.settings->usbDevice : ""),
                             loadUsbList(files));
        if (chosen.pick != UsbPick::kFound) {
            ctx_.lastError = notChosen(chosen.pick);
            close();
            return false;
        }
        const UsbDeviceDescription& device = list[static_cast<std::size_t>(chosen.index)];
        const UsbInterfaceDescription* itf = choosePrinterInterface(device);
        handle_ = backend_->open(device);
        if (!handle_) {
            ctx_.lastError = notOpened(device, backend_->lastOpenError());
            close();
            return false;
        }
        if (!handle_->claim(itf->number, itf->altSetting)) {
            ctx_.lastError = {
                PortFault::kBusy, deviceName(device),
                itf->driver.empty() || itf->driver == "usbfs"
                    ? "the printer's interface is held by another program"
                    : "the printer's interface is held by the " + itf->driver + " driver"};
            close();
            return false;
        }
        in_ = itf->bulkIn;
        out_ = itf->bulkOut;
        return true;
    }

    // Why no device was chosen, for the operator.
    PortError notChosen(UsbPick pick) const {
        const std::string named = ctx_.settings ? ctx_.settings->usbDevice : std::string();
        const std::string device = named.empty() ? std::string("USB") : "USB " + named;
        switch (pick) {
            case UsbPick::kBadName:
                return {PortFault::kNoDevice, device, "not a USB device name"};
            case UsbPick::kNamedAbsent:
                return {PortFault::kNoDevice, device, "no such device"};
            case UsbPick::kNamedAmbiguous:
                return {PortFault::kOther, device,
                        "several devices match: add the serial number or use the bus path"};
            case UsbPick::kNamedUnusable:
                return {PortFault::kNoDevice, device, "the device has no printer interface"};
            default:
                return {PortFault::kNoDevice, device,
                        "no printer of the printer list found (m350ctl usb list --all)"};
        }
    }

    static std::string nodePath(const UsbDeviceDescription& d) {
        char path[32];
        std::snprintf(path, sizeof path, "/dev/bus/usb/%03d/%03d", d.busNumber, d.address);
        return path;
    }

    static std::string deviceName(const UsbDeviceDescription& d) {
        char ids[16];
        std::snprintf(ids, sizeof ids, "%04x:%04x", d.vendorId, d.productId);
        return "USB " + std::string(ids) + " at " + nodePath(d);
    }

    // The open failed: no permission on the device node, or it went away.
    static PortError notOpened(const UsbDeviceDescription& d, int err) {
        if (err != 0) return portErrorFromErrno(deviceName(d), err);
        const std::string node = nodePath(d);
        if (::access(node.c_str(), R_OK | W_OK) != 0)
            return portErrorFromErrno(deviceName(d), errno);
        return {PortFault::kOther, deviceName(d), "the device cannot be opened"};
    }

    void close() override {
        handle_.reset();  // before the backend it belongs to
        backend_.reset();
        in_ = out_ = -1;
        gone_ = false;
        heldCount_ = heldAt_ = 0;
    }

    std::size_t chunkSize() const override { return kUsbTransferSize; }

    // Bytes held back from a short refill count as received: dropped too.
    void purge() override { heldCount_ = heldAt_ = 0; }

    bool writeChunk(const std::uint8_t* data, std::size_t n) override {
        if (!handle_ || gone_ || out_ < 0) return false;
        // The link hands over at most 64 bytes; a longer buffer is still sent
        // packet by packet rather than refused.
        for (std::size_t done = 0; done < n;) {
            std::size_t part = std::min(n - done, kUsbTransferSize);
            auto ep = static_cast<std::uint8_t>(out_);
            if (run(ep, data + done, part, deadlineIn(ctx_.timeouts.usbWriteMs)) !=
                UsbTransferState::kDone)
                return false;
            if (handle_->result(nullptr, 0) != part) return false;
            done += part;
        }
        return true;
    }

    std::size_t refill(std::uint8_t* dst, std::size_t cap, int waitMs) override {
        if (cap == 0) return 0;
        if (heldCount_ == 0) {
            if (!handle_ || gone_ || in_ < 0) return 0;
            auto ep = static_cast<std::uint8_t>(in_);
            auto deadline = deadlineIn(std::min(ctx_.timeouts.usbReadMs, waitMs));
            // A zero-length packet is no answer yet: keep waiting within the
            // same limit.
            do {
                if (run(ep, nullptr, kUsbTransferSize, deadline) != UsbTransferState::kDone)
                    return 0;
                heldCount_ = handle_->result(held_, sizeof held_);
                heldAt_ = 0;
            } while (heldCount_ == 0 && msUntil(deadline) > 0);
            if (heldCount_ == 0) return 0;
        }
        // A packet larger than the caller's room is handed out over two refills.
        std::size_t n = std::min(cap, heldCount_);
        std::memcpy(dst, held_ + heldAt_, n);
        heldAt_ += n;
        heldCount_ -= n;
        return n;
    }

  private:
    // One transfer, waited for in slices until the deadline; cancelled when
    // the deadline passes.
    UsbTransferState run(std::uint8_t endpoint, const std::uint8_t* data, std::size_t n,
                         Clock::time_point deadline) {
        if (!handle_->submit(endpoint, data, n)) return UsbTransferState::kFailed;
        for (;;) {
            UsbTransferState s = handle_->wait(std::min(msUntil(deadline), kUsbSliceMs));
            if (s == UsbTransferState::kGone) gone_ = true;
            if (s != UsbTransferState::kPending) return s;
            ctx_.pump();
            if (msUntil(deadline) == 0 || ctx_.stopping()) {
                handle_->cancel();
                return UsbTransferState::kFailed;
            }
        }
    }

    LinkContext& ctx_;
    std::shared_ptr<UsbBackend> backend_;
    std::unique_ptr<UsbDeviceHandle> handle_;
    int in_ = -1;
    int out_ = -1;
    bool gone_ = false;
    std::uint8_t held_[kUsbTransferSize] = {};
    std::size_t heldAt_ = 0;
    std::size_t heldCount_ = 0;
};

}  // namespace

std::shared_ptr<UsbBackend> systemUsbBackend() {
    static std::once_flag once;
    static std::shared_ptr<UsbBackend> backend;
    std::call_once(once, [] { backend = std::make_shared<LibusbBackend>(); });
    return backend;
}

std::shared_ptr<UsbBackend> makeLibusbBackend() {
    return std::make_shared<LibusbBackend>();
}

std::unique_ptr<Port> makeUsbPort(LinkContext& ctx) {
    return std::make_unique<UsbPort>(ctx);
}

}  // namespace m350
