// SPDX-License-Identifier: MIT
// A raw TCP client of the simulated printer for the simulator's own tests:
// bytes in, bytes out, nothing of the application's code.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>

namespace m350test {

// One TCP connection to the simulator; closed by the destructor.
class SimClient {
  public:
    explicit SimClient(int port) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~SimClient() {
        if (fd_ >= 0) ::close(fd_);
    }
    SimClient(const SimClient&) = delete;
    SimClient& operator=(const SimClient&) = delete;
    bool ok() const { return fd_ >= 0; }

    bool send(const std::string& s) {
        std::size_t done = 0;
        while (done < s.size()) {
            ssize_t n = ::write(fd_, s.data() + done, s.size() - done);
            if (n <= 0) return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }
    // Reads until the bytes end with `end` (or ms pass).
    std::string readUntil(const std::string& end, int ms = 5000) {
        std::string got;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (got.size() < end.size() || got.compare(got.size() - end.size(), end.size(), end)) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            deadline - std::chrono::steady_clock::now())
                            .count();
            if (left <= 0) break;
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left)) <= 0) break;
            char buf[4096];
            ssize_t n = ::read(fd_, buf, sizeof buf);
            if (n <= 0) break;
            got.append(buf, static_cast<std::size_t>(n));
        }
        return got;
    }
    // One report query and its single frame.
    std::string report(const std::string& key) {
        if (!send("DIAGNOSTIC REPORT " + key + "\r\n")) return "<send failed>";
        return readUntil("}");
    }

  private:
    int fd_ = -1;
};

}  // namespace m350test
