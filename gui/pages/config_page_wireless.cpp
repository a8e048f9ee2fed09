// SPDX-License-Identifier: MIT
// The sub-pages "Wireless", "Bluetooth" and "FTP Update" of PageControl2:
// their controls, names, items, limits and first states.
//
// Where the wireless page's own behaviour attaches (encryption and EAP enable
// rules, focus-clearing of the secret boxes, certificate browsing, the key
// check, the wireless factory default, the external module):
//  - find the controls by object name under ConfigPage::TabSheet9 /
//    tsFtpUpd (ConfigPage::control(name) does it for the whole group);
//  - connect to the combo boxes' activated(int) signal, not
//    currentIndexChanged: Show record sets items itself and must not run the
//    operator's change handlers except where it calls them;
//  - fill ConfigPage::wirelessRules: encryptionChange and eapTypeChange are
//    called by Show record where the configuration form runs those handlers,
//    keyCheck by Set after the password gate (false stops Set), pageChange
//    at the start of onConfigTabChanged;
//  - ConfigPage::recordShown() is emitted after every Show record.
// The no-module state of edtWiFiMac (red box, Set disabled on this page) is
// kept by ConfigPage: macNoModule(), and markWirelessNotRead() to enter it.
#include <QGroupBox>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTreeWidget>
#include <tuple>

#include "gui/pages/config_page.h"
#include "gui/pages/config_page_kit.h"
#include "gui/widgets/form_kit.h"

