// Exit status of m350ctl. A link failure exits with its result code (1..6), so
// scripts can tell "Port Open Error" from "Data Receiving Error"; local problems
// use the sysexits numbers, which no result code collides with.
#pragma once

namespace m350::cli {

enum ExitCode : int {
    kExitOk = 0,
    // 1..6: the link result code (m350::Result)
    kExitUsage = 64,         // bad command line
    kExitDataError = 65,     // a local file with the wrong content (a .dcf with a bad header)
    kExitNoInput = 66,       // a local file that cannot be read
    kExitUnavailable = 69,   // no such printer or module: no printer answered for the device
                             // named, or the printer has no such module (a scan answered -1)
    kExitCantCreate = 73,    // a local file that cannot be written
    kExitIoError = 74,       // standard output could not be written
    kExitRefused = 77,       // the printer password was not answered or was wrong
    kExitInterrupted = 130,  // Ctrl-C stopped the operation (m350::kCancelled)
};

}  // namespace m350::cli
