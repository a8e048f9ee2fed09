// The USB port over a fake bus: which device is the printer, how writes are
// cut and bounded, how a silent or vanished printer ends an operation.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/files/raw_send.h"
#include "core/link/link_operations.h"
#include "core/printer/status.h"
#include "fake_usb.h"
#include "support/scripted_port.h"

using namespace m350;
using m350test::FakeUsbBackend;
using m350test::FakeUsbDevice;
using m350test::makeFakePrinter;

namespace {

constexpr std::uint16_t kFirst = kPrinterVendorIds[0];
constexpr std::uint16_t kSecond = kPrinterVendorIds[1];
constexpr std::uint16_t kThird = kPrinterVendorIds[2];
constexpr std::uint16_t kOtherMaker = 0x1234;

struct UsbRig {
    std::shared_ptr<FakeUsbBackend> bus = std::make_shared<FakeUsbBackend>();
    PortSettings settings;
    LinkContext ctx;
    m350test::RecordingProgress progress;

    UsbRig() {
        ctx.settings = &settings;
        ctx.progress = &progress;
        ctx.sleep = [](int) {};
        ctx.usb = bus;
    }
    std::shared_ptr<FakeUsbDevice> plug(std::shared_ptr<FakeUsbDevice> d) {
        bus->bus.push_back(d);
        return d;
    }
    int status(StatusFlags& flags) {
        return m350::runOperation(ctx, kOpStatus, kUsb,
                                  [&](m350::Link& l) { return m350::readStatus(l, flags); });
    }
    int send(const std::string& bytes) {
        return m350::runOperation(ctx, kOpRawSend, kUsb,
                                  [&](m350::Link& l) { return m350::sendRaw(l, bytes); });
    }
};

std::string joined(const FakeUsbDevice& d) {
    std::string all;
    for (const auto& c : d.chunks) all += c;
    return all;
}

UsbInterfaceDescription itf(int number, int cls, int in, int out) {
    UsbInterfaceDescription i;
    i.number = number;
    i.interfaceClass = cls;
    i.bulkIn = in;
    i.bulkOut = out;
    return i;
}

UsbDeviceDescription dev(std::uint16_t vendor, std::vector<UsbInterfaceDescription> itfs) {
    UsbDeviceDescription d;
    d.vendorId = vendor;
    d.interfaces = std::move(itfs);
    return d;
}

TEST(UsbSearch, VendorOrderDecidesBeforeEnumerationOrder) {
    for (bool firstListedEarlier : {true, false}) {
        UsbRig rig;
        auto second = makeFakePrinter(kSecond);
        auto first = makeFakePrinter(kFirst);
        if (firstListedEarlier) rig.plug(first);
        rig.plug(second);
        if (!firstListedEarlier) rig.plug(first);
        first->replies = {std::string(1, '\0'), "ABCDEFGH"};
        StatusFlags flags{};
        EXPECT_EQ(rig.status(flags), kOk) << firstListedEarlier;
        EXPECT_EQ(joined(*first), "\x1B!?\x1B!S\r\n") << firstListedEarlier;
        EXPECT_TRUE(second->chunks.empty()) << firstListedEarlier;
        EXPECT_TRUE(second->events.empty()) << "the other printer is not even opened";
    }
}

TEST(UsbSearch, SearchRules) {
    const auto printer = itf(0, kUsbPrinterClass, 0x82, 0x01);
    // Third listed vendor still beats a printer of another make listed first.
    EXPECT_EQ(findPrinterDevice({dev(kOtherMaker, {printer}), dev(kThird, {printer})}), 1);
    // Second beats third, whatever the order.
    EXPECT_EQ(findPrinterDevice({dev(kThird, {printer}), dev(kSecond, {printer})}), 1);
    // A listed vendor's device without a usable interface (a keyboard) is not the printer.
    EXPECT_EQ(findPrinterDevice({dev(kFirst, {itf(0, 3, 0x81, -1)}), dev(kSecond, {printer})}), 1);
    // Last resort: the first printer-class device of any make; a vendor-specific
    // bulk pair of another make is not taken.
    EXPECT_EQ(findPrinterDevice({dev(kOtherMaker, {itf(0, 0xFF, 0x81, 0x02)}),
                                 dev(0x4321, {printer}), dev(0x5555, {printer})}),
              1);
    EXPECT_EQ(findPrinterDevice({dev(kOtherMaker, {itf(0, 0xFF, 0x81, 0x02)})}), -1);
    EXPECT_EQ(findPrinterDevice({}), -1);
}

TEST(UsbSearch, InterfaceChoice) {
    // Printer class with both directions beats an earlier one-way printer
    // interface and an earlier vendor-specific pair.
    auto d = dev(kFirst, {itf(0, 0xFF, 0x81, 0x01), itf(1, kUsbPrinterClass, -1, 0x02),
                          itf(2, kUsbPrinterClass, 0x83, 0x03)});
    ASSERT_NE(choosePrinterInterface(d), nullptr);
    EXPECT_EQ(choosePrinterInterface(d)->number, 2);
    d.interfaces.pop_back();
    EXPECT_EQ(choosePrinterInterface(d)->number, 1);  // one-way printer interface
    d.interfaces.pop_back();
    EXPECT_EQ(choosePrinterInterface(d)->number, 0);  // first with bulk IN and OUT
    d.interfaces = {itf(0, kUsbPrinterClass, 0x81, -1)};
    EXPECT_EQ(choosePrinterInterface(d), nullptr);  // nowhere to write
}

TEST(UsbWrite, ChunksOf64WithPercents) {
    UsbRig rig;
    auto p = rig.plug(makeFakePrinter(kFirst));
    std::string data(130, '\0');
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i);
    ASSERT_EQ(rig.send(data), kOk);
    ASSERT_EQ(p->chunks.size(), 3u);
    EXPECT_EQ(p->chunks[0].size(), 64u);
    EXPECT_EQ(p->chunks[1].size(), 64u);
    EXPECT_EQ(p->chunks[2].size(), 2u);
    EXPECT_EQ(joined(*p), data);
    std::vector<std::string> positions;
    for (const auto& c : rig.progress.calls)
        if (c.rfind("pos ", 0) == 0) positions.push_back(c);
    // Shown at 3, then the percents of the write, then 100 at hide.
    EXPECT_EQ(positions,
              (std::vector<std::string>{"pos 3", "pos 49", "pos 98", "pos 100", "pos 100"}));
    EXPECT_GE(rig.progress.pumps, 3) << "the window repaints after every chunk";
}

