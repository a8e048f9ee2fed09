// Choosing the printer's device from the window: USB Setup lists what may be
// a printer on a fake bus and keeps the choice as --usb-device does; a serial
// printer on a pseudo-terminal is reached by its path, from the start-up
// option and from the RS-232 dialog.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdlib>
#include <fstream>

#include "../core/transport/fake_usb.h"
#include "control_named.h"
#include "core/transport/usb_printer_list.h"
#include "gui/main_window.h"
#include "scripted_prompter.h"
#include "support/sim_process.h"
#include "test_window.h"

using namespace m350::gui;

namespace {

struct Shown {
    QStringList rows;
    int current = -1;
    QString hint;
};

class UsbSetupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string list = dir.filePath(QStringLiteral("usb-printers")).toStdString();
        std::ofstream(list) << "f1e0\n";
        setenv(m350::kUsbListFileVariable, list.c_str(), 1);
        setenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toUtf8().constData(), 1);
        unsetenv(m350::kUsbDeviceVariable);
    }
    void TearDown() override { unsetenv(m350::kUsbListFileVariable); }

    MainWindow& start() {
        MainWindowSeams seams = m350test::testSeams(prompter, progress);
        seams.settings = &store;
        seams.usb = bus;
        m350test::withoutPrinter(seams);
        StartupOptions options;
        options.language = 0;
        window = std::make_unique<MainWindow>(options, seams);
        return *window;
    }
    // Opens USB Setup, notes what it shows and picks row (-1: Cancel).
    Shown setUp(int row) {
        Shown shown;
        prompter.dialogs[QStringLiteral("TFormUsbSetup")] = [&shown, row](QDialog& d) {
            auto* list = m350test::controlNamed<QListWidget>(d, "ListUsbDevices");
            for (int i = 0; i < list->count(); ++i) shown.rows << list->item(i)->text();
            shown.current = list->currentRow();
            shown.hint = m350test::controlNamed<QLabel>(d, "LabelUsbHint")->text();
            if (row < 0) {
                m350test::controlNamed<QPushButton>(d, "ButtonCancel")->click();
            } else {
                list->setCurrentRow(row);
                m350test::controlNamed<QPushButton>(d, "ButtonSet")->click();
            }
            return d.result();
        };
        auto* setup = m350test::controlNamed<QPushButton>(*window, "ButtonInterFace");
        EXPECT_TRUE(setup->isEnabled());
        setup->click();
        return shown;
    }

    QTemporaryDir dir;
    QSettings store{dir.filePath(QStringLiteral("m350-utility.ini")), QSettings::IniFormat};
    m350test::ScriptedPrompter prompter;
    m350test::RecordingProgress progress;
    std::shared_ptr<m350test::FakeUsbBackend> bus = std::make_shared<m350test::FakeUsbBackend>();
    std::unique_ptr<MainWindow> window;
};

TEST_F(UsbSetupTest, ListsTheCandidatesAndKeepsTheChoice) {
    auto ours = m350test::makeFakePrinter(0xf1e0, 1);
    ours->description.busPath = "1-1";
    auto foreign = m350test::makeFakePrinter(0x4321, 2);
    foreign->description.busPath = "1-2";
    foreign->description.serial = "SN-7";
    foreign->description.product = "Desk Printer";
    auto twinA = m350test::makeFakePrinter(0x5555, 3);
    twinA->description.busPath = "2-1";
    auto twinB = m350test::makeFakePrinter(0x5555, 3);
    twinB->description.busPath = "2-2";
    bus->bus = {foreign, ours, twinA, twinB};
    start();

    struct Step {
        int pick;            // row chosen, -1 Cancel
        int shownCurrent;    // the row the dialog opened on
        const char* device;  // the port settings' device afterwards
        const char* stored;  // what the window keeps ("" none)
    };
    const Step steps[] = {
        {1, 0, "4321:0002:SN-7", "4321:0002:SN-7"},
        {-1, 1, "4321:0002:SN-7", "4321:0002:SN-7"},
        {4, 1, "2-2", "2-2"},  // a twin is told apart by where it is plugged in
        {0, 4, "", ""},        // automatic forgets the choice
    };
    for (const Step& st : steps) {
        const Shown shown = setUp(st.pick);
        ASSERT_EQ(shown.rows.size(), 5) << shown.rows.join('\n').toStdString();
        EXPECT_EQ(shown.current, st.shownCurrent);
        EXPECT_EQ(window->portSettings().usbDevice, st.device);
        EXPECT_EQ(store.value(QStringLiteral("usb/device")).toString().toStdString(), st.stored);
        EXPECT_TRUE(shown.rows[0].startsWith(QStringLiteral("Automatic")));
        EXPECT_EQ(shown.rows[1],
                  QStringLiteral("4321:0002  Desk Printer  #SN-7  [1-2] - not in the printer list, "
                                 "no permission"));
        EXPECT_TRUE(
            shown.rows[2].startsWith(QStringLiteral("f1e0:0001  [1-1] - in the printer list")))
            << shown.rows[2].toStdString();
    }
    // Nothing on the bus: the dialog says how a printer is allowed.
    bus->bus.clear();
    const Shown empty = setUp(-1);
    EXPECT_EQ(empty.rows.size(), 1);
    EXPECT_TRUE(empty.hint.contains(QStringLiteral("sudo m350ctl usb allow VID:PID")))
        << empty.hint.toStdString();
}

// The serial printer behind a pseudo-terminal: named by its path at start,
// then chosen again in the RS-232 dialog, which keeps a path it does not list.
TEST(SerialByPath, APseudoTerminalIsReachedFromTheWindowAndTheDialog) {
    m350test::SimProcess sim({}, true);
    ASSERT_TRUE(sim.ok()) << sim.error();
    m350test::ScriptedPrompter prompter;
    m350test::RecordingProgress progress;
    MainWindowSeams seams = m350test::testSeams(prompter, progress);
    StartupOptions options;
    options.language = 0;
    options.interfaceIndex = m350::kCom;
    options.comDevicePath = sim.ptyPath();
    MainWindow w(options, seams);
    EXPECT_EQ(w.portSettings().comDevicePath, sim.ptyPath());
    EXPECT_TRUE(w.panelText(1).startsWith(QString::fromStdString(sim.ptyPath() + " 9600")));
    prompter.dialogs[QStringLiteral("TFormRs232Setup")] = [](QDialog& d) {
        m350test::controlNamed<QComboBox>(d, "ComboBoxBaudRate")->setCurrentIndex(2);
        m350test::controlNamed<QPushButton>(d, "ButtonSet")->click();
        return d.result();
    };
    m350test::controlNamed<QPushButton>(w, "ButtonInterFace")->click();
    EXPECT_EQ(w.portSettings().comDevicePath, sim.ptyPath());
    m350test::controlNamed<QPushButton>(w, "ButtonGetStatus")->click();
    EXPECT_TRUE(prompter.messages.isEmpty()) << prompter.messages.join('\n').toStdString();
    std::string rx;
    for (const auto& c : sim.transcript()) rx += c.rx;
    EXPECT_NE(rx.find("\x1B!?"), std::string::npos) << "the status request went over the terminal";
}

}  // namespace
