// SPDX-License-Identifier: MIT
// The password gate and the password change as the main window runs them.
//
// passwordGate is called first by every handler that changes the printer
// lastingly (configuration Set, factory default, clock set, calibration,
// download, format, font download, network settings write); the handler
// stops when it returns false. A failed password read has shown its result
// text; a refused or cancelled prompt shows nothing more.
#pragma once

// True when the lasting change may go ahead: the printer has no password
// (or the interface is the parallel port, which cannot read one), or the
// operator typed it in PasswordDialog and pressed OK.

namespace m350::gui {

class AppContext;

bool passwordGate(AppContext& app);

// onPasswordClicked: reads the password, lets the operator change it in
// PasswordSetupDialog, and sends the new one only when it differs.
void changePassword(AppContext& app);

}  // namespace m350::gui
