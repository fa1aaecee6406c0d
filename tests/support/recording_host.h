#pragma once

#include <string>
#include <vector>

#include "engine/run_host.h"

namespace sorvik::test {

// A front end for tests: the pair and options are plain fields, and every caption and message is
// recorded in order.
class RecordingHost : public engine::RunHost {
  public:
    std::string source;
    std::string backup;
    engine::RunOptions runOptions;
    std::string logPath;

    std::vector<std::string> captions;
    std::vector<engine::UserMessage> messages;

    std::string sourceFolder() const override { return source; }
    std::string backupFolder() const override { return backup; }
    engine::RunOptions options() const override { return runOptions; }
    std::string errorLogPath() const override { return logPath; }
    void setCaption(std::string_view caption) override { captions.emplace_back(caption); }
    void showMessage(const engine::UserMessage& message) override { messages.push_back(message); }
};

}  // namespace sorvik::test
