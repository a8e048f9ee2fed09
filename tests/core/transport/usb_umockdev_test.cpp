// SPDX-License-Identifier: MIT
// The USB port through the real libusb code, against a printer on a bus that
// umockdev emulates. Run under umockdev-wrapper (CTest does); elsewhere these
// tests skip.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "core/config/config_read.h"
#include "core/config/config_record.h"
#include "core/files/raw_send.h"
#include "core/link/connection.h"
#include "core/link/link_operations.h"
#include "core/printer/maintenance.h"
#include "core/printer/status.h"
#include "core/transport/usb_backend.h"
#include "core/transport/usb_printer_list.h"
#include "core/transport/usb_survey.h"
#include "emulated_printer.h"
#include "support/scripted_port.h"

#ifndef M350CTL_PATH
#define M350CTL_PATH "m350ctl"
#endif

using namespace m350;
using m350test::EmulatedPrinter;

namespace {

// The printer list both this process and m350ctl read: a file of the test's
// own, holding the stand-ins unless a test writes it otherwise.
std::string useListFile(const std::string& content = "f1e0\nf1e1\nf1e2\n") {
    const std::string path =
        ::testing::TempDir() + "m350-umockdev-list-" + std::to_string(::getpid());
    std::ofstream(path) << content;
    setenv(kUsbListFileVariable, path.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (::testing::TempDir() + "m350-no-user-list").c_str(), 1);
    return path;
}

// m350ctl's output (and standard error); its exit status in status.
std::string runCtl(const std::string& args, int* status = nullptr) {
    std::string out;
    if (std::FILE* p = ::popen((M350CTL_PATH " " + args + " 2>&1").c_str(), "r")) {
        char buf[512];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
        const int rc = ::pclose(p);
        if (status) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    }
    return out;
}

class UsbOverLibusb : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string why = EmulatedPrinter::unavailable();
        if (!why.empty()) GTEST_SKIP() << "no emulated USB bus: " << why;
        useListFile();
        printer_ = std::make_unique<EmulatedPrinter>(kPrinterVendorIds[1]);
        if (!printer_->error().empty())
            GTEST_SKIP() << "no emulated USB bus: " << printer_->error();
        ctx_.settings = &settings_;
        ctx_.progress = &progress_;
        ctx_.sleep = [](int) {};
        // Enumerated after the device exists, with the library's own context.
        ctx_.usb = makeLibusbBackend();
    }

    EmulatedPrinter& printer() { return *printer_; }

    std::unique_ptr<EmulatedPrinter> printer_;
    PortSettings settings_;
    LinkContext ctx_;
    m350test::RecordingProgress progress_;
};

TEST_F(UsbOverLibusb, StatusOperationEndToEnd) {
    printer().setStatusByte(0x11);  // cover open, pause
    printer().setExtendedStatus(std::string("\0\0\0\0\x08\0\0\0", 8));
    StatusFlags flags{};
    ASSERT_EQ(m350::runOperation(ctx_, kOpStatus, kUsb,
                                 [&](m350::Link& l) { return m350::readStatus(l, flags); }),
              kOk);
    EXPECT_EQ(printer().received(), "\x1B!?\x1B!S\r\n");
    EXPECT_EQ(flags, (StatusFlags{1, 0, 0, 0, 1, 0, 0, 0, 1, 0}));
    // The system's printer driver is taken off for the operation and given back.
    EXPECT_EQ(printer().events(),
              (std::vector<std::string>{"detach 0", "claim 0", "release 0", "attach 0"}));
}

TEST_F(UsbOverLibusb, ReportQueryAfterAnnouncement) {
    printer().setReport("DPI", "203");
    printer().setReport("PAGE", std::string(90, 'p'));  // more than one packet
    Connection c(ctx_, kUsb);
    ASSERT_TRUE(c.open());
    ASSERT_EQ(c.announce(), kOk);
    std::string dpi, page;
    EXPECT_EQ(c.report("DPI", dpi), kOk);
    EXPECT_EQ(dpi, "203");
    EXPECT_EQ(c.report("PAGE", page), kOk);
    EXPECT_EQ(page, std::string(90, 'p'));
    c.close();
    EXPECT_EQ(
        printer().received(),
        "\r\nDIAGNOSTIC INTERFACE USB\r\nDIAGNOSTIC REPORT DPI\r\nDIAGNOSTIC REPORT PAGE\r\n");
}

