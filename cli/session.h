// SPDX-License-Identifier: MIT
// What one run of m350ctl works with: the chosen port, the link context, where
// output goes, and the helpers every command shares.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "cli/port_options.h"
#include "core/files/file_source.h"
#include "core/link/link_context.h"
#include "core/link/link_operations.h"
#include "core/ops/operations.h"

namespace m350::cli {

class Session {
  public:
    Session(PortChoice port, std::FILE* out, std::FILE* err);
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Draw the link's progress bar on err (call only when err is a terminal).
    void showProgressOn(std::FILE* terminal);

    int iface() const { return port_.iface; }
    m350::LinkContext& context() { return ctx_; }
    std::FILE* out() { return out_; }
    std::FILE* err() { return err_; }
    int language = 0;
    // The printer text encoding texts are printed in (an iconv name).
    std::string encoding = "CP1252";
    // --json: failures are also printed on out as one JSON object (see report).
    bool json = false;

    // Runs a bound operation (core/ops/operations.h) on the session's port;
    // a failure prints its result text on err.
    int run(const m350::BoundOperation& op);
    // Prints the text of a failed link result on err, and under it the cause
    // when the port left one (the device, the system's reason and a hint);
    // with json, the same as {"error": {...}} on out. Returns the result.
    int report(int result);
    // Prints "m350ctl: <message>" on err (and the JSON error on out with
    // json) and returns code.
    int fail(int code, const std::string& message);

  private:
    PortChoice port_;
    m350::LinkContext ctx_;
    std::unique_ptr<m350::ProgressSink> progress_;
    std::FILE* out_;
    std::FILE* err_;
};

// The largest input file m350ctl reads unless a command says less: files to
// send raw to the printer.
inline constexpr std::size_t kMaxInputFileBytes = 64u << 20;
// A password file: one line.
inline constexpr std::size_t kMaxPasswordFileBytes = 1024;

// Reads a whole local file ("-" is standard input) of at most maxBytes. Only a
// regular file is opened (a FIFO or a device such as /dev/zero is refused), and
// standard input stops at the bound. False with a message naming the file and
// the reason when it cannot be read. Files are saved with
// m350::writeFileAtomically (core/files/local_file.h).
bool readWholeFile(const std::string& path, std::string& data, std::string& error,
                   std::size_t maxBytes = kMaxInputFileBytes);

// The same checks and messages, but the file is opened to be read in blocks;
// standard input that is not a regular file is first copied into an unnamed
// temporary file (see m350::openLocalDescriptor).
bool openInputFile(const std::string& path, m350::FileSource& file, std::string& error,
                   std::size_t maxBytes = kMaxInputFileBytes);

}  // namespace m350::cli
