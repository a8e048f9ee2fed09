// SPDX-License-Identifier: MIT
// "Ethernet Setup": DHCP or a static address, subnet mask, gateway and the
// printer's network name, edited in a record its caller owns. The dialog does
// no communication; the caller reads the record before and writes it after.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPoint>
#include <QPushButton>
#include <string>

#include "core/net/net_settings.h"

namespace m350::gui {

class Prompter;
class RadioGroup;

class EthernetSetupDialog : public QDialog {
    Q_OBJECT
  public:
    // Opens at place with the record's values; the record's confirmed flag is
    // 0 until one of the set buttons is pressed. showNameAndMac: the name and
    // MAC rows are shown (both callers want them).
    // The printer's name is shown and typed in the printer text encoding given.
    EthernetSetupDialog(m350::NetSettings& record, int language, std::string textEncoding,
                        QPoint place, bool showNameAndMac = true, QWidget* parent = nullptr);

    // Where the refusal of a value that cannot be sent is shown; without one
    // the value is still refused, silently.
    void setPrompter(Prompter* prompter) { prompter_ = prompter; }

  public slots:
    void onDhcpClicked(int index);
    void onSetIpClicked();
    void onSetPrinterNameClicked();
    void onCancelClicked();

  private:
    void applyEnableRule();
    // A message naming the box's caption, the focus on the box; false.
    bool refuse(const QString& message, QLineEdit* box);

    RadioGroup* dhcpRadio_;
    QLabel *ipLabel_, *maskLabel_, *gatewayLabel_, *printerNameLabel_, *macLabel_;
    QLineEdit *ipEdit_, *maskEdit_, *gatewayEdit_, *printerNameEdit_, *macEdit_;
    QPushButton *setPrinterNameButton_, *setIpButton_, *cancelButton_;

    m350::NetSettings& record_;
    QString shownName_;  // the printer's name as the box was filled with it
    bool dhcp_;          // the copy's flag: follows the radio group while open
    Prompter* prompter_ = nullptr;
    int language_;
    std::string textEncoding_;
};

}  // namespace m350::gui
