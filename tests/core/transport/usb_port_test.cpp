// SPDX-License-Identifier: MIT
// The USB port over a fake bus: which device is the printer, how writes are
// cut and bounded, how a silent or vanished printer ends an operation.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "core/config/config_read.h"
#include "core/config/config_record.h"
#include "core/files/raw_send.h"
#include "core/link/link_operations.h"
#include "core/printer/status.h"
#include "core/transport/usb_printer_list.h"
#include "core/transport/usb_survey.h"
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

// The printer list the port reads: the three stand-ins, in their order.
std::string standInListFile() {
    const std::string path =
        ::testing::TempDir() + "m350-usb-printers-" + std::to_string(::getpid());
    std::ofstream(path) << "# stand-ins\nf1e0\nf1e1\nf1e2\n";
    return path;
}

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
        settings.usbListSystemFile = standInListFile();
        settings.usbListUserFile = "/nonexistent/m350-usb-printers";
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
    auto find = [](const std::vector<UsbDeviceDescription>& devices) {
        return findPrinterDevice(devices, exampleUsbList());
    };
    // Third listed vendor still beats a printer of another make listed first.
    EXPECT_EQ(find({dev(kOtherMaker, {printer}), dev(kThird, {printer})}), 1);
    // Second beats third, whatever the order.
    EXPECT_EQ(find({dev(kThird, {printer}), dev(kSecond, {printer})}), 1);
    // A listed vendor's device without a usable interface (a keyboard) is not the printer.
    EXPECT_EQ(find({dev(kFirst, {itf(0, 3, 0x81, -1)}), dev(kSecond, {printer})}), 1);
    // No device of another make is taken, printer class or not, however many:
    // it must be named.
    EXPECT_EQ(find({dev(kOtherMaker, {itf(0, 0xFF, 0x81, 0x02)}), dev(0x4321, {printer}),
                    dev(0x5555, {printer})}),
              -1);
    EXPECT_EQ(find({dev(0x4321, {printer})}), -1);
    EXPECT_EQ(find({dev(kOtherMaker, {itf(0, 0xFF, 0x81, 0x02)})}), -1);
    EXPECT_EQ(find({}), -1);
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
    ASSERT_EQ(port->refill(buf, 6, 1000), 6u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 6), "012345");
    ASSERT_EQ(port->refill(buf, 6, 1000), 4u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 4), "6789");
    EXPECT_EQ(p->inTransfers, 1);
    // Discarding what was received drops the held part of a packet too.
    p->replies = {"ABCDEFGH", "Z"};
    ASSERT_EQ(port->refill(buf, 6, 1000), 6u);
    port->purge();
    ASSERT_EQ(port->refill(buf, 6, 1000), 1u);
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
        EXPECT_EQ(rig.ctx.lastError.fault, PortFault::kNoDevice);
        EXPECT_EQ(describePortError(rig.ctx.lastError),
                  "USB: no printer of the printer list found (m350ctl usb list --all)");
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
        // The cause names the device node and points at the udev rule.
        EXPECT_EQ(rig.ctx.lastError.fault, PortFault::kPermission);
        EXPECT_EQ(rig.ctx.lastError.reason, "Permission denied");
        EXPECT_NE(rig.ctx.lastError.device.find("/dev/bus/usb/"), std::string::npos);
        EXPECT_NE(portErrorHint(rig.ctx.lastError, kUsb).find("udev rule"), std::string::npos);
        // The next operation starts without it.
        p->accessDenied = false;
        EXPECT_NE(rig.status(flags), kPortOpenError);
        EXPECT_FALSE(rig.ctx.lastError.isSet());
    }
    {
        UsbRig rig;  // held by another program: the driver we took is given back
        auto p = rig.plug(makeFakePrinter(kFirst));
        p->kernelDriverBound = true;
        p->interfaceBusy = true;
        EXPECT_EQ(rig.status(flags), kPortOpenError);
        EXPECT_TRUE(p->kernelDriverBound);
        EXPECT_TRUE(p->chunks.empty());
        EXPECT_EQ(rig.ctx.lastError.fault, PortFault::kBusy);
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

// Devices named by the operator: the only way a printer of another make is
// reached, and never by guesswork.
namespace {

UsbDeviceDescription placed(std::uint16_t vendor, std::uint16_t product, std::string serial,
                            std::string busPath, bool printerInterface = true) {
    UsbDeviceDescription d = dev(
        vendor, {printerInterface ? itf(0, kUsbPrinterClass, 0x82, 0x01) : itf(0, 3, 0x81, -1)});
    d.productId = product;
    d.serial = std::move(serial);
    d.busPath = std::move(busPath);
    return d;
}

}  // namespace

TEST(UsbChoice, NamesOfDevices) {
    struct Case {
        const char* text;
        bool valid;
        std::uint16_t vendor = 0, product = 0;
        const char* serial = "";
        const char* busPath = "";
    };
    const Case cases[] = {
        {"04b8:0e28", true, 0x04B8, 0x0E28, "", ""},
        {"04B8:E28", true, 0x04B8, 0x0E28, "", ""},
        {"1234:5678:X1 Y", true, 0x1234, 0x5678, "X1 Y", ""},
        {"1234:5678:a:b", true, 0x1234, 0x5678, "a:b", ""},
        {"1-1", true, 0, 0, "", "1-1"},
        {"3-1.4.2", true, 0, 0, "", "3-1.4.2"},
        {"", false, 0, 0, "", ""},
        {"auto", false, 0, 0, "", ""},
        {"1234", false, 0, 0, "", ""},
        {"12345:5678", false, 0, 0, "", ""},
        {"12g4:5678", false, 0, 0, "", ""},
        {"1234:", false, 0, 0, "", ""},
        {"1234:5678:", false, 0, 0, "", ""},
        {"1234:5678:\x01", false, 0, 0, "", ""},
        {"1-", false, 0, 0, "", ""},
        {"-1", false, 0, 0, "", ""},
        {"1-1.", false, 0, 0, "", ""},
        {"1-1..2", false, 0, 0, "", ""},
        {"1-1.2.3.4.5.6.7.8", false, 0, 0, "", ""},
        {"/dev/bus/usb/001/002", false, 0, 0, "", ""},
    };
    for (const Case& c : cases) {
        auto choice = parseUsbDeviceChoice(c.text);
        ASSERT_EQ(choice.has_value(), c.valid) << c.text;
        EXPECT_EQ(isUsbDeviceOption(c.text), c.valid || std::string(c.text) == "auto") << c.text;
        if (!choice) continue;
        EXPECT_EQ(choice->vendorId, c.vendor) << c.text;
        EXPECT_EQ(choice->productId, c.product) << c.text;
        EXPECT_EQ(choice->serial, c.serial) << c.text;
        EXPECT_EQ(choice->busPath, c.busPath) << c.text;
    }
}

TEST(UsbChoice, OnlyTheNamedDeviceAndOnlyWhenItIsUnambiguous) {
    const std::vector<UsbDeviceDescription> bus = {
        placed(kFirst, 1, "M1", "1-1"),             // one of ours
        placed(0x4321, 0x0001, "AAA", "1-2"),       // another make's printer
        placed(0x4321, 0x0001, "BBB", "1-3"),       // its twin
        placed(0x5555, 0x0002, "", "2-1.4"),        // another printer, no serial number
        placed(0x6666, 0x0003, "K", "2-2", false),  // a keyboard
    };
    struct Case {
        const char* named;
        UsbPick pick;
        int index;
    };
    const Case cases[] = {
        {"", UsbPick::kFound, 0},
        {"4321:0001:BBB", UsbPick::kFound, 2},
        {"4321:1:AAA", UsbPick::kFound, 1},
        {"4321:0001", UsbPick::kNamedAmbiguous, -1},
        {"4321:0001:CCC", UsbPick::kNamedAbsent, -1},
        {"1-3", UsbPick::kFound, 2},
        {"2-1.4", UsbPick::kFound, 3},
        {"5555:0002", UsbPick::kFound, 3},
        {"2-1", UsbPick::kNamedAbsent, -1},
        {"6666:0003", UsbPick::kNamedUnusable, -1},
        {"9999:0001", UsbPick::kNamedAbsent, -1},
        {"f1e0:0001:M1", UsbPick::kFound, 0},
        {"nonsense", UsbPick::kBadName, -1},
    };
    for (const Case& c : cases) {
        UsbSelection s = selectUsbPrinter(bus, c.named, exampleUsbList());
        EXPECT_EQ(s.pick, c.pick) << c.named;
        EXPECT_EQ(s.index, c.index) << c.named;
    }
    // Without one of ours on the bus and nothing named: nothing.
    std::vector<UsbDeviceDescription> foreign(bus.begin() + 1, bus.end());
    EXPECT_EQ(selectUsbPrinter(foreign, {}, exampleUsbList()).pick, UsbPick::kNone);
}

TEST(UsbOpen, AForeignPrinterReceivesNothingWhateverIsAsked) {
    UsbRig rig;
    auto foreign = rig.plug(makeFakePrinter(kOtherMaker));
    foreign->kernelDriverBound = true;
    foreign->replies = {"{0|}", "{3|203}"};
    StatusFlags flags{};
    EXPECT_EQ(rig.status(flags), kPortOpenError);
    EXPECT_EQ(rig.send("~!T\r\n"), kPortOpenError);
    EXPECT_EQ(m350::runOperation(rig.ctx, kOpConnectionTest, kUsb, m350::testConnection),
              kPortOpenError);
    ConfigRecord record;
    EXPECT_EQ(m350::runOperation(rig.ctx, kOpReadConfig, kUsb,
                                 [&](m350::Link& l) { return m350::readConfig(l, record); }),
              kPortOpenError);
    EXPECT_TRUE(foreign->events.empty()) << "not even opened";
    EXPECT_TRUE(foreign->chunks.empty());
    EXPECT_TRUE(foreign->kernelDriverBound) << "its driver stays";
}

TEST(UsbOpen, ANamedDeviceIsUsedAloneWhereverItIsNamed) {
    struct Case {
        const char* how;
        const char* setting;  // PortSettings::usbDevice
        const char* env;      // M350_USB, or null
        bool foreignUsed;
    };
    const Case cases[] = {
        {"setting", "1234:0007:SN-2", nullptr, true},
        {"environment", "", "1-5", true},
        {"setting over environment", "1234:0007", "9999:0001", true},
        {"auto ignores the environment", "auto", "1234:0007", false},
        {"nothing named", "", nullptr, false},
        {"named but absent", "1234:0008", nullptr, false},
    };
    for (const Case& c : cases) {
        UsbRig rig;
        auto ours = rig.plug(makeFakePrinter(kSecond));
        auto foreign = makeFakePrinter(kOtherMaker, 7);
        foreign->description.serial = "SN-2";
        foreign->description.busPath = "1-5";
        rig.plug(foreign);
        rig.settings.usbDevice = c.setting;
        if (c.env)
            setenv(kUsbDeviceVariable, c.env, 1);
        else
            unsetenv(kUsbDeviceVariable);
        const bool absent = std::string(c.how) == "named but absent";
        EXPECT_EQ(rig.send("X"), absent ? kPortOpenError : kOk) << c.how;
        EXPECT_EQ(joined(*foreign), c.foreignUsed ? "X" : "") << c.how;
        // A named device stands alone: our own printer is not taken instead.
        EXPECT_EQ(joined(*ours), c.foreignUsed || absent ? "" : "X") << c.how;
        unsetenv(kUsbDeviceVariable);
    }
}

TEST(UsbSurveyList, ShowsCandidatesHoldersAndHowToChoose) {
    auto bus = std::make_shared<FakeUsbBackend>();
    auto ours = makeFakePrinter(kFirst, 1);
    ours->description.busPath = "1-1";
    ours->description.serial = "M350-1";
    ours->description.interfaces[0].driver = "usblp";
    auto foreign = makeFakePrinter(0x4321, 2);
    foreign->description.busPath = "1-2";
    foreign->description.manufacturer = "Other";
    foreign->description.product = "Laser";
    foreign->description.interfaces[0].driver = "usbfs";
    auto keyboard = makeFakePrinter(0x6666, 3);
    keyboard->description.interfaces[0] = itf(0, 3, 0x81, -1);
    bus->bus = {keyboard, foreign, ours};

    const UsbSurvey plain = surveyUsbDevices(*bus, "", exampleUsbList());
    ASSERT_EQ(plain.entries.size(), 2u) << "the keyboard is no candidate";
    EXPECT_FALSE(plain.entries[0].chosen);
    EXPECT_TRUE(plain.entries[1].chosen);
    EXPECT_EQ(plain.entries[0].nodePath, "/dev/bus/usb/000/000");
    const std::string text = usbSurveyText(plain);
    for (const char* want :
         {"* f1e0:0001  bus path 1-1  serial M350-1",
          "  4321:0002  bus path 1-2  serial (none)  Other Laser", "usblp", "claimed by a program",
          "not in the printer list", "\n      in the printer list; ",
          "found by the printer list (f1e0, f1e1, f1e2", "M350_USB=VID:PID[:SERIAL]",
          "--usb-device"})
        EXPECT_NE(text.find(want), std::string::npos) << want << "\n" << text;

    const UsbSurvey named = surveyUsbDevices(*bus, "4321:0002", exampleUsbList());
    EXPECT_TRUE(named.entries[0].chosen && named.entries[0].named);
    EXPECT_NE(usbSurveyText(named).find("is the device named \"4321:0002\""), std::string::npos);

    bus->bus = {keyboard, foreign};
    const std::string none = usbSurveyText(surveyUsbDevices(*bus, "", exampleUsbList()));
    EXPECT_NE(none.find("No device of the printer list (f1e0, f1e1, f1e2) is attached"),
              std::string::npos)
        << none;
    EXPECT_EQ(none.find("\n* "), std::string::npos) << "nothing would be used";
    bus->bus = {};
    EXPECT_NE(usbSurveyText(surveyUsbDevices(*bus, "", exampleUsbList()))
                  .find("No USB device that may be a printer"),
              std::string::npos);
}

TEST(UsbSurveyList, ProcessesHoldingADeviceNode) {
    const std::string path = ::testing::TempDir() + "m350-node-" + std::to_string(::getpid());
    { std::ofstream(path) << "x"; }
    EXPECT_TRUE(processesHolding(path, "/proc").empty());
    int fd = ::open(path.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    auto holders = processesHolding(path, "/proc");
    ASSERT_EQ(holders.size(), 1u);
    EXPECT_NE(holders[0].find("(pid " + std::to_string(::getpid()) + ")"), std::string::npos)
        << holders[0];
    ::close(fd);
    std::remove(path.c_str());
    EXPECT_TRUE(processesHolding(path, "/nonexistent-proc").empty());
}

namespace {

TEST(UsbPrinterList, EntriesAndFiles) {
    EXPECT_EQ(usbListEntryText(*parseUsbListEntry("F1E0")), "f1e0");
    EXPECT_EQ(usbListEntryText(*parseUsbListEntry("1234:2:SN-1")), "1234:0002:SN-1");
    // A serial number goes into udev rules: blanks, quotes, backslashes and
    // wildcards are refused.
    for (const char* bad : {"12345", "1234:", "1234:0002:", "1234:0002:a b", "1234:0002:A*",
                            "1234:0002:\"x", "1234:0002:x\\", "vid"})
        EXPECT_FALSE(parseUsbListEntry(bad)) << bad;

    // The system's file, then the user's; comments, blanks and bad lines are
    // skipped, and an entry in both counts at its first place.
    const std::string dir = ::testing::TempDir() + "m350-list-" + std::to_string(::getpid());
    std::ofstream(dir + ".system") << "# comment\n\n 4321:0001  # allowed\nnonsense\nf1e1\n";
    std::ofstream(dir + ".user") << "f1e1\n5555:0002:SN\n";
    std::vector<std::string> loaded;
    for (const auto& e : loadUsbList({dir + ".system", dir + ".user"}))
        loaded.push_back(usbListEntryText(e));
    EXPECT_EQ(loaded, (std::vector<std::string>{"4321:0001", "f1e1", "5555:0002:SN"}));

    // The list order decides: a product entry listed first beats a whole
    // vendor listed second, a serial entry takes only its printer.
    const auto printer = itf(0, kUsbPrinterClass, 0x82, 0x01);
    auto a = dev(0xf1e1, {printer});
    auto b = dev(0x4321, {printer});
    b.productId = 1;
    auto c = dev(0x5555, {printer});
    c.productId = 2;
    c.serial = "OTHER";
    const auto list = loadUsbList({dir + ".system", dir + ".user"});
    EXPECT_EQ(findPrinterDevice({a, b}, list), 1);
    EXPECT_EQ(findPrinterDevice({c, a}, list), 1);
    EXPECT_EQ(findPrinterDevice({c}, list), -1);
    c.serial = "SN";
    EXPECT_EQ(findPrinterDevice({c}, list), 0);
}

}  // namespace
