// The sub-pages "Wireless", "Bluetooth" and "FTP Update" of PageControl2:
// their controls, names, items, limits and first states.
//
// Where the wireless page's own behaviour attaches (encryption and EAP enable
// rules, focus-clearing of the secret boxes, certificate browsing, the key
// check, the wireless factory default, the external module):
//  - find the controls by object name under ConfigPage::TabSheet9 /
//    tsFtpUpd (ConfigPage::Control(name) does it for the whole group);
//  - connect to the combo boxes' activated(int) signal, not
//    currentIndexChanged: Show record sets items itself and must not run the
//    operator's change handlers except where it calls them;
//  - fill ConfigPage::wirelessRules: encryptionChange and eapTypeChange are
//    called by Show record where the configuration form runs those handlers,
//    keyCheck by Set after the password gate (false stops Set), pageChange
//    at the start of PageControl2Change;
//  - ConfigPage::recordShown() is emitted after every Show record.
// The no-module state of edtWiFiMac (red box, Set disabled on this page) is
// kept by ConfigPage: MacNoModule(), and MarkWirelessNotRead() to enter it.
#include <QGroupBox>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTreeWidget>
#include <tuple>

#include "gui/pages/config_page.h"
#include "gui/pages/config_page_kit.h"

using configkit::Combo;
using configkit::Edit;
using configkit::Label;

