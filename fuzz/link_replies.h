// SPDX-License-Identifier: MIT
// The fuzz input as the replies of a scripted printer: split at each NUL, so
// the fuzzer controls every frame an operation reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

inline std::vector<std::string> repliesOf(const std::uint8_t* data, std::size_t size) {
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
    return replies;
}
