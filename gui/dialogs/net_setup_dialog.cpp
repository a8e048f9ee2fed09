#include "gui/dialogs/net_setup_dialog.h"

#include "gui/language_apply.h"
#include "gui/prompter.h"
#include "gui/widgets/form_kit.h"

namespace m350::gui {

namespace {
// The link's address field holds 63 characters and its terminator.
constexpr int kAddressChars = 63;
constexpr int kIpColumn = 2;
}  // namespace

NetSetupDialog::NetSetupDialog(m350::NetAddress& record, int language, Prompter& prompter,
                               QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      record_(record),
      language_(language),
      prompter_(prompter) {
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
    applyDialogLanguage(this, "TFormNetSetup", language_);

    discover();
    proposeAddress();
    ipAddressEdit_->setText(QString::fromStdString(record_.address));
    portEdit_->setText(QString::number(record_.port));
}

// The UDP discovery joins here; until then the device list stays empty.
void NetSetupDialog::discover() {
    discoverButton_->setEnabled(false);
    deviceList_->clear();
    ++sequence_;
    discoverButton_->setEnabled(true);
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
    if (QTreeWidgetItem* item = deviceList_->currentItem())
        ipAddressEdit_->setText(item->text(kIpColumn));
}

}  // namespace m350::gui
