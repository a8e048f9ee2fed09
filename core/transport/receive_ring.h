// SPDX-License-Identifier: MIT
// Receive ring of one interface: 65536 bytes, read and write indexes that wrap,
// a count of unread bytes. Emptied at every open.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace m350 {

class ReceiveRing {
  public:
    static constexpr std::size_t kSize = 65536;

    void clear() { read_ = write_ = count_ = 0; }
    std::size_t count() const { return count_; }
    std::size_t space() const { return kSize - count_; }

    // Appends up to space() bytes; returns how many were stored.
    std::size_t append(const std::uint8_t* data, std::size_t n);
    bool take(std::uint8_t& out);

  private:
    std::array<std::uint8_t, kSize> buf_{};
    std::size_t read_ = 0;
    std::size_t write_ = 0;
    std::size_t count_ = 0;
};

}  // namespace m350
