// SPDX-License-Identifier: MIT
// Ctrl-C in m350ctl: the first one asks the running printer operation to stop
// (it ends at its next chunk or wait slice, closes its connection and is
// reported as "Cancelled", exit status 130); a second one ends the process at
// once, as Ctrl-C usually does.
#pragma once

#include "core/link/stop_token.h"

namespace m350::cli {

// Points SIGINT at token.
void stopOnInterrupt(m350::StopToken& token);

// The SIGINT handler itself, for handlers that take SIGINT over for a while
// (the password prompt) and pass it on.
void onInterrupt(int sig);

}  // namespace m350::cli
