// SPDX-License-Identifier: MIT
// The result codes and numbers of the link operations, and the numbered entry.
//
// Each printer exchange is a typed function in its subsystem (readStatus in
// core/printer/status.h, readConfig in core/config/config_read.h ...): it opens
// its own connection on the link, runs, closes and returns a result code. Each
// is declared once as a descriptor (core/ops/operations.h) with its number and
// rules, and callers run the descriptor:
//
//   StatusFlags flags{};
//   int r = run(ctx, iface, ops::readStatus(flags));
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "core/link/link.h"
#include "core/link/operation.h"

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
    // The operator stopped the operation (Cancel, Ctrl-C); never a success.
    kCancelled = 7,
};

// The message shown for a result code, in English and exactly as the printer
// tools word it (including "Unknow Error"); kCancelled's "Cancelled" is one of
// the program's own texts (ownText) for other languages. Codes outside the
// table give the empty text.
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

// The numbered entry: runs call under the rules of the operation numbered
// op (see runOperation of a descriptor, core/link/operation.h; the numbers'
// descriptors are in core/ops/operations.h, where this is defined) and
// returns its result code; never throws.
//  - A number outside the table (27, 34 and above) gives kUnknownError.
//  - On the parallel port, operations that must read are refused with
//    kReceiveError, and the password read answers kOk without running (the
//    printer has no way to tell, so no password is assumed).
//  - withProgress runs the configuration read inside the progress window
//    (as ops::readConfigShown does).
int runOperation(LinkContext& ctx, std::uint32_t op, int iface, const OperationCall& call,
                 bool withProgress = false);

// Link operation 21: the port opens.
int testConnection(Link& link);

// Shape shared by the one-shot commands: open, one write, close. kOk,
// kPortOpenError or kTransmitError.
int sendCommand(Link& link, std::string_view bytes);

}  // namespace m350