TEST(UsbWrite, PrinterThatStopsTakingDataFailsWithTransmitError) {
    UsbRig rig;
    rig.ctx.timeouts.usbWriteMs = 60;
    auto p = rig.plug(makeFakePrinter(kFirst));
    p->stallWrites = true;
    EXPECT_EQ(rig.send("SIZE 4,2\r\n"), kTransmitError);
    EXPECT_NE(std::find(p->events.begin(), p->events.end(), "cancel"), p->events.end());
    EXPECT_GE(p->waits, 2) << "the wait runs in slices";
    EXPECT_EQ(p->events.back(), "close");
}

TEST(UsbRead, SilentPrinterTimesOutAndCancels) {
    UsbRig rig;
    rig.ctx.timeouts.usbReadMs = 60;
    auto p = rig.plug(makeFakePrinter(kFirst));
    int pumpsBefore = rig.progress.pumps;
    StatusFlags flags{};
    EXPECT_EQ(rig.status(flags), kReceiveError);
    EXPECT_EQ(joined(*p), "\x1B!?");
    EXPECT_EQ(std::count(p->events.begin(), p->events.end(), "cancel"), 1);
    EXPECT_GE(rig.progress.pumps - pumpsBefore, 2) << "windows are pumped while waiting";
}

TEST(UsbRead, RepliesLongerThanOnePacketArriveInRefills) {
    UsbRig rig;
    auto p = rig.plug(makeFakePrinter(kFirst));
    std::string payload(100, 'x');
    // The announcement's reply, then a 100-byte payload framed: 106 bytes, two packets.
    p->replies = {"{0|}", "{100|" + payload + "}"};
    Connection c(rig.ctx, kUsb);
    ASSERT_TRUE(c.open());
    ASSERT_EQ(c.announce(), kOk);
    std::string got;
    ASSERT_EQ(c.report("PAGE", got), kOk);
    EXPECT_EQ(got, payload);
    EXPECT_EQ(p->inTransfers, 3);
    EXPECT_EQ(joined(*p), "\r\nDIAGNOSTIC INTERFACE USB\r\nDIAGNOSTIC REPORT PAGE\r\n");
}

