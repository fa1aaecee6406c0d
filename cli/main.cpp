#include <cstdio>
#include <string>
#include <vector>

#include "cli/batch_on_console.h"
#include "cli/command_line.h"
#include "cli/console_run.h"
#include "cli/exit_status.h"
#include "platform/process_signals.h"
#include "platform/working_folder.h"

namespace {

using namespace sorvik;

int runPair(const cli::RunCommand& command) {
    return cli::runOnConsole(
        command, command.quiet, [](engine::BackupEngine& engine, cli::ConsoleHost&) {
            const bool completed = engine.singleRun() == engine::RunOutcome::completed;
            return cli::WorkEnd{.summarize = completed, .trouble = !completed};
        });
}

// Paths are resolved against the working folder as the shell user means them; without one they
// stay as given.
template <class CommandType>
CommandType resolved(CommandType command) {
    if (const auto workingFolder = platform::workingFolder()) {
        cli::resolveAgainst(command, *workingFolder);
    }
    return command;
}

}  // namespace

int main(int argc, char** argv) {
    platform::keepRunningWhenWritesFail();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const cli::Command command = cli::parseCommandLine(arguments);
    if (std::holds_alternative<cli::HelpCommand>(command)) {
        std::fputs(cli::usageText(), stdout);
        return cli::kExitClean;
    }
    if (std::holds_alternative<cli::VersionCommand>(command)) {
        std::printf("sorvik-cli %s\n", cli::kVersion);
        return cli::kExitClean;
    }
    if (const auto* error = std::get_if<cli::UsageError>(&command)) {
        std::fprintf(stderr, "sorvik-cli: %s\n\n%s", error->reason.c_str(), cli::usageText());
        return cli::kExitUsage;
    }
    if (const auto* batch = std::get_if<cli::BatchCommand>(&command)) {
        return cli::runBatchOnConsole(resolved(*batch));
    }
    return runPair(resolved(std::get<cli::RunCommand>(command)));
}
