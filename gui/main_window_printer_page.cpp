// SPDX-License-Identifier: MIT
// The "Printer Configuration" page: the status group, the frame of the
// configuration group (its contents are ConfigPage's) and the function
// buttons with their handlers.
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <cmath>
#include <memory>

#include "core/files/local_file.h"
#include "core/i18n/language_table.h"
#include "core/link/link_operations.h"
#include "core/net/net_settings.h"
#include "core/printer/clock.h"
#include "core/printer/dump_text.h"
#include "core/printer/maintenance.h"
#include "core/printer/sensor.h"
#include "core/printer/test_page.h"
#include "gui/dialogs/clock_setup_dialog.h"
#include "gui/dialogs/dump_text_dialog.h"
#include "gui/dialogs/emulation_dialog.h"
#include "gui/dialogs/ethernet_setup_dialog.h"
#include "gui/dialogs/sensor_calibration_dialog.h"
#include "gui/language_apply.h"
#include "gui/main_window.h"
#include "gui/pages/ap_profile_page.h"
#include "gui/pages/config_page.h"
#include "gui/pages/wireless_page_rules.h"
#include "gui/pages/wireless_scan_rules.h"
#include "gui/password_gate_prompt.h"
#include "gui/prompter.h"
#include "gui/widgets/form_kit.h"
#include "gui/widgets/radio_group.h"
#include "gui/widgets/utf8_text.h"