TEST_F(UsbOverLibusb, ConfigurationReadEndToEnd) {
    printer().setReport("DPI", "300");
    printer().setReport("VERSION", "V2.07 USB");
    printer().setReport("EDITION", "99");
    ConfigRecord record;
    ASSERT_EQ(m350::runOperation(
                  ctx_, kOpReadConfig, kUsb,
                  [&](m350::Link& l) { return m350::readConfig(l, record); }, true),
              kOk);
    EXPECT_FLOAT_EQ(record.real(Field::dpi), 300.0f);
    EXPECT_EQ(record.text(Field::version), "V2.07 USB");
    EXPECT_EQ(record.text(Field::serial), "M350-000001");
    EXPECT_EQ(record.integer(Field::edition), 99);
    std::string sent = printer().received();
    EXPECT_EQ(sent.rfind("\r\nDIAGNOSTIC INTERFACE USB\r\nDIAGNOSTIC REPORT DPI\r\n", 0), 0u);
    EXPECT_NE(sent.find("OUT _SERIAL$\r\n"), std::string::npos);
    EXPECT_NE(sent.find("DIAGNOSTIC REPORT EDITION\r\n"), std::string::npos);
}

TEST_F(UsbOverLibusb, LongWriteGoesOutIn64BytePackets) {
    std::string data(130, 'd');
    ASSERT_EQ(m350::runOperation(ctx_, kOpRawSend, kUsb,
                                 [&](m350::Link& l) {
                                     return m350::sendRaw(l, std::string_view(data.data(), 130));
                                 }),
              kOk);
    EXPECT_EQ(printer().outTransferSizes(), (std::vector<int>{64, 64, 2}));
    EXPECT_EQ(printer().received(), data);
}

TEST_F(UsbOverLibusb, WriteThePrinterStopsTakingFails) {
    ctx_.timeouts.usbWriteMs = 100;
    printer().stallWrites(true);
    std::string data = "SIZE 4,2.5\r\n";
    EXPECT_EQ(m350::runOperation(ctx_, kOpRawSend, kUsb,
                                 [&](m350::Link& l) { return m350::sendRaw(l, data); }),
              kTransmitError);
    auto ev = printer().events();
    EXPECT_EQ(
        ev, (std::vector<std::string>{"detach 0", "claim 0", "discard", "release 0", "attach 0"}));
}

TEST_F(UsbOverLibusb, SilentPrinterReadIsCancelled) {
    ctx_.timeouts.usbReadMs = 100;
    Connection c(ctx_, kUsb);
    ASSERT_TRUE(c.open());
    std::uint8_t b = 0;
    EXPECT_FALSE(c.readByte(b));
    c.close();
    auto ev = printer().events();
    EXPECT_NE(std::find(ev.begin(), ev.end(), "discard"), ev.end());
}

TEST_F(UsbOverLibusb, UnpluggedPrinterFailsTheNextOpen) {
    StatusFlags flags{};
    ASSERT_EQ(m350::runOperation(ctx_, kOpConnectionTest, kUsb, m350::testConnection), kOk);
    printer().unplug();
    EXPECT_EQ(m350::runOperation(ctx_, kOpStatus, kUsb,
                                 [&](m350::Link& l) { return m350::readStatus(l, flags); }),
              kPortOpenError);
}

// Another maker's printer on the bus. It receives nothing, its driver is
// not taken off, unless the operator names it.
class ForeignPrinterOnTheBus : public ::testing::Test {
  protected:
    static constexpr std::uint16_t kForeignVendor = 0x1234;

    void SetUp() override {
        std::string why = EmulatedPrinter::unavailable();
        if (!why.empty()) GTEST_SKIP() << "no emulated USB bus: " << why;
        listFile_ = useListFile();
        bus_ = std::make_shared<m350test::EmulatedUsbBus>();
        m350test::UsbPlacement where;
        where.port = 1;
        where.serial = "FOREIGN-1";
        where.manufacturer = "Office";
        where.product = "Desk Printer";
        foreign_ = std::make_unique<EmulatedPrinter>(bus_, kForeignVendor, 0x0002, where);
        if (!foreign_->error().empty())
            GTEST_SKIP() << "no emulated USB bus: " << foreign_->error();
        ctx_.settings = &settings_;
        ctx_.progress = &progress_;
        ctx_.sleep = [](int) {};
        ctx_.timeouts.progressHideMs = 0;
        unsetenv(kUsbDeviceVariable);
    }

