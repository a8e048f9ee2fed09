// SPDX-License-Identifier: MIT
// "LPT Setup": picks the parallel port name the main window owns.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <string>

namespace m350::gui {

class LptSetupDialog : public QDialog {
    Q_OBJECT
  public:
    LptSetupDialog(std::string& lptName, int language, QWidget* parent = nullptr);

  public slots:
    void onSetClicked();
    void onCancelClicked();

  private:
    QComboBox* lptCombo_;
    QPushButton *setButton_, *cancelButton_;

    std::string& lptName_;
    int language_;
};

}  // namespace m350::gui
