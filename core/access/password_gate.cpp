// SPDX-License-Identifier: MIT
#include "core/access/password_gate.h"

namespace m350 {

bool passwordGate(const PasswordGateSteps& steps) {
    std::string password;
    if (!steps.readPassword || steps.readPassword(password) != 0) return false;
    if (password.empty()) return true;
    return steps.askOperator && steps.askOperator(password);
}

}  // namespace m350
