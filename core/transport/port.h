// SPDX-License-Identifier: MIT
// One kind of port (USB, serial, parallel, TCP). A port object lives for one
// link operation: open, some writes and refills, close.
//
// Contract shared by every port:
// - open() returns false when the device cannot be reached; nothing stays open.
// - writeChunk() writes at most chunkSize() bytes (the link does the chunking)
//   and returns true only when every byte was taken. The write limit counts
//   from the last byte the device took: only a device that takes nothing for
//   the whole limit fails the write, never one that is merely slow. It never
//   blocks without a bound.
// - drain() returns once what was written has left the computer (serial), or
//   once the printer has acknowledged a long send (TCP), under the same rule;
//   when it has not, the serial port discards what is still queued and
//   returns false, so that nothing goes out later and closing never waits
//   for it. USB and LPT return true: their writes end only when the device
//   has taken the bytes.
// - refill() waits up to the port's read limit, and never longer than
//   waitMs, for data and copies what arrived (at most cap bytes) into dst; 0
//   means nothing arrived in time or the peer is gone. It waits in short
//   slices and calls the link context's pump between them so windows keep
//   painting.
// - beginBulk() says that a long write of many chunks follows, with no reply
//   awaited before its end: the port may hold chunks back to send them in
//   full packets. endBulk() sends whatever it held at once. Short writes
//   (requests) go out as they are written.
// - close() is safe to call twice and on a port that never opened.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace m350 {

struct LinkContext;

class Port {
  public:
    virtual ~Port() = default;
    virtual bool open() = 0;
    virtual void close() = 0;
    // Bytes per write call; 0 means the whole buffer in one write.
    virtual std::size_t chunkSize() const = 0;
    virtual bool writeChunk(const std::uint8_t* data, std::size_t n) = 0;
    virtual bool drain() { return true; }
    virtual void beginBulk() {}
    virtual void endBulk() {}
    virtual std::size_t refill(std::uint8_t* dst, std::size_t cap, int waitMs) = 0;
    // Drop whatever the system holds unread (serial purge); what was written
    // is let go first, never dropped.
    virtual void purge() {}
    // The parallel port has no read side.
    virtual bool readable() const { return true; }
};

// Factories, one per file. The port reads the current settings from the
// context at open.
std::unique_ptr<Port> makeUsbPort(LinkContext& ctx);
std::unique_ptr<Port> makeSerialPort(LinkContext& ctx);
std::unique_ptr<Port> makeParallelPort(LinkContext& ctx);
std::unique_ptr<Port> makeTcpPort(LinkContext& ctx);

// Device path for "COMn" / "LPTn": the environment variable M350_COM<n> or
// M350_LPT<n> when set, else /dev/ttyS<n-1> or /dev/lp<n-1>. Empty for a name
// that is not of that form.
std::string devicePathForPortName(const std::string& name);

// A serial device that can be offered by its path.
struct SerialDevice {
    std::string path;         // /dev/serial/by-id/usb-..., /dev/ttyUSB0, /dev/ttyS0
    std::string description;  // the by-id name for USB adapters, else empty
};

// The serial devices of the system under root ("" for the real one): the
// links of /dev/serial/by-id first (their names describe the USB adapter),
// then /dev/ttyUSB*, /dev/ttyACM* and the /dev/ttyS* that sysfs reports as a
// real port, each in number order; a device reached by a by-id link is listed
// once, by its link.
std::vector<SerialDevice> listSerialDevices(const std::string& root = {});

}  // namespace m350
