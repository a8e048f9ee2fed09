#include <CLI/CLI.hpp>

#include "cli/Invocation.h"

namespace m350cli {

void AddConfigCommands(CLI::App&, Invocation&) {}

}  // namespace m350cli
