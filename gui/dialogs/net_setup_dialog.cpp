// SPDX-License-Identifier: MIT
#include "gui/dialogs/net_setup_dialog.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

#include "core/link/stop_token.h"
#include "gui/dialogs/ethernet_setup_dialog.h"
#include "gui/dialogs/progress_dialog.h"
#include "gui/language_apply.h"
#include "gui/printer_text.h"
#include "gui/prompter.h"
#include "gui/widgets/form_kit.h"

namespace m350::gui {

namespace {
// The link's address field holds 63 characters and its terminator.
constexpr int kAddressChars = 63;
constexpr int kMacColumn = 1;
constexpr int kIpColumn = 2;
// The device's name as it sent it, kept on the row beside what is shown.
constexpr int kNameBytesRole = Qt::UserRole + 1;
}  // namespace

NetSetupDialog::NetSetupDialog(m350::NetAddress& record, int language, std::string textEncoding,
                               Prompter& prompter, QWidget* parent, NetworkSeams seams)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      record_(record),
      language_(language),
      textEncoding_(std::move(textEncoding)),
      prompter_(prompter),
      seams_(std::move(seams)) {
    setObjectName(QStringLiteral("TFormNetSetup"));
    setWindowTitle(QStringLiteral("TCP/IP Setup"));
    setFixedSize(183, 162);

    ipSettingGroup_ = newGroup(this, "GroupBoxIPSetting", "IP Setting", 0, 0, 183, 162);
    ipAddressLabel_ =
        newLabel(ipSettingGroup_, "LabelIPAddress", "IP Address/Printer Name:", 10, 22);
    ipAddressEdit_ = newEdit(ipSettingGroup_, "EditIPAddr", 10, 40, 163);
    m350::gui::limitTyping(ipAddressEdit_, kAddressChars);
    portLabel_ = newLabel(ipSettingGroup_, "LabelPort", "Port:", 10, 70);
    portEdit_ = newEdit(ipSettingGroup_, "EditPort", 10, 88, 163);
    portEdit_->setText(QStringLiteral("9100"));
    exitButton_ = newButton(ipSettingGroup_, "ButtonExit", "Exit", 54, 124);
    exitButton_->setDefault(true);

    // Outside the client area and hidden: the discovery fills the list even
    // though the operator does not see it.
    deviceList_ = place(new QTreeWidget(this), "ListView1", 200, 0, 500, 150);
    deviceList_->setHeaderLabels({"Printer Name", "MAC", "IP Address", "Model Name", "Status"});
    deviceList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    deviceList_->setSelectionBehavior(QAbstractItemView::SelectRows);
    deviceList_->setRootIsDecorated(false);
    deviceList_->setColumnWidth(0, 80);
    deviceList_->setColumnWidth(1, 120);
    deviceList_->setColumnWidth(2, 100);
    deviceList_->setColumnWidth(3, 100);
    deviceList_->hide();
    discoverButton_ = newButton(this, "ButtonDiscover", "Discover Device", 200, 160, 110);
    changeIpButton_ = newButton(this, "ButtonChangeIP", "Change IP Address", 320, 160, 110);
    factoryDefaultButton_ =
        newButton(this, "ButtonFactoryDefault", "Factory Default", 440, 160, 110);
    browserButton_ = newButton(this, "ButtonBrowser", "Web Setup", 560, 160, 110);
    for (QPushButton* b : {discoverButton_, changeIpButton_, factoryDefaultButton_, browserButton_})
        b->hide();

    connect(exitButton_, &QPushButton::clicked, this, &NetSetupDialog::onExitClicked);
    connect(discoverButton_, &QPushButton::clicked, this, &NetSetupDialog::onDiscoverClicked);
    connect(deviceList_, &QTreeWidget::itemClicked, this, &NetSetupDialog::onDeviceListClicked);
    connect(changeIpButton_, &QPushButton::clicked, this, &NetSetupDialog::onChangeIpClicked);
    connect(factoryDefaultButton_, &QPushButton::clicked, this,
            &NetSetupDialog::onFactoryDefaultClicked);
    connect(browserButton_, &QPushButton::clicked, this, &NetSetupDialog::onBrowserClicked);
    applyDialogLanguage(this, "TFormNetSetup", language_);
    // A language whose address caption is longer than the dialog widens it,
    // with the boxes, and keeps Exit in the middle; so does a title bar that
    // would cut the title.
    const int need = std::max(ipAddressLabel_->geometry().right() + 11, titleBarWidth(*this));
    if (need > width()) {
        setFixedSize(need, height());
        ipSettingGroup_->resize(need, ipSettingGroup_->height());
        for (QLineEdit* e : {ipAddressEdit_, portEdit_}) e->resize(need - 20, e->height());
        exitButton_->move((need - exitButton_->width()) / 2, exitButton_->y());
    }

    discover();
    proposeAddress();
    ipAddressEdit_->setText(QString::fromStdString(record_.address));
    portEdit_->setText(QString::number(record_.port));
}

// Two passes, broadcast then multicast, each over one second after its last
// reply (and five at most). Every reply is a row: a printer that answers both
// passes is listed twice.
// The passes run under a progress window with their countdown (the longest
// they can take) and Cancel, which ends the pass at its next slice.
void NetSetupDialog::discover() {
    discoverButton_->setEnabled(false);
    deviceList_->clear();
    const QScreen* screen = QGuiApplication::primaryScreen();
    ProgressDialog progress(screen ? screen->size() : QSize(1024, 768));
    progress.showOperation(ownTr("Finding printers", language_), progressCancelText(language_));
    progress.setBusy();
    m350::StopToken stop;
    connect(&progress, &ProgressDialog::cancelClicked, &progress, [&stop] { stop.request(); });
    progress.show();
    QCoreApplication::processEvents();
    m350::UdpTargets targets = seams_.udp;
    targets.stop = &stop;
    QElapsedTimer elapsed;
    elapsed.start();
    const qint64 longest = 2LL * targets.passLimitMs;
    targets.pump = [&, outer = seams_.udp.pump] {
        progress.setElapsed(clockText(elapsed.elapsed() / 1000));
        progress.setDetails(
            clockText((std::max<qint64>(0, longest - elapsed.elapsed()) + 999) / 1000));
        if (outer) outer();
        QCoreApplication::processEvents();
    };
    const m350::DiscoveryResult result =
        m350::discoverDevices(targets, static_cast<std::uint32_t>(sequence_),
                              [this](const m350::DeviceReply& reply) { addRow(reply); });
    progress.hide();
    if (result.socketOpened) ++sequence_;
    discoverButton_->setEnabled(true);
    if (result.cancelled) prompter_.message(ownTr("Cancelled", language_));
}

void NetSetupDialog::addRow(const m350::DeviceReply& reply) {
    auto* item = new QTreeWidgetItem(deviceList_);
    item->setText(0, printerText(reply.name, textEncoding_));
    item->setData(0, kNameBytesRole, QByteArray::fromStdString(reply.name));
    item->setText(kMacColumn, QString::fromLatin1(m350::macToText(reply.mac).c_str()));
    item->setText(kIpColumn, QString::fromLatin1(m350::ipv4ToText(reply.ip).c_str()));
    item->setText(3, printerText(reply.model, textEncoding_));
    const std::string_view status = m350::deviceStatusText(reply.state, reply.flags);
    item->setText(4, QString::fromLatin1(status.data(), static_cast<qsizetype>(status.size())));
}

// The first selected row, as the list allows several.
QTreeWidgetItem* NetSetupDialog::selectedRow() const {
    for (int i = 0; i < deviceList_->topLevelItemCount(); ++i)
        if (deviceList_->topLevelItem(i)->isSelected()) return deviceList_->topLevelItem(i);
    return nullptr;
}

// An address already set is never replaced; an empty one takes the first
// device found, or the printer's factory address.
void NetSetupDialog::proposeAddress() {
    if (!record_.address.empty()) return;
    if (deviceList_->topLevelItemCount() > 0) {
        QTreeWidgetItem* first = deviceList_->topLevelItem(0);
        deviceList_->setCurrentItem(first);
        record_.address = first->text(kIpColumn).left(kAddressChars).toStdString();
    } else {
        record_.address = "192.168.1.100";
    }
}

void NetSetupDialog::onExitClicked() {
    record_.address = ipAddressEdit_->text().left(kAddressChars).toStdString();
    bool ok = false;
    const QString portText = portEdit_->text().trimmed();
    const int port = portText.toInt(&ok);
    if (!ok) {
        // The address is kept; the port keeps its value and the window stays.
        prompter_.message(
            QStringLiteral("'%1' is not a valid integer value").arg(portEdit_->text()));
        return;
    }
    if (port < 1 || port > 65535) {
        prompter_.message(QStringLiteral("'%1' is not a valid port number").arg(portEdit_->text()));
        return;
    }
    record_.port = port;
    accept();
}

void NetSetupDialog::onDiscoverClicked() {
    discover();
}

void NetSetupDialog::onDeviceListClicked() {
    if (QTreeWidgetItem* item = selectedRow()) ipAddressEdit_->setText(item->text(kIpColumn));
}

// Reads the device's settings, lets the operator edit them and writes all of
// them back: name, address, address mode and the apply request, whichever set
// button was pressed.
void NetSetupDialog::onChangeIpClicked() {
    QTreeWidgetItem* row = selectedRow();
    if (!row) return;
    const auto mac = m350::parseMac(row->text(kMacColumn).toStdString());
    if (!mac) return;
    m350::NetSettings settings;
    settings.mac = row->text(kMacColumn).toStdString();
    m350::UdpTargets targets = seams_.udp;
    if (!targets.pump) targets.pump = [] { QCoreApplication::processEvents(); };
    m350::UdpSettingsExchange exchange(targets, static_cast<std::uint32_t>(sequence_), *mac);
    if (!exchange.open()) return;
    // What the operator does not change is written back as read: without
    // both replies of this printer there is nothing sound to write.
    if (exchange.readSettings(settings) != m350::UdpSettingsExchange::ReadResult::kOk) {
        prompter_.message(
            ownTr("The printer did not answer the settings read. Nothing was changed.", language_));
        return;
    }
    settings.name = m350::netText(row->data(0, kNameBytesRole).toByteArray().toStdString());
    EthernetSetupDialog dialog(settings, language_, textEncoding_, pos(), true, this);
    dialog.setPrompter(&prompter_);
    prompter_.runModal(dialog);
    if (!settings.confirmed) return;
    // A mistyped address would be sent as FF FF FF FF with static mode.
    for (const std::string* address : {&settings.ip, &settings.mask, &settings.gateway}) {
        if (m350::parseIpv4(*address)) continue;
        prompter_.message(ownTr("\"%1\" is not an IP address. Nothing was changed.", language_)
                              .arg(QString::fromStdString(*address)));
        return;
    }
    exchange.writeSettings(settings);
    deviceList_->clear();
    ++sequence_;
}

void NetSetupDialog::onFactoryDefaultClicked() {
    QTreeWidgetItem* row = selectedRow();
    if (!row) return;
    const auto mac = m350::parseMac(row->text(kMacColumn).toStdString());
    if (!mac) return;
    if (!prompter_.question(QStringLiteral("Are you sure?"))) return;
    if (!m350::sendUdpFactoryDefault(seams_.udp, static_cast<std::uint32_t>(sequence_), *mac))
        return;
    deviceList_->clear();
    ++sequence_;
}

// The page of the address typed in the edit, not of the selected row.
void NetSetupDialog::onBrowserClicked() {
    const QUrl url(QStringLiteral("http://") + ipAddressEdit_->text());
    if (seams_.openUrl)
        seams_.openUrl(url);
    else
        QDesktopServices::openUrl(url);
}

}  // namespace m350::gui
