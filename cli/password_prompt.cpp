// SPDX-License-Identifier: MIT
#include "cli/password_prompt.h"

#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <iostream>

#include "cli/exit_codes.h"
#include "cli/interrupt.h"
#include "cli/session.h"
#include "core/access/password.h"
#include "core/files/local_file.h"
#include "core/link/link_operations.h"

namespace m350::cli {

namespace {

termios gSavedTerminal{};
volatile std::sig_atomic_t gTerminalChanged = 0;

// Ctrl-C at the password prompt must not leave the terminal without echo.
void restoreTerminalAndDie(int sig) {
    if (gTerminalChanged) ::tcsetattr(STDIN_FILENO, TCSANOW, &gSavedTerminal);
    m350::removeTemporaryFilesNow();
    ::signal(sig, SIG_DFL);
    ::raise(sig);
}

// Ctrl-C at the prompt ends the program with the terminal restored; at any
// other time it stops the running operation (cli/interrupt.h).
void restoreTerminalOrStop(int sig) {
    if (gTerminalChanged) restoreTerminalAndDie(sig);
    onInterrupt(sig);
}

// The operator's answer compared with the printer's password: the given one
// once, or up to kPasswordAttempts tries on the terminal.
int checkAnswer(Session& s, const PasswordAnswer& answer, const std::string& password,
                const std::string& prompt) {
    if (answer.given) {
        if (*answer.given == password) return kExitOk;
        return s.fail(kExitRefused, "Incorrect password; nothing was sent");
    }
    if (!answer.ask)
        return s.fail(kExitRefused,
                      "the printer has a password: give it with --password or --password-file "
                      "(nothing was sent)");
    for (int attempt = 0; attempt < kPasswordAttempts; ++attempt) {
        std::optional<std::string> typed = answer.ask(prompt);
        if (!typed) return s.fail(kExitRefused, "no password given; nothing was sent");
        if (*typed == password) return kExitOk;
        std::fprintf(s.err(), "Incorrect\n");
    }
    return s.fail(kExitRefused, "Incorrect password; nothing was sent");
}

}  // namespace

int runPasswordGate(Session& s, const PasswordAnswer& answer) {
    std::string password;
    if (int r = s.run(ops::readPassword(password)); r != m350::kOk) return r;
    if (password.empty()) return kExitOk;
    return checkAnswer(s, answer, password, "Password: ");
}

int runPasswordSet(Session& s, const PasswordAnswer& answer,
                   std::optional<std::string> newPassword) {
    std::string current;
    if (int r = s.run(ops::readPassword(current)); r != m350::kOk) return r;
    // A printer without a password takes an empty old password, as the window's
    // empty old-password box does; a given one must still match.
    if (!current.empty() || answer.given) {
        if (int r = checkAnswer(s, answer, current, "Old password: "); r != kExitOk) return r;
    }
    if (!newPassword) {
        if (!answer.ask)
            return s.fail(kExitUsage, "give the new password with --new or --new-file");
        newPassword = answer.ask("New password: ");
        if (!newPassword) return s.fail(kExitRefused, "no new password given; nothing was sent");
        std::optional<std::string> again = answer.ask("Repeat new password: ");
        if (!again || *again != *newPassword)
            return s.fail(kExitRefused, "the two new passwords differ; nothing was sent");
    }
    if (!m350::passwordTextSendable(*newPassword))
        return s.fail(kExitUsage, "a password holds at most " +
                                      std::to_string(m350::kMaxPasswordLength) +
                                      " printable characters and no '\"'");
    if (*newPassword == current) {
        std::fprintf(s.err(), "m350ctl: the password is unchanged; nothing was sent\n");
        return kExitOk;
    }
    return s.run(ops::setPassword(*newPassword));
}

std::string passwordFromFileContent(std::string content) {
    if (!content.empty() && content.back() == '\n') {
        content.pop_back();
        if (!content.empty() && content.back() == '\r') content.pop_back();
    }
    return content;
}

std::optional<std::string> askWithoutEcho(const std::string& prompt) {
    // Echo goes off before the prompt shows, so nothing typed after the prompt
    // is echoed or flushed away.
    const bool terminal = ::tcgetattr(STDIN_FILENO, &gSavedTerminal) == 0;
    if (terminal) {
        termios quiet = gSavedTerminal;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quiet.c_lflag |= ECHONL;
        gTerminalChanged = 1;
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::fprintf(stderr, "%s", prompt.c_str());
    std::fflush(stderr);
    std::string line;
    const bool got = static_cast<bool>(std::getline(std::cin, line));
    if (terminal) {
        ::tcsetattr(STDIN_FILENO, TCSANOW, &gSavedTerminal);
        gTerminalChanged = 0;
    }
    if (!got) {
        std::fputc('\n', stderr);
        return std::nullopt;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

void restoreTerminalOnSignals() {
    struct sigaction sa {};
    sa.sa_handler = restoreTerminalAndDie;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGTERM, SIGHUP, SIGQUIT}) ::sigaction(sig, &sa, nullptr);
    sa.sa_handler = restoreTerminalOrStop;
    ::sigaction(SIGINT, &sa, nullptr);
}

}  // namespace m350::cli
