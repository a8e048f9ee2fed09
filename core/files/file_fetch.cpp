// SPDX-License-Identifier: MIT
#include "core/files/file_fetch.h"

#include "core/files/file_types.h"
#include "core/link/connection.h"
#include "core/link/link_operations.h"

namespace m350 {

int fetchFile(Link& link, const std::string& name, std::string& content, std::size_t capacity) {
    content.clear();
    if (checkPrinterFileName(name) == NameProblem::kUnsafeCharacter) return kTransmitError;
    Connection c(link.ctx, link.iface);
    if (!c.open()) return kPortOpenError;
    if (c.sendText("\r\n") != kOk) return kTransmitError;
    // The printer needs a moment after the line end before it takes the request.
    link.ctx.pause(500);
    const std::string request = "DIAGNOSTIC FILE \"" + name + "\"\r\n\r\n";
    link.ctx.pause(100);
    return c.query(request, content, capacity);
}

int retryWhileNotReceived(const std::function<int()>& attempt, int tries) {
    int result = kUnknownError;
    for (int i = 0; i < tries; ++i) {
        result = attempt();
        if (result != kReceiveError) break;
    }
    return result;
}

}  // namespace m350
