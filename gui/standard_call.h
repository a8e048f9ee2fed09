// The call pattern every window uses around a link operation: the main window
// is disabled so no second operation can start, the operation runs, a failure
// shows its result text, and the main window is enabled and brought forward.
#pragma once

#include <cstdint>
#include <functional>

class QWidget;

namespace m350 {
struct LinkContext;
}

namespace m350::gui {

class Prompter;

// Runs the operation and returns its result code. onSuccess runs after a
// result of 0, while the main window is still disabled (the status word, for
// example, is shown before the window comes back).
int runStandardCall(QWidget& mainWindow, Prompter& prompter, m350::LinkContext& link, int iface,
                    std::uint32_t op, void* buffer, int extra,
                    const std::function<void()>& onSuccess = {});

}  // namespace m350::gui