TEST(UsbRead, SmallRoomTakesAPacketOverTwoRefills) {
    UsbRig rig;
    auto p = rig.plug(makeFakePrinter(kFirst));
    p->replies = {"0123456789"};
    auto port = makeUsbPort(rig.ctx);
    ASSERT_TRUE(port->open());
    std::uint8_t buf[8];
    ASSERT_EQ(port->refill(buf, 6), 6u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 6), "012345");
    ASSERT_EQ(port->refill(buf, 6), 4u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 4), "6789");
    EXPECT_EQ(p->inTransfers, 1);
    // Discarding what was received drops the held part of a packet too.
    p->replies = {"ABCDEFGH", "Z"};
    ASSERT_EQ(port->refill(buf, 6), 6u);
    port->purge();
    ASSERT_EQ(port->refill(buf, 6), 1u);
    EXPECT_EQ(buf[0], 'Z');
}

TEST(UsbOpen, KernelDriverDetachedWhileInUseAndGivenBack) {
    UsbRig rig;
    auto p = rig.plug(makeFakePrinter(kFirst));
    p->kernelDriverBound = true;
    ASSERT_EQ(rig.send("~!T\r\n"), kOk);
    EXPECT_EQ(p->events, (std::vector<std::string>{"open", "detach 0", "claim 0", "release 0",
                                                   "attach 0", "close"}));
    EXPECT_TRUE(p->kernelDriverBound);
}

TEST(UsbOpen, FailuresArePortOpenErrors) {
    StatusFlags flags{};
    {
        UsbRig rig;  // empty bus
        EXPECT_EQ(rig.status(flags), kPortOpenError);
    }
    {
        UsbRig rig;  // only a device of another make, not a printer
        auto d = makeFakePrinter(kOtherMaker);
        d->description.interfaces[0].interfaceClass = 0xFF;
        rig.plug(d);
        EXPECT_EQ(rig.status(flags), kPortOpenError);
        EXPECT_TRUE(d->events.empty());
    }
    {
        UsbRig rig;  // present but no permission
        auto p = rig.plug(makeFakePrinter(kFirst));
        p->accessDenied = true;
        EXPECT_EQ(rig.status(flags), kPortOpenError);
        EXPECT_EQ(resultText(kPortOpenError), "Port Open Error");
    }
    {
        UsbRig rig;  // held by another program: the driver we took is given back
        auto p = rig.plug(makeFakePrinter(kFirst));
        p->kernelDriverBound = true;
        p->interfaceBusy = true;
        EXPECT_EQ(rig.status(flags), kPortOpenError);
        EXPECT_TRUE(p->kernelDriverBound);
        EXPECT_TRUE(p->chunks.empty());
    }
}

TEST(UsbOpen, UnplugBetweenOperationsAndReplacement) {
    UsbRig rig;
    auto p = rig.plug(makeFakePrinter(kFirst));
    EXPECT_EQ(rig.send("A"), kOk);
    p->unplugged = true;
    EXPECT_EQ(rig.send("B"), kPortOpenError);
    EXPECT_EQ(joined(*p), "A");
    // A printer of another listed vendor plugged in is found by the next operation.
    auto q = rig.plug(makeFakePrinter(kThird));
    EXPECT_EQ(rig.send("C"), kOk);
    EXPECT_EQ(joined(*q), "C");
}

TEST(UsbRead, UnplugDuringAnOperationEndsReadsAtOnce) {
    UsbRig rig;
    rig.ctx.timeouts.usbReadMs = 60000;  // would hang the test if waited for
    auto p = rig.plug(makeFakePrinter(kFirst));
    Connection c(rig.ctx, kUsb);
    ASSERT_TRUE(c.open());
    ASSERT_TRUE(c.write("\x1B!?"));
    p->unplugged = true;
    std::uint8_t b = 0;
    EXPECT_FALSE(c.readByte(b));
    EXPECT_FALSE(c.readByte(b));
    EXPECT_EQ(p->waits, 2) << "the second read does not touch the bus again";
    EXPECT_FALSE(c.write("x"));
}

}  // namespace
