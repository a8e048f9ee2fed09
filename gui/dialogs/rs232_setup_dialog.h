// SPDX-License-Identifier: MIT
// "RS232 Setup": edits the serial settings the main window owns. Set stores
// the lists' indexes into the record; Cancel leaves it as it was.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <string>
#include <vector>

#include "core/transport/port.h"
#include "core/transport/port_settings.h"

namespace m350::gui {

class Rs232SetupDialog : public QDialog {
    Q_OBJECT
  public:
    Rs232SetupDialog(m350::SerialSettings& record, int language, QWidget* parent = nullptr);

    // Offers the system's serial devices after COM1..COM30 and selects the
    // one devicePath names; Set then stores the chosen device there (empty
    // when a COM name is chosen).
    void offerDevices(std::string& devicePath, const std::vector<m350::SerialDevice>& devices);

  public slots:
    void onSetClicked();
    void onCancelClicked();

  private:
    QLabel *comPortLabel_, *baudRateLabel_, *dataBitsLabel_, *parityCheckLabel_, *stopBitsLabel_,
        *hardwareHandshakeLabel_, *softwareHandshakeLabel_;
    QComboBox *comPortCombo_, *baudRateCombo_, *dataBitCombo_, *parityCombo_, *stopBitCombo_,
        *hardwareHandshakeCombo_, *softwareHandshakeCombo_;
    QPushButton *setButton_, *cancelButton_;

    void fitToCaptions();

    m350::SerialSettings& record_;
    std::string* devicePath_ = nullptr;
    int language_;
};

// Item index of a "COM<n>" or "LPT<n>" name in a list that starts at 1, or -1
// when the name is not of that form or past the list.
int portItemIndex(const std::string& name, const char* prefix, int itemCount);

}  // namespace m350::gui
