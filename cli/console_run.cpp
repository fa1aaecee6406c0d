#include "cli/console_run.h"

#include <chrono>
#include <cstdio>
#include <utility>

#include "cli/exit_status.h"
#include "platform/console_output.h"
#include "platform/terminal.h"

namespace sorvik::cli {

int runOnConsole(RunSetup setup, bool quiet,
                 const std::function<WorkEnd(engine::BackupEngine&, ConsoleHost&)>& work) {
    const bool onTerminal = platform::standardErrorIsTerminal();
    const unsigned jobs = setup.jobs;
    ConsoleHost host(std::move(setup), stderr, onTerminal && !quiet);
    engine::BackupEngine engine(host);
    engine.requestJobs(jobs);
    host.watch(engine.stats());

    const auto started = std::chrono::steady_clock::now();
    const WorkEnd end = work(engine, host);
    host.finishProgress();
    if (!quiet && end.summarize) {
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - started;
        platform::writeToConsole(stdout, summaryLine(engine.stats(), elapsed) + '\n');
    }
    if (end.trouble || engine.stats().errors > 0) {
        return kExitTrouble;
    }
    return kExitClean;
}

}  // namespace sorvik::cli
