#include "core/link/link_operations.h"

#include <array>
#include <cstdint>

#include "core/link/connection.h"
#include "core/link/operation_bodies.h"

namespace m350 {

namespace {

// What happens on the parallel port before the body runs.
enum class OnLpt { kRuns, kRefused, kEmptyText };
// Whether the entry wraps the body in the progress window (step mode 3, 3).
enum class Wrap { kNo, kAlways, kWhenExtraIsOne };

struct OperationEntry {
    LinkBody body;
    OnLpt onLpt;
    Wrap wrap;
};

// Buffers, by operation:
//   0  StatusFlags (10 bytes, out)             14 const std::uint8_t* bytes, extra = count
//   1  ConfigRecord (in defaults, out values)  21 none
//   2  std::string password (out)              25 none
//   3  const std::string new password (in)
//   4  const ConfigRecord, extra = page index  30 const std::int32_t flag
//   5, 7, 11, 17: none
// Numbers without a body here are not built yet and answer "Unknow Error".
constexpr std::array<OperationEntry, kOpCount> kOperations = [] {
    std::array<OperationEntry, kOpCount> t{};
    for (auto& e : t) e = {nullptr, OnLpt::kRuns, Wrap::kNo};
    t[kOpStatus] = {statusOperation, OnLpt::kRefused, Wrap::kNo};
    t[kOpReadConfig] = {readConfigOperation, OnLpt::kRefused, Wrap::kWhenExtraIsOne};
    t[kOpReadPassword] = {readPasswordOperation, OnLpt::kEmptyText, Wrap::kNo};
    t[kOpSetPassword] = {setPasswordOperation, OnLpt::kRuns, Wrap::kNo};
    t[kOpWriteConfig] = {writeConfigOperation, OnLpt::kRuns, Wrap::kAlways};
    t[kOpFactoryDefault] = {factoryDefaultOperation, OnLpt::kRuns, Wrap::kNo};
    t[kOpSelfTest] = {selfTestOperation, OnLpt::kRuns, Wrap::kNo};
    t[kOpReset] = {resetOperation, OnLpt::kRuns, Wrap::kNo};
    t[kOpMemoryInfo] = {nullptr, OnLpt::kRuns, Wrap::kAlways};
    t[kOpRawSend] = {rawSendOperation, OnLpt::kRuns, Wrap::kNo};
    t[kOpIgnoreAuto] = {ignoreAutoOperation, OnLpt::kRuns, Wrap::kNo};
    t[kOpConnectionTest] = {connectionTestOperation, OnLpt::kRuns, Wrap::kNo};
    t[kOpExitLineMode] = {exitLineModeOperation, OnLpt::kRuns, Wrap::kNo};
    t[kOpEmulationQuery] = {nullptr, OnLpt::kRefused, Wrap::kNo};
    t[kOpEmulationSwitch] = {emulationSwitchOperation, OnLpt::kRuns, Wrap::kNo};
    t[kOpWifiDefault] = {wirelessDefaultOperation, OnLpt::kRuns, Wrap::kNo};
    return t;
}();

}  // namespace

int sendCommandOperation(LinkContext& ctx, int iface, const void* bytes, std::size_t count) {
    Connection c(ctx, iface);
    if (!c.open()) return kPortOpenError;
    return c.write(bytes, count) ? kOk : kTransmitError;
}

int connectionTestOperation(LinkContext& ctx, int iface, void*, int) {
    Connection c(ctx, iface);
    return c.open() ? kOk : kPortOpenError;
}

int emulationSwitchOperation(LinkContext& ctx, int iface, void* buffer, int) {
    std::int32_t flag = buffer ? *static_cast<const std::int32_t*>(buffer) : 0;
    const char bytes[2] = {0x1B, static_cast<char>(flag != 0 ? 'Y' : 'Z')};
    return sendCommandOperation(ctx, iface, bytes, sizeof bytes);
}

int runLinkOperation(LinkContext& ctx, std::uint32_t op, int iface, void* buffer, int extra) {
    if (op >= kOpCount) return kUnknownError;
    const OperationEntry& e = kOperations[op];
    if (iface == kLpt) {
        if (e.onLpt == OnLpt::kRefused) return kReceiveError;
        if (e.onLpt == OnLpt::kEmptyText) {
            if (buffer) static_cast<std::string*>(buffer)->clear();
            return kOk;
        }
    }
    if (!e.body) return kUnknownError;
    if (!ctx.settings) return kPortOpenError;
    bool wrap = e.wrap == Wrap::kAlways || (e.wrap == Wrap::kWhenExtraIsOne && extra == 1);
    if (!wrap) return e.body(ctx, iface, buffer, extra);
    showProgress(ctx, kStepMode, 3, 3);
    int result = e.body(ctx, iface, buffer, extra);
    hideProgress(ctx);
    return result;
}

}  // namespace m350
