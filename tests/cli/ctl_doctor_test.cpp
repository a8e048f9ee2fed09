// SPDX-License-Identifier: MIT
// m350ctl doctor and serial list on fake system trees: sysfs, /dev and /etc
// as a test folder, the user's identity and fonts given, no hardware.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>

#include "cli/doctor.h"
#include "core/transport/port_settings.h"
#include "ctl_test_support.h"

namespace m350test {
namespace {

namespace fs = std::filesystem;
using m350::cli::DoctorCheck;
using m350::cli::DoctorTarget;
using m350::cli::Severity;

constexpr uid_t kUser = 4242;  // never the owner of the test's files
constexpr gid_t kUserGroup = 4242;

// A fake system under a folder of its own.
class FakeSystem {
  public:
    explicit FakeSystem(const TempDir& dir) : root_(dir.path()) {
        // The group of the files the test makes, by name, as the system's.
        struct stat st {};
        ::stat(root_.c_str(), &st);
        fileGroup_ = st.st_gid;
        file("etc/group", "dialout:x:" + std::to_string(fileGroup_) +
                              ":\nusers:x:" + std::to_string(kUserGroup) + ":\n");
        file("etc/m350/usb-printers", "# the stand-ins\nf1e0\nf1e1\nf1e2\n");
    }

    void file(const std::string& path, const std::string& text, mode_t mode = 0644) {
        const fs::path p = fs::path(root_) / path;
        fs::create_directories(p.parent_path());
        writeFile(p.string(), text);
        ::chmod(p.c_str(), mode);
    }
    void link(const std::string& path, const std::string& target) {
        const fs::path p = fs::path(root_) / path;
        fs::create_directories(p.parent_path());
        fs::create_symlink(target, p);
    }
    // A USB device with one interface of the class given, bound to driver.
    void usbDevice(const std::string& busPath, const std::string& vid, const std::string& pid,
                   int bus, int dev, const std::string& interfaceClass, const std::string& driver,
                   mode_t nodeMode) {
        const std::string d = "sys/bus/usb/devices/" + busPath + "/";
        file(d + "idVendor", vid + "\n");
        file(d + "idProduct", pid + "\n");
        file(d + "busnum", std::to_string(bus) + "\n");
        file(d + "devnum", std::to_string(dev) + "\n");
        file(d + "product", "Label Printer\n");
        const std::string i = "sys/bus/usb/devices/" + busPath + ":1.0/";
        file(i + "bInterfaceClass", interfaceClass + "\n");
        if (!driver.empty()) link(i + "driver", "../../../../bus/usb/drivers/" + driver);
        char node[64];
        std::snprintf(node, sizeof node, "dev/bus/usb/%03d/%03d", bus, dev);
        file(node, "", nodeMode);
    }
    void serialPort(const std::string& name, const std::string& type, const std::string& driver,
                    mode_t mode) {
        file("sys/class/tty/" + name + "/type", type + "\n");
        link("sys/class/tty/" + name + "/device/driver",
             "../../../bus/usb-serial/drivers/" + driver);
        file("dev/" + name, "", mode);
    }

    m350::cli::DoctorSystem system(std::vector<gid_t> gids = {kUserGroup}) const {
        m350::cli::DoctorSystem s;
        s.root = root_;
        s.uid = kUser;
        s.userName = "operator";
        s.gids = std::move(gids);
        s.fontsFor = [this](const std::string&) { return fonts; };
        s.env = [this](const std::string& name) {
            auto it = std::find_if(env.begin(), env.end(),
                                   [&](const auto& kv) { return kv.first == name; });
            return it == env.end() ? std::string() : it->second;
        };
        return s;
    }

    gid_t fileGroup() const { return fileGroup_; }
    std::string fonts = "Noto Sans CJK SC\n";
    std::vector<std::pair<std::string, std::string>> env = {{"DISPLAY", ":0"}};

