// The "Printer Configuration" page: the status group, the frame of the
// configuration group (its contents are ConfigPage's) and the function
// buttons with their handlers.
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include "core/i18n/language_table.h"
#include "core/link/link_operations.h"
#include "core/net/net_settings.h"
#include "core/printer/maintenance.h"
#include "gui/dialogs/ethernet_setup_dialog.h"
#include "gui/main_window.h"
#include "gui/pages/config_page.h"
#include "gui/pages/wireless_page_rules.h"
#include "gui/password_gate_prompt.h"
#include "gui/widgets/form_kit.h"

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
    printerConfigGroup_ = newGroup(tabSheet1_, "GroupBoxPrintreConfig", "Printer Configuration", 4,
                                   2, kConfigWidth, 502);
    configPage_ =
        new ConfigPage(*this, printerConfigGroup_, *unitRadio_, statusFlags_, startupDirectory_);
    connect(configPage_, &ConfigPage::statusLoaded, this, &MainWindow::showPrinterStatus);
    attachWirelessRules(*this, *configPage_);

    printerStatusGroup_ = newGroup(tabSheet1_, "GroupBoxPrinterStatus", "Printer Status",
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
    printerFunctionGroup_ = newGroup(tabSheet1_, "GroupBoxPrinterFunction", "Printer Function",
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
    runStandard(
        m350::kOpStatus, [&](m350::Link& l) { return m350::readStatus(l, flags); },
        [&] {
            statusFlags_ = flags;
            showPrinterStatus(statusFlags_);
        });
}

void MainWindow::showPrinterStatus(const m350::StatusFlags& flags) {
    const std::string_view text = m350::languageText(m350::statusTextKeyFor(flags), language_);
    printerStatusEdit_->setText(
        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

void MainWindow::onFactoryDefaultClicked() {
    if (!passwordGate(*this)) return;
    runStandard(m350::kOpFactoryDefault, m350::factoryDefault);
}

void MainWindow::onSelfTestClicked() {
    runStandard(m350::kOpSelfTest, m350::printSelfTest);
}

void MainWindow::onIgnoreAutoClicked() {
    runStandard(m350::kOpIgnoreAuto, m350::ignoreAutoStart);
}

void MainWindow::onExitLineModeClicked() {
    runStandard(m350::kOpExitLineMode, m350::exitLineMode);
}

void MainWindow::onPasswordClicked() {
    changePassword(*this);
}

// The wireless module's state is unknown after a reset, whatever the reset's
// result, until the wireless settings are read again.
void MainWindow::onResetPrinterClicked() {
    runStandard(m350::kOpReset, m350::resetPrinter);
    configPage_->markWirelessNotRead();
}

// Reads the printer's network settings, lets the operator edit them and, past
// the password gate, writes the address or the name, as the button chosen.
void MainWindow::onEthernetClicked() {
    m350::NetSettings read;
    if (runStandard(m350::kOpNetReport,
                    [&](m350::Link& l) { return m350::readNetSettings(l, read); }) != m350::kOk)
        return;
    netSettings_ = read;
    EthernetSetupDialog dialog(netSettings_, language_, dialogPlace(), true, this);
    prompter().runModal(dialog);
    if (!netSettings_.confirmed || !passwordGate(*this)) return;
    const m350::NetSettings request = netSettings_;
    if (request.action != m350::NetSettings::kSetIp)
        runStandard(m350::kOpNetName,
                    [&](m350::Link& l) { return m350::writeNetName(l, request); });
    else
        runStandard(m350::kOpNetAddress,
                    [&](m350::Link& l) { return m350::writeNetAddress(l, request); });
}

// The dialogs behind these buttons join here.
void MainWindow::onDumpClicked() {}
void MainWindow::onClockSetupClicked() {}
void MainWindow::onCalibrateSensorClicked() {}
void MainWindow::onTestPageClicked() {}
void MainWindow::onActiveEmulationClicked() {}

}  // namespace m350::gui
