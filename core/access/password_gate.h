// SPDX-License-Identifier: MIT
// The check run before every lasting change to the printer: read the
// printer's password and, when one is set, have the operator type it. The
// window (gui/password_gate_prompt.h) and m350ctl fill in the two steps.
#pragma once

#include <functional>
#include <string>

namespace m350 {

struct PasswordGateSteps {
    // Reads the printer's password into the text; returns a link result code
    // (a failure has already been shown to the operator).
    std::function<int(std::string& password)> readPassword;
    // Asks the operator for the password; true only when the operator typed
    // it and confirmed. Closing the prompt in any other way is false.
    std::function<bool(const std::string& password)> askOperator;
};

// True when the change may go ahead: the password was read and is empty, or
// the operator confirmed it.
bool passwordGate(const PasswordGateSteps& steps);

}  // namespace m350
