// SPDX-License-Identifier: MIT
// One connection to the printer for the span of one link operation, with the
// interface's receive ring and the read primitives every operation body uses.
//
//   Connection c(ctx, iface);
//   if (!c.open()) return kPortOpenError;
//   if (int r = c.announce(); r != kOk) return r;
//   std::string payload;
//   if (int r = c.query("DIAGNOSTIC REPORT DPI\r\n", payload); r != kOk) return r;
//
// The destructor closes the port, so every return path closes it.
//
// Every reply is bounded, whatever the printer sends. Each refill waits at
// most the interface's read limit (3000 ms USB and COM, 30000 ms ETHERNET),
// so a silent printer ends a read within it. The whole reply (a frame, a line
// or a counted read) must moreover be complete within the read limit counted
// from the moment its read starts, plus an allowance for each byte it carries
// (LinkTimeouts: one second for each of the first 1024 bytes, a millisecond
// for each further one, plus the line time of 12 bit times per byte on a
// serial line). Up to kLeadInAllowance bytes before a frame's opening brace
// earn the allowance too, and at most kMaxSkippedBytes may come before it or
// be skipped by a line. Either bound fails the read, and the query with it
// (3): a printer that streams bytes or trickles them without end cannot keep
// an operation running, while one that sends a valid reply slowly and
// steadily gets it through.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/link/link_context.h"
#include "core/transport/port.h"
#include "core/transport/receive_ring.h"

namespace m350 {

// Bytes a frame may be preceded by, and a line may skip, before the read
// gives up; far above the few bytes of a prompt a printer may send first.
inline constexpr std::size_t kMaxSkippedBytes = 64 * 1024;
// Bytes before a frame's opening brace that lengthen the time its reply may
// take, as the frame's own bytes do.
inline constexpr std::size_t kLeadInAllowance = 64;

// The time a reply carrying this many bytes may take beyond the read limit,
// by the limits of ctx on interface iface (see above).
std::chrono::microseconds replyAllowance(const LinkContext& ctx, int iface, std::size_t bytes);

class Connection {
  public:
    Connection(LinkContext& ctx, int iface);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool open();
    void close();
    bool isOpen() const { return open_; }
    int interfaceIndex() const { return iface_; }
    LinkContext& context() { return ctx_; }

    // Writes the whole buffer in the port's chunks, reporting progress.
    bool write(const void* data, std::size_t count);
    bool write(std::string_view text) { return write(text.data(), text.size()); }

    // One write of count bytes that are drawn from source a block at a time,
    // so a file of any size goes out with one block in memory: the port's
    // chunks, and the percentage of the whole after each chunk, as write()
    // does for a buffer. source(dst, cap) fills dst with up to cap bytes and
    // returns how many; 0 before count bytes were drawn is a failed source.
    using ByteSource = std::function<std::size_t(std::uint8_t* dst, std::size_t cap)>;
    enum class StreamResult { kOk, kSourceFailed, kWriteFailed };
    StreamResult writeFrom(std::uint64_t count, const ByteSource& source);

    bool readByte(std::uint8_t& out);
    // One byte that must arrive within limitMs (and within the reply being
    // read, when there is one).
    bool readByteWithin(std::uint8_t& out, int limitMs);
    std::size_t readBytes(std::uint8_t* dst, std::size_t count);

    // Reads one frame: skips to '{', up to 31 digits, '|', payload, '}'. The payload
    // must be shorter than capacity - 1 bytes.
    bool readFrame(std::string& payload, std::size_t capacity = 1024);

    // Sends the request and reads one frame. kOk, kTransmitError or kReceiveError.
    int query(std::string_view request, std::string& payload, std::size_t capacity = 1024);
    // The "DIAGNOSTIC REPORT <key>\r\n" form of query.
    int report(std::string_view key, std::string& payload, std::size_t capacity = 1024);
    // Sends the request and reads frames until an empty one, each payload followed by CR LF;
    // the whole list within the context's frameListMs, or kReceiveError.
    int queryFrames(std::string_view request, std::string& joined, std::size_t capacity);
    // Sends the text: kOk or kTransmitError.
    int sendText(std::string_view text);
    // Reads a line: CR skipped, LF ends, a failing read ends; false past 1024 bytes.
    bool readLine(std::string& line);
    // Empties the ring and purges the system buffers of a serial port.
    void discardReceived();
    // The interface announcement that opens every report exchange; its reply
    // must be a valid frame.
    int announce();

  private:
    using Clock = std::chrono::steady_clock;
    class ReplyBound;
    class Bulk;

    // The interface's limit for one refill (3000 ms USB and COM, 30000 ms
    // ETHERNET).
    int readLimitMs() const;
    // The port's chunks of data, with percentages of total counted from done.
    bool writeChunks(const std::uint8_t* data, std::size_t n, std::uint64_t done,
                     std::uint64_t total);
    // After the last chunk: true when the port's output has left (see Port::drain).
    bool drained(std::uint64_t count);

    LinkContext& ctx_;
    int iface_;
    std::unique_ptr<Port> port_;
    ReceiveRing ring_;
    bool open_ = false;
    // This connection's number in the trace (LinkContext::trace).
    int traceId_ = 0;
    // When set, refills wait no longer than this: the reply being read must
    // be complete by then.
    std::optional<Clock::time_point> replyDeadline_;
    // While a list of frames is read (queryFrames), no refill waits past this.
    std::optional<Clock::time_point> listDeadline_;
};

// Text of the announcement for an interface index.
std::string announcementText(int iface);

}  // namespace m350
