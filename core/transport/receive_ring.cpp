// SPDX-License-Identifier: MIT
#include "core/transport/receive_ring.h"

namespace m350 {

std::size_t ReceiveRing::append(const std::uint8_t* data, std::size_t n) {
    std::size_t stored = 0;
    while (stored < n && count_ < kSize) {
        buf_[write_] = data[stored++];
        write_ = (write_ + 1) % kSize;
        ++count_;
    }
    return stored;
}

bool ReceiveRing::take(std::uint8_t& out) {
    if (count_ == 0) return false;
    out = buf_[read_];
    read_ = (read_ + 1) % kSize;
    --count_;
    return true;
}

}  // namespace m350
