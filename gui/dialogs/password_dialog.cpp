#include "gui/dialogs/password_dialog.h"

#include <QHBoxLayout>
#include <QLayout>
#include <QVBoxLayout>

#include "gui/prompter.h"
#include "gui/language_apply.h"

namespace m350::gui {

namespace {
// title only: the dialog is left by its buttons or Escape.
constexpr Qt::WindowFlags kNoBorderIcons =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
constexpr int kEditWidth = 220;
}  // namespace

QString passwordQText(const std::string& password) {
    return QString::fromLatin1(password.data(), static_cast<qsizetype>(password.size()));
}

PasswordDialog::PasswordDialog(const std::string& password, m350::gui::Prompter& prompter, int language,
                             QWidget* parent)
    : QDialog(parent, kNoBorderIcons), password_(password), prompter_(prompter) {
    setObjectName(QStringLiteral("TFormPassword"));
    setWindowTitle(QStringLiteral("Password"));

    // Shown as typed: the printer's password is no secret from the operator
    // who is asked for it.
    EditPassword = new QLineEdit(this);
    EditPassword->setObjectName(QStringLiteral("EditPassword"));
    EditPassword->setMinimumWidth(kEditWidth);
    ButtonOK = new QPushButton(QStringLiteral("OK"), this);
    ButtonOK->setObjectName(QStringLiteral("ButtonOK"));
    ButtonOK->setDefault(true);
    ButtonCancel = new QPushButton(QStringLiteral("Cancel"), this);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ButtonOK);
    buttons->addWidget(ButtonCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(EditPassword);
    layout->addLayout(buttons);
    // fixed size, but as large as the language's longest caption needs.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(ButtonOK, &QPushButton::clicked, this, &PasswordDialog::ButtonOKClick);
    connect(ButtonCancel, &QPushButton::clicked, this, &PasswordDialog::ButtonCancelClick);
    m350::gui::applyDialogLanguage(this, "TFormPassword", language);
}

void PasswordDialog::ButtonOKClick() {
    if (EditPassword->text() != passwordQText(password_)) {
        prompter_.message(QStringLiteral("Incorrect"));
        return;
    }
    passed_ = true;
    accept();
}

void PasswordDialog::ButtonCancelClick() {
    passed_ = false;
    reject();
}

}  // namespace m350::gui
