// The printer password: link operation 2 reads it with a report query, link
// operation 3 sets it with a command line. The password lives only in the
// printer; the comparison with what the operator types is the caller's.
#pragma once

#include <cstddef>
#include <string_view>

namespace m350 {

// A password read back must fit one frame of the 1024-byte reply buffer.
inline constexpr std::size_t kMaxPasswordLength = 1022;

// Printers of this edition and below have no password.
inline constexpr int kLastEditionWithoutPassword = 100;

// True when the text can be sent in the quoted DIAGNOSTIC PASSWORD line: at most
// kMaxPasswordLength printable ASCII characters and no '"'. A quote or a line
// break would end the line early and let the rest run as printer commands.
bool passwordTextSendable(std::string_view text);

}  // namespace m350
