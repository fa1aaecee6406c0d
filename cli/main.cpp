#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/console_host.h"
#include "engine/backup_engine.h"

namespace {

using namespace sorvik;

constexpr int kExitClean = 0;
constexpr int kExitTrouble = 1;
constexpr int kExitUsage = 2;

int runPair(const cli::RunCommand& command) {
    const bool onTerminal = ::isatty(STDERR_FILENO) == 1;
    cli::ConsoleHost host(command, stderr, onTerminal && !command.quiet);
    engine::BackupEngine engine(host);
    host.watch(engine.stats());

    const auto started = std::chrono::steady_clock::now();
    const engine::RunOutcome outcome = engine.singleRun();
    host.finishProgress();
    if (!command.quiet && outcome == engine::RunOutcome::completed) {
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - started;
        std::printf("%s\n", cli::summaryLine(engine.stats(), elapsed).c_str());
    }
    if (outcome != engine::RunOutcome::completed || engine.stats().errors > 0) {
        return kExitTrouble;
    }
    return kExitClean;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const cli::Command command = cli::parseCommandLine(arguments);
    if (std::holds_alternative<cli::HelpCommand>(command)) {
        std::fputs(cli::usageText(), stdout);
        return kExitClean;
    }
    if (const auto* error = std::get_if<cli::UsageError>(&command)) {
        std::fprintf(stderr, "sorvik-cli: %s\n\n%s", error->reason.c_str(), cli::usageText());
        return kExitUsage;
    }
    cli::RunCommand run = std::get<cli::RunCommand>(command);
    std::error_code error;
    const std::filesystem::path workingFolder = std::filesystem::current_path(error);
    if (!error) {
        cli::resolveAgainst(run, workingFolder.string());
    }
    return runPair(run);
}
