// SPDX-License-Identifier: MIT
#include "core/link/connection.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <vector>

#include "core/link/link_operations.h"
#include "core/link/link_trace.h"

namespace m350 {

namespace {

std::unique_ptr<Port> makePort(LinkContext& ctx, int iface) {
    if (ctx.makePort) return ctx.makePort(ctx, iface);
    switch (iface) {
        case kUsb:
            return makeUsbPort(ctx);
        case kCom:
            return makeSerialPort(ctx);
        case kLpt:
            return makeParallelPort(ctx);
        case kEthernet:
            return makeTcpPort(ctx);
        default:
            return nullptr;
    }
}

constexpr std::size_t kMaxLengthDigits = 31;
constexpr std::size_t kLineCapacity = 1024;
constexpr int kFramePauseMs = 50;

// Longest character on a serial line: start bit, eight data bits, parity and
// two stop bits.
constexpr long long kLongestCharacterBits = 12;

}  // namespace

// Sets the deadline of one reply for as long as it lives: the read limit from
// now, plus the allowance of the bytes the reply is known to carry (allow()).
// An enclosing bound, when there is one, stays in force.
class Connection::ReplyBound {
  public:
    ReplyBound(Connection& c, std::size_t expectedBytes) : c_(c), outer_(c.replyDeadline_) {
        if (outer_) return;
        start_ = Clock::now() + std::chrono::milliseconds(c_.readLimitMs());
        c_.replyDeadline_ = start_;
        allow(expectedBytes);
    }
    ~ReplyBound() { c_.replyDeadline_ = outer_; }
    ReplyBound(const ReplyBound&) = delete;
    ReplyBound& operator=(const ReplyBound&) = delete;

    void allow(std::size_t bytes) {
        if (outer_) return;
        allowed_ += bytes;
        c_.replyDeadline_ = start_ + replyAllowance(c_.ctx_, c_.iface_, allowed_);
    }

  private:
    Connection& c_;
    std::optional<Clock::time_point> outer_;
    Clock::time_point start_;
    std::size_t allowed_ = 0;
};

std::chrono::microseconds replyAllowance(const LinkContext& ctx, int iface, std::size_t bytes) {
    using std::chrono::microseconds;
    const auto& t = ctx.timeouts;
    const auto n = static_cast<long long>(std::min<std::size_t>(bytes, 1u << 30));
    const long long slow = std::min<long long>(n, std::max(t.replySlowBytes, 0));
    microseconds total(slow * t.replySlowMsPerByte * 1000LL +
                       (n - slow) * static_cast<long long>(t.replyBulkUsPerByte));
    // USB and the network move a reply in packets far faster than the
    // printer makes it; only the serial line takes its time per byte.
    if (iface == kCom && ctx.settings) {
        const long long baud = bitsPerSecond(ctx.settings->serial.baud);
        total += microseconds(n * ((kLongestCharacterBits * 1'000'000 + baud - 1) / baud));
    }
    return total;
}

int Connection::readLimitMs() const {
    switch (iface_) {
        case kUsb:
            return ctx_.timeouts.usbReadMs;
        case kCom:
            return ctx_.timeouts.comReadMs;
        case kEthernet:
            return ctx_.timeouts.netReadMs;
        default:
            return 0;
    }
}

std::string announcementText(int iface) {
    return "\r\nDIAGNOSTIC INTERFACE " + std::string(interfaceAnnouncementName(iface)) + "\r\n";
}

Connection::Connection(LinkContext& ctx, int iface) : ctx_(ctx), iface_(iface) {}

Connection::~Connection() {
    close();
}

bool Connection::open() {
    close();
    port_ = makePort(ctx_, iface_);
    if (!port_ || !port_->open()) {
        port_.reset();
        if (ctx_.trace) ctx_.trace->failed(iface_, ctx_.lastError);
        return false;
    }
    ring_.clear();
    open_ = true;
    if (ctx_.trace) traceId_ = ctx_.trace->opened(iface_);
    return true;
}

void Connection::close() {
    if (port_) port_->close();
    if (open_ && ctx_.trace) ctx_.trace->closed(traceId_);
    port_.reset();
    open_ = false;
}

// A write of more than one chunk is a bulk write for the port from its first
// chunk to its last, whichever way it ends.
class Connection::Bulk {
  public:
    Bulk(Port& port, std::uint64_t count)
        : port_(port), on_(port.chunkSize() != 0 && count > port.chunkSize()) {
        if (on_) port_.beginBulk();
    }
    ~Bulk() { end(); }
    Bulk(const Bulk&) = delete;
    Bulk& operator=(const Bulk&) = delete;
    void end() {
        if (on_) port_.endBulk();
        on_ = false;
    }