  private:
    std::string root_;
    gid_t fileGroup_ = 0;
};

const DoctorCheck* find(const std::vector<DoctorCheck>& checks, Severity s,
                        const std::string& text) {
    for (const auto& c : checks)
        if (c.severity == s && c.text.find(text) != std::string::npos) return &c;
    return nullptr;
}

std::string dump(const std::vector<DoctorCheck>& checks) {
    std::string out;
    for (const auto& c : checks)
        out += c.area + " " + std::to_string(static_cast<int>(c.severity)) + " " + c.text + " | " +
               c.fix + "\n";
    return out;
}

TEST(CtlDoctor, ChecksExplainWhatBlocksTheChosenInterface) {
    struct Case {
        const char* what;
        std::function<void(FakeSystem&)> setUp;
        DoctorTarget target;
        std::vector<gid_t> gids;
        bool blocked;
        Severity severity;
        std::string text;  // a check with this severity holds this text
        std::string fix;   // and its fix this one
    };
    const DoctorTarget usb{};
    DoctorTarget com;
    com.iface = m350::kCom;
    com.comName = "/dev/ttyUSB0";
    DoctorTarget com1 = com;
    com1.comName = "COM1";
    DoctorTarget lpt;
    lpt.iface = m350::kLpt;
    lpt.lptName = "/dev/usb/lp0";
    DoctorTarget named;
    named.usbDevice = "04b8:0e28";
    const Case cases[] = {
        {"no printer",
         [](FakeSystem&) {},
         usb,
         {kUserGroup},
         true,
         Severity::kBlocking,
         "no printer of the printer list (f1e0, f1e1, f1e2)",
         "--usb-device"},
        {"no printer, but the serial port is chosen",
         [](FakeSystem&) {},
         com,
         {kUserGroup},
         true,
         Severity::kInfo,
         "no printer of the printer list",
         ""},
        {"our printer, open to the seat",
         [](FakeSystem& f) { f.usbDevice("1-1.4", "f1e0", "0001", 1, 9, "07", "", 0666); },
         usb,
         {kUserGroup},
         false,
         Severity::kOk,
         "1-1.4: you may open /dev/bus/usb/001/009",
         ""},
        {"our printer, no permission, no udev rule",
         [](FakeSystem& f) { f.usbDevice("1-1.4", "f1e0", "0001", 1, 9, "07", "", 0664); },
         usb,
         {kUserGroup},
         true,
         Severity::kBlocking,
         "no permission on /dev/bus/usb/001/009",
         "sudo cp 70-m350-printers.rules /etc/udev/rules.d/"},
        {"our printer, no permission, the rule only where udev does not look",
         [](FakeSystem& f) {
             f.usbDevice("1-1.4", "f1e0", "0001", 1, 9, "07", "", 0664);
             f.file("usr/local/lib/udev/rules.d/70-m350-printers.rules", "");
         },
         usb,
         {kUserGroup},
         true,
         Severity::kBlocking,
         "no permission on /dev/bus/usb/001/009",
         "the rule is in /usr/local/lib/udev/rules.d, which udev does not read: sudo cp "
         "/usr/local/lib/udev/rules.d/70-m350-printers.rules /etc/udev/rules.d/"},
        {"our printer, no permission, the rule installed",
         [](FakeSystem& f) {
             f.usbDevice("1-1.4", "f1e1", "0001", 1, 9, "07", "", 0664);
             f.file("usr/lib/udev/rules.d/70-m350-printers.rules", "");
         },
         usb,
         {kUserGroup},
         true,
         Severity::kBlocking,
         "no permission",
         "unplug it"},
        {"another make named, no permission, the rule installed",
         [](FakeSystem& f) {
             f.usbDevice("1-2", "04b8", "0e28", 1, 4, "07", "usblp", 0664);
             f.file("etc/udev/rules.d/70-m350-printers.rules", "");
         },
         named,
         {kUserGroup},
         true,
         Severity::kBlocking,
         "no permission",
         "sudo m350ctl usb allow 04b8:0e28"},
        {"held by usblp",
         [](FakeSystem& f) { f.usbDevice("1-1.4", "f1e0", "0001", 1, 9, "07", "usblp", 0666); },
         usb,
         {kUserGroup},
         false,
         Severity::kInfo,
         "held by the kernel's printer driver usblp",
         ""},
        {"claimed by ipp-usb",
         [](FakeSystem& f) {
             f.usbDevice("1-1.4", "f1e0", "0001", 1, 9, "07", "usbfs", 0666);
             f.file("proc/812/comm", "ipp-usb\n");
         },
         usb,
         {kUserGroup},
         true,
         Severity::kBlocking,
         "claimed by another program (ipp-usb",
         "sudo systemctl stop ipp-usb"},
        {"another make is not used unless named",
         [](FakeSystem& f) { f.usbDevice("1-2", "04b8", "0e28", 1, 4, "07", "usblp", 0666); },
         usb,
         {kUserGroup},
         true,
         Severity::kWarning,
         "1-2: a printer-class device that is not in the printer list",
         "sudo m350ctl usb allow 04b8:0e28 (or name it"},
        {"another make allowed is used",
         [](FakeSystem& f) {
             f.usbDevice("1-2", "04b8", "0e28", 1, 4, "07", "usblp", 0666);
             f.file("etc/m350/usb-printers", "f1e0\n04b8:0e28  # allowed\n");
         },
         usb,
         {kUserGroup},
         false,
         Severity::kOk,
         "in the printer list; the next USB operation uses it",
         ""},
        {"a USB adapter outside the dialout group",
         [](FakeSystem& f) { f.serialPort("ttyUSB0", "4", "ftdi_sio", 0660); },
         com,
         {kUserGroup},
         true,
         Severity::kBlocking,
         "/dev/ttyUSB0: no permission (mode 0660, group dialout)",
         "sudo usermod -aG dialout operator"},
        {"added to dialout, not logged in again",
         [](FakeSystem& f) {
             f.serialPort("ttyUSB0", "4", "ftdi_sio", 0660);
             f.file("etc/group", "dialout:x:" + std::to_string(f.fileGroup()) + ":operator\n");
         },
         com,
         {kUserGroup},
         true,
         Severity::kBlocking,
         "no permission",
         "log out and in again"},
        {"in dialout",
         [](FakeSystem& f) { f.serialPort("ttyUSB0", "4", "ftdi_sio", 0660); },
         com,
         {kUserGroup, 0},
         false,
         Severity::kOk,
         "/dev/ttyUSB0: you may open it",
         ""},
        {"the adapter is unplugged",
         [](FakeSystem&) {},
         com,
         {kUserGroup},
         true,
         Severity::kBlocking,
         "/dev/ttyUSB0 is not there",
         "m350ctl serial list"},
        {"COM1 without a chip",
         [](FakeSystem& f) { f.serialPort("ttyS0", "0", "serial8250", 0666); },
         com1,
         {kUserGroup},
         true,
         Severity::kBlocking,
         "COM1 (/dev/ttyS0): the kernel found no serial",
         "--com /dev/ttyUSB0"},
        {"a USB parallel port for the lp group",
         [](FakeSystem& f) { f.file("dev/usb/lp0", "", 0660); },
         lpt,
         {kUserGroup},
         true,
         Severity::kBlocking,
         "/dev/usb/lp0: no permission",
         "usermod -aG dialout"},
        {"no CJK fonts does not block",
         [](FakeSystem& f) {
             f.usbDevice("1-1.4", "f1e0", "0001", 1, 9, "07", "", 0666);
             f.fonts.clear();
         },
         usb,
         {kUserGroup},
         false,
         Severity::kWarning,
         "no font for Chinese",
         "fonts-noto-cjk"},
        {"no display does not block",
         [](FakeSystem& f) {
             f.usbDevice("1-1.4", "f1e0", "0001", 1, 9, "07", "", 0666);
             f.env.clear();
         },
         usb,
         {kUserGroup},
         false,
         Severity::kInfo,
         "no display",
         ""},
    };
    for (const auto& c : cases) {
        TempDir dir;
        FakeSystem fake(dir);
        c.setUp(fake);
        const auto checks = m350::cli::runDoctor(fake.system(c.gids), c.target);
        EXPECT_EQ(m350::cli::blocksTarget(checks, c.target), c.blocked) << c.what << "\n"
                                                                        << dump(checks);
        const DoctorCheck* hit = find(checks, c.severity, c.text);
        ASSERT_NE(hit, nullptr) << c.what << "\n" << dump(checks);
        EXPECT_NE(hit->fix.find(c.fix), std::string::npos) << c.what << ": " << hit->fix;
    }
}

TEST(CtlSerialList, StableNamesPointAtTheirPorts) {
    TempDir dir;
    FakeSystem fake(dir);
    fake.serialPort("ttyUSB0", "4", "ftdi_sio", 0660);
    fake.serialPort("ttyACM1", "4", "cdc_acm", 0660);
    fake.serialPort("ttyS0", "4", "serial8250", 0660);
    fake.serialPort("ttyS5", "0", "serial8250", 0660);  // no chip: not listed
    fake.link("dev/serial/by-id/usb-FTDI_FT232R_A1B2-if00-port0", "../../ttyUSB0");
    fake.link("dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0", "../../ttyUSB0");
    fake.link("dev/serial/by-id/usb-Printer_CDC-if00", "../../ttyACM1");

    const auto list = m350::cli::listSerialDevices(fake.system());
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].device, "/dev/ttyACM1");
    EXPECT_EQ(list[0].stable, std::vector<std::string>{"/dev/serial/by-id/usb-Printer_CDC-if00"});
    EXPECT_EQ(list[1].device, "/dev/ttyS0");
    EXPECT_TRUE(list[1].stable.empty());
    EXPECT_EQ(list[2].device, "/dev/ttyUSB0");
    EXPECT_EQ(list[2].driver, "ftdi_sio");
    EXPECT_EQ(list[2].stable.size(), 2u);

