#include "access/TFormPasswordGate.h"

#include <string>

#include "access/PasswordGate.h"
#include "access/TFormPassword.h"
#include "access/TFormPasswordSetup.h"
#include "app/TFormMain.h"
#include "link/LinkOperations.h"

bool PasswordGate(TFormMain& main) {
    m350::PasswordGateSteps steps;
    steps.readPassword = [&main](std::string& password) {
        return main.RunStandard(m350::kOpReadPassword, &password);
    };
    steps.askOperator = [&main](const std::string& password) {
        TFormPassword dialog(password, main.prompter(), main.currentLanguage(), &main);
        dialog.move(main.DialogPlace());
        main.prompter().runModal(dialog);
        // The dialog's own verdict, never the dialog's result code alone: a
        // dialog closed any other way than OK with the password has not passed.
        return dialog.passed();
    };
    return m350::PasswordGate(steps);
}

void PasswordChange(TFormMain& main) {
    std::string password;
    if (main.RunStandard(m350::kOpReadPassword, &password) != m350::kOk) return;
    const std::string current = password;
    bool confirmed = false;
    {
        TFormPasswordSetup dialog(password, main.prompter(), main.currentLanguage(), &main);
        dialog.move(main.DialogPlace());
        main.prompter().runModal(dialog);
        confirmed = dialog.confirmed();
    }
    // The same password typed again is not worth a write.
    if (!confirmed || password == current) return;
    main.RunStandard(m350::kOpSetPassword, &password);
}
