#include "cli/terminal_progress.h"

#include <algorithm>

namespace m350::cli {

std::string progressLine(const std::string& caption, int position, int barWidth) {
    position = std::clamp(position, 0, 100);
    const int filled = barWidth * position / 100;
    std::string line = caption + " [";
    line.append(static_cast<std::size_t>(filled), '#');
    line.append(static_cast<std::size_t>(barWidth - filled), '-');
    char pct[8];
    std::snprintf(pct, sizeof pct, "] %3d%%", position);
    return line + pct;
}

void TerminalProgress::open(const std::string& caption) {
    caption_ = caption;
    position_ = 0;
    drawn_ = -1;
    open_ = true;
    draw();
}

void TerminalProgress::setPosition(int position) {
    if (!open_) return;
    position_ = std::clamp(position, 0, 100);
    // Every chunk reports; redraw only when the bar would change.
    if (position_ != drawn_) draw();
}

void TerminalProgress::close() {
    if (!open_) return;
    open_ = false;
    std::fputc('\n', out_);
    std::fflush(out_);
}

void TerminalProgress::draw() {
    std::fprintf(out_, "\r%s", progressLine(caption_, position_, width_).c_str());
    std::fflush(out_);
    drawn_ = position_;
}

}  // namespace m350::cli
