// Dump text mode: the printer stops interpreting what it receives and prints
// it, or stores it as a text file, so an operator can see exactly which bytes
// a host application sends. A file stored in the printer comes back with the
// file fetch.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

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
// Receive buffer of a file fetch: the file comes in one frame of at most
// kFetchCapacity - 2 bytes.
inline constexpr std::size_t kFetchCapacity = 1048576;
// A fetch that keeps failing to receive is tried this often in all.
inline constexpr int kFetchTries = 3;

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

// Link operation 22: asks for a file stored in the printer (CR LF, a pause,
// "DIAGNOSTIC FILE" with the name) and reads it as one framed reply into
// data. A file of capacity - 1 bytes or more fails with kReceiveError.
int fetchFile(Link& link, std::string_view name, std::string& data,
              std::size_t capacity = kFetchCapacity);

// Runs attempt up to tries times in all, again only while it answers
// kReceiveError; the last result.
int retryWhileNotReceived(const std::function<int()>& attempt, int tries = kFetchTries);

}  // namespace m350
