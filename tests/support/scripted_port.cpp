// SPDX-License-Identifier: MIT
#include "support/scripted_port.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace m350test {

bool ScriptedPort::open() {
    ++s_->opens;
    open_ = !s_->failOpen;
    return open_;
}

void ScriptedPort::close() {
    if (open_) ++s_->closes;
    open_ = false;
}

bool ScriptedPort::writeChunk(const std::uint8_t* data, std::size_t n) {
    if (s_->failWrites) return false;
    s_->chunks.emplace_back(reinterpret_cast<const char*>(data), n);
    s_->chunkInBulk.push_back(s_->inBulk);
    if (s_->afterChunk) s_->afterChunk(s_->chunks.size());
    return true;
}

std::size_t ScriptedPort::refill(std::uint8_t* dst, std::size_t cap, int waitMs) {
    s_->refillWaits.push_back(waitMs);
    if (s_->refillDelayMs > 0) {
        std::this_thread::sleep_for(
            std::chrono::milliseconds(std::min(s_->refillDelayMs, std::max(waitMs, 0))));
        if (waitMs < s_->refillDelayMs) return 0;
    }
    if (s_->replies.empty()) return 0;
    std::string& front = s_->replies.front();
    std::size_t n = std::min(cap, front.size());
    std::memcpy(dst, front.data(), n);
    front.erase(0, n);
    if (front.empty()) s_->replies.pop_front();
    return n;
}

ScriptedLink::ScriptedLink(std::vector<std::string> replies, int iface)
    : state_(std::make_shared<ScriptedPortState>()) {
    state_->replies.assign(replies.begin(), replies.end());
    ctx_.settings = &settings_;
    ctx_.sleep = [](int) {};
    auto state = state_;
    ctx_.makePort = [state](m350::LinkContext&, int) {
        return std::make_unique<ScriptedPort>(state);
    };
    conn_ = std::make_unique<m350::Connection>(ctx_, iface);
    conn_->open();
}

std::string ScriptedLink::written() const {
    std::string all;
    for (const auto& c : state_->chunks) all += c;
    return all;
}

}  // namespace m350test
