// SPDX-License-Identifier: MIT
// "USB Setup": which USB device the window drives. Lists the devices that
// may be a printer as `m350ctl usb list --all` does (the printer list's
// devices, every printer-class device, the one named), with the automatic
// choice first; the choice is the device text of the port settings
// ("VID:PID[:SERIAL]" or a bus path, empty for automatic). With no device to
// offer it says how a printer is allowed.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <string>

#include "core/transport/usb_survey.h"

namespace m350::gui {

class UsbSetupDialog : public QDialog {
    Q_OBJECT
  public:
    UsbSetupDialog(std::string& usbDevice, const m350::UsbSurvey& survey, int language,
                   QWidget* parent = nullptr);

    // The device text an entry of the survey is chosen by: its identifiers
    // with the serial number, or its bus path when that alone tells it from
    // a twin.
    static std::string choiceText(const m350::UsbSurvey& survey, std::size_t entry);

  public slots:
    void onSetClicked();
    void onCancelClicked();

  private:
    QListWidget* deviceList_;
    QLabel* hintLabel_;
    QPushButton *setButton_, *cancelButton_;

    std::string& usbDevice_;
    std::vector<std::string> choices_;  // per row; row 0 is the automatic choice ("")
};

}  // namespace m350::gui
