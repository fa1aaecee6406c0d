#include <cstdio>
#include <string>
#include <vector>

#include "cli/batch_on_console.h"
#include "cli/command_line.h"
#include "cli/console_run.h"
#include "cli/exit_status.h"
#include "platform/console_output.h"
#include "platform/process_signals.h"
#include "platform/program_arguments.h"
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

int run(const std::vector<std::string>& arguments) {
    const cli::Command command = cli::parseCommandLine(arguments);
    if (std::holds_alternative<cli::HelpCommand>(command)) {
        platform::writeToConsole(stdout, cli::usageText());
        return cli::kExitClean;
    }
    if (std::holds_alternative<cli::VersionCommand>(command)) {
        platform::writeToConsole(stdout, std::string("sorvik-cli ") + cli::kVersion + "\n");
        return cli::kExitClean;
    }
    if (const auto* error = std::get_if<cli::UsageError>(&command)) {
        platform::writeToConsole(stderr,
                                 "sorvik-cli: " + error->reason + "\n\n" + cli::usageText());
        return cli::kExitUsage;
    }
    if (const auto* batch = std::get_if<cli::BatchCommand>(&command)) {
        return cli::runBatchOnConsole(resolved(*batch));
    }
    return runPair(resolved(std::get<cli::RunCommand>(command)));
}

}  // namespace

int SORVIK_ENTRY_POINT(int argc, platform::SystemArgument** argv) {
    platform::keepRunningWhenWritesFail();
    return run(platform::programArguments(argc, argv));
}