  private:
    Port& port_;
    bool on_;
};

bool Connection::write(const void* data, std::size_t count) {
    if (!open_) return false;
    reportProgress(ctx_, kStepMode, 0);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    {
        const Bulk bulk(*port_, count);
        if (!writeChunks(bytes, count, 0, count)) return false;
    }
    if (port_->chunkSize() != 0) {
        if (!drained(count)) return false;
        if (iface_ == kEthernet) reportProgress(ctx_, kPercentMode, 100);
    }
    return true;
}

bool Connection::writeChunks(const std::uint8_t* bytes, std::size_t n, std::uint64_t done,
                             std::uint64_t total) {
    const std::size_t chunk = port_->chunkSize();
    if (chunk == 0) {
        // Parallel port: one write of everything.
        if (n > 0 && !port_->writeChunk(bytes, n)) return false;
        if (ctx_.trace) ctx_.trace->sent(traceId_, bytes, n);
        done += n;
        reportProgress(ctx_, kPercentMode,
                       done >= total ? 100 : static_cast<int>(done * 100 / total));
        reportTransferred(ctx_, done, total);
        ctx_.pump();
        return true;
    }
    std::size_t sent = 0;
    while (sent < n) {
        // A stop ends a transfer between two chunks, never inside one.
        if (ctx_.stopping()) return false;
        const std::size_t part = n - sent < chunk ? n - sent : chunk;
        if (!port_->writeChunk(bytes + sent, part)) return false;
        if (ctx_.trace) ctx_.trace->sent(traceId_, bytes + sent, part);
        sent += part;
        // Unsigned integer percent, as operators see it: 130 bytes -> 49, 98, 100.
        const std::uint64_t now = done + sent;
        reportProgress(ctx_, kPercentMode, static_cast<int>(now * 100 / total));
        reportTransferred(ctx_, now, total);
        ctx_.pump();
    }
    return true;
}

// A write has succeeded only once its bytes have left the computer: a serial
// line held up by its handshake has only queued them.
bool Connection::drained(std::uint64_t count) {
    return count == 0 || port_->drain();
}

Connection::StreamResult Connection::writeFrom(std::uint64_t count, const ByteSource& source) {
    if (!open_) return StreamResult::kWriteFailed;
    reportProgress(ctx_, kStepMode, 0);
    // A multiple of every port's chunk (64 and 512 bytes), so each block but
    // the last goes out in whole chunks; the parallel port writes a block at once.
    constexpr std::size_t kBlock = 64 * 1024;
    std::vector<std::uint8_t> block(
        static_cast<std::size_t>(std::min<std::uint64_t>(count, kBlock)));
    std::uint64_t done = 0;
    Bulk bulk(*port_, count);
    while (done < count) {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(count - done, kBlock));
        std::size_t got = 0;
        while (got < want) {
            const std::size_t n = source(block.data() + got, want - got);
            if (n == 0) return StreamResult::kSourceFailed;
            got += n;
        }
        if (!writeChunks(block.data(), got, done, count)) return StreamResult::kWriteFailed;
        done += got;
    }
    bulk.end();
    if (port_->chunkSize() != 0 && !drained(count)) return StreamResult::kWriteFailed;
    if (port_->chunkSize() == 0) {
        // Nothing written: the parallel port still reports its one write.
        if (count == 0) writeChunks(nullptr, 0, 0, 0);
    } else if (iface_ == kEthernet) {
        reportProgress(ctx_, kPercentMode, 100);
    }
    return StreamResult::kOk;
}

bool Connection::readByte(std::uint8_t& out) {
    if (!open_ || !port_->readable()) return false;
    if (ring_.count() == 0) {
        // Nothing more is taken from the printer once the operator stopped.
        if (ctx_.stopping()) return false;
        int waitMs = INT_MAX;
        for (const auto& deadline : {replyDeadline_, listDeadline_}) {
            if (!deadline) continue;
            auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(*deadline - Clock::now());
            if (left.count() <= 0) return false;
            waitMs = static_cast<int>(std::min<long long>({left.count(), waitMs}));
        }
        std::array<std::uint8_t, 4096> buf;
        std::size_t room = ring_.space() < buf.size() ? ring_.space() : buf.size();
        std::size_t got = port_->refill(buf.data(), room, waitMs);
        if (got > 0 && ctx_.trace) ctx_.trace->received(traceId_, buf.data(), got);
        ring_.append(buf.data(), got);
    }
    return ring_.take(out);
}