    // One of ours plugged in beside it, in the next socket.
    void plugOurs() {
        m350test::UsbPlacement where;
        where.port = 2;
        ours_ = std::make_unique<EmulatedPrinter>(bus_, kPrinterVendorIds[2], 0x0001, where);
        ASSERT_TRUE(ours_->error().empty()) << ours_->error();
    }

    // The results of a start of the window (connection test, exit line mode,
    // configuration read) and of Get Status, each enumerating the bus anew.
    std::vector<int> startAndStatus() {
        ctx_.usb = makeLibusbBackend();
        std::vector<int> r;
        r.push_back(m350::runOperation(ctx_, kOpConnectionTest, kUsb, m350::testConnection));
        r.push_back(m350::runOperation(ctx_, kOpExitLineMode, kUsb, m350::exitLineMode));
        ConfigRecord record;
        r.push_back(m350::runOperation(ctx_, kOpReadConfig, kUsb,
                                       [&](m350::Link& l) { return m350::readConfig(l, record); }));
        StatusFlags flags{};
        r.push_back(m350::runOperation(ctx_, kOpStatus, kUsb,
                                       [&](m350::Link& l) { return m350::readStatus(l, flags); }));
        return r;
    }

    std::string listFile_;
    std::shared_ptr<m350test::EmulatedUsbBus> bus_;
    std::unique_ptr<EmulatedPrinter> foreign_;
    std::unique_ptr<EmulatedPrinter> ours_;
    PortSettings settings_;
    LinkContext ctx_;
    m350test::RecordingProgress progress_;
};

TEST_F(ForeignPrinterOnTheBus, AloneItReceivesNothing) {
    const std::vector<int> failed(4, kPortOpenError);
    EXPECT_EQ(startAndStatus(), failed);
    EXPECT_EQ(foreign_->received(), "");
    EXPECT_TRUE(foreign_->events().empty()) << "its driver is not detached, nothing is claimed";
}

TEST_F(ForeignPrinterOnTheBus, BesideOneOfOursOnlyOursIsUsed) {
    plugOurs();
    const std::vector<int> results = startAndStatus();
    EXPECT_EQ(results[0], kOk);
    EXPECT_EQ(results[1], kOk);
    EXPECT_EQ(results[3], kOk);
    EXPECT_EQ(foreign_->received(), "");
    EXPECT_TRUE(foreign_->events().empty());
    EXPECT_EQ(ours_->received().rfind("\x1BZ\r\n\r\nDIAGNOSTIC INTERFACE USB\r\n", 0), 0u);
}

TEST_F(ForeignPrinterOnTheBus, NamedItIsUsedAndOursIsLeftAlone) {
    plugOurs();
    for (const char* name : {"1234:0002", "1234:0002:FOREIGN-1", "1-1"}) {
        settings_.usbDevice = name;
        ctx_.usb = makeLibusbBackend();
        EXPECT_EQ(m350::runOperation(ctx_, kOpExitLineMode, kUsb, m350::exitLineMode), kOk) << name;
    }
    for (const char* name : {"1234:0002:OTHER", "1-3", "1234:0003"}) {
        settings_.usbDevice = name;
        ctx_.usb = makeLibusbBackend();
        EXPECT_EQ(m350::runOperation(ctx_, kOpExitLineMode, kUsb, m350::exitLineMode),
                  kPortOpenError)
            << name;
    }
    EXPECT_EQ(foreign_->received(), "\x1BZ\r\n\x1BZ\r\n\x1BZ\r\n");
    EXPECT_EQ(ours_->received(), "");
    // Named through the environment as well.
    settings_.usbDevice.clear();
    setenv(kUsbDeviceVariable, "1-1", 1);
    ctx_.usb = makeLibusbBackend();
    EXPECT_EQ(m350::runOperation(ctx_, kOpSelfTest, kUsb, m350::printSelfTest), kOk);
    unsetenv(kUsbDeviceVariable);
    EXPECT_EQ(foreign_->received().substr(12), "SELFTEST\r\n");
}

