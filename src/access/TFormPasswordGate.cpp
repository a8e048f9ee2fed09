#include "access/TFormPasswordGate.h"

#include "access/PasswordGate.h"
#include "app/TFormMain.h"

// TO BE COMPLETED by the password work. Until link operation 2 and the
// password dialog exist, the gate sees an empty password and passes. The
// finished gate reads the password with link operation 2 through
// TFormMain::RunStandard and asks with the password dialog placed at a third
// of the main window's width and height.
bool PasswordGate(TFormMain& main) {
    (void)main;
    m350::PasswordGateSteps steps;
    steps.readPassword = [](std::string& password) {
        password.clear();
        return 0;
    };
    steps.askOperator = [](const std::string&) { return false; };
    return m350::PasswordGate(steps);
}
