// SPDX-License-Identifier: MIT
// Link operation 22: a file of the printer's memory comes back whole in one
// framed reply to DIAGNOSTIC FILE "NAME".
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "core/link/link.h"

namespace m350 {

// The receive buffer the dump text fetch uses; a file comes back in one frame,
// so it can hold at most two bytes less.
inline constexpr std::size_t kFetchCapacity = 1048576;

// Opens, sends CR LF, waits 500 ms, waits 100 ms more, then asks with
// DIAGNOSTIC FILE "NAME" CR LF CR LF and reads the reply frame into content
// (at most capacity - 2 bytes). kOk, kPortOpenError, kTransmitError or
// kReceiveError; a name with a double quote or a control character is not
// sent (kTransmitError), as it would end the quoted name early.
int fetchFile(Link& link, const std::string& name, std::string& content,
              std::size_t capacity = kFetchCapacity);

// A fetch that keeps failing to receive is tried this often in all.
inline constexpr int kFetchTries = 3;

// Runs attempt up to tries times in all, again only while it answers
// kReceiveError; the last result.
int retryWhileNotReceived(const std::function<int()>& attempt, int tries = kFetchTries);

}  // namespace m350
