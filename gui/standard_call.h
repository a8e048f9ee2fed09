// SPDX-License-Identifier: MIT
// The call pattern every window uses around a link operation: the main window
// is disabled so no second operation can start, the operation runs, a failure
// shows its result text, and the main window is enabled and brought forward.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>

#include "core/link/link_operations.h"

class QWidget;

namespace m350::gui {

class Prompter;

// The cause of a failed open for the details of the message box: the device
// and the system's reason, and on a second line what to do; empty without one.
QString portErrorDetails(const m350::PortError& error, int iface);

// Runs the bound operation and returns its result code. onSuccess runs after
// a result of 0, while the main window is still disabled (the status word,
// for example, is shown before the window comes back).
// exchange runs the operation and gives its result; a kCancelled result is
// shown in the interface language.
int runStandardCall(QWidget& mainWindow, Prompter& prompter, const m350::LinkContext& link,
                    int iface, const std::function<int()>& exchange,
                    const std::function<void()>& onSuccess = {}, int language = 0);

}  // namespace m350::gui
