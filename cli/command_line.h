#pragma once

#include <string>
#include <variant>
#include <vector>

#include "engine/run_host.h"

namespace sorvik::cli {

// `sorvik-cli run SOURCE BACKUP [options]`
struct RunCommand {
    std::string source;
    std::string backup;
    engine::RunOptions options;
    std::string logPath;  // empty: no log file
    bool quiet = false;
};

struct HelpCommand {};

// Wrong usage, with what was wrong.
struct UsageError {
    std::string reason;
};

using Command = std::variant<RunCommand, HelpCommand, UsageError>;

Command parseCommandLine(const std::vector<std::string>& arguments);

// Folders given relative to the working folder are made absolute against it, as a shell user
// expects; the engine itself takes only absolute folders.
void resolveAgainst(RunCommand& command, const std::string& workingFolder);

// The text `--help` prints.
const char* usageText();

}  // namespace sorvik::cli
