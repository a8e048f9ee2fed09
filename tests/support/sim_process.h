// SPDX-License-Identifier: MIT
// Starts the simulated printer (m350-printer-sim) for a test and reads back what it
// saw. plain C++ without a test framework, so every test target can use it.
//
// The binary is found through the compile definition M350_SIM_PATH; a test target
// sets it with
//   target_compile_definitions(T PRIVATE M350_SIM_PATH="$<TARGET_FILE:m350-printer-sim>")
// and adds tests/support/sim_process.cpp to its sources.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace m350test {

class SimProcess {
  public:
    // One connection of the simulator's transcript.
    struct Connection {
        int id = 0;
        std::string kind;  // "tcp", "pty", "parallel" or "udp" (one RX/TX per datagram)
        std::string rx;    // every byte received, raw, in order
        std::string tx;    // every byte sent, raw, in order
        bool closed = false;
    };

    struct Options {
        std::vector<std::string> args;  // extra simulator options (--edition 105, --fault ...)
        bool pty = false;               // also offer a pseudo-terminal
        bool parallel = false;          // also offer a parallel FIFO
        // Keep the transcript; benchmarks that send many megabytes turn it off
        // (transcript() is then empty).
        bool transcript = true;
    };

    // Starts the simulator listening on 127.0.0.1 with a free port and waits (at most
    // 10 s) until it is ready. ok() tells whether that worked; error() says why not.
    explicit SimProcess(std::vector<std::string> extraArgs = {}, bool pty = false);
    explicit SimProcess(const Options& options);
    ~SimProcess();

    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    bool ok() const { return ok_; }
    const std::string& error() const { return error_; }

    int tcpPort() const { return tcpPort_; }
    std::string ptyPath() const { return ptyPath_; }            // empty unless asked for
    std::string parallelPath() const { return parallelPath_; }  // empty unless asked for
    // The UDP port when started with "--udp 127.0.0.1:0" among the options; 0 otherwise.
    int udpPort() const { return udpPort_; }
    std::string transcriptPath() const { return dir_ + "/transcript.txt"; }

    // The transcript as it stands, one entry per connection in order of opening.
    std::vector<Connection> transcript() const;

    // Waits (at most timeoutMs) until at least count connections have closed; the
    // simulator writes its transcript asynchronously, so a test that has just closed
    // its end calls this before reading the transcript. True when reached.
    // A pseudo-terminal or FIFO opened again before the simulator noticed the last
    // close continues the same connection; wait for the close before reopening when
    // the test counts connections.
    bool waitForClosed(std::size_t count, int timeoutMs = 5000) const;

    // Waits until every connection in the transcript is closed and no new one
    // has appeared for quietMs: for tests that do not know how many
    // connections the code under test opened. The simulator may accept a
    // connection a little after the client has already closed it, so "all
    // closed" alone can be seen too early. True when reached within timeoutMs.
    bool waitForQuiet(int quietMs = 150, int timeoutMs = 5000) const;

    // All bytes received over every connection, concatenated.
    std::string allRx() const;

    // What the simulator printed: the ready lines, then one line per storage event
    // ("stored F:LOGO.BMP 1234 bytes crc32 ...", "firmware ...", "formatted F").
    std::string log() const;
    // Waits (at most timeoutMs) until the log holds text; true when it does.
    bool waitForLog(const std::string& text, int timeoutMs = 5000) const;

    // SIGTERM and wait for the process; also done by the destructor. Idempotent.
    void stop();
    bool running() const { return pid_ > 0; }

  private:
    void start(const Options& options);

    pid_t pid_ = -1;
    bool ok_ = false;
    std::string error_;
    std::string dir_;
    int tcpPort_ = 0;
    std::string ptyPath_;
    std::string parallelPath_;
    int udpPort_ = 0;
};

// Decodes the lowercase hex of a transcript line.
std::string decodeHex(const std::string& hex);

}  // namespace m350test
