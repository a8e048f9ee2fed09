// The numbered entry around the typed link operations.
//
// Each printer exchange is a typed function in its subsystem (readStatus in
// core/printer/status.h, readConfig in core/config/config_read.h ...): it opens
// its own connection on the link, runs, closes and returns a result code. The
// numbers keep only what belongs to them: which operations the write-only
// parallel port refuses, which run inside the progress window, and the result
// texts. Callers run a typed call under its number:
//
//   StatusFlags flags{};
//   int r = runOperation(ctx, kOpStatus, iface, [&](Link& l) { return readStatus(l, flags); });
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "core/link/link.h"

namespace m350 {

// Result codes of a link operation. 0 is success; the others index the
// message table of resultText.
enum Result : int {
    kOk = 0,
    kPortOpenError = 1,
    kTransmitError = 2,
    kReceiveError = 3,
    kFileOpenError = 4,
    kUnknownError = 5,
    kNotSupported = 6,
};

// The message shown for a result code, exactly as operators have always seen
// it (including "Unknow Error"). Codes outside the table give the empty text.
std::string_view resultText(int code);

// Operation numbers.
enum LinkOp : std::uint32_t {
    kOpStatus = 0,
    kOpReadConfig = 1,
    kOpReadPassword = 2,
    kOpSetPassword = 3,
    kOpWriteConfig = 4,
    kOpFactoryDefault = 5,
    kOpDumpText = 6,
    kOpSelfTest = 7,
    kOpSetClock = 8,
    kOpReadClock = 9,
    kOpSensorCommand = 10,
    kOpReset = 11,
    kOpMemoryInfo = 12,
    kOpDownload = 13,
    kOpRawSend = 14,
    kOpFormat = 15,
    kOpTestPage = 16,
    kOpIgnoreAuto = 17,
    kOpNetAddress = 18,
    kOpNetName = 19,
    kOpNetReport = 20,
    kOpConnectionTest = 21,
    kOpFetchFile = 22,
    kOpReadSensor = 23,
    kOpSensorValues = 24,
    kOpExitLineMode = 25,
    kOpModuleMode = 26,
    kOpScanAp = 28,
    kOpEmulationQuery = 29,
    kOpEmulationSwitch = 30,
    kOpScanBt = 31,
    kOpBtMaster = 32,
    kOpWifiDefault = 33,
    kOpCount = 34,
};

// A typed operation bound to its arguments.
using OperationCall = std::function<int(Link&)>;

// Runs call as operation op on the interface and returns its result code;
// never throws.
//  - A number outside the table (27, 34 and above) gives kUnknownError.
//  - On the parallel port, operations that must read are refused with
//    kReceiveError, and the password read answers kOk without running (the
//    printer has no way to tell, so no password is assumed).
//  - The configuration write runs inside the progress window; the
//    configuration read does when withProgress is set (the Read button, not
//    the silent start-up read).
int runOperation(LinkContext& ctx, std::uint32_t op, int iface, const OperationCall& call,
                 bool withProgress = false);

// Link operation 21: the port opens.
int testConnection(Link& link);

// Shape shared by the one-shot commands: open, one write, close. kOk,
// kPortOpenError or kTransmitError.
int sendCommand(Link& link, std::string_view bytes);

}  // namespace m350