    // The command, on the same tree.
    CtlRun run = runCtl({"serial", "list"}, {}, {{"M350_DOCTOR_ROOT", dir.path()}});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out,
              "/dev/ttyACM1  (cdc_acm)\n"
              "    /dev/serial/by-id/usb-Printer_CDC-if00\n"
              "/dev/ttyS0  (serial8250)\n"
              "/dev/ttyUSB0  (ftdi_sio)\n"
              "    /dev/serial/by-id/usb-FTDI_FT232R_A1B2-if00-port0\n"
              "    /dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0\n");

    // doctor's exit status follows the interface chosen; its JSON says why.
    CtlRun missing = runCtl({"--com", "/dev/ttyUSB9", "doctor", "--json"}, {},
                            {{"M350_DOCTOR_ROOT", dir.path()}});
    EXPECT_EQ(missing.exitCode, 69) << missing.err;
    const auto j = nlohmann::json::parse(missing.out);
    EXPECT_EQ(j["interface"], "serial");
    EXPECT_EQ(j["blocked"], true);
    bool named = false;
    for (const auto& c : j["checks"])
        named = named || (c["severity"] == "blocks" && c["text"] == "/dev/ttyUSB9 is not there");
    EXPECT_TRUE(named) << missing.out;
    CtlRun net = runCtl({"--net", "127.0.0.1", "doctor"}, {}, {{"M350_DOCTOR_ROOT", dir.path()}});
    EXPECT_EQ(net.exitCode, 0) << net.out;
}

}  // namespace
}  // namespace m350test

