// SPDX-License-Identifier: MIT
#include "gui/dialogs/emulation_dialog.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "core/access/emulation.h"
#include "core/link/link_operations.h"
#include "core/printer/maintenance.h"
#include "gui/app_context.h"
#include "gui/language_apply.h"
#include "gui/prompter.h"
#include "gui/widgets/radio_group.h"

namespace m350::gui {

EmulationDialog::EmulationDialog(int iface, AppContext& app, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      iface_(iface),
      app_(app) {
    setObjectName(QStringLiteral("TActiveEmu"));
    setWindowTitle(QStringLiteral("Emulation Setup"));
    emulationRadio_ =
        new RadioGroup(this, "RadioGroupActiveEmulation", QStringLiteral("Active Emulation"), 0, 0,
                       160, 70, {QStringLiteral("ZPL2"), QStringLiteral("CPCL")});
    emulationRadio_->setItemIndex(m350::kEmulationZpl2);
    setButton_ = new QPushButton(QStringLiteral("Set"), this);
    setButton_->setObjectName(QStringLiteral("Button1"));
    setButton_->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(setButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(emulationRadio_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(setButton_, &QPushButton::clicked, this, &EmulationDialog::onSetClicked);
    applyDialogLanguage(this, "TActiveEmu", app_.language());
    keepTitleWhole(*this);

    int active = -1;
    const int r = app_.runQuiet(ops::readEmulation(active), iface_);
    // A value that names neither emulation keeps the first, as a failed read
    // does: the selection never leaves the list.
    if (r == m350::kOk && (active == m350::kEmulationZpl2 || active == m350::kEmulationCpcl))
        emulationRadio_->setItemIndex(active);
}

void EmulationDialog::onSetClicked() {
    // The link pumps events while it writes; a second click waits for the first.
    if (switching_) return;
    switching_ = true;
    const int emulation = emulationRadio_->itemIndex();
    app_.runQuiet(ops::switchEmulation(emulation), iface_);
    switching_ = false;
    accept();
}

}  // namespace m350::gui
