// SPDX-License-Identifier: MIT
// The raw client the benchmarks measure m350ctl against: a process that does
// only the system calls of an exchange, with no library of ours.
//
//   raw_client replay SCRIPT tcp PORT     replay a script to 127.0.0.1:PORT
//   raw_client replay SCRIPT pty PATH     replay a script on a terminal
//   raw_client send FILE PORT             FILE to 127.0.0.1:PORT in 512-byte writes
//                                         on a plain socket
//   raw_client write FILE PATH CHUNK      FILE to a terminal (raw mode) or a FIFO in
//                                         writes of CHUNK bytes
//
// Exit status 0 when the exchange ran to its end, 1 otherwise.
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "raw_replay.h"

int main(int argc, char** argv) {
    using namespace m350bench;
    if (argc == 5 && std::strcmp(argv[1], "replay") == 0) {
        std::ifstream in(argv[2], std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        Script script;
        if (!in || !decodeScript(text.str(), script)) return 1;
        const bool tcp = std::strcmp(argv[3], "tcp") == 0;
        const int fd = tcp ? connectLoopback(std::atoi(argv[4])) : openRawTerminal(argv[4]);
        if (fd < 0) return 1;
        const bool ok = replay(fd, script);
        ::close(fd);
        return ok ? 0 : 1;
    }
    if (argc == 4 && std::strcmp(argv[1], "send") == 0) {
        const int s = connectLoopback(std::atoi(argv[3]), false);
        if (s < 0) return 1;
        const bool ok = sendFileInChunks(s, argv[2], 512);
        ::close(s);
        return ok ? 0 : 1;
    }
    if (argc == 5 && std::strcmp(argv[1], "write") == 0) {
        int fd = ::open(argv[3], O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) return 1;
        if (::isatty(fd)) {
            ::close(fd);
            fd = openRawTerminal(argv[3]);
            if (fd < 0) return 1;
        }
        const bool ok = sendFileInChunks(fd, argv[2], std::strtoul(argv[4], nullptr, 10), false);
        ::close(fd);
        return ok ? 0 : 1;
    }
    std::fprintf(stderr,
                 "usage: raw_client replay SCRIPT tcp PORT|pty PATH | send FILE PORT | "
                 "write FILE PATH CHUNK\n");
    return 2;
}
