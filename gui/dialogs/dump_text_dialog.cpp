// SPDX-License-Identifier: MIT
#include "gui/dialogs/dump_text_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "gui/language_apply.h"
#include "gui/prompter.h"
#include "gui/widgets/form_kit.h"
#include "gui/widgets/radio_group.h"

namespace m350::gui {

const char* const kDumpFileNameNotSendableText =
    "The file name must hold 1 to 12 printable ASCII characters other than \".";

DumpTextDialog::DumpTextDialog(m350::DumpRequest& request, Prompter& prompter, int language,
                               QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      request_(request),
      prompter_(prompter) {
    setObjectName(QStringLiteral("TFormDumpTextSetup"));
    setWindowTitle(QStringLiteral("Dump Text Setup"));

    dumpModeRadio_ =
        new RadioGroup(this, "RadioGroupDumpMode", QStringLiteral("Dump Text Setup"), 0, 0, 212, 97,
                       {QStringLiteral("Print Label"), QStringLiteral("Save to SD Card"),
                        QStringLiteral("Save to File")});
    fileNameLabel_ = new QLabel(QStringLiteral("File Name:"), this);
    fileNameLabel_->setObjectName(QStringLiteral("LabelFileName"));
    fileNameEdit_ = new QLineEdit(this);
    fileNameEdit_->setObjectName(QStringLiteral("EditFileName"));
    // No typing limit that would cut a pasted name: OK refuses a name the
    // card command cannot carry, with the dialog left open.
    fileNameLabel_->setBuddy(fileNameEdit_);
    okButton_ = new QPushButton(QStringLiteral("Set"), this);
    okButton_->setObjectName(QStringLiteral("ButtonOK"));
    okButton_->setDefault(true);
    cancelButton_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton_->setObjectName(QStringLiteral("ButtonCancel"));

    auto* name = new QHBoxLayout;
    name->addWidget(fileNameLabel_);
    name->addWidget(fileNameEdit_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(dumpModeRadio_);
    layout->addLayout(name);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setMinimumSize(228, 195);

    connect(dumpModeRadio_, &RadioGroup::itemIndexChanged, this,
            &DumpTextDialog::onDumpModeClicked);
    connect(okButton_, &QPushButton::clicked, this, &DumpTextDialog::onOkClicked);
    connect(cancelButton_, &QPushButton::clicked, this, &DumpTextDialog::onCancelClicked);

    fileNameEdit_->setText(QString::fromLatin1(request_.fileName.data(),
                                               static_cast<qsizetype>(request_.fileName.size())));
    dumpModeRadio_->setItemIndex(request_.mode);
    applyDialogLanguage(this, "TFormDumpTextSetup", language);
    keepTitleWhole(*this);
    applyFileNameRule(request_.mode);
}

void DumpTextDialog::applyFileNameRule(int mode) {
    if (mode == m350::kDumpPrint)
        fileNameEdit_->setEnabled(false);
    else if (mode == m350::kDumpToCard)
        fileNameEdit_->setEnabled(true);
}

void DumpTextDialog::onDumpModeClicked(int index) {
    request_.mode = index;
    applyFileNameRule(index);
}

void DumpTextDialog::onOkClicked() {
    const int mode = dumpModeRadio_->itemIndex();
    const QByteArray name = fileNameEdit_->text().toLatin1();
    const std::string nameBytes(name.constData(), static_cast<std::size_t>(name.size()));
    // A name that would break out of the card command's quotes is refused
    // here, with the dialog left open, rather than failing on the wire.
    if (mode == m350::kDumpToCard && (QString::fromLatin1(name) != fileNameEdit_->text() ||
                                      !m350::dumpFileNameSendable(nameBytes))) {
        prompter_.message(QString::fromLatin1(kDumpFileNameNotSendableText));
        return;
    }
    request_.mode = mode;
    request_.fileName = nameBytes;
    confirmed_ = true;
    accept();
}

void DumpTextDialog::onCancelClicked() {
    confirmed_ = false;
    reject();
}

}  // namespace m350::gui
