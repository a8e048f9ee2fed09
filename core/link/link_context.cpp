// SPDX-License-Identifier: MIT
#include "core/link/link_context.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace m350 {

namespace {
NullProgress gNullProgress;
constexpr int kPauseSliceMs = 20;
}  // namespace

ProgressSink& LinkContext::sink() {
    return progress ? *progress : gNullProgress;
}

void LinkContext::pause(int ms) {
    if (stopping()) return;
    if (sleep) {
        sleep(ms);
        return;
    }
    // Sleep in slices so a window stays painted during long waits.
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        pump();
        if (stopping()) break;
        auto now = std::chrono::steady_clock::now();
        if (now >= until) break;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - now);
        std::this_thread::sleep_for(std::min(left, std::chrono::milliseconds(kPauseSliceMs)));
    }
}

void showProgress(LinkContext& ctx, int mode, int initialStep, int step, const char* caption) {
    auto& st = ctx.progressState;
    st.active = true;
    st.mode = mode;
    st.step = step;
    st.position = std::clamp(initialStep, 0, 100);
    ctx.sink().open(caption);
    ctx.sink().setPosition(st.position);
    ctx.pump();
}

void reportProgress(LinkContext& ctx, int kind, int percent) {
    auto& st = ctx.progressState;
    if (!st.active || kind != st.mode) return;
    if (kind == kStepMode) {
        // A long configuration read steps past the end: the bar starts over
        // rather than sitting full for most of the read.
        st.position += st.step;
        if (st.position > 100) st.position -= 100;
    } else {
        st.position = std::clamp(percent, 0, 100);
    }
    ctx.sink().setPosition(st.position);
}

void reportTransferred(LinkContext& ctx, std::uint64_t done, std::uint64_t total) {
    const auto& st = ctx.progressState;
    if (st.active && st.mode == kPercentMode) ctx.sink().transferred(done, total);
}

void hideProgress(LinkContext& ctx) {
    ctx.pause(ctx.timeouts.progressHideMs);
    auto& st = ctx.progressState;
    st.active = false;
    st.position = 100;
    ctx.sink().setPosition(100);
    ctx.sink().close();
}

}  // namespace m350