TEST_F(ForeignPrinterOnTheBus, TheListShowsBothFromTheSystemsTables) {
    plugOurs();
    auto backend = makeLibusbBackend();
    auto devices = backend->devices();
    ASSERT_EQ(devices.size(), 2u);
    auto byPath = [&](const std::string& path) -> const UsbDeviceDescription* {
        for (const auto& d : devices)
            if (d.busPath == path) return &d;
        return nullptr;
    };
    const UsbDeviceDescription* foreign = byPath("1-1");
    ASSERT_NE(foreign, nullptr);
    EXPECT_EQ(foreign->vendorId, kForeignVendor);
    EXPECT_EQ(foreign->serial, "FOREIGN-1");
    EXPECT_EQ(foreign->manufacturer, "Office");
    EXPECT_EQ(foreign->product, "Desk Printer");
    ASSERT_EQ(foreign->interfaces.size(), 1u);
    EXPECT_EQ(foreign->interfaces[0].driver, "usblp");
    ASSERT_NE(byPath("1-2"), nullptr);

    const std::string text = usbSurveyText(surveyUsbDevices(*backend, "", exampleUsbList()));
    EXPECT_NE(text.find("  1234:0002  bus path 1-1  serial FOREIGN-1  Office Desk Printer"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("* f1e2:0001  bus path 1-2  serial M350-000001"), std::string::npos)
        << text;
    EXPECT_NE(text.find("usblp"), std::string::npos) << text;
    // The same from m350ctl, a process of its own on the same emulated bus.
    const std::string listed = runCtl("usb list --all");
    EXPECT_NE(listed.find("  1234:0002  bus path 1-1  serial FOREIGN-1  Office Desk Printer"),
              std::string::npos)
        << listed;
    EXPECT_NE(listed.find("* f1e2:0001  bus path 1-2"), std::string::npos) << listed;
    // Listing touched neither device.
    EXPECT_TRUE(foreign_->events().empty());
    EXPECT_TRUE(ours_->events().empty());
    EXPECT_EQ(foreign_->received() + ours_->received(), "");
}

// A new user's path: the foreign printer is not used until `usb allow` puts
// it in the list, then it is, from the core and from m350ctl; `usb forget`
// undoes it. udevadm is a script that notes its calls.
TEST_F(ForeignPrinterOnTheBus, AllowedItIsUsedForgottenItIsNot) {
    useListFile("# f1e0\n");
    const std::string rules = ::testing::TempDir() + "m350-rules-" + std::to_string(::getpid());
    ::mkdir(rules.c_str(), 0755);
    std::ofstream(rules + "/udevadm") << "#!/bin/sh\necho \"$@\" >> " << rules << "/calls\n";
    ::chmod((rules + "/udevadm").c_str(), 0755);
    setenv("M350_UDEV_RULES_DIR", rules.c_str(), 1);
    setenv("M350_UDEVADM", (rules + "/udevadm").c_str(), 1);
    const struct {
        const char* command;  // m350ctl arguments, or "" for none
        int core;             // exit line mode through the core
        bool listed;          // usb list marks it as the one used
    } steps[] = {{"", kPortOpenError, false},
                 {"usb allow 1234:0002:FOREIGN-1 --group root", kOk, true},
                 {"usb forget 1234:0002:FOREIGN-1", kPortOpenError, false}};
    for (const auto& st : steps) {
        int status = 0;
        const std::string out = *st.command ? runCtl(st.command, &status) : "";
        EXPECT_EQ(status, 0) << st.command << out;
        ctx_.usb = makeLibusbBackend();
        EXPECT_EQ(m350::runOperation(ctx_, kOpExitLineMode, kUsb, m350::exitLineMode), st.core);
        EXPECT_EQ(runCtl("usb list").find("* 1234:0002  bus path 1-1") != std::string::npos,
                  st.listed)
            << st.command;
        EXPECT_EQ(std::ifstream(rules + "/61-m350-allowed.rules").good(), st.listed);
    }
    EXPECT_NE(runCtl("usb list").find("sudo m350ctl usb allow 1234:0002:FOREIGN-1"),
              std::string::npos);
    std::ifstream calls(rules + "/calls");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(calls), {}),
              "control --reload\ncontrol --reload\n");
    EXPECT_EQ(foreign_->received(), "\x1BZ\r\n");
    unsetenv("M350_UDEVADM");
    unsetenv("M350_UDEV_RULES_DIR");
}

}  // namespace
