// The single entry for numbered printer exchanges.
#pragma once

#include <cstdint>

#include "core/link/link_context.h"

namespace m350 {

// Operation numbers, named where the code refers to them.
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

// Runs one operation on the interface with the operation's buffer (see the
// table in LinkOperations.cpp for what each buffer is) and returns a result
// code. Never throws. extra: op 1 shows progress when 1; op 4 the index of the
// configuration page; op 14 the byte count.
int runLinkOperation(LinkContext& ctx, std::uint32_t op, int iface, void* buffer, int extra);

// Body signature of an operation; the entry has already applied the parallel
// port refusal and the progress wrapping.
using LinkBody = int (*)(LinkContext& ctx, int iface, void* buffer, int extra);

// Shape shared by the simple command operations: open, one write, close.
int sendCommandOperation(LinkContext& ctx, int iface, const void* bytes, std::size_t count);

}  // namespace m350
