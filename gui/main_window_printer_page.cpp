// The "Printer Configuration" page: the status group, the frame of the
// configuration group (its contents are ConfigPage's) and the function
// buttons with their handlers.
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include "gui/password_gate_prompt.h"
#include "gui/widgets/form_kit.h"
#include "gui/main_window.h"
#include "gui/pages/config_page.h"
#include "core/i18n/language_table.h"
#include "core/link/link_operations.h"
#include "core/printer/maintenance.h"
#include "gui/pages/wireless_page_rules.h"

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
    GroupBoxPrintreConfig = newGroup(TabSheet1, "GroupBoxPrintreConfig", "Printer Configuration", 4,
                                     2, kConfigWidth, 502);
    configPage = new ConfigPage(*this, GroupBoxPrintreConfig);
    attachWirelessRules(*this);

    GroupBoxPrinterStatus = newGroup(TabSheet1, "GroupBoxPrinterStatus", "Printer Status",
                                     kColumnLeft, 2, kColumnWidth, 74);
    EditPrinterStatus =
        m350::gui::newEdit(GroupBoxPrinterStatus, "EditPrinterStatus", 8, 18, kColumnButtonWidth);
    EditPrinterStatus->setReadOnly(true);
    ButtonGetStatus = newButton(GroupBoxPrinterStatus, "ButtonGetStatus", "Get Status", 8, 44,
                                kColumnButtonWidth);
    connect(ButtonGetStatus, &QPushButton::clicked, this, &MainWindow::ButtonGetStatusClick);

    buildFunctionGroup();
}

void MainWindow::buildFunctionGroup() {
    GroupBoxPrinterFunction = newGroup(TabSheet1, "GroupBoxPrinterFunction", "Printer Function",
                                       kColumnLeft, 80, kColumnWidth, 424);
    constexpr int kTop = 20, kPitch = 31, kLeft = 8, kWidth = kColumnButtonWidth;
    int slot = 0;
    auto add = [&](const char* name, const char* caption, void (MainWindow::*handler)()) {
        QPushButton* b = newButton(GroupBoxPrinterFunction, name, QString::fromLatin1(caption),
                                   kLeft, kTop + slot++ * kPitch, kWidth);
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    ButtonInitial = add("ButtonInitial", "Factory Default", &MainWindow::ButtonInitialClick);
    ButtonDump = add("ButtonDump", "Dump Text", &MainWindow::ButtonDumpClick);
    ButtonSelfTest = add("ButtonSelfTest", "Configuration Page", &MainWindow::ButtonSelfTestClick);
    ButtonRTCSetTime = add("ButtonRTCSetTime", "RTC Setup", &MainWindow::ButtonRTCSetTimeClick);
    ButtonSensorCalibrate =
        add("ButtonSensorCalibrate", "Calibrate Sensor ", &MainWindow::ButtonSensorCalibrateClick);
    ButtonRestPrinter =
        add("ButtonRestPrinter", "Reset Printer", &MainWindow::ButtonRestPrinterClick);
    ButtonTestPatern =
        add("ButtonTestPatern", "Print Test Page", &MainWindow::ButtonTestPaternClick);
    ButtonIgnoreAuto =
        add("ButtonIgnoreAuto", "Ignore AUTO.BAS", &MainWindow::ButtonIgnoreAutoClick);
    ButtonEthernet = add("ButtonEthernet", "Ethernet Setup", &MainWindow::ButtonEthernetClick);
    ButtonPassword = add("ButtonPassword", "Password Setup", &MainWindow::ButtonPasswordClick);
    ButtonLineModeOut =
        add("ButtonLineModeOut", "Exit Line Mode", &MainWindow::ButtonLineModeOutClick);
    ButtonActEmulation =
        add("ButtonActEmulation", "Active Emulation", &MainWindow::ButtonActEmulationClick);
    ButtonActEmulation->hide();
}

void MainWindow::ButtonGetStatusClick() {
    // The query fills a scratch copy: a query that fails half-way leaves the
    // window's flags (which configuration files store) as they were.
    m350::StatusFlags flags = statusFlags_;
    runStandard(m350::kOpStatus, [&](m350::Link& l) { return m350::readStatus(l, flags); }, [&] {
        statusFlags_ = flags;
        showPrinterStatus(statusFlags_);
    });
}

void MainWindow::showPrinterStatus(const m350::StatusFlags& flags) {
    const std::string_view text = m350::languageText(m350::statusTextKeyFor(flags), language_);
    EditPrinterStatus->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

void MainWindow::ButtonInitialClick() {
    if (!passwordGate(*this)) return;
    runStandard(m350::kOpFactoryDefault, m350::factoryDefault);
}

void MainWindow::ButtonSelfTestClick() {
    runStandard(m350::kOpSelfTest, m350::printSelfTest);
}

void MainWindow::ButtonIgnoreAutoClick() {
    runStandard(m350::kOpIgnoreAuto, m350::ignoreAutoStart);
}

void MainWindow::ButtonLineModeOutClick() {
    runStandard(m350::kOpExitLineMode, m350::exitLineMode);
}

void MainWindow::ButtonPasswordClick() {
    PasswordChange(*this);
}

// The wireless module's state is unknown after a reset, whatever the reset's
// result, until the wireless settings are read again.
void MainWindow::ButtonRestPrinterClick() {
    runStandard(m350::kOpReset, m350::resetPrinter);
    configPage->markWirelessNotRead();
}

// The dialogs behind these buttons join here.
void MainWindow::ButtonDumpClick() {}
void MainWindow::ButtonRTCSetTimeClick() {}
void MainWindow::ButtonSensorCalibrateClick() {}
void MainWindow::ButtonTestPaternClick() {}
void MainWindow::ButtonEthernetClick() {}
void MainWindow::ButtonActEmulationClick() {}

}  // namespace m350::gui
