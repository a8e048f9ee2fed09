#include "gui/password_gate_prompt.h"

#include <string>

#include "core/access/password.h"
#include "core/access/password_gate.h"
#include "gui/dialogs/password_dialog.h"
#include "gui/dialogs/password_setup_dialog.h"
#include "gui/main_window.h"
#include "core/link/link_operations.h"

namespace m350::gui {

bool passwordGate(MainWindow& main) {
    m350::PasswordGateSteps steps;
    steps.readPassword = [&main](std::string& password) {
        return main.runStandard(m350::kOpReadPassword,
                                [&](m350::Link& l) { return m350::readPassword(l, password); });
    };
    steps.askOperator = [&main](const std::string& password) {
        PasswordDialog dialog(password, main.prompter(), main.currentLanguage(), &main);
        dialog.move(main.dialogPlace());
        main.prompter().runModal(dialog);
        // The dialog's own verdict, never the dialog's result code alone: a
        // dialog closed any other way than OK with the password has not passed.
        return dialog.passed();
    };
    return m350::passwordGate(steps);
}

void PasswordChange(MainWindow& main) {
    std::string password;
    if (main.runStandard(m350::kOpReadPassword, [&](m350::Link& l) {
            return m350::readPassword(l, password);
        }) != m350::kOk)
        return;
    const std::string current = password;
    bool confirmed = false;
    {
        PasswordSetupDialog dialog(password, main.prompter(), main.currentLanguage(), &main);
        dialog.move(main.dialogPlace());
        main.prompter().runModal(dialog);
        confirmed = dialog.confirmed();
    }
    // The same password typed again is not worth a write.
    if (!confirmed || password == current) return;
    main.runStandard(m350::kOpSetPassword,
                     [&](m350::Link& l) { return m350::setPassword(l, password); });
}

}  // namespace m350::gui
