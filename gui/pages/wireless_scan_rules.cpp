// SPDX-License-Identifier: MIT
#include "gui/pages/wireless_scan_rules.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <tuple>

#include "core/config/config_record.h"
#include "core/config/config_write.h"
#include "core/i18n/language_table.h"
#include "core/input/input_checks.h"
#include "core/link/link_operations.h"
#include "core/printer/maintenance.h"
#include "core/wireless/external_module.h"
#include "core/wireless/wireless_scan.h"
#include "gui/app_context.h"
#include "gui/field_messages.h"
#include "gui/pages/config_page.h"
#include "gui/password_gate_prompt.h"
#include "gui/printer_text.h"
#include "gui/prompter.h"
#include "gui/widgets/utf8_text.h"

namespace m350::gui {

namespace {

// Language keys of the setup texts.
constexpr int kEnableSetupKey = 146;
constexpr int kExitSetupKey = 147;
constexpr int kSwitchQuestionKey = 262;
constexpr int kSetupQuestionKey = 263;

constexpr int kWirelessPage = 4;

std::string utf8(const QString& s) {
    const QByteArray b = s.toUtf8();
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

constexpr const char* kModuleBtControls[] = {"lblExBTName", "lblExBTPinCode", "edtExBTName",
                                             "edtExBTPinCode"};

}  // namespace

WirelessScanRules::WirelessScanRules(AppContext& app, ConfigPage& page)
    : QObject(&page), app_(app), page_(page) {
    setObjectName(QStringLiteral("WirelessScanRules"));
    const std::pair<const char*, void (WirelessScanRules::*)()> buttons[] = {
        {"Button1", &WirelessScanRules::onScanAccessPointsClicked},
        {"ButtonScanAP", &WirelessScanRules::onScanAccessPointsExternalClicked},
        {"btnEnableExtSetup", &WirelessScanRules::onEnableExtSetupClicked},
        {"btnSetToModule", &WirelessScanRules::onSetToModuleClicked},
        {"ScanBT", &WirelessScanRules::onScanBluetoothClicked},
        {"BlueToothMaster", &WirelessScanRules::onBluetoothMasterClicked},
    };
    for (const auto& [name, handler] : buttons)
        if (auto* b = find<QPushButton>(name)) connect(b, &QPushButton::clicked, this, handler);
    const std::pair<const char*, void (WirelessScanRules::*)()> lists[] = {
        {"ListView2", &WirelessScanRules::onAccessPointListClicked},
        {"ListView1", &WirelessScanRules::onExternalAccessPointListClicked},
        {"ListView3", &WirelessScanRules::onBluetoothListClicked},
    };
    for (const auto& [name, handler] : lists)
        if (auto* l = find<QTreeWidget>(name))
            connect(l, &QTreeWidget::itemClicked, this, [this, h = handler] { (this->*h)(); });
    if (auto* c = find<QComboBox>("cbbExWiFiDHCP"))
        connect(c, &QComboBox::activated, this, &WirelessScanRules::onExternalDhcpChanged);
    if (auto* c = find<QComboBox>("cbbExWiFiEncryption"))
        connect(c, &QComboBox::activated, this, &WirelessScanRules::onExternalEncryptionChanged);
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { keepFocusOnPage(now); });
}

template <class W>
W* WirelessScanRules::find(const char* name) const {
    return qobject_cast<W*>(page_.control(QString::fromLatin1(name)));
}

QString WirelessScanRules::text(int key) const {
    return utf8Text(m350::languageText(key, app_.language()));
}

// --- access-point scans ---------------------------------------------------

void WirelessScanRules::scanInto(QTreeWidget* list) {
    if (!list) return;
    m350::AccessPointScan scan;
    list->clear();
    const int r = app_.runStandard(ops::scanAccessPoints(scan, m350::kAccessPointScanWait));
    if (scan.moduleFound) {
        const std::string encoding = app_.textEncoding();
        for (const auto& row : m350::accessPointRows(scan))
            new QTreeWidgetItem(list, {printerText(row.ssid, encoding), utf8Text(row.encryption)});
    } else if (r == m350::kOk) {
        app_.prompter().message(utf8Text(m350::kNoExternalModuleText));
    }
}

void WirelessScanRules::onScanAccessPointsClicked() {
    scanInto(find<QTreeWidget>("ListView2"));
}

void WirelessScanRules::onScanAccessPointsExternalClicked() {
    scanInto(find<QTreeWidget>("ListView1"));
}

void WirelessScanRules::takeAccessPoint(QTreeWidget* list, const char* ssidEdit,
                                        const char* encryptionCombo) {
    QTreeWidgetItem* row = list ? list->currentItem() : nullptr;
    if (!row || !row->isSelected()) return;
    if (auto* e = find<QLineEdit>(ssidEdit)) e->setText(row->text(0));
    // Set without the operator's change rule: only activated() runs it.
    if (auto* c = find<QComboBox>(encryptionCombo))
        c->setCurrentIndex(m350::encryptionIndexForWord(utf8(row->text(1))));
}

void WirelessScanRules::onAccessPointListClicked() {
    takeAccessPoint(find<QTreeWidget>("ListView2"), "EditWiFiSSID", "ComboBoxWiFiEncryption");
}

void WirelessScanRules::onExternalAccessPointListClicked() {
    takeAccessPoint(find<QTreeWidget>("ListView1"), "edtExWiFiSSID", "cbbExWiFiEncryption");
}

// --- external module -------------------------------------------------------

void WirelessScanRules::onEnableExtSetupClicked() {
    if (moduleMode_) {
        leaveModuleMode();
        app_.runStandard(ops::resetPrinter());
        return;
    }
    if (!app_.prompter().question(
            text(kSwitchQuestionKey).replace(QLatin1String("\r\n"), QLatin1String("\n"))))
        return;
    // Switching the printer's serial port and, later, writing its wireless
    // settings change it lastingly: the printer password is asked first.
    if (!passwordGate(app_)) return;
    m350::ConfigRecord copy = page_.record();
    // The switch's own result is not looked at: a printer that does not
    // confirm simply shows no module.
    app_.runStandard(ops::setUpModule(copy));
    modulePresent_ = copy.byte(m350::Field::extBtPresent) == 1;
    if (modulePresent_) {
        moduleName_ = copy.text(m350::Field::extBtName);
        modulePin_ = copy.text(m350::Field::extBtPinCode);
        const std::string encoding = app_.textEncoding();
        if (auto* e = find<QLineEdit>("edtExBTName"))
            e->setText(printerText(moduleName_, encoding));
        if (auto* e = find<QLineEdit>("edtExBTPinCode"))
            e->setText(printerText(modulePin_, encoding));
        for (const char* name : kModuleBtControls)
            if (auto* w = find<QWidget>(name)) w->setEnabled(true);
        if (auto* e = find<QLineEdit>("edtExBTName")) e->setFocus(Qt::OtherFocusReason);
    }
    if (auto* b = find<QPushButton>("btnSetToModule")) b->setEnabled(true);
    if (auto* b = find<QPushButton>("btnEnableExtSetup")) b->setText(text(kExitSetupKey));
    moduleMode_ = true;
    keepWirelessPage();
}

void WirelessScanRules::leaveModuleMode() {
    moduleMode_ = false;
    if (auto* b = find<QPushButton>("btnSetToModule")) b->setEnabled(false);
    for (const char* name : kModuleBtControls)
        if (auto* w = find<QWidget>(name)) w->setEnabled(false);
    if (auto* b = find<QPushButton>("btnEnableExtSetup")) {
        b->setText(text(kEnableSetupKey));
        b->setEnabled(true);
    }
}

void WirelessScanRules::onSetToModuleClicked() {
    m350::ConfigRecord copy = page_.record();
    if (!app_.prompter().question(text(kSetupQuestionKey))) return;
    if (!page_.buildRecord(copy)) return;
    // In the printer text encoding; what the module gave and was not changed
    // goes back as its own bytes.
    const std::string encoding = app_.textEncoding();
    for (const auto& [box, field, read] :
         {std::tuple{"edtExBTName", m350::Field::extBtName, &moduleName_},
          std::tuple{"edtExBTPinCode", m350::Field::extBtPinCode, &modulePin_}}) {
        auto* e = find<QLineEdit>(box);
        if (!e) continue;
        const auto bytes = printerBytes(e->text(), printerText(*read, encoding), *read, encoding);
        if (!bytes) {
            app_.prompter().message(unwritableText(e->text(), app_.language(), encoding));
            return;
        }
        copy.setText(field, *bytes);
    }
    copy.setByte(m350::Field::extBtPresent, modulePresent_ ? 1 : 0);
    // Every step's failure is shown and the next step runs, so the printer
    // always leaves the pass-through mode with the reset at the end.
    app_.runStandard(ops::writeModule(copy));
    const m350::CertificatePaths certificates = page_.certificatePaths();
    app_.runStandard(ops::writeConfig(copy, kWirelessPage, certificates));
    leaveModuleMode();
    app_.runStandard(ops::resetPrinter());
}

void WirelessScanRules::keepWirelessPage() {
    if (!moduleMode_) return;
    auto* tabs = find<QTabWidget>("PageControl2");
    if (tabs && tabs->currentIndex() != kWirelessPage) tabs->setCurrentIndex(kWirelessPage);
}

void WirelessScanRules::keepFocusOnPage(QWidget* now) {
    if (!moduleMode_ || !now) return;
    QWidget* sheet = page_.control(QStringLiteral("TabSheet9"));
    auto* setup = find<QPushButton>("btnSetToModule");
    // Only within this window: a message box or dialog of its own may take it.
    if (!sheet || !setup || now->window() != sheet->window() || sheet->isAncestorOf(now)) return;
    setup->setFocus(Qt::OtherFocusReason);
}

void WirelessScanRules::onExternalDhcpChanged() {
    auto* c = find<QComboBox>("cbbExWiFiDHCP");
    const bool fixed = c && c->currentIndex() == 1;
    for (const char* name : {"lblExWiFiIP", "lblExWiFiMask", "lblExWiFiGateway", "edtExWiFiIP",
                             "edtExWiFiMask", "edtExWiFiGateway"})
        if (auto* w = find<QWidget>(name)) w->setEnabled(fixed);
}

void WirelessScanRules::onExternalEncryptionChanged() {
    auto* c = find<QComboBox>("cbbExWiFiEncryption");
    const bool keyed = c && c->currentIndex() > 0;
    for (const char* name : {"lblExWiFiKey", "edtExWiFiKey"})
        if (auto* w = find<QWidget>(name)) w->setEnabled(keyed);
}

// --- Bluetooth page --------------------------------------------------------

void WirelessScanRules::onScanBluetoothClicked() {
    auto* list = find<QTreeWidget>("ListView3");
    if (!list) return;
    m350::BluetoothScan scan;
    list->clear();
    const int r = app_.runStandard(ops::scanBluetooth(scan, m350::kBluetoothScanWait));
    if (scan.moduleFound) {
        const std::string encoding = app_.textEncoding();
        for (const auto& d : scan.entries)
            new QTreeWidgetItem(list,
                                {printerText(d.name, encoding), printerText(d.address, encoding)});
    } else if (r == m350::kOk) {
        app_.prompter().message(utf8Text(m350::kNoBluetoothModuleText));
    }
}

void WirelessScanRules::onBluetoothListClicked() {
    auto* list = find<QTreeWidget>("ListView3");
    QTreeWidgetItem* row = list ? list->currentItem() : nullptr;
    if (!row || !row->isSelected()) return;
    if (auto* e = find<QLineEdit>("EditBTName_d")) e->setText(row->text(0));
    if (auto* e = find<QLineEdit>("EditBTMAC_d")) e->setText(row->text(1));
}

void WirelessScanRules::onBluetoothMasterClicked() {
    auto* mac = find<QLineEdit>("EditBTMAC_d");
    const std::string address = mac ? utf8(mac->text()) : std::string();
    if (!m350::quotable(address)) {
        app_.prompter().message(
            unquotableMessage(captionText(find<QLabel>("LabelBTMAC_d")), app_.language()));
        return;
    }
    app_.runStandard(ops::setBluetoothMaster(address));
}

WirelessScanRules* attachWirelessScanRules(AppContext& app, ConfigPage& page) {
    auto* rules = new WirelessScanRules(app, page);
    auto before = page.wirelessRules.pageChange;
    page.wirelessRules.pageChange = [rules, before] {
        if (before) before();
        rules->keepWirelessPage();
    };
    return rules;
}

}  // namespace m350::gui
