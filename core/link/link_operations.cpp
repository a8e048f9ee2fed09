// SPDX-License-Identifier: MIT
#include "core/link/link_operations.h"

#include <array>
#include <cstdint>

#include "core/link/connection.h"

namespace m350 {

std::string_view resultText(int code) {
    static constexpr std::array<std::string_view, 8> kTexts = {
        "",
        "Port Open Error",
        "Data Transmission Error",
        "Data Receiving Error",
        "File Open Error",
        "Unknow Error",
        "Not Support",
        "Cancelled",
    };
    if (code < 0 || code >= static_cast<int>(kTexts.size())) return {};
    return kTexts[static_cast<std::size_t>(code)];
}

int runOperation(LinkContext& ctx, const OperationInfo& info, int iface,
                 const OperationCall& call) {
    if (!call) return kUnknownError;
    ctx.lastError = {};
    if (iface == kLpt) {
        if (info.onLpt == OnLpt::kRefused) return kReceiveError;
        if (info.onLpt == OnLpt::kEmptyText) return kOk;
    }
    if (!ctx.settings) return kPortOpenError;
    // A stop asked for before the operation starts (a second operation of a
    // command, the window's Cancel while it was about to run) ends it unopened.
    const bool wasCancellable = ctx.cancellable;
    ctx.cancellable = info.cancellable;
    if (ctx.stopping()) {
        ctx.cancellable = wasCancellable;
        return kCancelled;
    }
    Link link{ctx, iface};
    const bool wrap = info.progress == ProgressRule::kStep;
    ctx.sink().operationStarted(info.name, info.cancellable);
    if (wrap) showProgress(ctx, kStepMode, 3, 3);
    int result = call(link);
    if (wrap) hideProgress(ctx);
    ctx.sink().operationEnded();
    // The stopped wait failed like a time-out; the operator must read that
    // the operation was cancelled, not that the printer failed.
    if (result != kOk && ctx.stopping()) result = kCancelled;
    ctx.cancellable = wasCancellable;
    return result;
}

int sendCommand(Link& link, std::string_view bytes) {
    Connection c(link.ctx, link.iface);
    if (!c.open()) return kPortOpenError;
    return c.write(bytes) ? kOk : kTransmitError;
}

int testConnection(Link& link) {
    Connection c(link.ctx, link.iface);
    return c.open() ? kOk : kPortOpenError;
}

}  // namespace m350