#include "cli/port_options.h"

namespace m350test {
namespace {

TEST(CtlDevicePath, PortNamesOrPaths) {
    struct Case {
        const char* text;
        std::optional<std::string> com;
    };
    const Case cases[] = {
        {"com3", "COM3"},
        {"/dev/ttyUSB0", "/dev/ttyUSB0"},
        {"/dev/serial/by-id/usb-FTDI_FT232R_A1B2-if00-port0",
         "/dev/serial/by-id/usb-FTDI_FT232R_A1B2-if00-port0"},
        {"ttyUSB0", std::nullopt},  // a device is named by its whole path
        {"/dev/", std::nullopt},    // a folder
        {"/", std::nullopt},
        {"/dev/tty\nUSB0", std::nullopt},  // no control bytes
        {"COM31", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(m350::cli::portNameOrPath(c.text, "COM", 30), c.com) << c.text;
}

// --com with the device's path, and with a stable name linking to it, reach
// the simulator's pseudo-terminal with the same bytes as COMn did.
TEST(CtlDevicePath, ComByPathAndByStableName) {
    SimProcess sim({}, /*pty=*/true);
    ASSERT_TRUE(sim.ok()) << sim.error();
    TempDir dir;
    const std::string stable = dir.file("usb-Printer_Serial-if00-port0");
    fs::create_symlink(sim.ptyPath(), stable);
    for (const std::string& device : {sim.ptyPath(), stable}) {
        CtlRun status = runCtl({"--com", device, "--baud", "115200", "status"});
        EXPECT_EQ(status.exitCode, 0) << device << ": " << status.err;
        EXPECT_EQ(status.out, "Ready\n");
    }
    const std::string expected = "\x1B!?\x1B!S\r\n\x1B!?\x1B!S\r\n";
    EXPECT_EQ(receivedAtLeast(sim, expected.size()), expected);
    // A path that is not there fails to open, as an absent COMn does.
    CtlRun missing = runCtl({"--com", dir.file("gone"), "status"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err.rfind("Port Open Error\n", 0), 0u) << missing.err;
}

}  // namespace
}  // namespace m350test
