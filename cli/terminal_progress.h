// The progress window of the link drawn as one line on a terminal:
//   Communicating... [##########----------]  50%
// Used only when standard error is a terminal; a pipe or file gets nothing.
#pragma once

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

  private:
    void draw();

    std::FILE* out_;
    int width_;
    std::string caption_;
    int position_ = 0;
    int drawn_ = -1;
    bool open_ = false;
};

// The line drawn for a position 0..100 (without the leading carriage return).
std::string progressLine(const std::string& caption, int position, int barWidth);

}  // namespace m350::cli
