#include "gui/dialogs/ethernet_setup_dialog.h"

#include "gui/language_apply.h"
#include "gui/widgets/form_kit.h"
#include "gui/widgets/radio_group.h"

namespace m350::gui {

namespace {
constexpr int kNameChars = 15;
constexpr int kLabelWidth = 100;
constexpr int kEditLeft = 112;
constexpr int kEditWidth = 180;

QString fromRecord(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// What goes back into the record: Latin-1 as typed, cut to the field.
std::string toRecord(const QLineEdit* edit) {
    return m350::netText(edit->text().toLatin1().toStdString());
}
}  // namespace

EthernetSetupDialog::EthernetSetupDialog(m350::NetSettings& record, int language, QPoint place,
                                         bool showNameAndMac, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      record_(record),
      dhcp_(record.dhcp) {
    setObjectName(QStringLiteral("TFormEthernetSetup"));
    setWindowTitle(QStringLiteral("Ethernet Setup"));
    setFixedSize(300, 240);
    move(place);
    record_.confirmed = false;

    dhcpRadio_ = new RadioGroup(this, "RadioGroupDHCP", QStringLiteral("IP Setup"), 8, 4, 284, 46,
                                {QStringLiteral("DHCP"), QStringLiteral("Static IP")}, 2);
    auto row = [&](const char* labelName, const char* caption, const char* editName, int top,
                   QLabel*& label, QLineEdit*& edit) {
        label = newLabel(this, labelName, QString::fromLatin1(caption), 8, top + 4, kLabelWidth);
        edit = newEdit(this, editName, kEditLeft, top, kEditWidth);
    };
    row("LabelIP", "IP:", "EditIP", 58, ipLabel_, ipEdit_);
    row("LabelMask", "Subnet Mask:", "EditMask", 86, maskLabel_, maskEdit_);
    row("LabelGateWay", "Gateway:", "EditGateWay", 114, gatewayLabel_, gatewayEdit_);
    row("LabelPrinterName", "Printer Name:", "EditPrinterName", 142, printerNameLabel_,
        printerNameEdit_);
    row("LabelMACAddr", "MAC Address:", "EditMACAddr", 170, macLabel_, macEdit_);
    for (QLineEdit* e : {ipEdit_, maskEdit_, gatewayEdit_})
        e->setMaxLength(static_cast<int>(m350::kNetTextMax));
    printerNameEdit_->setMaxLength(kNameChars);
    macEdit_->setReadOnly(true);
    macEdit_->setEnabled(false);
    setPrinterNameButton_ =
        newButton(this, "ButtonSetPrinterName", "Set Printer Name", 8, 204, 112);
    setIpButton_ = newButton(this, "ButtonSetIP", "Set IP", 128, 204, 78);
    cancelButton_ = newButton(this, "ButtonCancel", "Cancel", 214, 204, 78);

    applyEnableRule();
    dhcpRadio_->setItemIndex(dhcp_ ? 0 : 1);
    ipEdit_->setText(fromRecord(dhcp_ ? record_.currentIp : record_.ip));
    maskEdit_->setText(fromRecord(record_.mask));
    gatewayEdit_->setText(fromRecord(record_.gateway));
    if (showNameAndMac) {
        printerNameEdit_->setText(fromRecord(record_.name));
        macEdit_->setText(fromRecord(record_.mac));
    } else {
        for (QWidget* w :
             {static_cast<QWidget*>(printerNameLabel_), static_cast<QWidget*>(printerNameEdit_),
              static_cast<QWidget*>(macLabel_), static_cast<QWidget*>(macEdit_)})
            w->hide();
    }

    connect(dhcpRadio_, &RadioGroup::itemIndexChanged, this, &EthernetSetupDialog::onDhcpClicked);
    connect(setIpButton_, &QPushButton::clicked, this, &EthernetSetupDialog::onSetIpClicked);
    connect(setPrinterNameButton_, &QPushButton::clicked, this,
            &EthernetSetupDialog::onSetPrinterNameClicked);
    connect(cancelButton_, &QPushButton::clicked, this, &EthernetSetupDialog::onCancelClicked);
    applyDialogLanguage(this, "TFormEthernetSetup", language);
}

// With DHCP on the printer chooses its own address: the three address rows
// are for reading only.
void EthernetSetupDialog::applyEnableRule() {
    for (QWidget* w : {static_cast<QWidget*>(ipLabel_), static_cast<QWidget*>(maskLabel_),
                       static_cast<QWidget*>(gatewayLabel_), static_cast<QWidget*>(ipEdit_),
                       static_cast<QWidget*>(maskEdit_), static_cast<QWidget*>(gatewayEdit_)})
        w->setEnabled(!dhcp_);
}

void EthernetSetupDialog::onDhcpClicked(int index) {
    dhcp_ = index == 0;
    applyEnableRule();
}

void EthernetSetupDialog::onSetIpClicked() {
    record_.ip = toRecord(ipEdit_);
    record_.mask = toRecord(maskEdit_);
    record_.gateway = toRecord(gatewayEdit_);
    record_.dhcp = dhcpRadio_->itemIndex() == 0;
    record_.action = m350::NetSettings::kSetIp;
    record_.confirmed = true;
    accept();
}

void EthernetSetupDialog::onSetPrinterNameClicked() {
    record_.name = toRecord(printerNameEdit_);
    record_.action = m350::NetSettings::kSetName;
    record_.confirmed = true;
    accept();
}

void EthernetSetupDialog::onCancelClicked() {
    record_.confirmed = false;
    reject();
}

}  // namespace m350::gui
