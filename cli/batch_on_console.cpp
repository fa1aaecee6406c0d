#include "cli/batch_on_console.h"

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

#include "cli/batch_plan.h"
#include "cli/console_run.h"
#include "cli/exit_status.h"
#include "engine/batch_run.h"
#include "engine/messages.h"
#include "frontend/run_lock.h"
#include "platform/path_lookup.h"
#include "platform/program_folder.h"

namespace sorvik::cli {
namespace {

// One of the program's messages, with the path it is about and the system's reason below it, as
// a run's messages look.
void tell(std::string_view text, std::string path = {}, std::error_code reason = {}) {
    engine::UserMessage message{std::string(text), {}, {}};
    if (!path.empty()) {
        message.lines.push_back(std::move(path));
    }
    if (reason) {
        message.lines.push_back(reason.message());
    }
    writeMessage(stderr, message);
}

// The folder the batch works in, or std::nullopt once the reason it has none has been told.
std::optional<std::string> chooseProgramFolder(const std::string& given) {
    if (given.empty()) {
        auto folder = platform::programFolder();
        if (!folder) {
            tell(engine::text::kFileUnreadable, {}, folder.error());
            return std::nullopt;
        }
        return std::move(*folder);
    }
    const auto kind = platform::lookUp(given);
    if (!kind || *kind != platform::EntryKind::folder) {
        tell(engine::text::kFileUnreadable, given,
             !kind ? kind.error()
             : *kind == platform::EntryKind::missing
                 ? std::make_error_code(std::errc::no_such_file_or_directory)
                 : std::make_error_code(std::errc::not_a_directory));
        return std::nullopt;
    }
    return given;
}

int runPlan(const BatchPlan& plan, unsigned jobs, bool quiet) {
    RunSetup setup = plan.setup;
    setup.jobs = jobs;
    return runOnConsole(
        std::move(setup), quiet, [&](engine::BackupEngine& engine, ConsoleHost& host) {
            const engine::BatchOutcome outcome =
                engine::runBatch(engine, plan.pairs.size(), [&](std::size_t i) {
                    host.selectPair(plan.pairs[i].source, plan.pairs[i].backup);
                });
            return WorkEnd{.summarize = true,
                           .trouble = outcome.sourcesMissing > 0 || outcome.refused > 0};
        });
}

}  // namespace

int runBatchOnConsole(const BatchCommand& command) {
    const auto folder = chooseProgramFolder(command.folder);
    if (!folder) {
        return kExitUsage;
    }
    const auto lock = frontend::RunLock::take(*folder);
    if (lock.heldByAnotherRun()) {
        tell(engine::text::kAnotherRunInProgress);
        return kExitTrouble;
    }
    const auto plan = loadBatchPlan(*folder, command.list);
    if (const auto* unreadable = std::get_if<UnreadableFile>(&plan)) {
        tell(engine::text::kFileUnreadable, unreadable->path, unreadable->error);
        return kExitUsage;
    }
    return runPlan(std::get<BatchPlan>(plan), command.jobs, command.quiet);
}

}  // namespace sorvik::cli
