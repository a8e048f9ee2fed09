// SPDX-License-Identifier: MIT
// The printer password without a window. Where the window opens its password
// dialog, m350ctl takes the answer from --password or --password-file, asks on
// the terminal without echo, or, with neither, refuses and sends nothing.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace m350::cli {

class Session;

struct PasswordAnswer {
    // From --password or --password-file; nullopt when neither was given.
    std::optional<std::string> given;
    // Asks the operator with the prompt; nullopt when the input ended. Null
    // when there is no terminal to ask on.
    std::function<std::optional<std::string>(const std::string& prompt)> ask;
};

// Attempts on the terminal before the gate gives up.
inline constexpr int kPasswordAttempts = 3;

// The gate before a lasting change: reads the printer's password (link
// operation 2); an empty one passes, otherwise the answer must equal it exactly.
// Returns kExitOk to go ahead; otherwise the exit code, its message printed.
int runPasswordGate(Session& session, const PasswordAnswer& answer);

// The password change: the current password must be answered as for the gate
// (an empty one needs no answer), the new one comes from newPassword or is asked
// twice on the terminal. An unchanged password sends nothing.
int runPasswordSet(Session& session, const PasswordAnswer& answer,
                   std::optional<std::string> newPassword);

// The content of a password file: the whole file, less one line ending.
std::string passwordFromFileContent(std::string content);

// Reads a line from standard input with echo off; the prompt goes to stderr.
std::optional<std::string> askWithoutEcho(const std::string& prompt);

// Signal handlers that turn echo back on before the process ends.
void restoreTerminalOnSignals();

}  // namespace m350::cli
