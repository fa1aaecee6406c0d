#pragma once

#include "cli/command_line.h"

namespace sorvik::cli {

// `sorvik-cli batch`: takes the program folder's lock, reads its settings and list and runs every
// pair as the window's batch button does, one error report at the end. Gives the exit status.
int runBatchOnConsole(const BatchCommand& command);

}  // namespace sorvik::cli
