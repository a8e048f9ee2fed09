#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstring>
#include <memory>

#include "cli/commands.h"
#include "cli/error_json.h"
#include "cli/exit_codes.h"
#include "cli/help_format.h"
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
    "         5 Unknow Error, 6 Not Support; also 1 when config diff or\n"
    "         config write --verify finds settings that differ\n"
    "  64     usage error\n"
    "  65     bad file content\n"
    "  66     a file cannot be read\n"
    "  69     no such printer or module, or doctor found the interface blocked\n"
    "  73     a file cannot be written\n"
    "  74     standard output cannot be written\n"
    "  77     printer password refused, or a deletion not confirmed";

void addOneShot(CLI::App& app, Invocation& inv, const char* name, const char* what,
                std::uint32_t op, int (*call)(m350::Link&)) {
    auto* sub = app.add_subcommand(name, what);
    sub->callback([&inv, op, call] {
        inv.action = [op, call](Session& s) { return oneShotCommand(s, op, call); };
    });
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

void buildCommandLine(CLI::App& app, Invocation& inv) {
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
    addOneShot(app, inv, "selftest", "print the configuration page", m350::kOpSelfTest,
               m350::printSelfTest);
    addOneShot(app, inv, "reset", "reset the printer", m350::kOpReset, m350::resetPrinter);
    addOneShot(app, inv, "ignore-auto", "skip the start-up program (AUTO.BAS)", m350::kOpIgnoreAuto,
               m350::ignoreAutoStart);
    addOneShot(app, inv, "exit-line-mode", "leave line mode", m350::kOpExitLineMode,
               m350::exitLineMode);

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

    addConfigCommands(app, inv);
    addPrinterFunctionCommands(app, inv);
    addUsbCommands(app, inv);
    addFileCommands(app, inv);
    addFontCommands(app, inv);
    addNetCommands(app, inv);
    addWirelessCommands(app, inv);
    addDoctorCommands(app, inv);
}

int runCommandLine(int argc, char** argv) {
    CLI::App app;
    Invocation inv;
    inv.arguments.assign(argv, argv + argc);
    buildCommandLine(app, inv);
    if (argc <= 1) {
        std::fputs(shortUsage().c_str(), stderr);
        return kExitUsage;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // --help and --version
        if (e.get_exit_code() == 0) return app.exit(e) == 0 ? kExitOk : kExitUsage;
        const std::vector<std::string> args(argv + 1, argv + argc);
        const UsageError usage = describeParseError(app, args, e);
        std::fprintf(stderr, "m350ctl: %s\nTry '%s --help'.\n", usage.message.c_str(),
                     usage.command.c_str());
        if (wantsJson(args)) printJson(stdout, failureJson(kExitUsage, usage.message));
        return kExitUsage;
    }
    if (!inv.action) return kExitUsage;
    if (!inv.fleet.hostsFile.empty()) {
        // Font drawing needs the one QGuiApplication, and a terminal may be
        // asked questions: those runs get a process each.
        const bool inProcess = !app.got_subcommand("font") && !::isatty(STDIN_FILENO);
        return runFleet(std::vector<std::string>(argv, argv + argc), inv.fleet,
                        inv.json || inv.fleet.json, inProcess);
    }
    Session session(inv.port.result(), stdout, stderr);
    session.language = inv.language;
    session.encoding =
        inv.encoding.empty() ? m350::defaultTextEncoding(inv.language) : inv.encoding;
    session.json = inv.json;
    if (inv.progress && ::isatty(STDERR_FILENO)) session.showProgressOn(stderr);
    std::unique_ptr<m350::LinkTrace> trace;
    if (!inv.tracePath.empty()) {
        std::string why;
        const int fd = m350::openLocalOutputFile(inv.tracePath, &why);
        if (fd < 0) return session.fail(kExitCantCreate, why);
        trace = std::make_unique<m350::LinkTrace>(fd);
        session.context().trace = trace.get();
    }
    const int code = inv.action(session);
    if (trace && !trace->complete())
        std::fprintf(stderr, "m350ctl: the trace %s is incomplete: %s\n", inv.tracePath.c_str(),
                     "a line could not be written");
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        const int err = errno;
        std::fprintf(stderr, "m350ctl: cannot write standard output: %s\n",
                     std::strerror(err != 0 ? err : EIO));
        return kExitIoError;
    }
    return code;
}

}  // namespace m350::cli
