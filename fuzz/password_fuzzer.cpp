// SPDX-License-Identifier: MIT
// The password read against a printer whose replies (edition, password) are
// arbitrary bytes split at NULs; whatever it returns must be a text the
// password check can judge.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/access/password.h"
#include "core/link/link_operations.h"
#include "support/scripted_port.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> replies = m350test::repliesSplitAtNul(data, size);
    m350test::ScriptedLink link(replies);
    std::string password;
    m350::runOperation(link.ctx(), m350::kOpReadPassword, m350::kCom,
                       [&](m350::Link& l) { return m350::readPassword(l, password); });
    (void)m350::passwordTextSendable(password);
    return 0;
}
