// SPDX-License-Identifier: MIT
// The window's link exchanges run on a worker thread: the printer may keep an
// operation waiting for seconds, and meanwhile the windows must paint, timers
// must fire and Cancel must be clickable. The GUI thread only shows what the
// worker reports.
#pragma once

#include <functional>

#include "core/link/link_context.h"

namespace m350::gui {

// Runs body on a thread of its own and returns its result, while this thread
// (the GUI thread) runs a local event loop until body has ended. For that
// span ctx.progress is replaced by a sink that posts every call to the sink
// it had, which therefore runs here, in the order the worker made the calls,
// all of them before this returns. Cancel sets ctx.stop from here; the worker
// sees it at its next chunk or wait slice.
//
// body may touch nothing of the windows: no widget, no prompter, no QFont.
// What needs them is done before or after the call, on this thread. The
// caller makes sure that no second exchange starts while one runs (events
// are processed meanwhile).
int runOnWorker(m350::LinkContext& ctx, const std::function<int()>& body);

}  // namespace m350::gui
