// SPDX-License-Identifier: MIT
// Dump text mode: the printer stops interpreting what it receives and prints
// it, or stores it as a text file, so an operator can see exactly which bytes
// a host application sends. A file stored in the printer comes back with the
// file fetch.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "core/files/file_fetch.h"
#include "core/link/link.h"

namespace m350 {

enum DumpMode : int {
    kDumpPrint = 0,     // "Print Label"
    kDumpToCard = 1,    // "Save to SD Card", under the request's file name
    kDumpForFetch = 2,  // "Save to File": kept in the printer as Dump.txt, then fetched
};

// The file the printer keeps a dump in for fetching.
inline constexpr std::string_view kDumpFetchName = "Dump.txt";
// Longest file name the dump dialog takes.
inline constexpr std::size_t kDumpFileNameMax = 12;

struct DumpRequest {
    int mode = kDumpPrint;
    std::string fileName = std::string(kDumpFetchName);
};

// The command that enters the mode; no line end follows it, since what comes
// next is the text to dump.
std::string dumpCommand(const DumpRequest& request);

// A file name the card form can carry inside its quotes: printable ASCII
// without '"', at most kDumpFileNameMax characters, not empty.
bool dumpFileNameSendable(std::string_view name);

// Link operation 6: sends the command of the request's mode in one write.
// kOk, kPortOpenError or kTransmitError (also for a card file name that is
// not sendable: nothing is sent then).
int enterDumpMode(Link& link, const DumpRequest& request);

}  // namespace m350
