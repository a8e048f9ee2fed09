// The password gate as the main window runs it.
#pragma once

class TFormMain;

// True when the lasting change may go ahead.
bool PasswordGate(TFormMain& main);
