// SPDX-License-Identifier: MIT
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "cli/commands.h"
#include "cli/error_json.h"
#include "cli/exit_codes.h"
#include "cli/help_format.h"
#include "cli/interrupt.h"
#include "cli/invocation.h"
#include "cli/usage_error.h"
#include "core/files/local_file.h"
#include "core/i18n/language_table.h"
#include "core/i18n/text_encoding.h"
#include "core/link/link_operations.h"
#include "core/link/link_trace.h"
#include "core/printer/maintenance.h"
#include "core/version.h"

namespace m350::cli {

namespace {

constexpr const char* kFooter =
    "Exit status:\n"
    "  0      success\n"
    "  1..6   the link result, its text on standard error: 1 Port Open Error,\n"
    "         2 Data Transmission Error, 3 Data Receiving Error, 4 File Open Error,\n"
    "         5 Unknow Error, 6 Not Support\n"
    "  10     settings differ (config diff, config write --verify)\n"
    "  11     not confirmed (format, net udp-factory-default); nothing sent\n"
    "  64     usage error\n"
    "  65     bad file content, or a value the printer cannot take\n"
    "  66     a file cannot be read\n"
    "  69     no such printer or module, or doctor found the interface blocked\n"
    "  73     a file cannot be written\n"
    "  74     standard output cannot be written, nor the whole --trace file\n"
    "  77     printer password refused\n"
    "  130    stopped by Ctrl-C (a second Ctrl-C ends m350ctl at once)";

void addOneShot(CLI::App& app, Invocation& inv, const char* name, const char* what,
                const m350::Operation<>& op) {
    auto* sub = app.add_subcommand(name, what);
    sub->callback(
        [&inv, &op] { inv.action = [&op](Session& s) { return oneShotCommand(s, op); }; });
}

}  // namespace

int Invocation::passwordAnswer(Session& s, PasswordAnswer& out) const {
    out = {};
    if (password) {
        out.given = *password;
    } else if (!passwordFile.empty()) {
        std::string content, error;
        if (!readWholeFile(passwordFile, content, error, kMaxPasswordFileBytes))
            return s.fail(kExitNoInput, error);
        out.given = passwordFromFileContent(std::move(content));
    } else if (::isatty(STDIN_FILENO)) {
        restoreTerminalOnSignals();
        out.ask = askWithoutEcho;
    }
    return kExitOk;
}

namespace {

// The link commands defined here: status, factory-default, the one-shot
// commands, send and password.
void addLinkCommands(CLI::App& app, Invocation& inv);

// Every group of top-level commands with the names it adds, in the order of
// the help text.
struct CommandGroup {
    const char* names;  // space-separated
    void (*add)(CLI::App&, Invocation&);
};
constexpr CommandGroup kCommandGroups[] = {
    {"status factory-default selftest reset ignore-auto exit-line-mode send password",
     addLinkCommands},
    {"config", addConfigCommands},
    {"dump clock sensor testpage emulation", addPrinterFunctionCommands},
    {"usb", addUsbCommands},
    {"download firmware memory format fetch", addFileCommands},
    {"font", addFontCommands},
    {"discover net", addNetCommands},
    {"wifi bt module", addWirelessCommands},
    {"doctor serial", addDoctorCommands},
};

bool namesWord(const char* names, std::string_view word) {
    std::string_view rest(names);
    while (!rest.empty()) {
        const std::size_t end = rest.find(' ');
        if (rest.substr(0, end) == word) return true;
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
    return false;
}

}  // namespace

int runWithTrace(Session& session, Invocation& inv) {
    std::unique_ptr<m350::LinkTrace> trace;
    if (!inv.tracePath.empty()) {
        std::string why;
        const int fd = m350::openLocalOutputFile(inv.tracePath, &why);
        if (fd < 0) return session.fail(kExitCantCreate, why);
        trace = std::make_unique<m350::LinkTrace>(fd);
        session.context().trace = trace.get();
    }
    const int code = inv.action(session);
    session.context().trace = nullptr;
    // A trace cut short (a full disk) is a failure of its own: the run may
    // have gone well, but what was asked for was not written.
    if (trace && !trace->complete())
        return session.fail(
            code != kExitOk ? code : kExitIoError,
            "the trace " + inv.tracePath + " is incomplete: a line could not be written");
    return code;
}

void buildCommandLine(CLI::App& app, Invocation& inv) {
    buildCommandLine(app, inv, {});
}

void buildCommandLine(CLI::App& app, Invocation& inv, const std::vector<std::string_view>& words) {
    // Only the groups of commands a word of the command line names are set
    // up: building every command's options costs more than most commands
    // take to run. A command line that names none (help, a typing mistake,
    // a command added without a row above) gets them all, so help and errors
    // read the same as ever.
    std::vector<const CommandGroup*> groups;
    for (const CommandGroup& g : kCommandGroups) {
        for (std::string_view w : words) {
            if (namesWord(g.names, w)) {
                groups.push_back(&g);
                break;
            }
        }
    }
    for (std::string_view w : words)
        if (w == "--help" || w == "-h" || w == "--help-all") groups.clear();
    if (groups.empty())
        for (const CommandGroup& g : kCommandGroups) groups.push_back(&g);

    app.name("m350ctl");
    useHelpFormatter(app);
    app.set_help_flag("-h,--help", "print this help and exit");
    app.description(
        "Status, maintenance, configuration and raw printing for M350 label printers, "
        "over USB, a serial or parallel port, or the network.");
    app.footer(kFooter);
    app.set_version_flag("--version", "m350ctl " M350_VERSION, "print the version and exit");
    app.require_subcommand(1);
    app.fallthrough();

    inv.port.addTo(app);
    addFleetOptions(app, inv.fleet);
    auto* pw = app.add_option("--password", inv.password,
                              "the printer password, for commands that change the printer")
                   ->type_name("TEXT")
                   ->group("Password");
    app.add_option("--password-file", inv.passwordFile,
                   "read the printer password from a file (one line)")
        ->type_name("FILE")
        ->group("Password")
        ->excludes(pw);
    app.add_option("--language", inv.language, "language of the status word, 0 English .. 13")
        ->check(CLI::Range(0, m350::kLanguageCount - 1))
        ->group("Output");
    app.add_option("--encoding", inv.encoding,
                   "encoding of printer texts (SSID, names, keys ...): UTF-8, CP1252 ... "
                   "(default the language's code page)")
        ->check(CLI::Validator(
            [](std::string& name) {
                return m350::isTextEncoding(name) ? std::string()
                                                  : "unknown text encoding: " + name;
            },
            "NAME"))
        ->type_name("NAME")
        ->group("Output");

    app.add_option("--trace", inv.tracePath,
                   "write every byte sent to and received from the printer to FILE, one "
                   "time-stamped line per event")
        ->type_name("FILE")
        ->group("Output");

    for (const CommandGroup* g : groups) g->add(app, inv);
}

namespace {

void addLinkCommands(CLI::App& app, Invocation& inv) {
    auto* status = app.add_subcommand("status", "read the printer status (Ready, Cover Open ...)");
    status->add_flag("--json", inv.json, "print the status as JSON");
    status->callback(
        [&inv] { inv.action = [&inv](Session& s) { return statusCommand(s, inv.json); }; });

    auto* factory = app.add_subcommand(
        "factory-default", "restore the printer's factory settings (asks for the password)");
    factory->callback([&inv] {
        inv.action = [&inv](Session& s) {
            PasswordAnswer answer;
            if (int r = inv.passwordAnswer(s, answer); r != kExitOk) return r;
            return factoryDefaultCommand(s, answer);
        };
    });
    addOneShot(app, inv, "selftest", "print the configuration page", ops::printSelfTest);
    addOneShot(app, inv, "reset", "reset the printer", ops::resetPrinter);
    addOneShot(app, inv, "ignore-auto", "skip the start-up program (AUTO.BAS)",
               ops::ignoreAutoStart);
    addOneShot(app, inv, "exit-line-mode", "leave line mode", ops::exitLineMode);

    auto* send = app.add_subcommand("send", "send a file's bytes to the printer as they are");
    auto* sendPath = send->add_option("FILE", "file to send, - for standard input")->required();
    send->callback([&inv, sendPath] {
        const std::string path = sendPath->as<std::string>();
        inv.progress = true;
        inv.action = [path](Session& s) { return sendCommand(s, path); };
    });

    auto* password = app.add_subcommand("password", "the printer password");
    password->require_subcommand(1);
    auto* set = password->add_subcommand(
        "set", "change the printer password (the current one with --password or asked)");
    auto* newText = set->add_option("--new", "the new password")->type_name("TEXT");
    auto* newFile = set->add_option("--new-file", "read the new password from a file (one line)")
                        ->type_name("FILE")
                        ->excludes(newText);
    set->callback([&inv, newText, newFile] {
        std::optional<std::string> text;
        if (newText->count()) text = newText->as<std::string>();
        std::string file = newFile->count() ? newFile->as<std::string>() : std::string();
        inv.action = [&inv, text, file](Session& s) {
            PasswordAnswer answer;
            if (int r = inv.passwordAnswer(s, answer); r != kExitOk) return r;
            std::optional<std::string> fresh = text;
            if (!file.empty()) {
                std::string content, error;
                if (!readWholeFile(file, content, error, kMaxPasswordFileBytes))
                    return s.fail(kExitNoInput, error);
                fresh = passwordFromFileContent(std::move(content));
            }
            return runPasswordSet(s, answer, fresh);
        };
    });
}

}  // namespace

int runCommandLine(int argc, char** argv) {
    CLI::App app;
    Invocation inv;
    inv.arguments.assign(argv, argv + argc);
    if (argc <= 1) {
        std::fputs(shortUsage().c_str(), stderr);
        return kExitUsage;
    }
    buildCommandLine(app, inv, std::vector<std::string_view>(argv + 1, argv + argc));
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // --help and --version
        if (e.get_exit_code() == 0) return app.exit(e) == 0 ? kExitOk : kExitUsage;
        const std::vector<std::string> args(argv + 1, argv + argc);
        // Only the groups the words named were set up: the nearest word to a
        // typo is looked for among every command.
        CLI::App every;
        Invocation unused;
        buildCommandLine(every, unused);
        const UsageError usage = describeParseError(every, args, e);
        std::fprintf(stderr, "m350ctl: %s\nTry '%s --help'.\n", usage.message.c_str(),
                     usage.command.c_str());
        if (wantsJson(args)) printJson(stdout, failureJson(kExitUsage, usage.message));
        return kExitUsage;
    }
    if (!inv.action) return kExitUsage;
    if (!inv.fleet.hostsFile.empty()) {
        // Font drawing needs the one QGuiApplication, and a terminal may be
        // asked questions: those runs get a process each.
        bool font = false;  // (only the commands named were set up: ask what was parsed)
        for (const CLI::App* sub : app.get_subcommands()) font |= sub->get_name() == "font";
        const bool inProcess = !font && !::isatty(STDIN_FILENO);
        return runFleet(std::vector<std::string>(argv, argv + argc), inv.fleet,
                        inv.json || inv.fleet.json, inProcess);
    }
    Session session(inv.port.result(), stdout, stderr);
    static m350::StopToken interrupted;
    interrupted.reset();
    session.context().stop = &interrupted;
    stopOnInterrupt(interrupted);
    session.language = inv.language;
    session.encoding = m350::chosenTextEncoding(inv.encoding, inv.language);
    // The top-level --json means the command's own.
    if (inv.fleet.json) inv.json = true;
    session.json = inv.json;
    if (inv.progress && ::isatty(STDERR_FILENO)) session.showProgressOn(stderr);
    int code = runWithTrace(session, inv);
    if (code == m350::kCancelled) code = kExitInterrupted;
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        const int err = errno;
        std::fprintf(stderr, "m350ctl: cannot write standard output: %s\n",
                     std::strerror(err != 0 ? err : EIO));
        return kExitIoError;
    }
    return code;
}

}  // namespace m350::cli
