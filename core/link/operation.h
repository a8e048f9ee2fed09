// SPDX-License-Identifier: MIT
// A link operation declared once: its number, its name, what the parallel
// port does with it, how the progress window goes with it, whether the
// operator may stop it, and the typed function that runs it.
//
//   inline constexpr Operation<ClockValues&> readClock{
//       {kOpReadClock, "Reading the clock", OnLpt::kRuns, ProgressRule::kNone, kCancellable},
//       &m350::readClock};
//
//   ClockValues values;
//   int r = run(ctx, iface, ops::readClock(values));
//
// Calling a descriptor binds its arguments (references stay references) into
// a BoundOperation; runOperation runs that under the descriptor's rules. The
// window and m350ctl take BoundOperations, so no caller pairs a number with a
// call by hand. The descriptors themselves are in core/ops/operations.h.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <tuple>
#include <utility>

#include "core/link/link.h"

namespace m350 {

// What happens on the write-only parallel port before the call runs.
enum class OnLpt {
    kRuns,
    kRefused,    // an operation that must read: kReceiveError, nothing opened
    kEmptyText,  // the password read: kOk without running (no password assumed)
};

// How the progress window goes with the operation.
enum class ProgressRule {
    kNone,       // nothing shown around it
    kStep,       // the entry shows it in step mode (3, 3) around the call
    kOwnWindow,  // the body shows it itself: percent for transfers, steps for scans
};

inline constexpr bool kCancellable = true;
inline constexpr bool kNotCancellable = false;

struct OperationInfo {
    std::uint32_t number = 0;
    // English; the window shows it translated in the progress window.
    std::string_view name;
    OnLpt onLpt = OnLpt::kRuns;
    ProgressRule progress = ProgressRule::kNone;
    // False for exchanges that must not be cut halfway (configuration
    // write, password, clock set): a stop request waits until they end.
    bool cancellable = false;
    // Empty when both the window and m350ctl run it; otherwise which one
    // alone does and why: "window only: ..." or "m350ctl only: ...".
    std::string_view oneSide;
};

// A typed call bound to its arguments.
using OperationCall = std::function<int(Link&)>;

struct BoundOperation {
    const OperationInfo* info;
    OperationCall call;
};

template <class... Args>
struct Operation {
    OperationInfo info;
    int (*fn)(Link&, Args...);

    // Binds the arguments: lvalues by reference (out parameters are filled
    // in place), temporaries by value.
    template <class... Given>
    BoundOperation operator()(Given&&... given) const {
        static_assert(sizeof...(Given) == sizeof...(Args), "one argument for each parameter");
        return {&info, [f = fn, args = std::tuple<Given...>(std::forward<Given>(given)...)](
                           Link& link) mutable {
                    return std::apply([&](auto&... a) { return f(link, a...); }, args);
                }};
    }
};

// Runs a bound operation on the interface under its rules and returns its
// result code; never throws.
//  - On the parallel port, operations that must read are refused with
//    kReceiveError, and the password read answers kOk without running.
//  - kStep operations run inside the progress window.
//  - A cancellable operation that ctx.stop stops (before it starts or in one
//    of its waits) gives kCancelled, never kOk; one that cannot be cancelled
//    runs to its end whatever the stop token says.
int runOperation(LinkContext& ctx, const OperationInfo& info, int iface, const OperationCall& call);

inline int run(LinkContext& ctx, int iface, const BoundOperation& op) {
    return runOperation(ctx, *op.info, iface, op.call);
}

}  // namespace m350
