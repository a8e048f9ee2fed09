// SPDX-License-Identifier: MIT
// m350ctl's failures as JSON, for scripts that run it with --json: every
// failure (a failed link operation, a local failure, a usage error) becomes
// one object of the same shape on standard output, beside the text on
// standard error. exitCode and message are always there; a link failure adds
// its result code and, when the port gave one, the cause.
//
//   {"schema": 1, "error": {"exitCode": 1, "message": "Port Open Error",
//              "result": 1, "fault": "refused", "device": "127.0.0.1:9100",
//              "reason": "Connection refused", "hint": "..."}}
//   {"schema": 1, "error": {"exitCode": 66, "message": "cannot read a.dcf: ..."}}
#pragma once

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "core/transport/port_error.h"

namespace m350::cli {

nlohmann::ordered_json resultErrorJson(int result, const m350::PortError& cause, int iface);
nlohmann::ordered_json failureJson(int exitCode, const std::string& message);
// Writes j and a line break to out.
void printJson(std::FILE* out, const nlohmann::ordered_json& j);

}  // namespace m350::cli
