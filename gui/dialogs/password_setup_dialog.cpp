#include "gui/dialogs/password_setup_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLayout>
#include <QVBoxLayout>

#include "core/access/password.h"
#include "gui/dialogs/password_dialog.h"
#include "gui/prompter.h"
#include "gui/language_apply.h"

namespace m350::gui {

const char* const kPasswordNotSendableText =
    "The new password may only hold printable ASCII characters other than \", at most 1022 "
    "of them.";

namespace {
constexpr Qt::WindowFlags kNoBorderIcons =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
constexpr int kEditWidth = 200;

QLineEdit* newPlainEdit(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMinimumWidth(kEditWidth);
    return edit;
}
}  // namespace

PasswordSetupDialog::PasswordSetupDialog(std::string& password, m350::gui::Prompter& prompter,
                                       int language, QWidget* parent)
    : QDialog(parent, kNoBorderIcons), password_(password), prompter_(prompter) {
    setObjectName(QStringLiteral("TFormPasswordSetup"));
    setWindowTitle(QStringLiteral("Password Setup"));

    LabelOldPassword = new QLabel(QStringLiteral("Old Password"), this);
    LabelOldPassword->setObjectName(QStringLiteral("LabelOldPassword"));
    EditOldPassword = newPlainEdit(this, "EditOldPassword");
    LabelNewPassword = new QLabel(QStringLiteral("New Password"), this);
    LabelNewPassword->setObjectName(QStringLiteral("LabelNewPassword"));
    EditNewPassword = newPlainEdit(this, "EditNewPassword");
    ButtonOK = new QPushButton(QStringLiteral("OK"), this);
    ButtonOK->setObjectName(QStringLiteral("ButtonOK"));
    ButtonOK->setDefault(true);
    ButtonCancel = new QPushButton(QStringLiteral("Cancel"), this);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));

    auto* fields = new QGridLayout;
    fields->addWidget(LabelOldPassword, 0, 0);
    fields->addWidget(EditOldPassword, 0, 1);
    fields->addWidget(LabelNewPassword, 1, 0);
    fields->addWidget(EditNewPassword, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ButtonOK);
    buttons->addWidget(ButtonCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(ButtonOK, &QPushButton::clicked, this, &PasswordSetupDialog::ButtonOKClick);
    connect(ButtonCancel, &QPushButton::clicked, this, &PasswordSetupDialog::ButtonCancelClick);
    m350::gui::applyDialogLanguage(this, "TFormPasswordSetup", language);
}

void PasswordSetupDialog::ButtonOKClick() {
    if (EditOldPassword->text() != passwordQText(password_)) {
        prompter_.message(QStringLiteral("Incorrect"));
        return;
    }
    // A quote or a line break would end the printer's command line early and
    // the rest would run as commands of its own; such a password is refused
    // here, with the dialog left open, rather than failing on the wire.
    const QString typed = EditNewPassword->text();
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

void PasswordSetupDialog::ButtonCancelClick() {
    reject();
}

}  // namespace m350::gui
