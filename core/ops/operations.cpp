// SPDX-License-Identifier: MIT
#include "core/ops/operations.h"

#include <array>

namespace m350::ops {

namespace {
#define M350_OP(name)     \
    Registered {          \
#name, &name.info \
    }
constexpr std::array kAll = {
    M350_OP(readStatus),
    M350_OP(readConfig),
    M350_OP(readConfigShown),
    M350_OP(readPassword),
    M350_OP(setPassword),
    M350_OP(writeConfig),
    M350_OP(factoryDefault),
    M350_OP(enterDumpMode),
    M350_OP(printSelfTest),
    M350_OP(setClock),
    M350_OP(readClock),
    M350_OP(applySensorCalibration),
    M350_OP(resetPrinter),
    M350_OP(readMemoryInfo),
    M350_OP(downloadFile),
    M350_OP(downloadFontFile),
    M350_OP(sendRaw),
    M350_OP(sendFileRaw),
    M350_OP(sendOpenedFileRaw),
    M350_OP(formatDevice),
    M350_OP(printTestPage),
    M350_OP(ignoreAutoStart),
    M350_OP(writeNetAddress),
    M350_OP(writeNetName),
    M350_OP(readNetSettings),
    M350_OP(testConnection),
    M350_OP(fetchFile),
    M350_OP(readSensorSettings),
    M350_OP(readSensorValues),
    M350_OP(exitLineMode),
    M350_OP(setUpModule),
    M350_OP(writeModule),
    M350_OP(scanAccessPoints),
    M350_OP(readEmulation),
    M350_OP(switchEmulation),
    M350_OP(scanBluetooth),
    M350_OP(setBluetoothMaster),
    M350_OP(wirelessFactoryDefault),
};
#undef M350_OP
}  // namespace

std::span<const Registered> all() {
    return kAll;
}

}  // namespace m350::ops

namespace m350 {

int runOperation(LinkContext& ctx, std::uint32_t op, int iface, const OperationCall& call,
                 bool withProgress) {
    // The first descriptor of a number carries its rules; the configuration
    // read has a second one that shows the progress window.
    const OperationInfo* info = nullptr;
    for (const auto& r : ops::all()) {
        if (r.info->number != op) continue;
        if (!info) info = r.info;
        if (withProgress && r.info->progress == ProgressRule::kStep) info = r.info;
    }
    if (!info) return kUnknownError;
    return runOperation(ctx, *info, iface, call);
}

}  // namespace m350
