// SPDX-License-Identifier: MIT
#include "cli/error_json.h"

#include "cli/config_text.h"
#include "core/link/link_operations.h"

namespace m350::cli {

nlohmann::ordered_json resultErrorJson(int result, const m350::PortError& cause, int iface) {
    nlohmann::ordered_json e;
    e["exitCode"] = result;
    e["message"] = std::string(m350::resultText(result));
    e["result"] = result;
    if (cause.isSet()) {
        e["fault"] = m350::portFaultName(cause.fault);
        e["device"] = cause.device;
        e["reason"] = cause.reason;
        const std::string hint = m350::portErrorHint(cause, iface);
        if (!hint.empty()) e["hint"] = hint;
    }
    nlohmann::ordered_json j;
    j["error"] = std::move(e);
    return j;
}

nlohmann::ordered_json failureJson(int exitCode, const std::string& message) {
    nlohmann::ordered_json e;
    e["exitCode"] = exitCode;
    e["message"] = message;
    nlohmann::ordered_json j;
    j["error"] = std::move(e);
    return j;
}

void printJson(std::FILE* out, const nlohmann::ordered_json& j) {
    std::fprintf(out, "%s\n", dumpJson(j).c_str());
    std::fflush(out);
}

}  // namespace m350::cli
