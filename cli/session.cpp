// SPDX-License-Identifier: MIT
#include "cli/session.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

#include "cli/error_json.h"
#include "cli/terminal_progress.h"
#include "core/files/local_file.h"
#include "core/i18n/own_texts.h"
#include "core/link/link_operations.h"

namespace m350::cli {

Session::Session(PortChoice port, std::FILE* out, std::FILE* err)
    : port_(std::move(port)), out_(out), err_(err) {
    ctx_.settings = &port_.settings;
    // Without a window there is nothing to keep on screen after an operation.
    ctx_.timeouts.progressHideMs = 0;
}

void Session::showProgressOn(std::FILE* terminal) {
    progress_ = std::make_unique<TerminalProgress>(terminal);
    ctx_.progress = progress_.get();
}

int Session::run(const m350::BoundOperation& op) {
    return report(m350::run(ctx_, port_.iface, op));
}

int Session::report(int result) {
    if (result == m350::kOk) return result;
    const std::string_view text = result == m350::kCancelled ? m350::ownText("Cancelled", language)
                                                             : m350::resultText(result);
    std::fprintf(err_, "%.*s\n", static_cast<int>(text.size()), text.data());
    const m350::PortError& cause = ctx_.lastError;
    if (cause.isSet()) {
        std::string line = m350::describePortError(cause);
        const std::string hint = m350::portErrorHint(cause, port_.iface);
        if (!hint.empty()) line += "; " + hint;
        std::fprintf(err_, "m350ctl: %s\n", line.c_str());
    }
    std::fflush(err_);
    if (json) printJson(out_, resultErrorJson(result, cause, port_.iface));
    return result;
}

int Session::fail(int code, const std::string& message) {
    std::fprintf(err_, "m350ctl: %s\n", message.c_str());
    std::fflush(err_);
    if (json) printJson(out_, failureJson(code, message));
    return code;
}

bool readWholeFile(const std::string& path, std::string& data, std::string& error,
                   std::size_t maxBytes) {
    if (path == "-")
        return m350::readLocalDescriptor(STDIN_FILENO, "standard input", maxBytes, data, error);
    return m350::readLocalFile(path, maxBytes, data, error);
}

bool openInputFile(const std::string& path, m350::FileSource& file, std::string& error,
                   std::size_t maxBytes) {
    const int fd = path == "-"
                       ? m350::openLocalDescriptor(STDIN_FILENO, "standard input", maxBytes, error)
                       : m350::openLocalFile(path, maxBytes, error);
    if (fd < 0) return false;
    if (file.adopt(fd)) return true;
    error =
        "cannot read " + (path == "-" ? std::string("standard input") : path) + ": " + file.error();
    return false;
}

}  // namespace m350::cli
