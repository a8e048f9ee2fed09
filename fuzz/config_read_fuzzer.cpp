// A configuration read against a printer whose replies are arbitrary bytes:
// every reply is split off at a NUL, so the fuzzer controls each frame.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/config/config_read.h"
#include "core/config/config_record.h"
#include "core/link/link_operations.h"
#include "support/scripted_port.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> replies;
    std::string cur;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            replies.push_back(cur);
            cur.clear();
        } else {
            cur.push_back(static_cast<char>(data[i]));
        }
    }
    replies.push_back(cur);
    m350test::ScriptedLink link(replies);
    m350::ConfigRecord record;
    m350::runOperation(link.ctx(), m350::kOpReadConfig, m350::kCom,
                       [&](m350::Link& l) { return m350::readConfig(l, record); });
    return 0;
}
