// SPDX-License-Identifier: MIT
// A port that answers from a script: each refill hands out the next reply
// chunk (nothing once the script is used up, as a silent printer would), and
// every chunk written is recorded.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/link/connection.h"
#include "core/link/link_context.h"
#include "core/transport/port.h"

namespace m350test {

struct ScriptedPortState {
    std::deque<std::string> replies;
    std::vector<std::string> chunks;  // every writeChunk, in order
    std::vector<bool> chunkInBulk;    // each chunk written between beginBulk and endBulk
    int bulkBegins = 0;
    int bulkEnds = 0;
    bool inBulk = false;
    std::size_t chunkSize = 64;
    bool failOpen = false;
    bool failWrites = false;
    int opens = 0;
    int closes = 0;
    bool readable = true;
    // Each reply chunk arrives this long after its refill starts (a printer
    // that trickles); a refill that may not wait so long gets nothing.
    int refillDelayMs = 0;
    std::vector<int> refillWaits;  // the limit every refill was given
    // Called after each chunk is recorded, with the count so far, on the
    // thread that writes (the window's worker).
    std::function<void(std::size_t chunks)> afterChunk;
};

class ScriptedPort final : public m350::Port {
  public:
    explicit ScriptedPort(std::shared_ptr<ScriptedPortState> s) : s_(std::move(s)) {}
    bool open() override;
    void close() override;
    std::size_t chunkSize() const override { return s_->chunkSize; }
    bool writeChunk(const std::uint8_t* data, std::size_t n) override;
    void beginBulk() override {
        ++s_->bulkBegins;
        s_->inBulk = true;
    }
    void endBulk() override {
        ++s_->bulkEnds;
        s_->inBulk = false;
    }
    std::size_t refill(std::uint8_t* dst, std::size_t cap, int waitMs) override;
    bool readable() const override { return s_->readable; }

  private:
    std::shared_ptr<ScriptedPortState> s_;
    bool open_ = false;
};

// A context whose every interface is a scripted port, with instant pauses,
// plus a connection already open on it.
class ScriptedLink {
  public:
    explicit ScriptedLink(std::vector<std::string> replies, int iface = m350::kCom);
    m350::Connection& conn() { return *conn_; }
    m350::LinkContext& ctx() { return ctx_; }
    ScriptedPortState& port() { return *state_; }
    std::string written() const;

  private:
    std::shared_ptr<ScriptedPortState> state_;
    m350::PortSettings settings_;
    m350::LinkContext ctx_;
    std::unique_ptr<m350::Connection> conn_;
};

// A fuzzer's input as a printer's replies: the bytes split at each NUL, into
// at most maxReplies replies (the last one keeps the NULs that follow).
inline std::vector<std::string> repliesSplitAtNul(const std::uint8_t* data, std::size_t size,
                                                  std::size_t maxReplies = SIZE_MAX) {
    std::vector<std::string> replies(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0 && replies.size() < maxReplies)
            replies.emplace_back();
        else
            replies.back().push_back(static_cast<char>(data[i]));
    }
    return replies;
}

// Records what the link asks of the progress window, an exchange with the
// printer worded as the window words it.
class RecordingProgress final : public m350::ProgressSink {
  public:
    std::vector<std::string> calls;
    void open(const std::string& caption) override {
        calls.push_back("open " + (caption.empty() ? std::string("Communicating...") : caption));
    }
    void setPosition(int p) override { calls.push_back("pos " + std::to_string(p)); }
    void close() override { calls.push_back("close"); }
    void pump() override { ++pumps; }
    int pumps = 0;
};

}  // namespace m350test
