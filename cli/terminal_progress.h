// SPDX-License-Identifier: MIT
// The progress window of the link drawn as one line on a terminal:
//   Communicating... [##########----------]  50%
// and, while a file goes out, its bytes, the rate and the time left:
//   Communicating... [##########----------]  50%  52.4 MiB of 104.9 MiB, 11.2 MiB/s, 0:05 left
// Used only when standard error is a terminal; a pipe or file gets nothing.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

#include "core/link/progress_sink.h"

namespace m350::cli {

class TerminalProgress final : public m350::ProgressSink {
  public:
    explicit TerminalProgress(std::FILE* out, int barWidth = 30) : out_(out), width_(barWidth) {}
    void open(const std::string& caption) override;
    void setPosition(int position) override;
    void close() override;
    void pump() override {}
    void transferred(std::uint64_t done, std::uint64_t total) override;

  private:
    using Clock = std::chrono::steady_clock;
    void draw();

    std::FILE* out_;
    int width_;
    std::string caption_;
    int position_ = 0;
    int drawn_ = -1;
    bool open_ = false;
    // The transfer, once bytes are reported.
    std::uint64_t done_ = 0, total_ = 0;
    bool bytes_ = false;
    Clock::time_point started_, drawnAt_;
};

// The line drawn for a position 0..100 (without the leading carriage return).
std::string progressLine(const std::string& caption, int position, int barWidth);

// "1234 B", "12.1 KiB", "52.4 MiB", "1.50 GiB".
std::string byteAmount(std::uint64_t bytes);

// What follows the bar during a transfer: "52.4 MiB of 104.9 MiB, 11.2 MiB/s,
// 0:05 left". The rate and time left only once some time has passed.
std::string transferText(std::uint64_t done, std::uint64_t total, double seconds);

}  // namespace m350::cli
