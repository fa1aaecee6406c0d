#pragma once

#include <string>

#include "engine/run_host.h"

namespace sorvik::cli {

// What a run on the console works on: the pair, the rules and where the error log goes. `run`
// takes it from its arguments; `batch` takes the rules and the log from the program folder and
// puts each pair of the list in it in turn.
struct RunSetup {
    std::string source;
    std::string backup;
    engine::RunOptions options;
    std::string logPath;  // empty: no log file
    unsigned jobs = 0;    // files worked on at once; 0: the run chooses from the machine
};

}  // namespace sorvik::cli
