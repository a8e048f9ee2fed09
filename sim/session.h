// SPDX-License-Identifier: MIT
// One connection's view of the printer: takes the bytes the host sends, in chunks of
// any size, splits them into requests and produces the printer's answers. It owns no
// file descriptor; the server carries the answers out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "printer.h"

namespace m350::sim {

enum class FaultMode { Silent, BrokenFrame, Drop, Slow, Empty, Garbage, Trickle, Stream };

// A way of misbehaving. An empty target applies to every answer; otherwise to the
// report key named, or "status" (ESC !?), "ext-status" (ESC !S), "INTERFACE" (the
// interface announcement), "SERIAL" (the serial number line) or "PASSWORDSET" (the
// reply to a new password).
struct Fault {
    FaultMode mode = FaultMode::Silent;
    int delayMs = 0;
    std::string target;
};

// Parses "silent", "drop:SPEED", "slow:500", "slow:500:DPI", "trickle:1000",
// "stream", "stream:DPI", "stream:100:DPI" ... false when invalid.
bool parseFault(std::string_view text, Fault& out);

// What the server does next on this connection.
struct Action {
    int delayMs = 0;      // wait this long (after the previous action) first
    std::string bytes;    // then send these
    bool close = false;   // then close the connection
    bool repeat = false;  // send the bytes again and again, delayMs apart, until the
                          // connection ends (nothing queued after it is ever sent)
};

class Session {
  public:
    // writable: the host can read answers (false for the parallel sink, where answers
    // are computed for the state's sake but never sent).
    Session(Printer& printer, const std::vector<Fault>& faults, bool writable = true);

    // Consumes a chunk of received bytes; returns the answers it calls for, in order.
    std::vector<Action> feed(std::string_view chunk);

    // Set once a "drop" fault has fired or the connection is otherwise finished: the
    // session then ignores the rest of what arrives.
    bool finished() const { return finished_; }

    // The connection has closed: a firmware stream is recorded in the printer, a
    // DOWNLOAD that did not get all its bytes is reported and not stored.
    void end();

    // A connection whose first bytes hold a byte the command language never uses (a
    // control character other than TAB, LF, CR, ESC and the emulations' STX, DLE
    // and RS) before any request the printer knows, within this many bytes, is a
    // firmware image: everything it carries, from its first byte, is counted and
    // checked, not interpreted.
    static constexpr std::size_t kFirmwareProbe = 4096;

    // Longest command line kept; a longer one is recorded as cut and discarded.
    static constexpr std::size_t kMaxLine = 64 * 1024;

  private:
    void handleLine(std::string line, std::vector<Action>& out);
    void handleEscape(std::vector<Action>& out);
    bool tryStartBinary();
    void takeFirmware(std::string_view bytes);
    bool tryStartDump();
    void moduleCommand(std::vector<Action>& out);
    void answer(const std::string& target, std::string frameOrBytes, bool framed,
                std::vector<Action>& out);
    void frame(const std::string& target, const std::string& payload, std::vector<Action>& out);
    const Fault* faultFor(const std::string& target) const;

    Printer& printer_;
    const std::vector<Fault>& faults_;
    bool writable_;
    bool finished_ = false;

    std::string line_;
    bool overlong_ = false;     // skipping the rest of a line that was too long
    std::string esc_;           // an escape sequence being collected
    int skipCrLf_ = 0;          // CR LF bytes that may still follow ESC !S / ESC Z
    bool escZPending_ = false;  // last request was ESC Z without CR LF (yet)
    std::string prevEmulation_;

    // Binary payload of DOWNLOAD / DLCERT.
    std::size_t binaryLeft_ = 0;
    std::string binaryHead_;
    std::string binaryName_;
    std::size_t binarySize_ = 0;
    char binaryDevice_ = 0;      // 'D', 'F', 'C'; '1'..'3' for certificates
    bool binaryAppend_ = false;  // dump text capture: bytes go straight into the file
    bool dumpPrint_ = false;     // dump text printing: the rest is printed, not parsed
    std::uint32_t binaryCrc_ = 0;

    // Firmware detection (kFirmwareProbe).
    bool recognised_ = false;  // a request the printer knows has arrived
    std::string probe_;        // the connection's bytes so far, while it may be firmware
    bool firmware_ = false;
    FirmwareImage image_;
    bool ended_ = false;
};

}  // namespace m350::sim
