// SPDX-License-Identifier: MIT
// Choosing the printer's device from the window: USB Setup lists what may be
// a printer on a fake bus and keeps the choice as --usb-device does; a serial
// printer on a pseudo-terminal is reached by its path, from the start-up
// option and from the RS-232 dialog.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
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

// Opens USB Setup, gives its rows (current one marked "> ") and hint, picks
// row (-1: Cancel).
QStringList setUp(QWidget& w, m350test::ScriptedPrompter& prompter, int row) {
    QStringList shown;
    prompter.dialogs[QStringLiteral("TFormUsbSetup")] = [&shown, row](QDialog& d) {
        auto* list = m350test::controlNamed<QListWidget>(d, "ListUsbDevices");
        for (int i = 0; i < list->count(); ++i)
            shown << (i == list->currentRow() ? "> " : "") + list->item(i)->text();
        shown << m350test::controlNamed<QLabel>(d, "LabelUsbHint")->text();
        list->setCurrentRow(row);
        m350test::controlNamed<QPushButton>(d, row < 0 ? "ButtonCancel" : "ButtonSet")->click();
        return d.result();
    };
    m350test::controlNamed<QPushButton>(w, "ButtonInterFace")->click();
    return shown;
}

TEST(UsbSetup, ListsTheCandidatesAndKeepsTheChoice) {
    QTemporaryDir dir;
    const std::string list = dir.filePath(QStringLiteral("usb-printers")).toStdString();
    std::ofstream(list) << "f1e0\n";
    setenv(m350::kUsbListFileVariable, list.c_str(), 1);
    setenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toUtf8().constData(), 1);
    auto bus = std::make_shared<m350test::FakeUsbBackend>();
    // Twins without a serial number at 2-1 and 2-2.
    for (auto [vid, path, serial] : {std::tuple{0x4321, "1-2", "SN-7"},
                                     {0xf1e0, "1-1", ""},
                                     {0x5555, "2-1", ""},
                                     {0x5555, "2-2", ""}}) {
        bus->bus.push_back(m350test::makeFakePrinter(vid, vid == 0x4321 ? 2 : 1));
        bus->bus.back()->description.busPath = path;
        bus->bus.back()->description.serial = serial;
    }
    m350test::ScriptedPrompter prompter;
    m350test::RecordingProgress progress;
    MainWindowSeams seams = m350test::testSeams(prompter, progress);
    QSettings& store = *seams.settings;
    seams.usb = bus;
    m350test::withoutPrinter(seams);
    StartupOptions options;
    options.language = 0;
    MainWindow w(options, seams);

    struct Step {
        int pick;            // row chosen, -1 Cancel
        int shownCurrent;    // the row the dialog opened on
        const char* device;  // the port settings' device afterwards, and what is kept
    };
    const Step steps[] = {
        {1, 0, "4321:0002:SN-7"},
        {-1, 1, "4321:0002:SN-7"},
        {4, 1, "2-2"},  // a twin is told apart by where it is plugged in
        {0, 4, ""},     // automatic forgets the choice
    };
    for (const Step& st : steps) {
        const QStringList shown = setUp(w, prompter, st.pick);
        ASSERT_EQ(shown.size(), 6) << shown.join('\n').toStdString();
        EXPECT_TRUE(shown[st.shownCurrent].startsWith("> ")) << st.shownCurrent;
        EXPECT_EQ(w.portSettings().usbDevice, st.device);
        EXPECT_EQ(store.value(QStringLiteral("usb/device")).toString().toStdString(), st.device);
        EXPECT_TRUE(shown[1].endsWith(
            QStringLiteral("4321:0002  #SN-7  [1-2] - not in the printer list, no permission")));
        EXPECT_TRUE(
            shown[2].endsWith(QStringLiteral("f1e0:0001  [1-1] - in the printer list, "
                                             "no permission")));
    }
    // Nothing on the bus: the dialog says how a printer is allowed.
    bus->bus.clear();
    const QStringList empty = setUp(w, prompter, -1);
    ASSERT_EQ(empty.size(), 2);
    EXPECT_TRUE(empty[1].contains(QStringLiteral("sudo m350ctl usb allow VID:PID")));
    unsetenv(m350::kUsbListFileVariable);
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
