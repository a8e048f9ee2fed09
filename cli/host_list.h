// SPDX-License-Identifier: MIT
// The printers a fleet run works on, read from a hosts file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/transport/port_settings.h"

namespace m350::cli {

// The printers of a hosts file: one HOST[:PORT] per line ('#' starts a
// comment, blank lines are skipped), or the JSON array m350ctl discover
// --json prints (each object's "ip", and its "port" when there is one).
// False with a message naming the line when an entry is not an address.
bool parseHostList(std::string_view text, std::vector<m350::NetAddress>& hosts, std::string& error);

// The lines of a text, split at each LF (a CR before it stays).
std::vector<std::string_view> textLines(std::string_view text);

}  // namespace m350::cli
