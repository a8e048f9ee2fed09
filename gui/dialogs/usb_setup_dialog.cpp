// SPDX-License-Identifier: MIT
#include "gui/dialogs/usb_setup_dialog.h"

#include <cstdio>

#include "gui/language_apply.h"
#include "gui/widgets/form_kit.h"

namespace m350::gui {

namespace {

QString hex4(std::uint16_t v) {
    return QStringLiteral("%1").arg(v, 4, 16, QLatin1Char('0'));
}

QString rowText(const m350::UsbSurveyEntry& e, int language) {
    const m350::UsbDeviceDescription& d = e.device;
    QString s = hex4(d.vendorId) + QLatin1Char(':') + hex4(d.productId);
    const QString name = QString::fromStdString(
        d.manufacturer + (d.manufacturer.empty() || d.product.empty() ? "" : " ") + d.product);
    if (!name.isEmpty()) s += QStringLiteral("  ") + name;
    if (!d.serial.empty()) s += QStringLiteral("  #") + QString::fromStdString(d.serial);
    if (!d.busPath.empty()) s += QStringLiteral("  [") + QString::fromStdString(d.busPath) + "]";
    s += QStringLiteral(" - ") +
         ownTr(e.listedVendor ? "in the printer list" : "not in the printer list", language);
    if (!e.permitted) s += QStringLiteral(", ") + ownTr("no permission", language);
    return s;
}

}  // namespace

std::string UsbSetupDialog::choiceText(const m350::UsbSurvey& survey, std::size_t entry) {
    const m350::UsbDeviceDescription& d = survey.entries[entry].device;
    char ids[16];
    std::snprintf(ids, sizeof ids, "%04x:%04x", d.vendorId, d.productId);
    std::string text = ids;
    if (!d.serial.empty() && m350::parseUsbDeviceChoice(text + ":" + d.serial).has_value())
        text += ":" + d.serial;
    // A twin with the same identifiers (and serial number) is told apart only
    // by where it is plugged in.
    int alike = 0;
    for (const auto& other : survey.entries) {
        const auto choice = m350::parseUsbDeviceChoice(text);
        if (choice && m350::usbDeviceMatches(other.device, *choice)) ++alike;
    }
    if (alike > 1 && !d.busPath.empty()) return d.busPath;
    return text;
}

UsbSetupDialog::UsbSetupDialog(std::string& usbDevice, const m350::UsbSurvey& survey, int language,
                               QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      usbDevice_(usbDevice) {
    setObjectName(QStringLiteral("TFormUsbSetup"));
    setWindowTitle(ownTr("USB Setup", language));
    setFixedSize(480, 230);
    deviceList_ = place(new QListWidget(this), "ListUsbDevices", 8, 8, 464, 120);
    hintLabel_ = newLabel(this, "LabelUsbHint", QString(), 8, 134, 464, 56);
    hintLabel_->setWordWrap(true);
    hintLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setButton_ = newButton(this, "ButtonSet", ownTr("Set", language), 316, 198);
    cancelButton_ = newButton(this, "ButtonCancel", ownTr("Cancel", language), 397, 198);
    setButton_->setDefault(true);

    deviceList_->addItem(ownTr("Automatic: the first printer of the printer list", language));
    choices_.push_back(std::string());
    int current = 0;
    int printers = 0;
    for (std::size_t n = 0; n < survey.entries.size(); ++n) {
        const m350::UsbSurveyEntry& e = survey.entries[n];
        deviceList_->addItem(rowText(e, language));
        choices_.push_back(choiceText(survey, n));
        if (!usbDevice_.empty() && e.named) current = static_cast<int>(choices_.size()) - 1;
        if (m350::choosePrinterInterface(e.device)) ++printers;
    }
    deviceList_->setCurrentRow(current);
    const QString allow =
        ownTr("To use a printer not in the printer list, run as root:", language) +
        QStringLiteral(" sudo m350ctl usb allow VID:PID");
    if (printers == 0) {
        hintLabel_->setText(
            ownTr("No USB printer found. Connect the printer and switch it on.", language) +
            QLatin1Char('\n') + allow + QLatin1Char('\n') +
            ownTr("Then plug the printer in again.", language));
    } else {
        hintLabel_->setText(
            ownTr("A printer not in the list is used only when chosen here.", language) +
            QLatin1Char('\n') + allow);
    }
    connect(setButton_, &QPushButton::clicked, this, &UsbSetupDialog::onSetClicked);
    connect(cancelButton_, &QPushButton::clicked, this, &UsbSetupDialog::onCancelClicked);
    connect(deviceList_, &QListWidget::itemDoubleClicked, this, &UsbSetupDialog::onSetClicked);
}

void UsbSetupDialog::onSetClicked() {
    const int row = deviceList_->currentRow();
    if (row >= 0 && row < static_cast<int>(choices_.size()))
        usbDevice_ = choices_[static_cast<std::size_t>(row)];
    accept();
}

void UsbSetupDialog::onCancelClicked() {
    reject();
}

}  // namespace m350::gui
