// SPDX-License-Identifier: MIT
#include "core/fonts/font_layout.h"

namespace m350 {

namespace {

std::vector<int> codes(int first, int last) {
    std::vector<int> v;
    for (int c = first; c <= last; ++c) v.push_back(c);
    return v;
}

std::vector<int> join(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

FontLayout fullDoubleByteLayout(int asianEncoding) {
    switch (asianEncoding) {
        case 0:  // Traditional Chinese
            return {codes(0x20, 0x7F), codes(0xA1, 0xFE),
                    join(codes(0x40, 0x7E), codes(0xA1, 0xFE)), 0xA1, 93};
        case 1:  // Simplified Chinese
            return {codes(0x20, 0x7F), codes(0x81, 0xFE), codes(0x40, 0xFE), 0x81, 125};
        case 2:  // Korean
            return {codes(0x20, 0x7F), codes(0xA1, 0xFE), codes(0xA0, 0xFE), 0xA1, 93};
        case 3:  // Japanese
            return {join(codes(0x20, 0x7F), codes(0xA0, 0xDF)),
                    join(codes(0x81, 0x9F), codes(0xE0, 0xFC)), codes(0x40, 0xFC), 0x81, 123};
        default:
            return {};
    }
}

}  // namespace m350
