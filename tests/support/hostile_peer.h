// SPDX-License-Identifier: MIT
// A printer on 127.0.0.1 that misbehaves while the program writes: it resets
// the connection (RST, SO_LINGER 0) once it has taken a few bytes, or it stops
// reading so the program's writes block; in between it relays to a real
// (simulated) printer, so one window can meet a fault and then work again.
// The pseudo-terminal equivalents are in HostileTerminal. Plain C++, no test
// framework.
#pragma once

#include <atomic>
#include <string>
#include <thread>

namespace m350test {

enum class PeerMode {
    kRelay,  // every byte both ways between the program and the upstream port
    kReset,  // takes resetAfter bytes, then resets the connection
    kStall,  // accepts and never reads (a small receive buffer fills at once)
};

class HostilePeer {
  public:
    // Listens on 127.0.0.1 with a free port; upstreamPort is where kRelay goes.
    explicit HostilePeer(int upstreamPort = 0);
    ~HostilePeer();
    HostilePeer(const HostilePeer&) = delete;
    HostilePeer& operator=(const HostilePeer&) = delete;

    bool ok() const { return listener_ >= 0; }
    int port() const { return port_; }
    // Applies to connections accepted from now on.
    void setMode(PeerMode mode, int resetAfter = 1) {
        resetAfter_ = resetAfter;
        mode_ = mode;
    }
    // Where kRelay goes for connections accepted from now on.
    void setUpstream(int port) { upstream_ = port; }
    int connections() const { return accepted_; }

  private:
    void serve();
    void handle(int fd);
    int listener_ = -1;
    int port_ = 0;
    std::atomic<int> upstream_{0};
    int wake_[2] = {-1, -1};
    std::atomic<PeerMode> mode_{PeerMode::kRelay};
    std::atomic<int> resetAfter_{1};
    std::atomic<int> accepted_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// A pseudo-terminal whose far side misbehaves the same two ways: kReset reads
// resetAfter bytes and then closes the master (the line hangs up under the
// writer: the nearest a terminal comes to a reset); kStall never reads, so the
// terminal's buffer fills and the writer blocks. kRelay is not offered.
class HostileTerminal {
  public:
    explicit HostileTerminal(PeerMode mode, int resetAfter = 1);
    ~HostileTerminal();
    HostileTerminal(const HostileTerminal&) = delete;
    HostileTerminal& operator=(const HostileTerminal&) = delete;
    bool ok() const { return master_ >= 0; }
    const std::string& path() const { return path_; }

  private:
    int master_ = -1;
    std::string path_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace m350test
