#pragma once

#include <string>
#include <variant>
#include <vector>

#include "cli/run_setup.h"

namespace sorvik::cli {

// `sorvik-cli run SOURCE BACKUP [options]`: the arguments name the whole setup of the run.
struct RunCommand : RunSetup {
    bool quiet = false;
};

// `sorvik-cli batch [--folder DIR] [--list FILE] [--jobs N] [--quiet]`
struct BatchCommand {
    std::string folder;  // empty: the program folder
    std::string list;    // empty: the list the settings name
    unsigned jobs = 0;   // as in RunSetup
    bool quiet = false;
};

struct HelpCommand {};
struct VersionCommand {};

// The version `--version` prints, the project's own.
inline constexpr const char* kVersion = SORVIK_VERSION;

// Wrong usage, with what was wrong.
struct UsageError {
    std::string reason;
};

using Command = std::variant<RunCommand, BatchCommand, HelpCommand, VersionCommand, UsageError>;

Command parseCommandLine(const std::vector<std::string>& arguments);

// Folders given relative to the working folder are made absolute against it, as a shell user
// expects; the engine itself takes only absolute folders.
void resolveAgainst(RunCommand& command, const std::string& workingFolder);
void resolveAgainst(BatchCommand& command, const std::string& workingFolder);

// The text `--help` prints.
const char* usageText();

}  // namespace sorvik::cli
