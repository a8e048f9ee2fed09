// SPDX-License-Identifier: MIT
#include "gui/dialogs/ethernet_setup_dialog.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <algorithm>

#include "core/i18n/text_encoding.h"
#include "core/input/input_checks.h"
#include "gui/field_messages.h"
#include "gui/language_apply.h"
#include "gui/prompter.h"
#include "gui/widgets/form_kit.h"
#include "gui/widgets/input_guards.h"
#include "gui/widgets/radio_group.h"

namespace m350::gui {

namespace {
constexpr int kNameChars = 15;
constexpr int kEthernetEditWidth = 180;
constexpr int kButtonWidth = 75;

QString fromRecord(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// What goes back into the record: Latin-1 as typed, cut to the field.
std::string toRecord(const QLineEdit* edit) {
    return m350::netText(edit->text().toLatin1().toStdString());
}
}  // namespace

EthernetSetupDialog::EthernetSetupDialog(m350::NetSettings& record, int language,
                                         std::string textEncoding, QPoint place,
                                         bool showNameAndMac, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      record_(record),
      dhcp_(record.dhcp),
      language_(language),
      textEncoding_(std::move(textEncoding)) {
    setObjectName(QStringLiteral("TFormEthernetSetup"));
    setWindowTitle(QStringLiteral("Ethernet Setup"));
    move(place);
    record_.confirmed = false;

    // Laid out rather than placed: a longer caption in another language
    // widens its column or button, and the dialog keeps the size it needs.
    dhcpRadio_ = new RadioGroup(this, "RadioGroupDHCP", QStringLiteral("IP Setup"), 0, 0, 284, 46,
                                {QStringLiteral("DHCP"), QStringLiteral("Static IP")}, 2);
    auto* rows = new QGridLayout;
    int rowIndex = 0;
    auto row = [&](const char* labelName, const char* caption, const char* editName, QLabel*& label,
                   QLineEdit*& edit) {
        label = new QLabel(QString::fromLatin1(caption), this);
        label->setObjectName(QString::fromLatin1(labelName));
        edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(editName));
        edit->setMinimumWidth(kEthernetEditWidth);
        rows->addWidget(label, rowIndex, 0);
        rows->addWidget(edit, rowIndex++, 1);
    };
    row("LabelIP", "IP:", "EditIP", ipLabel_, ipEdit_);
    row("LabelMask", "Subnet Mask:", "EditMask", maskLabel_, maskEdit_);
    row("LabelGateWay", "Gateway:", "EditGateWay", gatewayLabel_, gatewayEdit_);
    row("LabelPrinterName", "Printer Name:", "EditPrinterName", printerNameLabel_,
        printerNameEdit_);
    row("LabelMACAddr", "MAC Address:", "EditMACAddr", macLabel_, macEdit_);
    for (QLineEdit* e : {ipEdit_, maskEdit_, gatewayEdit_})
        e->setMaxLength(static_cast<int>(m350::kNetTextMax));
    printerNameEdit_->setMaxLength(kNameChars);
    // The texts travel between quotes in one command line (or as bytes of a
    // datagram): printable ASCII without '"' is all that can be typed, so
    // nothing is ever replaced on the way.
    auto* printable = new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[\\x20\\x21\\x23-\\x7E]*")), this);
    for (QLineEdit* e : {ipEdit_, maskEdit_, gatewayEdit_, printerNameEdit_})
        e->setValidator(printable);
    macEdit_->setReadOnly(true);
    macEdit_->setEnabled(false);
    auto newPush = [this](const char* name, const char* caption) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setMinimumWidth(kButtonWidth);
        return b;
    };
    setPrinterNameButton_ = newPush("ButtonSetPrinterName", "Set Printer Name");
    setIpButton_ = newPush("ButtonSetIP", "Set IP");
    cancelButton_ = newPush("ButtonCancel", "Cancel");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(setPrinterNameButton_);
    buttons->addStretch(1);
    buttons->addWidget(setIpButton_);
    buttons->addWidget(cancelButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(dhcpRadio_);
    layout->addLayout(rows);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    applyEnableRule();
    dhcpRadio_->setItemIndex(dhcp_ ? 0 : 1);
    ipEdit_->setText(fromRecord(dhcp_ ? record_.currentIp : record_.ip));
    maskEdit_->setText(fromRecord(record_.mask));
    gatewayEdit_->setText(fromRecord(record_.gateway));
    if (showNameAndMac) {
        // The printer's name is its own bytes, shown in the printer text
        // encoding; Set gives them back unchanged unless the name was edited.
        shownName_ = QString::fromStdString(m350::decodeText(record_.name, textEncoding_));
        // A longer name the printer holds is shown whole, never cut (which
        // would rename the printer on Set); typing stays within it.
        printerNameEdit_->setMaxLength(std::max(kNameChars, static_cast<int>(shownName_.size())));
        printerNameEdit_->setText(shownName_);
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
    // Two actions, each with its own fields: Enter in an address row sets
    // the address, Enter in the name sets the name, and no button is the
    // default that a field of the other action would press.
    routeEnter(this, {{{dhcpRadio_, ipEdit_, maskEdit_, gatewayEdit_}, setIpButton_},
                      {{printerNameEdit_}, setPrinterNameButton_}});
    applyDialogLanguage(this, "TFormEthernetSetup", language);
    keepTitleWhole(*this);
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

bool EthernetSetupDialog::refuse(const QString& message, QLineEdit* box) {
    if (prompter_) prompter_->message(message);
    box->setFocus();
    return false;
}

void EthernetSetupDialog::onSetIpClicked() {
    // A static address goes out as typed or not at all: each of the three
    // must be a dotted IPv4 address, named by its caption when it is not.
    if (dhcpRadio_->itemIndex() != 0) {
        const int language = language_;
        for (auto [label, edit] : {std::pair{ipLabel_, ipEdit_},
                                   {maskLabel_, maskEdit_},
                                   {gatewayLabel_, gatewayEdit_}}) {
            const QString caption = captionText(label);
            if (edit->text().isEmpty()) {
                refuse(emptyMessage(caption, language), edit);
                return;
            }
            if (!m350::isIpv4Address(edit->text().toStdString())) {
                refuse(notAnAddressMessage(caption, edit->text(), language), edit);
                return;
            }
        }
    }
    record_.ip = toRecord(ipEdit_);
    record_.mask = toRecord(maskEdit_);
    record_.gateway = toRecord(gatewayEdit_);
    record_.dhcp = dhcpRadio_->itemIndex() == 0;
    record_.action = m350::NetSettings::kSetIp;
    record_.confirmed = true;
    accept();
}

void EthernetSetupDialog::onSetPrinterNameClicked() {
    if (printerNameEdit_->text() != shownName_) {
        const QString caption = captionText(printerNameLabel_);
        const std::string name = printerNameEdit_->text().toStdString();
        if (!m350::quotable(name)) {
            refuse(unquotableMessage(caption, language_), printerNameEdit_);
            return;
        }
        record_.name = toRecord(printerNameEdit_);
    }
    record_.action = m350::NetSettings::kSetName;
    record_.confirmed = true;
    accept();
}

void EthernetSetupDialog::onCancelClicked() {
    record_.confirmed = false;
    reject();
}

}  // namespace m350::gui
