// SPDX-License-Identifier: MIT
// What every link operation runs with: the current port settings, the progress
// sink, the pause function and the time limits. Tests shorten the limits and
// replace the pause through this context; nothing else is global.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/link/progress_sink.h"
#include "core/link/stop_token.h"
#include "core/transport/port_error.h"
#include "core/transport/port_settings.h"

namespace m350 {

class LinkTrace;
class UsbBackend;

struct LinkTimeouts {
    int usbReadMs = 3000;
    int usbWriteMs = 5000;  // a printer that stops taking data fails the write
    int comReadMs = 3000;
    int comWriteConstantMs = 3000;  // plus comWritePerByteMs for every byte
    int comWritePerByteMs = 10;
    int netConnectMs = 30000;
    int netReadMs = 30000;
    int netWriteMs = 30000;
    // A whole list of frames (a memory device's file list), however many
    // names the printer sends: about 1,200 names at one a pause.
    int frameListMs = 60000;
    int progressHideMs = 200;
    // One byte of an external module's answer, whatever the interface.
    int moduleReadMs = 3000;
    // A whole reply, however slowly it comes, must be complete within the
    // read limit plus an allowance for each byte it carries (up to 64 bytes
    // before a frame's opening brace, then the frame's own): the first
    // replySlowBytes bytes at replySlowMsPerByte each (a printer that sends
    // one byte a second still gets its short reply through), every further
    // byte at replyBulkUsPerByte (1 KiB/s), plus the line time of each byte
    // on a serial line. Each refill still waits the read limit at most.
    int replySlowBytes = 1024;
    int replySlowMsPerByte = 1000;
    int replyBulkUsPerByte = 1000;
};

struct ProgressState {
    bool active = false;
    int mode = kStepMode;
    int step = 0;
    int position = 0;
};

struct LinkContext {
    PortSettings* settings = nullptr;  // never null while an operation runs
    ProgressSink* progress = nullptr;  // null means NullProgress
    LinkTimeouts timeouts;
    // Pause for ms milliseconds while keeping the interface alive. Null means
    // a real pause in short slices that pumps the progress sink.
    std::function<void(int ms)> sleep;
    // USB device access; null means the system's libusb.
    std::shared_ptr<UsbBackend> usb;
    // Folder of the serial ports' lock files (LCK..ttyS0); empty means
    // /var/lock. Tests point it at a folder of their own.
    std::string serialLockDir;
    // Bytes a serial port still holds unsent (fd -> count); null asks the
    // system (TIOCOUTQ). Tests stand in a line that never drains.
    std::function<int(int fd)> serialOutputQueued;
    // Port factory override for tests (interface index -> port); null = real ports.
    std::function<std::unique_ptr<class Port>(LinkContext&, int iface)> makePort;

    ProgressState progressState;

    // Why the last port could not be opened; cleared when an operation starts
    // (runOperation), set by the port that fails, read by the caller after it.
    PortError lastError;
    // Every byte each connection sends and receives goes here when set
    // (m350ctl and m350-utility --trace FILE).
    LinkTrace* trace = nullptr;

    // Set by the operator to stop the operation that runs (Cancel, Ctrl-C);
    // null means nothing can stop it. The entry clears cancellable around an
    // exchange that must not be cut (configuration write, password, clock
    // set), so a request then waits for the next operation.
    StopToken* stop = nullptr;
    bool cancellable = true;
    // True when the running operation is asked to stop: every wait returns
    // at once, as if its time had run out.
    bool stopping() const { return cancellable && stop && stop->requested(); }

    ProgressSink& sink();
    void pump() { sink().pump(); }
    void pause(int ms);
};

// Progress window control used by the entry and by operation bodies. Without
// a caption the window is an exchange with the printer's, worded by the sink.
void showProgress(LinkContext& ctx, int mode, int initialStep, int step, const char* caption = "");
void reportProgress(LinkContext& ctx, int kind, int percent);
void hideProgress(LinkContext& ctx);
// The bytes of a write while the window is shown in percent mode.
void reportTransferred(LinkContext& ctx, std::uint64_t done, std::uint64_t total);

}  // namespace m350
