#include "core/link/connection.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <vector>

#include "core/link/link_operations.h"

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

}  // namespace

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
        return false;
    }
    ring_.clear();
    open_ = true;
    return true;
}

void Connection::close() {
    if (port_) port_->close();
    port_.reset();
    open_ = false;
}

bool Connection::write(const void* data, std::size_t count) {
    if (!open_) return false;
    reportProgress(ctx_, kStepMode, 0);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    if (!writeChunks(bytes, count, 0, count)) return false;
    if (iface_ == kEthernet && port_->chunkSize() != 0) reportProgress(ctx_, kPercentMode, 100);
    return true;
}

bool Connection::writeChunks(const std::uint8_t* bytes, std::size_t n, std::uint64_t done,
                             std::uint64_t total) {
    const std::size_t chunk = port_->chunkSize();
    if (chunk == 0) {
        // Parallel port: one write of everything.
        if (n > 0 && !port_->writeChunk(bytes, n)) return false;
        done += n;
        reportProgress(ctx_, kPercentMode,
                       done >= total ? 100 : static_cast<int>(done * 100 / total));
        reportTransferred(ctx_, done, total);
        ctx_.pump();
        return true;
    }
    std::size_t sent = 0;
    while (sent < n) {
        const std::size_t part = n - sent < chunk ? n - sent : chunk;
        if (!port_->writeChunk(bytes + sent, part)) return false;
        sent += part;
        // Unsigned integer percent, as operators see it: 130 bytes -> 49, 98, 100.
        const std::uint64_t now = done + sent;
        reportProgress(ctx_, kPercentMode, static_cast<int>(now * 100 / total));
        reportTransferred(ctx_, now, total);
        ctx_.pump();
    }
    return true;
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
        std::array<std::uint8_t, 4096> buf;
        std::size_t room = ring_.space() < buf.size() ? ring_.space() : buf.size();
        std::size_t got = port_->refill(buf.data(), room);
        ring_.append(buf.data(), got);
    }
    return ring_.take(out);
}

std::size_t Connection::readBytes(std::uint8_t* dst, std::size_t count) {
    std::size_t n = 0;
    while (n < count && readByte(dst[n])) ++n;
    return n;
}

bool Connection::readFrame(std::string& payload, std::size_t capacity) {
    payload.clear();
    std::uint8_t b = 0;
    do {
        if (!readByte(b)) return false;
    } while (b != '{');

    std::string digits;
    bool ended = false;
    while ((ended = readByte(b)) && std::isdigit(b)) {
        if (digits.size() == kMaxLengthDigits) return false;
        digits.push_back(static_cast<char>(b));
    }
    if (!ended || b != '|') return false;

    long long length = 0;
    for (char d : digits) {
        length = length * 10 + (d - '0');
        if (length > INT_MAX) return false;
    }
    if (capacity < 1 || static_cast<unsigned long long>(length) >= capacity - 1) return false;

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
    for (;;) {
        ctx_.pause(kFramePauseMs);
        if (joined.size() + 2 >= capacity) return kReceiveError;
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
    std::uint8_t b = 0;
    while (readByte(b)) {
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
