#include "gui/dialogs/lpt_setup_dialog.h"

#include <algorithm>

#include "gui/widgets/form_kit.h"
#include "gui/language_apply.h"
#include "gui/dialogs/rs232_setup_dialog.h"

namespace m350::gui {

LptSetupDialog::LptSetupDialog(std::string& lptName, int language, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      lptName_(lptName),
      language_(language) {
    setObjectName(QStringLiteral("TFormLPTSetup"));
    setWindowTitle(QStringLiteral("LPT Setup"));
    setFixedSize(321, 37);
    ComboBoxLPT =
        m350::gui::newCombo(this, "ComboBoxLPT", {"LPT1", "LPT2", "LPT3", "LPT4"}, 8, 8, 145);
    ButtonSet = m350::gui::newButton(this, "ButtonSet", "Set", 160, 6);
    ButtonCancel = m350::gui::newButton(this, "ButtonCancel", "Cancel", 240, 6);
    ButtonSet->setDefault(true);
    ComboBoxLPT->setCurrentIndex(portItemIndex(lptName_, "LPT", 4));
    connect(ButtonSet, &QPushButton::clicked, this, &LptSetupDialog::ButtonSetClick);
    connect(ButtonCancel, &QPushButton::clicked, this, &LptSetupDialog::ButtonCancelClick);
    m350::gui::applyDialogLanguage(this, "TFormLPTSetup", language_);
    // Longer captions widen the buttons towards the list, which gives way.
    m350::gui::widenButtonToCaption(ButtonCancel, true);
    ButtonSet->move(std::min(ButtonSet->x(), ButtonCancel->x() - 5 - ButtonSet->width()),
                    ButtonSet->y());
    m350::gui::widenButtonToCaption(ButtonSet, true);
    ComboBoxLPT->resize(std::min(ComboBoxLPT->width(), ButtonSet->x() - 7 - ComboBoxLPT->x()),
                        ComboBoxLPT->height());
}

void LptSetupDialog::ButtonSetClick() {
    if (ComboBoxLPT->currentIndex() >= 0)
        lptName_ = "LPT" + std::to_string(ComboBoxLPT->currentIndex() + 1);
    accept();
}

void LptSetupDialog::ButtonCancelClick() {
    reject();
}

}  // namespace m350::gui
