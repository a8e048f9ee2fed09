// SPDX-License-Identifier: MIT
// The bytes the simulator's session sent, in order, from its actions.
#pragma once

#include <string>
#include <vector>

#include "session.h"

namespace m350test {

inline std::string sent(const std::vector<m350::sim::Action>& actions) {
    std::string s;
    for (const auto& a : actions) s += a.bytes;
    return s;
}

}  // namespace m350test
