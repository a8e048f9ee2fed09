// SPDX-License-Identifier: MIT
#include "emulated_printer.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef M350_HAVE_UMOCKDEV
#include <errno.h>
#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>
#include <umockdev.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <mutex>
#endif

namespace m350test {

#ifndef M350_HAVE_UMOCKDEV

struct EmulatedUsbBus::State {};
EmulatedUsbBus::EmulatedUsbBus() : s_(std::make_unique<State>()) {}
EmulatedUsbBus::~EmulatedUsbBus() = default;

struct EmulatedPrinter::State {
    std::string error = "built without umockdev";
};

std::string EmulatedPrinter::unavailable() {
    return "built without umockdev (install the packages umockdev and libumockdev-dev)";
}
EmulatedPrinter::EmulatedPrinter(std::uint16_t, std::uint16_t) : s_(std::make_unique<State>()) {}
EmulatedPrinter::EmulatedPrinter(std::shared_ptr<EmulatedUsbBus>, std::uint16_t, std::uint16_t,
                                 const UsbPlacement&)
    : s_(std::make_unique<State>()) {}
EmulatedPrinter::~EmulatedPrinter() = default;
const std::string& EmulatedPrinter::error() const {
    return s_->error;
}
void EmulatedPrinter::setStatusByte(std::uint8_t) {}
void EmulatedPrinter::setExtendedStatus(const std::string&) {}
void EmulatedPrinter::setReport(const std::string&, const std::string&) {}
void EmulatedPrinter::stallWrites(bool) {}
void EmulatedPrinter::unplug() {}
std::string EmulatedPrinter::received() const {
    return {};
}
std::vector<int> EmulatedPrinter::outTransferSizes() const {
    return {};
}
std::vector<std::string> EmulatedPrinter::events() const {
    return {};
}

#else

struct EmulatedUsbBus::State {
    UMockdevTestbed* testbed = nullptr;
};

EmulatedUsbBus::EmulatedUsbBus() : s_(std::make_unique<State>()) {
    if (EmulatedPrinter::unavailable().empty()) s_->testbed = umockdev_testbed_new();
}

EmulatedUsbBus::~EmulatedUsbBus() {
    if (s_->testbed) g_object_unref(s_->testbed);
}

struct EmulatedPrinter::State {
    std::string error;
    std::shared_ptr<EmulatedUsbBus> bus;
    UMockdevTestbed* testbed = nullptr;
    UMockdevIoctlBase* handler = nullptr;
    std::string devNode;
    std::string sysPath;
    std::string nodePath;

    mutable std::mutex m;
    bool stalled = false;
    bool unplugged = false;
    bool driverBound = true;  // the system's printer driver holds interface 0
    std::uint8_t status = 0;
    std::string extended = std::string(8, '\0');
    std::map<std::string, std::string> reports;
    std::string serial = "M350-000001";
    std::string fromHost;
    std::string unparsed;
    std::string toHost;
    std::vector<int> outSizes;
    std::vector<std::string> events;
    std::deque<usbdevfs_urb*> pendingIn;
    std::deque<usbdevfs_urb*> pendingOut;
    std::deque<usbdevfs_urb*> reapable;

    static std::string frame(const std::string& payload) {
        return "{" + std::to_string(payload.size()) + "|" + payload + "}";
    }

    // Answers what the host has sent so far, as far as it is complete.
    void parse() {
        for (;;) {
            if (unparsed.empty()) return;
            if (unparsed[0] == '\x1B') {
                if (unparsed.size() < 3) return;
                if (unparsed.compare(0, 3, "\x1B!?") == 0) {
                    toHost.push_back(static_cast<char>(status));
                } else if (unparsed.compare(0, 3, "\x1B!S") == 0) {
                    toHost += extended;
                }
                unparsed.erase(0, 3);
                continue;
            }
            auto end = unparsed.find("\r\n");
            if (end == std::string::npos) return;
            std::string line = unparsed.substr(0, end);
            unparsed.erase(0, end + 2);
            if (line.rfind("DIAGNOSTIC INTERFACE ", 0) == 0) {
                toHost += frame(line.substr(21));
            } else if (line.rfind("DIAGNOSTIC REPORT ", 0) == 0) {
                auto it = reports.find(line.substr(18));
                toHost += frame(it == reports.end() ? "" : it->second);
            } else if (line == "OUT _SERIAL$") {
                toHost += serial + "\r\n";
            }
        }
    }