bool Connection::readByteWithin(std::uint8_t& out, int limitMs) {
    const auto saved = replyDeadline_;
    const auto until = Clock::now() + std::chrono::milliseconds(limitMs < 0 ? 0 : limitMs);
    if (!replyDeadline_ || until < *replyDeadline_) replyDeadline_ = until;
    const bool ok = readByte(out);
    replyDeadline_ = saved;
    return ok;
}

std::size_t Connection::readBytes(std::uint8_t* dst, std::size_t count) {
    ReplyBound bound(*this, count);
    std::size_t n = 0;
    while (n < count && readByte(dst[n])) ++n;
    return n;
}

bool Connection::readFrame(std::string& payload, std::size_t capacity) {
    payload.clear();
    ReplyBound bound(*this, 0);
    std::uint8_t b = 0;
    std::size_t skipped = 0;
    for (;;) {
        if (!readByte(b)) return false;
        if (b == '{') break;
        if (++skipped > kMaxSkippedBytes) return false;
        if (skipped <= kLeadInAllowance) bound.allow(1);
    }

    // The frame's own bytes get their time as they come: the brace and each
    // digit (one more for the byte that ends them), then the payload and the
    // closing brace once announced.
    bound.allow(2);
    std::string digits;
    bool ended = false;
    while ((ended = readByte(b)) && std::isdigit(b)) {
        if (digits.size() == kMaxLengthDigits) return false;
        digits.push_back(static_cast<char>(b));
        bound.allow(1);
    }
    if (!ended || b != '|') return false;

    long long length = 0;
    for (char d : digits) {
        length = length * 10 + (d - '0');
        if (length > INT_MAX) return false;
    }
    if (capacity < 1 || static_cast<unsigned long long>(length) >= capacity - 1) return false;

    bound.allow(static_cast<std::size_t>(length) + 1);
    payload.resize(static_cast<std::size_t>(length));
    for (auto& c : payload) {
        if (!readByte(b)) return false;
        c = static_cast<char>(b);
    }
    if (!readByte(b) || b != '}') return false;
    return true;
}

int Connection::query(std::string_view request, std::string& payload, std::size_t capacity) {
    if (!write(request)) return kTransmitError;
    return readFrame(payload, capacity) ? kOk : kReceiveError;
}

int Connection::report(std::string_view key, std::string& payload, std::size_t capacity) {
    std::string request = "DIAGNOSTIC REPORT ";
    request.append(key);
    request.append("\r\n");
    return query(request, payload, capacity);
}

int Connection::queryFrames(std::string_view request, std::string& joined, std::size_t capacity) {
    joined.clear();
    if (!write(request)) return kTransmitError;
    // The whole list ends within its own limit, whatever the printer sends:
    // an endless list of short names would otherwise take a pause per name.
    const auto listEnd = Clock::now() + std::chrono::milliseconds(ctx_.timeouts.frameListMs);
    struct ListBound {
        std::optional<Clock::time_point>& end;
        ~ListBound() { end.reset(); }
    } bound{listDeadline_};
    listDeadline_ = listEnd;
    for (;;) {
        ctx_.pause(kFramePauseMs);
        if (joined.size() + 2 >= capacity || Clock::now() >= listEnd) return kReceiveError;
        std::string part;
        if (!readFrame(part, capacity - joined.size() - 2)) return kReceiveError;
        if (part.empty()) return kOk;
        joined += part;
        joined += "\r\n";
    }
}

int Connection::sendText(std::string_view text) {
    return write(text) ? kOk : kTransmitError;
}

bool Connection::readLine(std::string& line) {
    line.clear();
    ReplyBound bound(*this, kLineCapacity + 2);
    std::uint8_t b = 0;
    std::size_t consumed = 0;
    while (readByte(b)) {
        // Carriage returns are skipped, but not without end.
        if (++consumed > kMaxSkippedBytes) return false;
        if (b == '\r') continue;
        if (b == '\n') break;
        line.push_back(static_cast<char>(b));
        if (line.size() > kLineCapacity) return false;
    }
    return true;
}

void Connection::discardReceived() {
    ring_.clear();
    if (port_) port_->purge();
}

int Connection::announce() {
    std::string payload;
    return query(announcementText(iface_), payload);
}

}  // namespace m350
