#include "gui/dialogs/net_setup_dialog.h"

#include "gui/widgets/form_kit.h"
#include "gui/prompter.h"
#include "gui/language_apply.h"

namespace m350::gui {


namespace {
// The link's address field holds 63 characters and its terminator.
constexpr int kAddressChars = 63;
constexpr int kIpColumn = 2;
}  // namespace

NetSetupDialog::NetSetupDialog(m350::NetAddress& record, int language, m350::gui::Prompter& prompter,
                             QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      record_(record),
      language_(language),
      prompter_(prompter) {
    setObjectName(QStringLiteral("TFormNetSetup"));
    setWindowTitle(QStringLiteral("TCP/IP Setup"));
    setFixedSize(183, 162);

    GroupBoxIPSetting = m350::gui::newGroup(this, "GroupBoxIPSetting", "IP Setting", 0, 0, 183, 162);
    LabelIPAddress =
        newLabel(GroupBoxIPSetting, "LabelIPAddress", "IP Address/Printer Name:", 10, 22);
    EditIPAddr = newEdit(GroupBoxIPSetting, "EditIPAddr", 10, 40, 163);
    EditIPAddr->setMaxLength(kAddressChars);
    LabelPort = newLabel(GroupBoxIPSetting, "LabelPort", "Port:", 10, 70);
    EditPort = newEdit(GroupBoxIPSetting, "EditPort", 10, 88, 163);
    EditPort->setText(QStringLiteral("9100"));
    ButtonExit = newButton(GroupBoxIPSetting, "ButtonExit", "Exit", 54, 124);
    ButtonExit->setDefault(true);

    // Outside the client area and hidden: the discovery fills the list even
    // though the operator does not see it.
    ListView1 = m350::gui::place(new QTreeWidget(this), "ListView1", 200, 0, 500, 150);
    ListView1->setHeaderLabels({"Printer Name", "MAC", "IP Address", "Model Name", "Status"});
    ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setRootIsDecorated(false);
    ListView1->setColumnWidth(0, 80);
    ListView1->setColumnWidth(1, 120);
    ListView1->setColumnWidth(2, 100);
    ListView1->setColumnWidth(3, 100);
    ListView1->hide();
    ButtonDiscover = newButton(this, "ButtonDiscover", "Discover Device", 200, 160, 110);
    ButtonChangeIP = newButton(this, "ButtonChangeIP", "Change IP Address", 320, 160, 110);
    ButtonFactoryDefault =
        newButton(this, "ButtonFactoryDefault", "Factory Default", 440, 160, 110);
    ButtonBrowser = newButton(this, "ButtonBrowser", "Web Setup", 560, 160, 110);
    for (QPushButton* b : {ButtonDiscover, ButtonChangeIP, ButtonFactoryDefault, ButtonBrowser})
        b->hide();

    connect(ButtonExit, &QPushButton::clicked, this, &NetSetupDialog::ButtonExitClick);
    connect(ButtonDiscover, &QPushButton::clicked, this, &NetSetupDialog::ButtonDiscoverClick);
    connect(ListView1, &QTreeWidget::itemClicked, this, &NetSetupDialog::ListView1Click);
    m350::gui::applyDialogLanguage(this, "TFormNetSetup", language_);

    discover();
    proposeAddress();
    EditIPAddr->setText(QString::fromStdString(record_.address));
    EditPort->setText(QString::number(record_.port));
}

// The UDP discovery joins here; until then the device list stays empty.
void NetSetupDialog::discover() {
    ButtonDiscover->setEnabled(false);
    ListView1->clear();
    ++sequence_;
    ButtonDiscover->setEnabled(true);
}

// An address already set is never replaced; an empty one takes the first
// device found, or the printer's factory address.
void NetSetupDialog::proposeAddress() {
    if (!record_.address.empty()) return;
    if (ListView1->topLevelItemCount() > 0) {
        QTreeWidgetItem* first = ListView1->topLevelItem(0);
        ListView1->setCurrentItem(first);
        record_.address = first->text(kIpColumn).left(kAddressChars).toStdString();
    } else {
        record_.address = "192.168.1.100";
    }
}

void NetSetupDialog::ButtonExitClick() {
    record_.address = EditIPAddr->text().left(kAddressChars).toStdString();
    bool ok = false;
    const QString portText = EditPort->text().trimmed();
    const int port = portText.toInt(&ok);
    if (!ok) {
        // The address is kept; the port keeps its value and the window stays.
        prompter_.message(
            QStringLiteral("'%1' is not a valid integer value").arg(EditPort->text()));
        return;
    }
    if (port < 1 || port > 65535) {
        prompter_.message(QStringLiteral("'%1' is not a valid port number").arg(EditPort->text()));
        return;
    }
    record_.port = port;
    accept();
}

void NetSetupDialog::ButtonDiscoverClick() {
    discover();
}

void NetSetupDialog::ListView1Click() {
    if (QTreeWidgetItem* item = ListView1->currentItem())
        EditIPAddr->setText(item->text(kIpColumn));
}

}  // namespace m350::gui
