// SPDX-License-Identifier: MIT
// "Password Setup": the operator types the printer's current password and a
// new one. OK with the right old password puts the new one into the caller's
// text; anything else leaves that text as it was.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <string>

namespace m350::gui {

class Prompter;

class PasswordSetupDialog : public QDialog {
    Q_OBJECT
  public:
    // password: in, the printer's password as read; out, the new password
    // once confirmed.
    PasswordSetupDialog(std::string& password, Prompter& prompter, int language,
                        QWidget* parent = nullptr);

    // True after OK with the right old password and a new one that can be sent.
    bool confirmed() const { return confirmed_; }

  public slots:
    void onOkClicked();
    void onCancelClicked();

  private:
    QLabel *oldPasswordLabel_, *newPasswordLabel_;
    QLineEdit *oldPasswordEdit_, *newPasswordEdit_;
    QPushButton *okButton_, *cancelButton_;

    std::string& password_;
    Prompter& prompter_;
    bool confirmed_ = false;
};

// Shown when the new password holds a character the printer's password
// command cannot carry.
extern const char* const kPasswordNotSendableText;

}  // namespace m350::gui
