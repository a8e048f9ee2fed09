// SPDX-License-Identifier: MIT
// The printer password: link operation 2 reads it with a report query, link
// operation 3 sets it with a command line. The password lives only in the
// printer; the comparison with what the operator types is the caller's.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/link/link.h"

namespace m350 {

// A password read back must fit one frame of the 1024-byte reply buffer.
inline constexpr std::size_t kMaxPasswordLength = 1022;

// Printers of this edition and below have no password.
inline constexpr int kLastEditionWithoutPassword = 100;

// True when the text can be sent in the quoted DIAGNOSTIC PASSWORD line: at most
// kMaxPasswordLength printable ASCII characters and no '"'. A quote or a line
// break would end the line early and let the rest run as printer commands.
bool passwordTextSendable(std::string_view text);

// Link operation 2: the printer's password into out, empty when the printer
// has none (edition 100 and below are not asked). The result is that of the
// last query made.
int readPassword(Link& link, std::string& out);

// Link operation 3: sets the password. A text that is not sendable is refused
// with kTransmitError before the port is opened. The reply's content is not
// examined, only that a frame came.
int setPassword(Link& link, const std::string& password);

}  // namespace m350
