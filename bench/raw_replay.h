// SPDX-License-Identifier: MIT
// The floor the benchmarks compare with: a client that knows nothing of the
// printer and only replays bytes. A script is what one operation of ours put on
// the wire, as turns: bytes written, then the number of bytes read back before
// the next write. Replaying it sends the same bytes in the same order and waits
// for the same number of reply bytes, with plain system calls and nothing else.
//
// Script file: one turn per record, 'W' or 'R', a 32-bit little-endian length,
// then (for 'W') that many bytes.
#pragma once

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace m350bench {

struct Turn {
    bool write = true;
    std::string bytes;      // what is written
    std::size_t count = 0;  // what is read back
};
using Script = std::vector<Turn>;

inline std::string encodeScript(const Script& script) {
    std::string out;
    for (const Turn& t : script) {
        const std::uint32_t n = static_cast<std::uint32_t>(t.write ? t.bytes.size() : t.count);
        out.push_back(t.write ? 'W' : 'R');
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((n >> (8 * i)) & 0xFF));
        if (t.write) out += t.bytes;
    }
    return out;
}

// False on a record that is cut short or of an unknown kind.
inline bool decodeScript(const std::string& in, Script& script) {
    script.clear();
    std::size_t at = 0;
    while (at < in.size()) {
        if (in.size() - at < 5) return false;
        const char kind = in[at];
        std::uint32_t n = 0;
        for (int i = 0; i < 4; ++i)
            n |= static_cast<std::uint32_t>(static_cast<unsigned char>(in[at + 1 + i])) << (8 * i);
        at += 5;
        Turn t;
        if (kind == 'W') {
            if (in.size() - at < n) return false;
            t.bytes = in.substr(at, n);
            at += n;
        } else if (kind == 'R') {
            t.write = false;
            t.count = n;
        } else {
            return false;
        }
        script.push_back(std::move(t));
    }
    return true;
}

inline bool writeAll(int fd, const char* data, std::size_t n) {
    while (n > 0) {
        const ssize_t w = ::write(fd, data, n);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        data += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

// Replays the script on a connected descriptor; false when the peer stops
// answering within 5 s or goes away.
inline bool replay(int fd, const Script& script) {
    char buf[4096];
    for (const Turn& t : script) {
        if (t.write) {
            if (!writeAll(fd, t.bytes.data(), t.bytes.size())) return false;
            continue;
        }
        std::size_t left = t.count;
        while (left > 0) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 5000) <= 0) return false;
            const ssize_t r = ::read(fd, buf, left < sizeof buf ? left : sizeof buf);
            if (r < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            if (r <= 0) return false;
            left -= static_cast<std::size_t>(r);
        }
    }
    return true;
}

// A connection to 127.0.0.1:port; an exchange of requests and replies wants
// each request sent at once (noDelay), a plain sender leaves the socket as it is.
inline int connectLoopback(int port, bool noDelay = true) {
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s < 0) return -1;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int one = 1;
    if (noDelay) ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(s);
        return -1;
    }
    return s;
}

// A terminal in raw mode, as a serial line to the printer is used.
inline int openRawTerminal(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return -1;
    termios t{};
    if (::tcgetattr(fd, &t) == 0) {
        ::cfmakeraw(&t);
        ::tcsetattr(fd, TCSANOW, &t);
    }
    return fd;
}

// Sends a file over a socket (send()) or anything else (write()) in writes of
// chunk bytes, read 64 KiB at a time.
inline bool sendFileInChunks(int s, const std::string& path, std::size_t chunk,
                             bool socket = true) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    std::vector<char> block(64 * 1024);
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(fd, block.data(), block.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ok = false;
        if (n <= 0) break;
        for (ssize_t off = 0; ok && off < n; off += static_cast<ssize_t>(chunk)) {
            const std::size_t part = chunk < static_cast<std::size_t>(n - off)
                                         ? chunk
                                         : static_cast<std::size_t>(n - off);
            ok = (socket ? ::send(s, block.data() + off, part, MSG_NOSIGNAL)
                         : ::write(s, block.data() + off, part)) == static_cast<ssize_t>(part);
        }
        if (!ok) break;
    }
    ::close(fd);
    return ok;
}

}  // namespace m350bench
