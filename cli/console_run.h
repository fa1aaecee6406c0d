#pragma once

#include <functional>

#include "cli/console_host.h"
#include "cli/run_setup.h"
#include "engine/backup_engine.h"

namespace sorvik::cli {

// How the work on the console ended, apart from the error entries the engine counts itself.
struct WorkEnd {
    bool summarize = true;  // false: the run stopped before its first folder; no summary
    bool trouble = false;   // a pair was refused or its source was missing
};

// Runs `work` on an engine whose host is the console: messages and error entries go to standard
// error, a progress line too when that is a terminal, and unless `quiet` a summary of the whole
// work to standard output. Gives the exit status: trouble when `work` says so or when the engine
// recorded errors. `run` and `batch` differ only in their work, so they look and end alike.
int runOnConsole(RunSetup setup, bool quiet,
                 const std::function<WorkEnd(engine::BackupEngine&, ConsoleHost&)>& work);

}  // namespace sorvik::cli
