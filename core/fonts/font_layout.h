// SPDX-License-Identifier: MIT
// Which codes a full double-byte font holds, in file order: the half-width
// single-byte codes, then every trail byte of every lead byte. A reader finds
// a glyph by its position alone.
#pragma once

#include <vector>

namespace m350 {

struct FontLayout {
    std::vector<int> singleCodes;
    std::vector<int> leads;
    std::vector<int> trails;
    int progressBase = 0;     // first lead byte
    int progressDivisor = 1;  // last lead byte - first lead byte
};

// Asian encoding 0..3 (T, G, K, J); empty lists for other numbers.
FontLayout fullDoubleByteLayout(int asianEncoding);

}  // namespace m350
