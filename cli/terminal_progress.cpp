// SPDX-License-Identifier: MIT
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

std::string byteAmount(std::uint64_t bytes) {
    char buf[32];
    if (bytes < 1024) {
        std::snprintf(buf, sizeof buf, "%llu B", static_cast<unsigned long long>(bytes));
        return buf;
    }
    static const char* const kUnits[] = {"KiB", "MiB", "GiB", "TiB"};
    double v = static_cast<double>(bytes) / 1024.0;
    int unit = 0;
    while (v >= 1024.0 && unit < 3) {
        v /= 1024.0;
        ++unit;
    }
    std::snprintf(buf, sizeof buf, unit >= 2 ? "%.2f %s" : "%.1f %s", v, kUnits[unit]);
    return buf;
}

std::string transferText(std::uint64_t done, std::uint64_t total, double seconds) {
    std::string text = byteAmount(done) + " of " + byteAmount(total);
    // A rate from the first few milliseconds says nothing.
    if (seconds < 0.2 || done == 0) return text;
    const double rate = static_cast<double>(done) / seconds;
    text += ", " + byteAmount(static_cast<std::uint64_t>(rate)) + "/s";
    if (done < total) {
        const auto left = static_cast<long long>(static_cast<double>(total - done) / rate + 0.5);
        char buf[32];
        if (left >= 3600)
            std::snprintf(buf, sizeof buf, ", %lld:%02lld:%02lld left", left / 3600, left / 60 % 60,
                          left % 60);
        else
            std::snprintf(buf, sizeof buf, ", %lld:%02lld left", left / 60, left % 60);
        text += buf;
    }
    return text;
}

void TerminalProgress::open(const std::string& caption) {
    // An exchange with the printer, unless the caption says otherwise.
    caption_ = caption.empty() ? std::string("Communicating...") : caption;
    position_ = 0;
    drawn_ = -1;
    open_ = true;
    bytes_ = false;
    done_ = total_ = 0;
    started_ = Clock::now();
    draw();
}

void TerminalProgress::setPosition(int position) {
    if (!open_) return;
    position_ = std::clamp(position, 0, 100);
    // Every chunk reports; redraw only when the bar would change.
    if (position_ != drawn_) draw();
}

void TerminalProgress::transferred(std::uint64_t done, std::uint64_t total) {
    if (!open_) return;
    done_ = done;
    total_ = total;
    bytes_ = true;
    // The amounts change with every chunk; four lines a second are enough to read.
    if (Clock::now() - drawnAt_ >= std::chrono::milliseconds(250) || done == total) draw();
}

void TerminalProgress::close() {
    if (!open_) return;
    open_ = false;
    std::fputc('\n', out_);
    std::fflush(out_);
}

void TerminalProgress::draw() {
    std::string line = progressLine(caption_, position_, width_);
    if (bytes_) {
        const double seconds = std::chrono::duration<double>(Clock::now() - started_).count();
        line += "  " + transferText(done_, total_, seconds);
    }
    // Clear to the end of the line: the amounts can get shorter.
    std::fprintf(out_, "\r%s\x1b[K", line.c_str());
    std::fflush(out_);
    drawn_ = position_;
    drawnAt_ = Clock::now();
}

}  // namespace m350::cli
