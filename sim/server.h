// SPDX-License-Identifier: MIT
// The simulator's endpoints (TCP listener, pseudo-terminal, parallel FIFO), the poll
// loop that serves them and the transcript of every connection.
#pragma once

#include <sys/socket.h>

#include <chrono>
#include <cstdio>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "printer.h"
#include "session.h"
#include "udp_responder.h"

namespace m350::sim {

struct ServerOptions {
    std::string tcp;  // HOST:PORT, empty for none
    bool pty = false;
    std::string ptyLink;   // symlink kept pointing at the slave
    std::string parallel;  // FIFO path
    std::string readyFile;
    std::string transcript;
    // UDP protocol (port 22368): HOST[:PORT], empty for none.
    std::string udp;
    UdpBehaviour udpBehaviour;
    // The pseudo-terminal's far end takes what the host wrote only this long
    // after it arrived, as a virtual serial port (socat, ser2net) does: what
    // the host purges from its output meanwhile never reaches the printer.
    int ptyLatencyMs = 0;
};

// One line per event, flushed at once:  <id> OPEN <kind> | <id> RX <hex> |
// <id> TX <hex> | <id> CLOSE
class Transcript {
  public:
    bool open(const std::string& path);
    void event(int id, const char* what, const std::string& detail = {});
    void bytes(int id, const char* dir, const char* data, std::size_t n);
    ~Transcript();

  private:
    int fd_ = -1;
};

class Server {
  public:
    Server(Printer& printer, std::vector<Fault> faults, ServerOptions options);
    ~Server();

    // Opens every endpoint and writes the ready lines; false with a message on error.
    bool start(std::string& error);
    // Serves until stop is requested (SIGTERM/SIGINT through the wake pipe).
    void run();

    // The lines announced when ready ("tcp 127.0.0.1:PORT", "pty /dev/pts/N" ...).
    const std::vector<std::string>& readyLines() const { return ready_; }

  private:
    using Clock = std::chrono::steady_clock;
    enum class Kind { Tcp, Pty, Parallel };
    struct Pending {
        Clock::time_point due;
        bool timed = false;  // due is fixed once the action reaches the queue's head
        Action action;
        std::string unit;      // a repeated action's bytes, sent again and again
        std::size_t sent = 0;  // bytes of a repeated action sent so far
    };
    struct Conn {
        int id = 0;
        Kind kind = Kind::Tcp;
        int fd = -1;
        std::unique_ptr<Session> session;
        std::deque<Pending> out;
        bool dead = false;
        // With ptyLatencyMs: when the unread bytes waiting now were first seen.
        std::optional<Clock::time_point> waitingSince;
    };

    bool openTcp(std::string& error);
    bool openPty(std::string& error);
    bool openParallel(std::string& error);
    void reopenParallel();
    void writeReady();

    Conn* newConn(Kind kind, int fd);
    void closeConn(Conn& c);
    void receive(Conn& c);
    void flush(Conn& c);
    void pollPty();
    int nextTimeoutMs();
    void reap();

    // UDP endpoint (udp_server.cpp).
    struct UdpSend {
        std::string bytes;
        sockaddr_storage to;
        unsigned toLen;
    };
    bool openUdp(std::string& error);
    void receiveUdp();
    void flushUdp();
    int udpTimeoutMs(int timeout) const;
    int udpFd_ = -1;
    int udpConnId_ = 0;
    bool udpAnyPeer_ = false;
    std::unique_ptr<UdpResponder> udp_;
    // By due time: the replies to each request keep their own pace.
    std::multimap<Clock::time_point, UdpSend> udpOut_;

    Printer& printer_;
    std::vector<Fault> faults_;
    ServerOptions opt_;
    Transcript transcript_;
    std::vector<std::string> ready_;

    int listenFd_ = -1;
    int ptyMaster_ = -1;
    std::string ptyName_;
    int fifoFd_ = -1;
    int nextId_ = 1;
    std::vector<std::unique_ptr<Conn>> conns_;
    Conn* ptyConn_ = nullptr;
    Conn* fifoConn_ = nullptr;
};

// Write end of the pipe that wakes the loop when a stop signal arrives.
void installStopSignals();
bool stopRequested();

}  // namespace m350::sim
