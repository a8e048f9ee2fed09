// SPDX-License-Identifier: MIT
#include "gui/dialogs/lpt_setup_dialog.h"

#include <algorithm>

#include "gui/dialogs/rs232_setup_dialog.h"
#include "gui/language_apply.h"
#include "gui/widgets/form_kit.h"

namespace m350::gui {

LptSetupDialog::LptSetupDialog(std::string& lptName, int language, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      lptName_(lptName),
      language_(language) {
    setObjectName(QStringLiteral("TFormLPTSetup"));
    setWindowTitle(QStringLiteral("LPT Setup"));
    setFixedSize(321, 37);
    lptCombo_ = newCombo(this, "ComboBoxLPT", {"LPT1", "LPT2", "LPT3", "LPT4"}, 8, 8, 145);
    setButton_ = newButton(this, "ButtonSet", "Set", 160, 6);
    cancelButton_ = newButton(this, "ButtonCancel", "Cancel", 240, 6);
    setButton_->setDefault(true);
    lptCombo_->setCurrentIndex(portItemIndex(lptName_, "LPT", 4));
    connect(setButton_, &QPushButton::clicked, this, &LptSetupDialog::onSetClicked);
    connect(cancelButton_, &QPushButton::clicked, this, &LptSetupDialog::onCancelClicked);
    applyDialogLanguage(this, "TFormLPTSetup", language_);
    // Longer captions widen the buttons towards the list, which gives way.
    widenButtonToCaption(cancelButton_, true);
    setButton_->move(std::min(setButton_->x(), cancelButton_->x() - 5 - setButton_->width()),
                     setButton_->y());
    widenButtonToCaption(setButton_, true);
    lptCombo_->resize(std::min(lptCombo_->width(), setButton_->x() - 7 - lptCombo_->x()),
                      lptCombo_->height());
}

void LptSetupDialog::onSetClicked() {
    if (lptCombo_->currentIndex() >= 0)
        lptName_ = "LPT" + std::to_string(lptCombo_->currentIndex() + 1);
    accept();
}

void LptSetupDialog::onCancelClicked() {
    reject();
}

}  // namespace m350::gui
