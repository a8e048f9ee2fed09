// SPDX-License-Identifier: MIT
// The test page: one label with a frame 2 mm inside the edge, a rotated
// barcode of digits and the word TEST, scaled to the paper and the printer's
// resolution.
#pragma once

#include <string>

#include "core/link/link.h"

namespace m350 {

// What the label is scaled to: the resolution of the configuration last read
// and the paper size in dots.
struct TestPageRequest {
    float dotsPerMm = 0;
    float paperWidth = 0;   // dots
    float paperHeight = 0;  // dots
};

// The whole command text of the label, CLS to PRINT 1, every line ending in
// CR LF. Computed in 32-bit floats with truncation toward zero; a frame that
// does not fit leaves CLS, DIRECTION and PRINT only.
std::string testPageText(const TestPageRequest& request);

// Link operation 16: the text above in one write; no reply is read.
// kOk, kPortOpenError or kTransmitError.
int printTestPage(Link& link, const TestPageRequest& request);

}  // namespace m350
