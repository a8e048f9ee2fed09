// SPDX-License-Identifier: MIT
// Exit status of m350ctl, one code per outcome. A link failure exits with its
// result code (1..6), so scripts can tell "Port Open Error" from "Data Receiving
// Error"; two verdicts that are not failures of the link take 10 and 11; local
// problems use the sysexits numbers, which no result code collides with.
#pragma once

namespace m350::cli {

enum ExitCode : int {
    kExitOk = 0,
    // 1..6: the link result code (m350::Result)
    kExitDiffers = 10,       // the settings compared differ (config diff, config write --verify)
    kExitNotConfirmed = 11,  // a command that deletes or resets was not confirmed (format,
                             // net udp-factory-default): nothing was sent
    kExitUsage = 64,         // bad command line
    kExitDataError = 65,     // a local file with the wrong content (a .dcf with a bad header),
                             // or a typed value the printer cannot take (core/input/input_checks.h)
    kExitNoInput = 66,       // a local file that cannot be read
    kExitUnavailable = 69,   // no such printer or module: no printer answered for the device
                             // named, or the printer has no such module (a scan answered -1)
    kExitCantCreate = 73,    // a local file that cannot be written
    kExitIoError = 74,       // standard output could not be written
    kExitRefused = 77,       // the printer password was not answered or was wrong
    kExitInterrupted = 130,  // Ctrl-C stopped the operation (m350::kCancelled)
};

}  // namespace m350::cli
