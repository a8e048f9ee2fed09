#include "core/link/link_operations.h"

#include <array>
#include <cstdint>

#include "core/link/connection.h"

namespace m350 {

std::string_view resultText(int code) {
    static constexpr std::array<std::string_view, 7> kTexts = {
        "",
        "Port Open Error",
        "Data Transmission Error",
        "Data Receiving Error",
        "File Open Error",
        "Unknow Error",
        "Not Support",
    };
    if (code < 0 || code >= static_cast<int>(kTexts.size())) return {};
    return kTexts[static_cast<std::size_t>(code)];
}

namespace {

// What happens on the parallel port before the call runs.
enum class OnLpt { kRuns, kRefused, kEmptyText };
// Whether the entry wraps the call in the progress window (step mode 3, 3).
enum class Wrap { kNo, kAlways, kWhenAsked };

struct NumberRules {
    bool defined;
    OnLpt onLpt;
    Wrap wrap;
};

constexpr std::array<NumberRules, kOpCount> kRules = [] {
    std::array<NumberRules, kOpCount> t{};
    for (auto& e : t) e = {true, OnLpt::kRuns, Wrap::kNo};
    t[27].defined = false;
    t[kOpStatus].onLpt = OnLpt::kRefused;
    t[kOpReadConfig] = {true, OnLpt::kRefused, Wrap::kWhenAsked};
    t[kOpReadPassword].onLpt = OnLpt::kEmptyText;
    t[kOpWriteConfig].wrap = Wrap::kAlways;
    // File manager: the memory read runs inside the window in step mode; the
    // download (13) and the raw send (14) show it themselves in percent mode,
    // so the entry does not; the format (15) and the file fetch (22) run
    // bare. All of them run on the parallel port (the memory read then fails
    // at its first read).
    t[kOpMemoryInfo].wrap = Wrap::kAlways;
    t[kOpDownload].wrap = Wrap::kNo;
    t[kOpRawSend].wrap = Wrap::kNo;
    t[kOpEmulationQuery].onLpt = OnLpt::kRefused;
    return t;
}();

}  // namespace

int runOperation(LinkContext& ctx, std::uint32_t op, int iface, const OperationCall& call,
                 bool withProgress) {
    if (op >= kOpCount || !kRules[op].defined || !call) return kUnknownError;
    const NumberRules& rules = kRules[op];
    ctx.lastError = {};
    if (iface == kLpt) {
        if (rules.onLpt == OnLpt::kRefused) return kReceiveError;
        if (rules.onLpt == OnLpt::kEmptyText) return kOk;
    }
    if (!ctx.settings) return kPortOpenError;
    Link link{ctx, iface};
    const bool wrap =
        rules.wrap == Wrap::kAlways || (rules.wrap == Wrap::kWhenAsked && withProgress);
    if (!wrap) return call(link);
    showProgress(ctx, kStepMode, 3, 3);
    const int result = call(link);
    hideProgress(ctx);
    return result;
}

int sendCommand(Link& link, std::string_view bytes) {
    Connection c(link.ctx, link.iface);
    if (!c.open()) return kPortOpenError;
    return c.write(bytes) ? kOk : kTransmitError;
}

int testConnection(Link& link) {
    Connection c(link.ctx, link.iface);
    return c.open() ? kOk : kPortOpenError;
}

}  // namespace m350
