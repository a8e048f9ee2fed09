// SPDX-License-Identifier: MIT
// The commands of m350ctl. Each returns the process exit status (ExitCodes.h);
// link failures have printed their result text by then.
#pragma once

#include <cstdint>
#include <map>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/password_prompt.h"
#include "cli/session.h"
#include "core/config/config_file.h"
#include "core/link/link.h"
#include "core/printer/status.h"

namespace m350::cli {

// status: link operation 0, the status word of the language (and the flags with --json).
// Option values shared by the commands: the unit (inch 0, mm 1) and the
// configuration pages a write or a diff may be limited to.
extern const std::map<std::string, int> kUnitNames;
extern const std::map<std::string, int> kConfigPageNames;

int statusCommand(Session& s, bool json);

// factory-default, selftest, reset, ignore-auto, exit-line-mode: one request, no reply.
int oneShotCommand(Session& s, const m350::Operation<>& op);

// factory-default, behind the password gate.
int factoryDefaultCommand(Session& s, const PasswordAnswer& answer);

// send FILE|-: the bytes as they are (link operation 14).
int sendCommand(Session& s, const std::string& path);

// Loads a .dcf file for config show, write and diff: kExitOk, or the exit
// status with its message printed ("PATH: File Data Error: FIELD", or why the
// file cannot be read).
int loadConfigFileOrFail(Session& s, const std::string& path, m350::ConfigFileContents& contents);

// The status as JSON text: {"status": word, "statusKey": key, "flags": [10 numbers]}.
std::string statusJson(const m350::StatusFlags& flags, int language);
// {"coverOpen": false, "paperJam": false, ...}: the flags by their names.
nlohmann::ordered_json statusFlagsByName(const m350::StatusFlags& flags);

}  // namespace m350::cli
