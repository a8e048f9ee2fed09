// SPDX-License-Identifier: MIT
// A request to stop the operation that is running, set from another thread
// (the window's Cancel button) or a signal handler (Ctrl-C in m350ctl) and
// read by every wait of the link: fd waits, pauses, write chunks, USB
// transfers and the UDP passes. A stopped wait fails like a time-out, so the
// operation unwinds through its own failure path and closes its connection;
// the entry then reports kCancelled instead of the failure.
#pragma once

#include <atomic>

namespace m350 {

class StopToken {
  public:
    // Async-signal-safe: a lock-free store.
    void request() noexcept { requested_.store(true, std::memory_order_relaxed); }
    bool requested() const noexcept { return requested_.load(std::memory_order_relaxed); }
    void reset() noexcept { requested_.store(false, std::memory_order_relaxed); }

  private:
    std::atomic<bool> requested_{false};
    static_assert(std::atomic<bool>::is_always_lock_free);
};

}  // namespace m350