    // Fills waiting IN transfers from the bytes the printer has to send.
    void serveIn() {
        while (!pendingIn.empty() && !toHost.empty()) {
            usbdevfs_urb* urb = pendingIn.front();
            pendingIn.pop_front();
            auto n =
                std::min<std::size_t>(toHost.size(), static_cast<std::size_t>(urb->buffer_length));
            std::memcpy(urb->buffer, toHost.data(), n);
            toHost.erase(0, n);
            urb->actual_length = static_cast<int>(n);
            urb->status = 0;
            reapable.push_back(urb);
        }
    }

    void takeOut(usbdevfs_urb* urb) {
        const auto* data = static_cast<const char*>(urb->buffer);
        fromHost.append(data, static_cast<std::size_t>(urb->buffer_length));
        unparsed.append(data, static_cast<std::size_t>(urb->buffer_length));
        outSizes.push_back(urb->buffer_length);
        urb->actual_length = urb->buffer_length;
        urb->status = 0;
        reapable.push_back(urb);
        parse();
    }

    // One usbfs request. The host's pointers are used as they are: the
    // emulation runs in the same process as libusb.
    bool handle(UMockdevIoctlClient* client) {
        gulong request = umockdev_ioctl_client_get_request(client);
        UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
        void* p = nullptr;
        std::memcpy(&p, arg->data, sizeof p);
        std::lock_guard<std::mutex> lock(m);
        long result = 0;
        int err = 0;
        switch (request) {
            case USBDEVFS_GET_CAPABILITIES:
                *static_cast<std::uint32_t*>(p) = 0;
                break;
            case USBDEVFS_GETDRIVER: {
                auto* g = static_cast<usbdevfs_getdriver*>(p);
                if (g->interface == 0 && driverBound)
                    std::strcpy(g->driver, "usblp");
                else
                    result = -1, err = ENODATA;
                break;
            }
            case USBDEVFS_IOCTL: {
                auto* c = static_cast<usbdevfs_ioctl*>(p);
                if (c->ioctl_code == static_cast<int>(USBDEVFS_DISCONNECT)) {
                    events.push_back("detach " + std::to_string(c->ifno));
                    driverBound = false;
                } else if (c->ioctl_code == static_cast<int>(USBDEVFS_CONNECT)) {
                    events.push_back("attach " + std::to_string(c->ifno));
                    driverBound = true;
                } else {
                    result = -1, err = ENOTTY;
                }
                break;
            }
            case USBDEVFS_CLAIMINTERFACE:
                events.push_back("claim " + std::to_string(*static_cast<unsigned*>(p)));
                break;
            case USBDEVFS_RELEASEINTERFACE:
                events.push_back("release " + std::to_string(*static_cast<unsigned*>(p)));
                break;
            case USBDEVFS_SUBMITURB: {
                auto* urb = static_cast<usbdevfs_urb*>(p);
                if (unplugged) {
                    result = -1, err = ENODEV;
                } else if (urb->type != USBDEVFS_URB_TYPE_BULK ||
                           (urb->endpoint != 0x01 && urb->endpoint != 0x82)) {
                    result = -1, err = EINVAL;
                } else if (urb->endpoint == 0x82) {
                    pendingIn.push_back(urb);
                } else if (stalled) {
                    pendingOut.push_back(urb);
                } else {
                    takeOut(urb);
                }
                serveIn();
                break;
            }
            case USBDEVFS_REAPURB:
            case USBDEVFS_REAPURBNDELAY:
                if (reapable.empty()) {
                    result = -1, err = unplugged ? ENODEV : EAGAIN;
                } else {
                    *static_cast<void**>(p) = reapable.front();
                    reapable.pop_front();
                }
                break;
            case USBDEVFS_DISCARDURB: {
                auto* urb = static_cast<usbdevfs_urb*>(p);
                bool found = false;
                for (auto* q : {&pendingIn, &pendingOut}) {
                    auto it = std::find(q->begin(), q->end(), urb);
                    if (it == q->end()) continue;
                    q->erase(it);
                    found = true;
                }
                if (found) {
                    events.push_back("discard");
                    urb->status = -ENOENT;
                    urb->actual_length = 0;
                    reapable.push_back(urb);
                } else {
                    result = -1, err = EINVAL;
                }
                break;
            }
            case USBDEVFS_SETINTERFACE:
            case USBDEVFS_CLEAR_HALT:
                break;
            default:
                return false;
        }
        umockdev_ioctl_client_complete(client, result, err);
        return true;
    }
};

namespace {

gboolean onIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer state) {
    return static_cast<EmulatedPrinter::State*>(state)->handle(client) ? TRUE : FALSE;
}

std::string deviceDescriptors(std::uint16_t vendor, std::uint16_t product) {
    const unsigned char bytes[] = {
        // device: USB 2.0, class per interface, 64-byte control packets
        0x12,
        0x01,
        0x00,
        0x02,
        0x00,
        0x00,
        0x00,
        0x40,
        static_cast<unsigned char>(vendor & 0xFF),
        static_cast<unsigned char>(vendor >> 8),
        static_cast<unsigned char>(product & 0xFF),
        static_cast<unsigned char>(product >> 8),
        0x00,
        0x01,
        0x01,
        0x02,
        0x03,
        0x01,
        // configuration 1, one interface, self-powered
        0x09,
        0x02,
        0x20,
        0x00,
        0x01,
        0x01,
        0x00,
        0xC0,
        0x32,
        // interface 0: printer class, bidirectional, two endpoints
        0x09,
        0x04,
        0x00,
        0x00,
        0x02,
        0x07,
        0x01,
        0x02,
        0x00,
        // bulk OUT 0x01 and bulk IN 0x82, 64 bytes
        0x07,
        0x05,
        0x01,
        0x02,
        0x40,
        0x00,
        0x00,
        0x07,
        0x05,
        0x82,
        0x02,
        0x40,
        0x00,
        0x00,
    };
    return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

}  // namespace

std::string EmulatedPrinter::unavailable() {
    const char* preload = std::getenv("LD_PRELOAD");
    if (!preload || !std::strstr(preload, "umockdev-preload"))
        return "not running under umockdev-wrapper";
    return {};
}

EmulatedPrinter::EmulatedPrinter(std::uint16_t vendor, std::uint16_t product)
    : EmulatedPrinter(std::make_shared<EmulatedUsbBus>(), vendor, product, UsbPlacement{}) {}

EmulatedPrinter::EmulatedPrinter(std::shared_ptr<EmulatedUsbBus> bus, std::uint16_t vendor,
                                 std::uint16_t product, const UsbPlacement& where)
    : s_(std::make_unique<State>()) {
    s_->error = unavailable();
    if (!s_->error.empty()) return;
    s_->bus = std::move(bus);
    s_->testbed = s_->bus->state().testbed;
    if (!s_->testbed) {
        s_->error = "umockdev could not make a bus";
        return;
    }
    s_->serial = where.serial;
    const int devnum = where.port + 1;
    char node[64], vid[16], pid[16], num[16], dev[32], devnum3[16];
    std::snprintf(node, sizeof node, "/dev/bus/usb/001/%03d", devnum);
    std::snprintf(vid, sizeof vid, "%04x", vendor);
    std::snprintf(pid, sizeof pid, "%04x", product);
    std::snprintf(num, sizeof num, "%d", devnum);
    std::snprintf(devnum3, sizeof devnum3, "%03d", devnum);
    std::snprintf(dev, sizeof dev, "189:%d", devnum - 1);
    s_->devNode = node;
    const std::string name = "1-" + std::to_string(where.port);
    gchar* sys = umockdev_testbed_add_device(s_->testbed, "usb", name.c_str(), nullptr,
                                             // attributes
                                             "busnum", "1", "devnum", num, "speed", "12", "dev",
                                             dev, "bConfigurationValue", "1", "idVendor", vid,
                                             "idProduct", pid, nullptr,
                                             // properties
                                             "BUSNUM", "001", "DEVNUM", devnum3, "DEVNAME", node,
                                             "DEVTYPE", "usb_device", "DRIVER", "usb", nullptr);
    if (!sys) {
        s_->error = "umockdev could not add the device";
        return;
    }
    s_->sysPath = sys;
    g_free(sys);
    // The strings the system keeps from when the device was plugged in.
    const std::pair<const char*, const std::string*> strings[] = {
        {"serial", &where.serial},
        {"manufacturer", &where.manufacturer},
        {"product", &where.product}};
    for (const auto& [attr, value] : strings)
        if (!value->empty())
            umockdev_testbed_set_attribute(s_->testbed, s_->sysPath.c_str(), attr,
                                           (*value + "\n").c_str());
    // Interface 0, with the system's printer driver bound to it.
    const std::string itfName = name + ":1.0";
    gchar* itf = umockdev_testbed_add_device(
        s_->testbed, "usb", itfName.c_str(), s_->sysPath.c_str(), "bInterfaceNumber", "00",
        "bInterfaceClass", "07", nullptr, "DEVTYPE", "usb_interface", "DRIVER", "usblp", nullptr);
    if (itf) {
        umockdev_testbed_set_attribute_link(s_->testbed, itf, "driver",
                                            "../../../bus/usb/drivers/usblp");
        g_free(itf);
    }
    std::string desc = deviceDescriptors(vendor, product);
    umockdev_testbed_set_attribute_binary(s_->testbed, s_->sysPath.c_str(), "descriptors",
                                          reinterpret_cast<guint8*>(desc.data()),
                                          static_cast<gint>(desc.size()));
    // The testbed marks the node as a character device but leaves the file
    // itself to us; libusb opens it before its requests reach the handler.
    gchar* root = umockdev_testbed_get_root_dir(s_->testbed);
    std::filesystem::path nodeFile = std::filesystem::path(root) / (s_->devNode.c_str() + 1);
    g_free(root);
    std::error_code ec;
    std::filesystem::create_directories(nodeFile.parent_path(), ec);
    std::ofstream(nodeFile).close();
    s_->nodePath = nodeFile.string();

    s_->handler = umockdev_ioctl_base_new();
    g_signal_connect(s_->handler, "handle-ioctl", G_CALLBACK(onIoctl), s_.get());
    GError* gerr = nullptr;
    if (!umockdev_testbed_attach_ioctl(s_->testbed, s_->devNode.c_str(), s_->handler, &gerr)) {
        s_->error = std::string("umockdev could not take the device's requests: ") +
                    (gerr ? gerr->message : "?");
        if (gerr) g_error_free(gerr);
    }
}

EmulatedPrinter::~EmulatedPrinter() {
    if (s_->testbed && !s_->devNode.empty())
        umockdev_testbed_detach_ioctl(s_->testbed, s_->devNode.c_str(), nullptr);
    if (s_->handler) g_object_unref(s_->handler);
}

const std::string& EmulatedPrinter::error() const {
    return s_->error;
}

void EmulatedPrinter::setStatusByte(std::uint8_t status) {
    std::lock_guard<std::mutex> lock(s_->m);
    s_->status = status;
}

void EmulatedPrinter::setExtendedStatus(const std::string& eightBytes) {
    std::lock_guard<std::mutex> lock(s_->m);
    s_->extended = eightBytes;
}

void EmulatedPrinter::setReport(const std::string& key, const std::string& value) {
    std::lock_guard<std::mutex> lock(s_->m);
    s_->reports[key] = value;
}

void EmulatedPrinter::stallWrites(bool on) {
    std::lock_guard<std::mutex> lock(s_->m);
    s_->stalled = on;
}

void EmulatedPrinter::unplug() {
    {
        std::lock_guard<std::mutex> lock(s_->m);
        s_->unplugged = true;
    }
    if (s_->testbed && !s_->sysPath.empty()) {
        umockdev_testbed_uevent(s_->testbed, s_->sysPath.c_str(), "remove");
        umockdev_testbed_remove_device(s_->testbed, s_->sysPath.c_str());
        std::error_code ec;
        std::filesystem::remove(s_->nodePath, ec);
    }
}

std::string EmulatedPrinter::received() const {
    std::lock_guard<std::mutex> lock(s_->m);
    return s_->fromHost;
}

std::vector<int> EmulatedPrinter::outTransferSizes() const {
    std::lock_guard<std::mutex> lock(s_->m);
    return s_->outSizes;
}

std::vector<std::string> EmulatedPrinter::events() const {
    std::lock_guard<std::mutex> lock(s_->m);
    return s_->events;
}

#endif

}  // namespace m350test
