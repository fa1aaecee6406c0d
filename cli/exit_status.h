#pragma once

namespace sorvik::cli {

// What sorvik-cli tells the shell.
enum ExitStatus : int {
    kExitClean = 0,    // finished without errors
    kExitTrouble = 1,  // errors, a refused pair, a missing source or another run holding the lock
    kExitUsage = 2,    // wrong usage, or a file the command needs could not be read
};

}  // namespace sorvik::cli
