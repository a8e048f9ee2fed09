// SPDX-License-Identifier: MIT
#include "core/printer/dump_text.h"

#include "core/input/input_checks.h"
#include "core/link/connection.h"
#include "core/link/link_operations.h"

namespace m350 {

namespace {}  // namespace

std::string dumpCommand(const DumpRequest& request) {
    switch (request.mode) {
        case kDumpPrint:
            return "DUMP_TEXT PRINT,";
        case kDumpToCard:
            return "DUMP_TEXT SAVE 1000,E,\"" + request.fileName + "\",";
        case kDumpForFetch:
            return "DUMP_TEXT SAVE 1000,\"" + std::string(kDumpFetchName) + "\",";
        default:
            return {};
    }
}

bool dumpFileNameSendable(std::string_view name) {
    if (name.empty() || name.size() > kDumpFileNameMax || !quotable(name)) return false;
    for (unsigned char c : name)
        if (c > 0x7E) return false;
    return true;
}

int enterDumpMode(Link& link, const DumpRequest& request) {
    // A quote or a line end in the name would end the command early and the
    // rest would run as commands of its own.
    if (request.mode == kDumpToCard && !dumpFileNameSendable(request.fileName))
        return kTransmitError;
    const std::string command = dumpCommand(request);
    if (command.empty()) return kTransmitError;
    return sendCommand(link, command);
}

}  // namespace m350
