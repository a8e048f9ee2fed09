// SPDX-License-Identifier: MIT
#include "gui/dialogs/password_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QVBoxLayout>

#include "gui/language_apply.h"
#include "gui/prompter.h"

namespace m350::gui {

namespace {
constexpr int kPasswordEditWidth = 220;
}  // namespace

QString passwordQText(const std::string& password) {
    return QString::fromLatin1(password.data(), static_cast<qsizetype>(password.size()));
}

PasswordDialog::PasswordDialog(const std::string& password, Prompter& prompter, int language,
                               QWidget* parent)
    : QDialog(parent, kPasswordWindowFlags), password_(password), prompter_(prompter) {
    setObjectName(QStringLiteral("TFormPassword"));
    setWindowTitle(QStringLiteral("Password"));

    // Shown as typed: the printer's password is no secret from the operator
    // who is asked for it.
    passwordEdit_ = new QLineEdit(this);
    passwordEdit_->setObjectName(QStringLiteral("EditPassword"));
    passwordEdit_->setMinimumWidth(kPasswordEditWidth);
    okButton_ = new QPushButton(QStringLiteral("OK"), this);
    okButton_->setObjectName(QStringLiteral("ButtonOK"));
    okButton_->setDefault(true);
    cancelButton_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton_->setObjectName(QStringLiteral("ButtonCancel"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);
    // The request is the window's title, which a window manager may cut on
    // a dialog this small: it is said in the dialog too.
    auto* prompt = new QLabel(this);
    prompt->setObjectName(QStringLiteral("LabelPrompt"));
    prompt->setBuddy(passwordEdit_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(passwordEdit_);
    layout->addLayout(buttons);
    // fixed size, but as large as the language's longest caption needs.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(okButton_, &QPushButton::clicked, this, &PasswordDialog::onOkClicked);
    connect(cancelButton_, &QPushButton::clicked, this, &PasswordDialog::onCancelClicked);
    applyDialogLanguage(this, "TFormPassword", language);
    prompt->setText(windowTitle());
    keepTitleWhole(*this);
}

void PasswordDialog::onOkClicked() {
    if (passwordEdit_->text() != passwordQText(password_)) {
        prompter_.message(QStringLiteral("Incorrect"));
        return;
    }
    passed_ = true;
    accept();
}

void PasswordDialog::onCancelClicked() {
    passed_ = false;
    reject();
}

}  // namespace m350::gui
