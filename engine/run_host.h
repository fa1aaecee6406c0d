#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sorvik::engine {

// The rules a run applies to each file.
struct RunOptions {
    bool extensionRule = false;  // skip files whose extension is in excludedExtensions
    bool sizeRule = false;       // replace a backup file only when the source is larger
    bool timeRule = false;       // replace a backup file only when the source is newer
    bool placeholder = false;    // create files empty instead of copying them
    std::vector<std::string> excludedExtensions;  // without the dot
};

// A message for the user. A message box shows `text` and below it each of `lines`; a front end
// without boxes may name `subject`, the path the message is about, when there are no lines.
struct UserMessage {
    std::string text;
    std::vector<std::string> lines;
    std::string subject;
};

// The message box text: the message, then each line after CR LF.
std::string boxText(const UserMessage& message);

// Everything a run reads from and reports to its front end (the window, the command line, the
// tests). The engine reads the folders and options at the moment it needs them.
class RunHost {
  public:
    virtual ~RunHost() = default;

    virtual std::string sourceFolder() const = 0;  // read once, when a run starts
    virtual std::string backupFolder() const = 0;  // read again for every folder
    virtual RunOptions options() const = 0;        // read for every folder
    // Where the error log goes; empty when the front end keeps no log file.
    virtual std::string errorLogPath() const = 0;

    // Every caption the run shows; a front end may display only the latest at its own pace.
    virtual void setCaption(std::string_view caption) = 0;
    // A modal message: the run goes on once the call returns.
    virtual void showMessage(const UserMessage& message) = 0;
    // Called for every error entry as it is recorded.
    virtual void errorRecorded(std::string_view label, std::string_view path) {
        static_cast<void>(label);
        static_cast<void>(path);
    }
};

}  // namespace sorvik::engine
