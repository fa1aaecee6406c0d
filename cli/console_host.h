#pragma once

#include <chrono>
#include <cstdio>
#include <string>

#include "cli/command_line.h"
#include "engine/run_host.h"
#include "engine/run_stats.h"

namespace sorvik::cli {

// The command line's side of a run: the pair and options come from the arguments, messages and
// error entries go to standard error, and on a terminal a progress line shows how far the run is.
class ConsoleHost : public engine::RunHost {
  public:
    ConsoleHost(const RunCommand& command, std::FILE* messages, bool showProgress);

    // The run's counters, read for the progress line; set once the engine exists.
    void watch(const engine::RunStats& stats) { stats_ = &stats; }

    std::string sourceFolder() const override { return command_.source; }
    std::string backupFolder() const override { return command_.backup; }
    engine::RunOptions options() const override { return command_.options; }
    std::string errorLogPath() const override { return command_.logPath; }

    void setCaption(std::string_view caption) override;
    void showMessage(const engine::UserMessage& message) override;
    void errorRecorded(std::string_view label, std::string_view path) override;

    // Clears the progress line before the summary is printed.
    void finishProgress();

  private:
    void drawProgress();
    void clearProgress();

    const RunCommand& command_;
    std::FILE* messages_;
    bool showProgress_;
    bool progressShown_ = false;
    const engine::RunStats* stats_ = nullptr;
    std::chrono::steady_clock::time_point nextDraw_{};
};

// One line: files copied and created, skipped, errors, bytes, folders and the time taken.
std::string summaryLine(const engine::RunStats& stats, std::chrono::duration<double> elapsed);

}  // namespace sorvik::cli
