// SPDX-License-Identifier: MIT
#include "core/printer/test_page.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>

#include "core/link/link_operations.h"

namespace m350 {

namespace {

// Truncation toward zero that cannot overflow: a size from a damaged
// configuration file (infinite, not a number, far beyond any label) is held
// to what an int carries instead of being undefined.
std::int64_t truncated(float v) {
    if (std::isnan(v)) return 0;
    constexpr float kLimit = static_cast<float>(std::numeric_limits<std::int32_t>::max() / 1024);
    return static_cast<std::int64_t>(std::clamp(v, -kLimit, kLimit));
}

constexpr const char* kDigits = "1234567890";

}  // namespace

std::string testPageText(const TestPageRequest& request) {
    const float k = request.dotsPerMm;
    const std::int64_t w = truncated(request.paperWidth);
    const std::int64_t h = truncated(request.paperHeight);
    const std::int64_t m = truncated(k * 2.0f + 0.5f);  // the 2 mm margin

    std::string text = "CLS\r\nDIRECTION 0,0\r\n";
    char line[256];
    auto append = [&](int n) {
        if (n > 0)
            text.append(line, std::min<std::size_t>(static_cast<std::size_t>(n), sizeof line - 1));
    };
    if (2 * m < w && 2 * m < h) {
        append(std::snprintf(line, sizeof line, "BOX %lld,%lld,%lld,%lld,4\r\n",
                             static_cast<long long>(m), static_cast<long long>(m),
                             static_cast<long long>(w - m), static_cast<long long>(h - m)));
        const std::int64_t s = std::min(w, h);
        const bool fine = k > 8.0f;
        const std::int64_t narrow = fine ? 3 : 2;
        const std::int64_t wide = fine ? 6 : 4;
        const std::int64_t bh = s / 8;
        const std::int64_t bx = truncated(static_cast<float>(m + bh) + k * 4.0f);
        const std::int64_t by = truncated(static_cast<float>(m) + k * 2.0f);
        const std::int64_t tx = truncated(static_cast<float>(m + bh) + k * 6.0f);
        const std::int64_t ty = truncated(static_cast<float>(m) + k * 2.0f);
        const std::int64_t t = std::min<std::int64_t>(((s - tx) * 72 / narrow / 100) / 4, 80);
        const std::int64_t d =
            std::max<std::int64_t>(truncated((static_cast<float>(s - 2 * m) - k * 4.0f) /
                                                 static_cast<float>(7 * narrow + 3 * wide) -
                                             2.0f),
                                   0);
        const int digits = static_cast<int>(std::min<std::int64_t>(d, 10));
        append(std::snprintf(
            line, sizeof line, "BARCODE  %lld,%lld,\"25\",%lld,1,90,%lld,%lld,\"%.*s\"\r\n",
            static_cast<long long>(bx), static_cast<long long>(by), static_cast<long long>(bh),
            static_cast<long long>(narrow), static_cast<long long>(wide), digits, kDigits));
        if (static_cast<float>(s) > static_cast<float>(2 * m) + k * 20.0f)
            append(std::snprintf(line, sizeof line,
                                 "TEXT  %lld,%lld,\"0\",0,%lld,%lld,\"TEST\"\r\n",
                                 static_cast<long long>(tx), static_cast<long long>(ty),
                                 static_cast<long long>(t), static_cast<long long>(t)));
    }
    text += "PRINT 1\r\n";
    return text;
}

int printTestPage(Link& link, const TestPageRequest& request) {
    return sendCommand(link, testPageText(request));
}

}  // namespace m350
