#pragma once

#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "engine/backup_engine.h"
#include "engine/messages.h"
#include "engine/run_host.h"
#include "tests/support/temp_folder.h"

namespace sorvik::test {

namespace text = engine::text;

#ifdef _WIN32
inline constexpr bool kOnWindows = true;
// Skips the test where Windows lacks what it needs; `why` says what.
#define SKIP_ON_WINDOWS(why) GTEST_SKIP() << (why)
#else
inline constexpr bool kOnWindows = false;
#define SKIP_ON_WINDOWS(why) static_cast<void>(0)
#endif

// Thrown inside a child to say the test cannot run on this machine; the message says why.
struct ChildSkip : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Runs `body` in a forked child, so faults that change the whole process (a file size limit, a
// mount namespace, a lost user id) stay there; a child still running after `secondsAllowed` is
// killed, so a hang fails. Gives what the body returned; std::nullopt when the test is marked
// skipped (the body threw ChildSkip) or failed. Windows cannot fork: there the test is skipped.
std::optional<std::string> inChild(const std::function<std::string()>& body,
                                   unsigned secondsAllowed = 60);

// For a child: writes past `bytes` then fail with EFBIG instead of killing the process.
void limitFileSize(std::size_t bytes);
// For a child: gives up root's powers for good, so permissions count.
void becomeNobody();
// For a child: mounts of its own, gone with the process.
void enterPrivateMountNamespace();

// The process's ANSI code page on Windows; 0 elsewhere.
unsigned ansiCodePage();

// A shell command's exit status and standard output. On Windows the shell is cmd.exe, and the
// command is handed over as UTF-16.
struct CommandResult {
    int status = -1;
    std::string output;
};
CommandResult runCommand(const std::string& command);
// The path of the sorvik-cli built with the tests.
std::string cliPath();
// The shell command that runs the sorvik-cli built with the tests, each argument quoted as the
// system's shell and the program's argument parser read it.
std::string cliCommand(const std::vector<std::string>& arguments);

// Everything a run could change under `root` by relative path (names joined by "/"): kind and
// permission bits, for a file also its identity (inode or file index, on Windows with its
// attributes), time and bytes, for a link its target. The subtree `skipped` is left out.
std::map<std::string, std::string> snapshotTree(const std::string& root,
                                                const std::string& skipped = {});
// The names inside a folder, sorted and joined by single spaces.
std::string namesIn(const std::string& folder);

// A front end whose pair and options are plain fields, recording every caption and message.
struct RecordingHost : engine::RunHost {
    std::string source, backup, logPath;
    engine::RunOptions runOptions;
    std::vector<std::string> captions;
    std::vector<engine::UserMessage> messages;

    std::string sourceFolder() const override { return source; }
    std::string backupFolder() const override { return backup; }
    engine::RunOptions options() const override { return runOptions; }
    std::string errorLogPath() const override { return logPath; }
    void setCaption(std::string_view caption) override { captions.emplace_back(caption); }
    void showMessage(const engine::UserMessage& message) override { messages.push_back(message); }
};

// What one single run did. It runs as a batch step, so the error text is still there to read.
struct RunRecord {
    engine::RunStats stats;
    std::string entries;
    std::vector<std::string> captions;
    std::vector<engine::UserMessage> messages;
};
RunRecord runBackup(const std::string& source, const std::string& backup,
                    const engine::RunOptions& options = {});

// One error entry: the label line and the path line, each ended by CR LF.
inline std::string errorEntry(std::string_view label, std::string_view path) {
    return std::string(label) + "\r\n" + std::string(path) + "\r\n";
}

}  // namespace sorvik::test
