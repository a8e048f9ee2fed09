// SPDX-License-Identifier: MIT
// A trace of every byte the links send and receive, for the operator who must
// see what went over the wire. One event per line, flushed at once, in the
// line format of the simulated printer's transcript with the time first:
//
//   2026-12-07T13:12:52.123456Z 1 OPEN tcp
//   2026-12-07T13:12:52.123901Z 1 TX 0d0a444941...   bytes sent (lowercase hex)
//   2026-12-07T13:12:52.125310Z 1 RX 7b337c...       bytes received
//   2026-12-07T13:12:52.125400Z 1 CLOSE
//   2026-12-07T13:12:53.000000Z 0 ERROR tcp 127.0.0.1:9: Connection refused
//
// Connections are numbered from 1 in the order they open, as the simulator
// numbers what it accepts; a port that did not open is "0 ERROR". The
// simulator writes RX for what it received, so its RX lines are our TX lines.
// tools/compare_trace.py compares the two.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/transport/port_error.h"

namespace m350 {

class LinkTrace {
  public:
    // Takes the descriptor of an open file (see openLocalOutputFile) and
    // closes it at the end.
    explicit LinkTrace(int fd);
    ~LinkTrace();
    LinkTrace(const LinkTrace&) = delete;
    LinkTrace& operator=(const LinkTrace&) = delete;

    // A connection on interface iface opened; its number for the other events.
    int opened(int iface);
    void sent(int id, const std::uint8_t* data, std::size_t n);
    void received(int id, const std::uint8_t* data, std::size_t n);
    void closed(int id);
    // A port that could not be opened, with its cause when the port told it.
    void failed(int iface, const PortError& error);
    // False once a line could not be written (disk full): the trace is incomplete.
    bool complete() const { return complete_; }

  private:
    void line(int id, const char* what, const std::string& detail);

    int fd_;
    int next_ = 1;
    bool complete_ = true;
};

// "usb", "serial", "parallel", "tcp".
const char* traceInterfaceName(int iface);

}  // namespace m350
