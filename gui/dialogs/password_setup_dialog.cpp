// SPDX-License-Identifier: MIT
#include "gui/dialogs/password_setup_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLayout>
#include <QVBoxLayout>

#include "core/access/password.h"
#include "gui/dialogs/password_dialog.h"
#include "gui/language_apply.h"
#include "gui/prompter.h"

namespace m350::gui {

const char* const kPasswordNotSendableText =
    "The new password may only hold printable ASCII characters other than \", at most 1022 "
    "of them.";

namespace {
constexpr int kSetupEditWidth = 200;

QLineEdit* newPlainEdit(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMinimumWidth(kSetupEditWidth);
    return edit;
}
}  // namespace

PasswordSetupDialog::PasswordSetupDialog(std::string& password, Prompter& prompter, int language,
                                         QWidget* parent)
    : QDialog(parent, kPasswordWindowFlags), password_(password), prompter_(prompter) {
    setObjectName(QStringLiteral("TFormPasswordSetup"));
    setWindowTitle(QStringLiteral("Password Setup"));

    oldPasswordLabel_ = new QLabel(QStringLiteral("Old Password"), this);
    oldPasswordLabel_->setObjectName(QStringLiteral("LabelOldPassword"));
    oldPasswordEdit_ = newPlainEdit(this, "EditOldPassword");
    newPasswordLabel_ = new QLabel(QStringLiteral("New Password"), this);
    newPasswordLabel_->setObjectName(QStringLiteral("LabelNewPassword"));
    newPasswordEdit_ = newPlainEdit(this, "EditNewPassword");
    okButton_ = new QPushButton(QStringLiteral("OK"), this);
    okButton_->setObjectName(QStringLiteral("ButtonOK"));
    okButton_->setDefault(true);
    cancelButton_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton_->setObjectName(QStringLiteral("ButtonCancel"));

    auto* fields = new QGridLayout;
    fields->addWidget(oldPasswordLabel_, 0, 0);
    fields->addWidget(oldPasswordEdit_, 0, 1);
    fields->addWidget(newPasswordLabel_, 1, 0);
    fields->addWidget(newPasswordEdit_, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(okButton_, &QPushButton::clicked, this, &PasswordSetupDialog::onOkClicked);
    connect(cancelButton_, &QPushButton::clicked, this, &PasswordSetupDialog::onCancelClicked);
    applyDialogLanguage(this, "TFormPasswordSetup", language);
    keepTitleWhole(*this);
}

void PasswordSetupDialog::onOkClicked() {
    if (oldPasswordEdit_->text() != passwordQText(password_)) {
        prompter_.message(QStringLiteral("Incorrect"));
        return;
    }
    // A quote or a line break would end the printer's command line early and
    // the rest would run as commands of its own; such a password is refused
    // here, with the dialog left open, rather than failing on the wire.
    const QString typed = newPasswordEdit_->text();
    const QByteArray bytes = typed.toLatin1();
    if (QString::fromLatin1(bytes) != typed ||
        !m350::passwordTextSendable(std::string_view(bytes.constData(), bytes.size()))) {
        prompter_.message(QString::fromLatin1(kPasswordNotSendableText));
        return;
    }
    password_.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    confirmed_ = true;
    accept();
}

void PasswordSetupDialog::onCancelClicked() {
    reject();
}

}  // namespace m350::gui