namespace {

QPushButton* Button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

// A dashed heading across the page, on one line and whole.
QLabel* Separator(QWidget* parent, const char* name, const char* text) {
    auto* l = new QLabel(QString::fromLatin1(text), parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setAlignment(Qt::AlignCenter);
    return l;
}

QPushButton* BrowseButton(QWidget* parent, const char* name) {
    QPushButton* b = Button(parent, name, QStringLiteral("Browse..."));
    b->setMaximumWidth(b->fontMetrics().horizontalAdvance(b->text()) + 14);
    return b;
}

QLineEdit* Masked(QLineEdit* e) {
    e->setEchoMode(QLineEdit::Password);
    return e;
}

QLineEdit* Address(QWidget* parent, const char* name) {
    QLineEdit* e = Edit(parent, name);
    e->setText(QStringLiteral("0.0.0.0"));
    return e;
}

// A read-only certificate path with its browse button.
QLineEdit* CertificatePath(QWidget* parent, const char* name, const char* placeholder) {
    QLineEdit* e = Edit(parent, name);
    e->setReadOnly(true);
    e->setText(QString::fromLatin1(placeholder));
    return e;
}

QTreeWidget* ReportList(QWidget* parent, const char* name,
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

void ConfigPage::BuildWirelessPage() {
    auto* pageLayout = new QVBoxLayout(TabSheet9);
    pageLayout->setContentsMargins(4, 4, 4, 4);

    // The built-in module: one column of rows under its dashed headings,
    // which need the page's whole width; the rows scroll where they are
    // taller than the page.
    auto* scroll = new QScrollArea(TabSheet9);
    scroll->setObjectName(QStringLiteral("gbWirelessProtableScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->viewport()->setAutoFillBackground(false);
    auto* g = new QGroupBox(QStringLiteral("Wireless module"));
    g->setObjectName(QStringLiteral("gbWirelessProtable"));
    scroll->setWidget(g);
    pageLayout->addWidget(scroll);
    QGridLayout* grid = configkit::PageGrid(g);
    grid->setContentsMargins(6, 14, 6, 4);
    configkit::Rows rows(grid);

    rows.add(Label(g, "LabelWiFiSSID", "WLAN SSID:"), Edit(g, "EditWiFiSSID"));
    rows.add(Label(g, "LabelWiFiEncryption", "WLAN Encryption:"),
             Combo(g, "ComboBoxWiFiEncryption",
                   {"", "WEP1", "WEP2", "WEP3", "WEP4", "WPA-Personal", "WPA-Enterprise"}));
    rows.add(Label(g, "LabelWiFiKey", "WLAN Key:"), Masked(Edit(g, "EditWiFiKey")));
    rows.add(Label(g, "LabelWiFiDHCP", "WLAN DHCP:"),
             Combo(g, "ComboBoxWiFiDHCP", {"", "OFF", "ON"}));
    rows.add(Label(g, "LabelWiFiIP", "IP Address:"), Address(g, "EditWiFiIP"));
    rows.add(Label(g, "LabelWiFiMask", "Subnet Mask:"), Address(g, "EditWiFiMask"));
    QLineEdit* dns = Address(g, "edtWiFiDnsSrvIp");
    dns->hide();
    rows.add(Label(g, "LabelWiFiGateway", "Gateway:"), {Address(g, "EditWiFiGateway"), dns});
    rows.span(Separator(g, "lblWiFiInformation",
                        "-------------------------- WiFi Information ------------------------"));
    QLineEdit* scan = Edit(g, "edtScanRssi", 3);
    scan->setToolTip(QStringLiteral("0 < Roam Delta < 40"));
    QLineEdit* roam = Edit(g, "edtRoamRssi", 3);
    roam->setMaximumWidth(48);
    scan->setMaximumWidth(48);
    auto* strip = new QHBoxLayout;
    strip->setSpacing(4);
    strip->addWidget(roam);
    strip->addWidget(Label(g, "lblRssiSlash", "/"));
    strip->addWidget(scan);
    strip->addWidget(Label(g, "lblRssiUnit", "dBm"));
    strip->addStretch(1);
    QLabel* roamCaption = Label(g, "lblRoamRssi", "Roam/Scan RSSI:");
    roamCaption->setBuddy(roam);
    grid->addWidget(roamCaption, rows.row(), 0);
    grid->addLayout(strip, rows.row(), 1, 1, 2);
    rows.add(nullptr, nullptr);
    rows.add(Label(g, "lblWifiRawPort", "RAW Port:"), Edit(g, "edtWifiRawPort"));
    QLineEdit* mac = Edit(g, "edtWiFiMac");
    mac->setReadOnly(true);
    rows.add(Label(g, "lblWiFiMac", "WLAN MAC Address:"), mac);
    rows.add(Label(g, "lblPrintname", "Network Printer Name"), Edit(g, "Edit1Printname", 32));

    rows.span(Separator(g, "lblWpaEnterprise",
                        "-------------------------- WPA-Enterprise ------------------------"));
    QComboBox* eap =
        Combo(g, "cbxWiFiEapType", {"", "EAP-TLS", "EAP-TTLS", "EAP-FAST", "PEAP", "LEAP"});
    eap->setEnabled(false);
    rows.add(Label(g, "lblWiFiEapType", "EAP Type:"), eap);
    QLineEdit* ca = CertificatePath(g, "edtWiFiSrvCerPath", "CA Certificate");
    rows.add(Label(g, "lblWiFiSrvCer", "CA Certificate:"),
             {ca, BrowseButton(g, "btnWiFiSrvCerBrowse")});
    QLineEdit* client = CertificatePath(g, "edtWiFiClientCerPath", "User Certificate");
    QPushButton* clientBrowse = BrowseButton(g, "btnWiFiClientCerBrowse");
    client->setEnabled(false);
    clientBrowse->setEnabled(false);
    rows.add(Label(g, "lblWiFiClientCer", "User Certificate:"), {client, clientBrowse});
    QLineEdit* key = CertificatePath(g, "edtWiFiPrivKeyPath", "Private Key");
    QPushButton* keyBrowse = BrowseButton(g, "btnWiFiPrivKeyBrowse");
    key->setEnabled(false);
    keyBrowse->setEnabled(false);
    rows.add(Label(g, "lblWiFiPrivKey", "Private Key:"), {key, keyBrowse});
    rows.add(Label(g, "lblWiFiUsername", "Username:"), Masked(Edit(g, "edtWiFiUsername", 32)));
    rows.add(Label(g, "lblWiFiPasswd", "Password:"), Masked(Edit(g, "edtWiFiPasswd", 32)));
    rows.add(nullptr, nullptr);
    rows.span(Button(g, "btnWirlessFactoryDef", QStringLiteral("Wireless Factory Default")));
    // The access-point scan exists but is not part of this page's layout.
    QTreeWidget* aps = ReportList(g, "ListView2", {{"SSID", 140}, {"Encryption", 80}});
    QPushButton* scanButton = Button(g, "Button1", QStringLiteral("Scan"));
    aps->hide();
    scanButton->hide();
    grid->setColumnStretch(1, 1);
    configkit::FinishGrid(grid);

    // The external module's group: built, kept out of sight.
    auto* ext = new QGroupBox(QStringLiteral("External wireless module"), TabSheet9);
    ext->setObjectName(QStringLiteral("gbWirelessExtDev"));
    pageLayout->addWidget(ext);
    QGridLayout* eg = configkit::PageGrid(ext);
    configkit::Rows er(eg);
    QLabel* exName = Label(ext, "lblExBTName", "Bluetooth Local Name:");
    QLineEdit* exNameBox = Edit(ext, "edtExBTName");
    QLabel* exPin = Label(ext, "lblExBTPinCode", "Bluetooth PIN Code:");
    QLineEdit* exPinBox = Edit(ext, "edtExBTPinCode");
    for (QWidget* w : {static_cast<QWidget*>(exName), static_cast<QWidget*>(exNameBox),
                       static_cast<QWidget*>(exPin), static_cast<QWidget*>(exPinBox)})
        w->setEnabled(false);
    er.add(exName, exNameBox);
    er.add(exPin, exPinBox);
    QPushButton* setToModule = Button(ext, "btnSetToModule", QStringLiteral("Setup"));
    setToModule->setEnabled(false);
    er.add(nullptr,
           {Button(ext, "btnEnableExtSetup", QStringLiteral("Enable Setup")), setToModule});
    er.add(Label(ext, "lblExWiFiSSID", "WLAN SSID:"), Edit(ext, "edtExWiFiSSID"));
    er.add(Label(ext, "lblExWiFiEncryption", "WLAN Encryption:"),
           Combo(ext, "cbbExWiFiEncryption",
                 {"", "WEP1", "WEP2", "WEP3", "WEP4", "WPA-PSK", "WPA-Enterprise"}));
    er.add(Label(ext, "lblExWiFiKey", "WLAN Key:"), Edit(ext, "edtExWiFiKey"));
    QComboBox* exDhcp = Combo(ext, "cbbExWiFiDHCP", {"", "OFF", "ON"});
    exDhcp->setCurrentIndex(0);
    er.add(Label(ext, "lblExWiFiDHCP", "WLAN DHCP:"), exDhcp);
    er.nextBlock();
    for (auto [label, caption, box] :
         {std::tuple{"lblExWiFiIP", "IP Address:", "edtExWiFiIP"},
          std::tuple{"lblExWiFiMask", "Subnet Mask:", "edtExWiFiMask"},
          std::tuple{"lblExWiFiGateway", "Gateway:", "edtExWiFiGateway"}}) {
        QLineEdit* e = Address(ext, box);
        e->setEnabled(false);
        er.add(Label(ext, label, QString::fromLatin1(caption)), e);
    }
    QLineEdit* port = Edit(ext, "edtExWiFiPort");
    port->setText(QStringLiteral("9100"));
    port->hide();
    QComboBox* mode = Combo(ext, "cbExWiFiMode", {"Infrastructure", "Ad-Hoc"});
    mode->hide();
    QComboBox* exEap = Combo(ext, "cbxExWiFiEapType", {"EAP-TLS", "EAP-TTLS", "EAP-FAST", "PEAP"});
    exEap->setCurrentIndex(1);
    exEap->setEnabled(false);
    er.add(nullptr, exEap);
    QComboBox* inner = Combo(ext, "cbxExWiFiInnerEap",
                             {"Secured password (EAP-MSCHAPv2)", "One time password (EAP-GTC)"});
    inner->setEnabled(false);
    er.add(nullptr, inner);
    er.add(nullptr, Edit(ext, "edtExWiFiUsername"));
    er.add(nullptr, Edit(ext, "edtExWiFiPasswd"));
    QLineEdit* srvFile = CertificatePath(ext, "edtWiFiSrvCerFile", "Select a Server Certificate");
    srvFile->setEnabled(false);
    QPushButton* srvBrowse = Button(ext, "btnExWiFiSrvCerBrowse", QStringLiteral("Browse..."));
    srvBrowse->setEnabled(false);
    er.add(nullptr, {srvFile, srvBrowse});
    QTreeWidget* extAps = ReportList(ext, "ListView1", {{"SSID", 100}, {"Encryption", 100}});
    extAps->header()->setMaximumSectionSize(100);
    extAps->hide();
    QPushButton* extScan = Button(ext, "ButtonScanAP", QStringLiteral("Scan"));
    extScan->hide();
    ext->hide();
}

void ConfigPage::BuildBluetoothPage() {
    auto* pageLayout = new QVBoxLayout(TabSheet11);
    pageLayout->setContentsMargins(4, 4, 4, 4);

    auto* local = new QGroupBox(QStringLiteral("Bluetooth Local Information"), TabSheet11);
    local->setObjectName(QStringLiteral("GroupBoxBTLocal"));
    pageLayout->addWidget(local);
    QGridLayout* lg = configkit::PageGrid(local);
    lg->setContentsMargins(6, 14, 6, 4);
    configkit::Rows lr(lg);
    lr.add(Label(local, "LabelBTName", "BT Name:"), Edit(local, "EditBTName"));
    lr.add(Label(local, "LabelBTPinCode", "BT PIN Code:"), Edit(local, "EditBTPinCode"));
    lr.nextBlock();
    lr.add(Label(local, "LabelBTMACAddress", "BT MAC Address"), Edit(local, "EditBTMACAddress"));
    lr.add(Label(local, "LabelBTSoftware", "BT Software:"), Edit(local, "EditBTSoftware"));
    for (const char* name : {"LabelBTName", "LabelBTPinCode", "EditBTName", "EditBTPinCode",
                             "EditBTMACAddress", "EditBTSoftware"})
        local->findChild<QWidget*>(QString::fromLatin1(name))->setEnabled(false);
    lg->setColumnStretch(1, 1);
    lg->setColumnStretch(4, 1);

    auto* device = new QGroupBox(QStringLiteral("Bluetooth Device"), TabSheet11);
    device->setObjectName(QStringLiteral("GroupBoxBTDevice"));
    pageLayout->addWidget(device, 1);
    QGridLayout* dg = configkit::PageGrid(device);
    dg->setContentsMargins(6, 14, 6, 4);
    configkit::Rows dr(dg);
    dr.add(Label(device, "LabelBTName_d", "Device Name:"), Edit(device, "EditBTName_d"));
    dr.add(Label(device, "LabelBTMAC_d", "Device MAC Address:"), Edit(device, "EditBTMAC_d"));
    dr.add(nullptr, {Button(device, "BlueToothMaster", QStringLiteral("Bluetooth Master")),
                     Button(device, "ScanBT", QStringLiteral("Scan Bluetooth device"))});
    QTreeWidget* found =
        ReportList(device, "ListView3", {{"Device Name", 140}, {"Mac Address", 160}});
    dg->addWidget(found, dr.row(), 0, 1, 3);
    dg->setRowStretch(dr.row(), 1);
    dg->setColumnStretch(1, 1);
}

void ConfigPage::BuildFtpPage() {
    QWidget* p = tsFtpUpd;
    QGridLayout* grid = configkit::PageGrid(p);
    configkit::Rows rows(grid);
    QComboBox* enabled = Combo(p, "cbxFtpcEnabled", {"Disable", "Enable"});
    enabled->setCurrentIndex(0);
    rows.add(Label(p, "lblFtpcEnabled", "FTP Client:"), enabled);
    rows.add(Label(p, "lblFtpSrvIp", "FTP Server:"), Edit(p, "edtFtpSrvIp", 63));
    rows.add(Label(p, "lblFtpPath", "FTP Path:"), Edit(p, "edtFtpPath", 127));
    rows.add(Label(p, "lblFtpUser", "FTP Username:"), Masked(Edit(p, "edtFtpUser", 31)));
    rows.add(Label(p, "lblFtpPswd", "FTP Password:"), Masked(Edit(p, "edtFtpPswd", 31)));
    rows.add(Label(p, "lblDescriptFile", "Description Filename:"), Edit(p, "edtDescriptFile", 39));

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
