// SPDX-License-Identifier: MIT
// "Emulation Setup": which emulated command language the printer has active,
// and the switch to the other. Nothing it does is reported to the operator.
#pragma once

#include <QDialog>
#include <QPushButton>

namespace m350::gui {

class AppContext;
class RadioGroup;

class EmulationDialog : public QDialog {
    Q_OBJECT
  public:
    // Reads the active emulation on iface while it is built.
    EmulationDialog(int iface, AppContext& app, QWidget* parent = nullptr);

  public slots:
    // Button1: switches to the selected emulation and closes.
    void onSetClicked();

  private:
    RadioGroup* emulationRadio_;
    QPushButton* setButton_;

    int iface_;
    AppContext& app_;
    bool switching_ = false;
};

}  // namespace m350::gui