namespace m350::gui {

using configkit::combo;
using configkit::edit;
using configkit::label;

namespace {

// A dashed heading across the page, on one line and whole.
QLabel* separator(QWidget* parent, const char* name, const char* text) {
    auto* l = new QLabel(QString::fromLatin1(text), parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setAlignment(Qt::AlignCenter);
    return l;
}

QPushButton* browseButton(QWidget* parent, const char* name) {
    auto* b = new SnugButton(QStringLiteral("Browse..."), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return b;
}

QLineEdit* masked(QLineEdit* e) {
    e->setEchoMode(QLineEdit::Password);
    return e;
}

QLineEdit* address(QWidget* parent, const char* name) {
    QLineEdit* e = edit(parent, name);
    e->setText(QStringLiteral("0.0.0.0"));
    return e;
}

// A read-only certificate path with its browse button.
QLineEdit* certificatePath(QWidget* parent, const char* name, const char* placeholder) {
    QLineEdit* e = edit(parent, name);
    e->setReadOnly(true);
    e->setText(QString::fromLatin1(placeholder));
    return e;
}

QTreeWidget* reportList(QWidget* parent, const char* name,
                        std::initializer_list<std::pair<const char*, int>> columns) {
    auto* list = new QTreeWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setRootIsDecorated(false);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->header()->setSectionsClickable(false);
    QStringList captions;
    for (const auto& c : columns) captions << QString::fromLatin1(c.first);
    list->setHeaderLabels(captions);
    int i = 0;
    for (const auto& c : columns) list->setColumnWidth(i++, c.second);
    return list;
}

}  // namespace

void ConfigPage::buildWirelessPage() {
    auto* pageLayout = new QVBoxLayout(wirelessTab_);
    pageLayout->setContentsMargins(4, 4, 4, 4);

    // The built-in module: one column of rows under its dashed headings,
    // which need the page's whole width; the rows scroll where they are
    // taller than the page.
    auto* scroll = new QScrollArea(wirelessTab_);
    scroll->setObjectName(QStringLiteral("gbWirelessProtableScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->viewport()->setAutoFillBackground(false);
    auto* g = new QGroupBox(QStringLiteral("Wireless module"));
    g->setObjectName(QStringLiteral("gbWirelessProtable"));
    scroll->setWidget(g);
    pageLayout->addWidget(scroll);
    QGridLayout* grid = configkit::pageGrid(g);
    grid->setContentsMargins(6, 14, 6, 4);
    configkit::Rows rows(grid);

    rows.add(label(g, "LabelWiFiSSID", "WLAN SSID:"), edit(g, "EditWiFiSSID"));
    rows.add(label(g, "LabelWiFiEncryption", "WLAN Encryption:"),
             combo(g, "ComboBoxWiFiEncryption",
                   {"", "WEP1", "WEP2", "WEP3", "WEP4", "WPA-Personal", "WPA-Enterprise"}));
    rows.add(label(g, "LabelWiFiKey", "WLAN Key:"), masked(edit(g, "EditWiFiKey")));
    rows.add(label(g, "LabelWiFiDHCP", "WLAN DHCP:"),
             combo(g, "ComboBoxWiFiDHCP", {"", "OFF", "ON"}));
    rows.add(label(g, "LabelWiFiIP", "IP Address:"), address(g, "EditWiFiIP"));
    rows.add(label(g, "LabelWiFiMask", "Subnet Mask:"), address(g, "EditWiFiMask"));
    QLineEdit* dns = address(g, "edtWiFiDnsSrvIp");
    dns->hide();
    rows.add(label(g, "LabelWiFiGateway", "Gateway:"), {address(g, "EditWiFiGateway"), dns});
    rows.span(separator(g, "lblWiFiInformation",
                        "-------------------------- WiFi Information ------------------------"));
    // Made in the order they stand, which is the order Tab takes.
    QLineEdit* roam = edit(g, "edtRoamRssi");
    QLineEdit* scan = edit(g, "edtScanRssi");
    scan->setToolTip(QStringLiteral("0 < Roam Delta < 40"));
    roam->setMaximumWidth(48);
    scan->setMaximumWidth(48);
    auto* strip = new QHBoxLayout;
    strip->setSpacing(4);
    strip->addWidget(roam);
    strip->addWidget(label(g, "lblRssiSlash", "/"));
    strip->addWidget(scan);
    strip->addWidget(label(g, "lblRssiUnit", "dBm"));
    strip->addStretch(1);
    QLabel* roamCaption = label(g, "lblRoamRssi", "Roam/Scan RSSI:");
    roamCaption->setBuddy(roam);
    grid->addWidget(roamCaption, rows.row(), 0);
    grid->addLayout(strip, rows.row(), 1, 1, 2);
    rows.add(nullptr, nullptr);
    rows.add(label(g, "lblWifiRawPort", "RAW Port:"), edit(g, "edtWifiRawPort"));
    QLineEdit* mac = edit(g, "edtWiFiMac");
    mac->setReadOnly(true);
    rows.add(label(g, "lblWiFiMac", "WLAN MAC Address:"), mac);
    rows.add(label(g, "lblPrintname", "Network Printer Name"), edit(g, "Edit1Printname"));

    rows.span(separator(g, "lblWpaEnterprise",
                        "-------------------------- WPA-Enterprise ------------------------"));
    QComboBox* eap =
        combo(g, "cbxWiFiEapType", {"", "EAP-TLS", "EAP-TTLS", "EAP-FAST", "PEAP", "LEAP"});
    eap->setEnabled(false);
    rows.add(label(g, "lblWiFiEapType", "EAP Type:"), eap);
    QLineEdit* ca = certificatePath(g, "edtWiFiSrvCerPath", "CA Certificate");
    rows.add(label(g, "lblWiFiSrvCer", "CA Certificate:"),
             {ca, browseButton(g, "btnWiFiSrvCerBrowse")});
    QLineEdit* client = certificatePath(g, "edtWiFiClientCerPath", "User Certificate");
    QPushButton* clientBrowse = browseButton(g, "btnWiFiClientCerBrowse");
    client->setEnabled(false);
    clientBrowse->setEnabled(false);
    rows.add(label(g, "lblWiFiClientCer", "User Certificate:"), {client, clientBrowse});
    QLineEdit* key = certificatePath(g, "edtWiFiPrivKeyPath", "Private Key");
    QPushButton* keyBrowse = browseButton(g, "btnWiFiPrivKeyBrowse");
    key->setEnabled(false);
    keyBrowse->setEnabled(false);
    rows.add(label(g, "lblWiFiPrivKey", "Private Key:"), {key, keyBrowse});
    rows.add(label(g, "lblWiFiUsername", "Username:"), masked(edit(g, "edtWiFiUsername")));
    rows.add(label(g, "lblWiFiPasswd", "Password:"), masked(edit(g, "edtWiFiPasswd")));
    rows.add(nullptr, nullptr);
    rows.span(
        configkit::button(g, "btnWirlessFactoryDef", QStringLiteral("Wireless Factory Default")));
    // The access-point scan exists but is not part of this page's layout.
    QTreeWidget* aps = reportList(g, "ListView2", {{"SSID", 140}, {"Encryption", 80}});
    QPushButton* scanButton = configkit::button(g, "Button1", QStringLiteral("Scan"));
    aps->hide();
    scanButton->hide();
    grid->setColumnStretch(1, 1);
    configkit::finishGrid(grid);

    // The external module's group: built, kept out of sight.
    auto* ext = new QGroupBox(QStringLiteral("External wireless module"), wirelessTab_);
    ext->setObjectName(QStringLiteral("gbWirelessExtDev"));
    pageLayout->addWidget(ext);
    QGridLayout* eg = configkit::pageGrid(ext);
    configkit::Rows er(eg);
    QLabel* exName = label(ext, "lblExBTName", "Bluetooth Local Name:");
    QLineEdit* exNameBox = edit(ext, "edtExBTName");
    QLabel* exPin = label(ext, "lblExBTPinCode", "Bluetooth PIN Code:");
    QLineEdit* exPinBox = edit(ext, "edtExBTPinCode");
    for (QWidget* w : {static_cast<QWidget*>(exName), static_cast<QWidget*>(exNameBox),
                       static_cast<QWidget*>(exPin), static_cast<QWidget*>(exPinBox)})
        w->setEnabled(false);
    er.add(exName, exNameBox);
    er.add(exPin, exPinBox);
    QPushButton* setToModule = configkit::button(ext, "btnSetToModule", QStringLiteral("Setup"));
    setToModule->setEnabled(false);
    er.add(nullptr, {configkit::button(ext, "btnEnableExtSetup", QStringLiteral("Enable Setup")),
                     setToModule});
    er.add(label(ext, "lblExWiFiSSID", "WLAN SSID:"), edit(ext, "edtExWiFiSSID"));
    er.add(label(ext, "lblExWiFiEncryption", "WLAN Encryption:"),
           combo(ext, "cbbExWiFiEncryption",
                 {"", "WEP1", "WEP2", "WEP3", "WEP4", "WPA-PSK", "WPA-Enterprise"}));
    er.add(label(ext, "lblExWiFiKey", "WLAN Key:"), edit(ext, "edtExWiFiKey"));
    QComboBox* exDhcp = combo(ext, "cbbExWiFiDHCP", {"", "OFF", "ON"});
    exDhcp->setCurrentIndex(0);
    er.add(label(ext, "lblExWiFiDHCP", "WLAN DHCP:"), exDhcp);
    er.nextBlock();
    for (auto [name, caption, box] :
         {std::tuple{"lblExWiFiIP", "IP Address:", "edtExWiFiIP"},
          std::tuple{"lblExWiFiMask", "Subnet Mask:", "edtExWiFiMask"},
          std::tuple{"lblExWiFiGateway", "Gateway:", "edtExWiFiGateway"}}) {
        QLineEdit* e = address(ext, box);
        e->setEnabled(false);
        er.add(label(ext, name, QString::fromLatin1(caption)), e);
    }
    QLineEdit* port = edit(ext, "edtExWiFiPort");
    port->setText(QStringLiteral("9100"));
    port->hide();
    QComboBox* mode = combo(ext, "cbExWiFiMode", {"Infrastructure", "Ad-Hoc"});
    mode->hide();
    QComboBox* exEap = combo(ext, "cbxExWiFiEapType", {"EAP-TLS", "EAP-TTLS", "EAP-FAST", "PEAP"});
    exEap->setCurrentIndex(1);
    exEap->setEnabled(false);
    er.add(nullptr, exEap);
    QComboBox* inner = combo(ext, "cbxExWiFiInnerEap",
                             {"Secured password (EAP-MSCHAPv2)", "One time password (EAP-GTC)"});
    inner->setEnabled(false);
    er.add(nullptr, inner);
    er.add(nullptr, edit(ext, "edtExWiFiUsername"));
    er.add(nullptr, edit(ext, "edtExWiFiPasswd"));
    QLineEdit* srvFile = certificatePath(ext, "edtWiFiSrvCerFile", "Select a Server Certificate");
    srvFile->setEnabled(false);
    QPushButton* srvBrowse = browseButton(ext, "btnExWiFiSrvCerBrowse");
    srvBrowse->setEnabled(false);
    er.add(nullptr, {srvFile, srvBrowse});
    QTreeWidget* extAps = reportList(ext, "ListView1", {{"SSID", 100}, {"Encryption", 100}});
    extAps->header()->setMaximumSectionSize(100);
    extAps->hide();
    QPushButton* extScan = configkit::button(ext, "ButtonScanAP", QStringLiteral("Scan"));
    extScan->hide();
    ext->hide();
}

void ConfigPage::buildBluetoothPage() {
    auto* pageLayout = new QVBoxLayout(bluetoothTab_);
    pageLayout->setContentsMargins(4, 4, 4, 4);

    auto* local = new QGroupBox(QStringLiteral("Bluetooth Local Information"), bluetoothTab_);
    local->setObjectName(QStringLiteral("GroupBoxBTLocal"));
    pageLayout->addWidget(local);
    QGridLayout* lg = configkit::pageGrid(local);
    lg->setContentsMargins(6, 14, 6, 4);
    configkit::Rows lr(lg);
    lr.add(label(local, "LabelBTName", "BT Name:"), edit(local, "EditBTName"));
    lr.add(label(local, "LabelBTPinCode", "BT PIN Code:"), edit(local, "EditBTPinCode"));
    lr.nextBlock();
    QLineEdit* btMac = edit(local, "EditBTMACAddress");
    // Disabled, so it cannot be scrolled: the whole address must show.
    keepWideEnoughFor(btMac, QStringLiteral("DD:DD:DD:DD:DD:DD"));
    lr.add(label(local, "LabelBTMACAddress", "BT MAC Address"), btMac);
    lr.add(label(local, "LabelBTSoftware", "BT Software:"), edit(local, "EditBTSoftware"));
    for (const char* name : {"LabelBTName", "LabelBTPinCode", "EditBTName", "EditBTPinCode",
                             "EditBTMACAddress", "EditBTSoftware"})
        local->findChild<QWidget*>(QString::fromLatin1(name))->setEnabled(false);
    lg->setColumnStretch(1, 1);
    lg->setColumnStretch(4, 1);

    auto* device = new QGroupBox(QStringLiteral("Bluetooth Device"), bluetoothTab_);
    device->setObjectName(QStringLiteral("GroupBoxBTDevice"));
    pageLayout->addWidget(device, 1);
    QGridLayout* dg = configkit::pageGrid(device);
    dg->setContentsMargins(6, 14, 6, 4);
    configkit::Rows dr(dg);
    dr.add(label(device, "LabelBTName_d", "Device Name:"), edit(device, "EditBTName_d"));
    dr.add(label(device, "LabelBTMAC_d", "Device MAC Address:"), edit(device, "EditBTMAC_d"));
    // The two buttons under the boxes take a row of their own across the
    // group, so their width never squeezes the captions' column.
    auto* actions = new QHBoxLayout;
    actions->setSpacing(4);
    actions->addStretch(1);
    actions->addWidget(
        configkit::button(device, "BlueToothMaster", QStringLiteral("Bluetooth Master")));
    actions->addWidget(
        configkit::button(device, "ScanBT", QStringLiteral("Scan Bluetooth device")));
    dg->addLayout(actions, dr.row(), 0, 1, 3);
    dr.add(nullptr, nullptr);
    QTreeWidget* found =
        reportList(device, "ListView3", {{"Device Name", 140}, {"Mac Address", 160}});
    dg->addWidget(found, dr.row(), 0, 1, 3);
    dg->setRowStretch(dr.row(), 1);
    dg->setColumnStretch(1, 1);
}

void ConfigPage::buildFtpPage() {
    QWidget* p = ftpUpdateTab_;
    QGridLayout* grid = configkit::pageGrid(p);
    configkit::Rows rows(grid);
    QComboBox* enabled = combo(p, "cbxFtpcEnabled", {"Disable", "Enable"});
    enabled->setCurrentIndex(0);
    rows.add(label(p, "lblFtpcEnabled", "FTP Client:"), enabled);
    rows.add(label(p, "lblFtpSrvIp", "FTP Server:"), edit(p, "edtFtpSrvIp"));
    rows.add(label(p, "lblFtpPath", "FTP Path:"), edit(p, "edtFtpPath"));
    rows.add(label(p, "lblFtpUser", "FTP Username:"), masked(edit(p, "edtFtpUser")));
    rows.add(label(p, "lblFtpPswd", "FTP Password:"), masked(edit(p, "edtFtpPswd")));
    rows.add(label(p, "lblDescriptFile", "Description Filename:"), edit(p, "edtDescriptFile"));

    auto* format = new QGroupBox(QStringLiteral("Format of Description File"), p);
    format->setObjectName(QStringLiteral("gbFtpDescFormat"));
    auto* fl = new QVBoxLayout(format);
    fl->setContentsMargins(6, 14, 6, 6);
    auto* memo = new QPlainTextEdit(format);
    memo->setObjectName(QStringLiteral("Memo1"));
    memo->setReadOnly(true);
    memo->setPlainText(
        QStringLiteral("# Printer_Version: 1.0.1\n# Module_Version: 01.00.44\n"
                       "Printer_Firmware: T10101.NEW\nModule_Firmware: K10012.NEW\n"
                       "Config: M4l.cfg\nData: defpnt.prn"));
    fl->addWidget(memo);
    grid->addWidget(format, rows.row(), 0, 1, 3);
    grid->setRowStretch(rows.row(), 1);
    grid->setColumnStretch(1, 1);
}

}  // namespace m350::gui
