// SPDX-License-Identifier: MIT
#include "gui/password_gate_prompt.h"

#include <string>

#include "core/access/password.h"
#include "core/access/password_gate.h"
#include "core/link/link_operations.h"
#include "gui/app_context.h"
#include "gui/dialogs/password_dialog.h"
#include "gui/dialogs/password_setup_dialog.h"
#include "gui/prompter.h"

namespace m350::gui {

bool passwordGate(AppContext& app) {
    m350::PasswordGateSteps steps;
    steps.readPassword = [&app](std::string& password) {
        return app.runStandard(ops::readPassword(password));
    };
    steps.askOperator = [&app](const std::string& password) {
        PasswordDialog dialog(password, app.prompter(), app.language(), app.dialogParent());
        dialog.move(app.dialogPlace());
        app.prompter().runModal(dialog);
        // The dialog's own verdict, never the dialog's result code alone: a
        // dialog closed any other way than OK with the password has not passed.
        return dialog.passed();
    };
    return m350::passwordGate(steps);
}

void changePassword(AppContext& app) {
    std::string password;
    if (app.runStandard(ops::readPassword(password)) != m350::kOk) return;
    const std::string current = password;
    bool confirmed = false;
    {
        PasswordSetupDialog dialog(password, app.prompter(), app.language(), app.dialogParent());
        dialog.move(app.dialogPlace());
        app.prompter().runModal(dialog);
        confirmed = dialog.confirmed();
    }
    // The same password typed again is not worth a write.
    if (!confirmed || password == current) return;
    app.runStandard(ops::setPassword(password));
}

}  // namespace m350::gui
