// SPDX-License-Identifier: MIT
// One command line of m350ctl, parsed: the connection, the password sources,
// and the action of the chosen command. Command groups register themselves on
// the parser and set the action from their callbacks.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/fleet.h"
#include "cli/password_prompt.h"
#include "cli/port_options.h"
#include "cli/session.h"

namespace CLI {
class App;
}

namespace m350::cli {

struct Invocation {
    PortOptions port;
    FleetOptions fleet;  // --hosts, --jobs, --host-timeout
    std::optional<std::string> password;
    std::string passwordFile;
    int language = 0;
    std::string encoding;   // --encoding; empty: the language's code page
    bool json = false;      // --json of the reading commands
    std::string tracePath;  // --trace FILE: every byte of the links
    // Set by the callback of the command that was named.
    std::function<int(Session&)> action;
    // Whether the command may show the progress bar (long writes).
    bool progress = false;
    // The command line as given, program name first (font make hands it on).
    std::vector<std::string> arguments;

    // The answer to the password gate: the given text, the password file's
    // content, or a prompt when standard input is a terminal. Returns kExitOk,
    // or kExitNoInput when the password file cannot be read.
    int passwordAnswer(Session& s, PasswordAnswer& out) const;
};

// Builds the whole parser. The returned app refers to inv.
void buildCommandLine(CLI::App& app, Invocation& inv);
// Builds the parser with only the top-level commands that words (the
// command line) name, or all of them when it names none or asks for help.
void buildCommandLine(CLI::App& app, Invocation& inv, const std::vector<std::string_view>& words);

// The configuration commands (config read/show/write).
void addConfigCommands(CLI::App& app, Invocation& inv);

// dump, clock, sensor and emulation.
void addPrinterFunctionCommands(CLI::App& app, Invocation& inv);
// usb list.
void addUsbCommands(CLI::App& app, Invocation& inv);
// The file manager commands (download, firmware, memory, format, fetch).
void addFileCommands(CLI::App& app, Invocation& inv);
// The bitmap font commands (font make/show/download).
void addFontCommands(CLI::App& app, Invocation& inv);
// The network commands (discover, net ...).
void addNetCommands(CLI::App& app, Invocation& inv);
// wifi scan, bt scan, bt master, module show, module set.
void addWirelessCommands(CLI::App& app, Invocation& inv);

// doctor and serial list.
void addDoctorCommands(CLI::App& app, Invocation& inv);

// Parses argv and runs the command; the process exit status.
int runCommandLine(int argc, char** argv);

// Runs inv's action on session with its --trace file, if any, attached; a
// trace that could not be written whole fails the run (kExitIoError when it
// had succeeded).
int runWithTrace(Session& session, Invocation& inv);

}  // namespace m350::cli
