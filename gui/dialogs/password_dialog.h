// SPDX-License-Identifier: MIT
// "Password": asks the operator for the printer's password before a lasting
// change. The dialog holds its own verdict. The password it compares with is
// never overwritten, so no way of closing the dialog (Cancel, Escape, the
// window manager) can turn into a pass, whatever the printer's password is.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <string>

namespace m350::gui {

class Prompter;

// The password windows have a title bar only: they are left by their buttons
// or Escape.
constexpr Qt::WindowFlags kPasswordWindowFlags =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;

class PasswordDialog : public QDialog {
    Q_OBJECT
  public:
    // password: the printer's password as read; prompter shows "Incorrect".
    PasswordDialog(const std::string& password, Prompter& prompter, int language,
                   QWidget* parent = nullptr);

    // True only after OK with the exact password.
    bool passed() const { return passed_; }

  public slots:
    void onOkClicked();
    void onCancelClicked();

  private:
    QLineEdit* passwordEdit_;
    QPushButton *okButton_, *cancelButton_;

    const std::string& password_;
    Prompter& prompter_;
    bool passed_ = false;
};

// The printer password as the operator types it: the reply's bytes, one
// character each, as a report payload has no other encoding.
QString passwordQText(const std::string& password);

}  // namespace m350::gui
