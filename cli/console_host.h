#pragma once

#include <chrono>
#include <cstdio>
#include <string>

#include "cli/run_setup.h"
#include "engine/run_host.h"
#include "engine/run_stats.h"

namespace sorvik::cli {

// The command line's side of a run: the pair, the options and the log path come from the setup,
// messages and error entries go to `messages`, and on a terminal a progress line shows how far
// the run is.
class ConsoleHost : public engine::RunHost {
  public:
    ConsoleHost(RunSetup setup, std::FILE* messages, bool showProgress);

    // The run's counters, read for the progress line; set once the engine exists.
    void watch(const engine::RunStats& stats) { stats_ = &stats; }

    // Makes this the pair the next single run reads, as the window's selection does in a batch.
    void selectPair(std::string source, std::string backup);

    std::string sourceFolder() const override { return setup_.source; }
    std::string backupFolder() const override { return setup_.backup; }
    engine::RunOptions options() const override { return setup_.options; }
    std::string errorLogPath() const override { return setup_.logPath; }

    void setCaption(std::string_view caption) override;
    void showMessage(const engine::UserMessage& message) override;
    void errorRecorded(std::string_view label, std::string_view path) override;

    // Clears the progress line before the summary is printed.
    void finishProgress();

  private:
    void drawProgress();
    void clearProgress();

    RunSetup setup_;
    std::FILE* messages_;
    bool showProgress_;
    bool progressShown_ = false;
    const engine::RunStats* stats_ = nullptr;
    std::chrono::steady_clock::time_point nextDraw_{};
};

// The message as the window's box shows it, its lines below the text; a message without lines
// names its subject after the text.
void writeMessage(std::FILE* stream, const engine::UserMessage& message);

// One line: files copied and created, skipped, errors, bytes, folders and the time taken.
std::string summaryLine(const engine::RunStats& stats, std::chrono::duration<double> elapsed);

}  // namespace sorvik::cli
