// SPDX-License-Identifier: MIT
#include "cli/interrupt.h"

#include <signal.h>

namespace m350::cli {

namespace {
m350::StopToken* gToken = nullptr;
}  // namespace

void onInterrupt(int sig) {
    // SIGINT is blocked while its handler runs, so the look and the request
    // cannot interleave with another Ctrl-C.
    if (gToken && !gToken->requested()) {
        gToken->request();
        return;
    }
    ::signal(sig, SIG_DFL);
    ::raise(sig);
}

void stopOnInterrupt(m350::StopToken& token) {
    gToken = &token;
    struct sigaction sa {};
    sa.sa_handler = onInterrupt;
    sigemptyset(&sa.sa_mask);
    // No SA_RESTART: a wait in poll() returns at once and looks at the token.
    ::sigaction(SIGINT, &sa, nullptr);
}

}  // namespace m350::cli
