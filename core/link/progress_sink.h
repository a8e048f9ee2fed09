// SPDX-License-Identifier: MIT
// The progress window seen from the link: the link keeps the mode and step
// state, the sink only draws. Windows implement the sink with ProgressDialog; the
// command-line tool with a terminal bar; tests record the calls.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace m350 {

class ProgressSink {
  public:
    virtual ~ProgressSink() = default;
    // Create and show the window with the caption and position 0, range 0..100.
    // An empty caption stands for an exchange with the printer; each sink
    // words that in its own text.
    virtual void open(const std::string& caption) = 0;
    // Move the bar to an absolute position (already clamped to 0..100).
    virtual void setPosition(int position) = 0;
    virtual void close() = 0;
    // Let the user interface process pending events (repaint); called between
    // write chunks and while waiting for the printer.
    virtual void pump() = 0;
    // Bytes of the current write in percent mode, after each chunk: done of
    // total. For sinks that show amounts and rates; the window shows the bar only.
    virtual void transferred(std::uint64_t done, std::uint64_t total) {}
    // The link operation that runs from now until operationEnded: its name
    // (English) and whether the operator may stop it. A window may show
    // itself for an operation that takes long even when the link opens
    // nothing, so that it can be cancelled.
    virtual void operationStarted(std::string_view name, bool cancellable) {}
    virtual void operationEnded() {}
    // What is left of a wait the operation counts down (a scan), after each
    // of its pauses.
    virtual void remaining(int ms) {}
};

// A sink that shows nothing; pumping does nothing.
class NullProgress final : public ProgressSink {
  public:
    void open(const std::string&) override {}
    void setPosition(int) override {}
    void close() override {}
    void pump() override {}
};

enum ProgressMode : int { kStepMode = 0, kPercentMode = 1 };

}  // namespace m350