namespace m350::gui {

namespace {

// The configuration group takes the page's width less the column of status
// and function buttons on its right. The column is as wide as the longest
// function caption of any language needs at the window's font size.
constexpr int kColumnWidth = 188;
constexpr int kColumnButtonWidth = kColumnWidth - 16;
constexpr int kColumnLeft = 709 - kColumnWidth;
constexpr int kConfigWidth = kColumnLeft - 4 - 6;

}  // namespace

void MainWindow::buildPrinterPage() {
    printerConfigGroup_ = newGroup(printerSheet_, "GroupBoxPrintreConfig", "Printer Configuration",
                                   4, 2, kConfigWidth, 502);
    configPage_ =
        new ConfigPage(*this, printerConfigGroup_, *unitRadio_, statusFlags_, startupDirectory_);
    connect(configPage_, &ConfigPage::statusLoaded, this, &MainWindow::showPrinterStatus);
    buildApProfilePage(*configPage_);
    attachWirelessRules(*this, *configPage_);
    attachWirelessScanRules(*this, *configPage_);
    attachApProfileRules(*this, *configPage_);

    printerStatusGroup_ = newGroup(printerSheet_, "GroupBoxPrinterStatus", "Printer Status",
                                   kColumnLeft, 2, kColumnWidth, 74);
    printerStatusEdit_ =
        newEdit(printerStatusGroup_, "EditPrinterStatus", 8, 18, kColumnButtonWidth);
    printerStatusEdit_->setReadOnly(true);
    getStatusButton_ =
        newButton(printerStatusGroup_, "ButtonGetStatus", "Get Status", 8, 44, kColumnButtonWidth);
    connect(getStatusButton_, &QPushButton::clicked, this, &MainWindow::onGetStatusClicked);

    buildFunctionGroup();
}

void MainWindow::buildFunctionGroup() {
    printerFunctionGroup_ = newGroup(printerSheet_, "GroupBoxPrinterFunction", "Printer Function",
                                     kColumnLeft, 80, kColumnWidth, 424);
    constexpr int kTop = 20, kPitch = 31, kLeft = 8, kWidth = kColumnButtonWidth;
    int slot = 0;
    auto add = [&](const char* name, const char* caption, void (MainWindow::*handler)()) {
        QPushButton* b = newButton(printerFunctionGroup_, name, QString::fromLatin1(caption), kLeft,
                                   kTop + slot++ * kPitch, kWidth);
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    factoryDefaultButton_ =
        add("ButtonInitial", "Factory Default", &MainWindow::onFactoryDefaultClicked);
    dumpButton_ = add("ButtonDump", "Dump Text", &MainWindow::onDumpClicked);
    selfTestButton_ = add("ButtonSelfTest", "Configuration Page", &MainWindow::onSelfTestClicked);
    clockSetupButton_ = add("ButtonRTCSetTime", "RTC Setup", &MainWindow::onClockSetupClicked);
    sensorCalibrateButton_ =
        add("ButtonSensorCalibrate", "Calibrate Sensor ", &MainWindow::onCalibrateSensorClicked);
    resetPrinterButton_ =
        add("ButtonRestPrinter", "Reset Printer", &MainWindow::onResetPrinterClicked);
    testPageButton_ = add("ButtonTestPatern", "Print Test Page", &MainWindow::onTestPageClicked);
    ignoreAutoButton_ =
        add("ButtonIgnoreAuto", "Ignore AUTO.BAS", &MainWindow::onIgnoreAutoClicked);
    ethernetButton_ = add("ButtonEthernet", "Ethernet Setup", &MainWindow::onEthernetClicked);
    passwordButton_ = add("ButtonPassword", "Password Setup", &MainWindow::onPasswordClicked);
    exitLineModeButton_ =
        add("ButtonLineModeOut", "Exit Line Mode", &MainWindow::onExitLineModeClicked);
    activeEmulationButton_ =
        add("ButtonActEmulation", "Active Emulation", &MainWindow::onActiveEmulationClicked);
    activeEmulationButton_->hide();
}

void MainWindow::onGetStatusClicked() {
    // The query fills a scratch copy: a query that fails half-way leaves the
    // window's flags (which configuration files store) as they were.
    m350::StatusFlags flags = statusFlags_;
    runStandard(ops::readStatus(flags), [&] {
        statusFlags_ = flags;
        showPrinterStatus(statusFlags_);
    });
}

void MainWindow::showPrinterStatus(const m350::StatusFlags& flags) {
    const std::string_view text = m350::languageText(m350::statusTextKeyFor(flags), language_);
    printerStatusEdit_->setText(utf8Text(text));
    // From its first letter, should a language's word ever be the longer.
    printerStatusEdit_->setCursorPosition(0);
}

// Asked whether or not the printer has a password, before the gate reads it:
// a click alone never resets the printer.
void MainWindow::onFactoryDefaultClicked() {
    const QString question =
        ownTr("Restore the printer's factory settings? Every setting is lost.", language_);
    if (!prompter().confirm(question)) return;
    if (!passwordGate(*this)) return;
    runStandard(ops::factoryDefault());
}

void MainWindow::onSelfTestClicked() {
    runStandard(ops::printSelfTest());
}

void MainWindow::onIgnoreAutoClicked() {
    runStandard(ops::ignoreAutoStart());
}

void MainWindow::onExitLineModeClicked() {
    runStandard(ops::exitLineMode());
}

void MainWindow::onPasswordClicked() {
    changePassword(*this);
}

// The wireless module's state is unknown after a reset, whatever the reset's
// result, until the wireless settings are read again.
void MainWindow::onResetPrinterClicked() {
    runStandard(ops::resetPrinter());
    configPage_->markWirelessNotRead();
}

// Reads the printer's network settings, lets the operator edit them and, past
// the password gate, writes the address or the name, as the button chosen.
void MainWindow::onEthernetClicked() {
    m350::NetSettings read;
    if (runStandard(ops::readNetSettings(read)) != m350::kOk) return;
    netSettings_ = read;
    EthernetSetupDialog dialog(netSettings_, language_, textEncoding(), dialogPlace(), true, this);
    dialog.setPrompter(&prompter());
    prompter().runModal(dialog);
    if (!netSettings_.confirmed || !passwordGate(*this)) return;
    const m350::NetSettings request = netSettings_;
    if (request.action != m350::NetSettings::kSetIp)
        runStandard(ops::writeNetName(request));
    else
        runStandard(ops::writeNetAddress(request));
}

// The label is scaled to the paper size typed on the configuration page now
// (saved or not) and to the resolution of the configuration last read.
void MainWindow::onTestPageClicked() {
    const m350::ConfigRecord& form = configPage_->record();
    if (form.byte(m350::Field::dpiKnown) == 0) {
        prompter().message(QStringLiteral("Please read printer config first"));
        return;
    }
    // Typed lengths become dots with the printer's resolution, not with the
    // defaults' 200 dpi a reset record carries.
    m350::ConfigRecord working;
    working.reset();
    working.setReal(m350::Field::dpi, form.real(m350::Field::dpi));
    working.setReal(m350::Field::dotsPerMm, form.real(m350::Field::dotsPerMm));
    working.setByte(m350::Field::dpiKnown, form.byte(m350::Field::dpiKnown));
    if (!configPage_->buildRecord(working)) return;
    if (!working.present(m350::Field::paperWidth)) {
        prompter().message(QStringLiteral("Please Entry Paper Width"));
        return;
    }
    if (!working.present(m350::Field::paperHeight)) {
        prompter().message(QStringLiteral("Please Entry Paper Height"));
        return;
    }
    const m350::TestPageRequest request{form.real(m350::Field::dotsPerMm),
                                        working.real(m350::Field::paperWidth),
                                        working.real(m350::Field::paperHeight)};
    runStandard(ops::printTestPage(request));
}

// The dialogs behind these buttons join here.
// Dump text, clock, sensor calibration and emulation.

namespace {

const char* const kLoadDumpText = "Press OK to load file.";

// Writes the whole file under a temporary name beside it and renames it, so
// an existing file is never left half-written (and a link, device or FIFO at
// the path is never replaced); false with the reason.
bool saveWholeFile(const QString& path, const std::string& data, QString& error) {
    std::string why;
    if (m350::writeFileAtomically(QFile::encodeName(path).toStdString(), data, &why)) return true;
    // The core's sentence ("cannot write PATH: reason") opens the message box.
    error = QString::fromLocal8Bit(why.data(), static_cast<qsizetype>(why.size()));
    if (!error.isEmpty()) error[0] = error[0].toUpper();
    return false;
}

// The dump kept in the printer for fetching: asked for (three times while
// nothing comes back) and saved where the operator says. Runs with the main
// window still disabled from entering the mode.
void fetchDump(AppContext& app) {
    if (!app.prompter().confirm(QString::fromLatin1(kLoadDumpText))) return;
    std::string data;
    const int iface = app.interfaceIndex();
    const int result = m350::retryWhileNotReceived([&] {
        return app.runQuiet(
            ops::fetchFile(std::string(m350::kDumpFetchName), data, m350::kFetchCapacity), iface);
    });
    if (result == m350::kCancelled) {
        app.prompter().message(ownTr("Cancelled", app.language()));
        return;
    }
    if (result != m350::kOk) {
        const std::string_view text = m350::resultText(result);
        app.prompter().message(
            QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
        return;
    }
    FileDialogRequest request;
    request.title = QStringLiteral("Save");
    request.filter = QStringLiteral("*.* (*)");
    const QString path = app.prompter().saveFile(request);
    if (path.isEmpty()) return;
    QString error;
    if (!saveWholeFile(path, data, error)) app.prompter().message(error);
}

}  // namespace

void MainWindow::onDumpClicked() {
    m350::DumpRequest request;
    {
        DumpTextDialog dialog(request, prompter(), language_, dialogParent());
        dialog.move(dialogPlace());
        prompter().runModal(dialog);
        if (!dialog.confirmed()) return;
    }
    runStandard(ops::enterDumpMode(request), [&] {
        if (request.mode == m350::kDumpForFetch) fetchDump(*this);
    });
}

void MainWindow::onClockSetupClicked() {
    // A printer without a clock, or one that does not answer, gives zeros and
    // no message.
    m350::ClockValues values{};
    setEnabled(false);
    runQuiet(ops::readClock(values), interfaceIndex());
    setEnabled(true);
    show();
    clockRecord_ = values;
    bool confirmed = false;
    {
        ClockSetupDialog dialog(clockRecord_, prompter(), language_, dialogParent());
        dialog.move(dialogPlace());
        prompter().runModal(dialog);
        confirmed = dialog.confirmed();
    }
    if (!confirmed || !passwordGate(*this)) return;
    const m350::ClockValues typed = clockRecord_;
    runStandard(ops::setClock(typed));
}

void MainWindow::onCalibrateSensorClicked() {
    m350::SensorRequest request;
    // Lengths are typed in the unit the window shows, converted with the
    // resolution of the last configuration read.
    const m350::ConfigRecord& record = configPage_->record();
    const bool mm = unitRadio_->itemIndex() == 1;
    const double resolution = record.real(mm ? m350::Field::dotsPerMm : m350::Field::dpi);
    if (std::isfinite(resolution) && resolution > 0 && resolution < 1e6) {
        request.dotsPerUnit = static_cast<int>(resolution);
        request.exactDotsPerUnit = resolution;
    }
    // A failed read shows its text; the dialog opens with what was read.
    runStandard(ops::readSensorSettings(request));
    {
        SensorCalibrationDialog dialog(request, interfaceIndex(), *this, dialogParent());
        dialog.move(dialogPlace());
        prompter().runModal(dialog);
    }
    if (!request.confirmed || !passwordGate(*this)) return;
    runStandard(ops::applySensorCalibration(request));
}

void MainWindow::onActiveEmulationClicked() {
    // The dialog reads the printer as it is built; the main window takes no
    // second operation meanwhile.
    setEnabled(false);
    auto dialog = std::make_unique<EmulationDialog>(interfaceIndex(), *this, dialogParent());
    setEnabled(true);
    prompter().runModal(*dialog);
}

}  // namespace m350::gui
