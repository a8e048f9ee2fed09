// m350ctl's failures as JSON, for scripts that run it with --json: a failed
// link operation and a local failure each become one object on standard
// output, beside the text on standard error.
//
//   {"error": {"result": 1, "text": "Port Open Error", "fault": "refused",
//              "device": "127.0.0.1:9100", "reason": "Connection refused",
//              "hint": "..."}}
//   {"error": {"exitCode": 66, "message": "cannot read a.dcf: ..."}}
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
