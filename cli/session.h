// What one run of m350ctl works with: the chosen port, the link context, where
// output goes, and the helpers every command shares.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "cli/port_options.h"
#include "core/link/link_context.h"
#include "core/link/link_operations.h"

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

    // Runs a typed call as link operation op (see runOperation); a failure
    // prints its result text on err.
    int run(std::uint32_t op, const m350::OperationCall& call, bool withProgress = false);
    // Prints the text of a failed link result on err; returns the result.
    int report(int result);
    // Prints "m350ctl: <message>" on err and returns code.
    int fail(int code, const std::string& message);

  private:
    PortChoice port_;
    m350::LinkContext ctx_;
    std::unique_ptr<m350::ProgressSink> progress_;
    std::FILE* out_;
    std::FILE* err_;
};

// Reads a whole local file ("-" is standard input). False with a message naming
// the file and the reason when it cannot be read.
bool readWholeFile(const std::string& path, std::string& data, std::string& error);

// Writes a whole file through a temporary file beside it and a rename, so a
// failure never leaves a half-written file in place of a good one.
bool writeFileAtomically(const std::string& path, const void* data, std::size_t size,
                         std::string& error);

}  // namespace m350::cli
