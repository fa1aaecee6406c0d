#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "engine/backup_engine.h"
#include "tests/support/recording_host.h"

namespace sorvik::test {

// What one single run did, as its front end saw it.
struct RunRecord {
    engine::RunStats stats;
    std::string entries;  // the error text, every entry as the error log would hold it
    std::vector<std::string> captions;
    std::vector<engine::UserMessage> messages;
};

// One single run of `source` into `backup`. It runs as a batch step, so the error text is still
// there to be read when the run ends.
inline RunRecord runBackup(const std::string& source, const std::string& backup,
                           const engine::RunOptions& options = {}) {
    RecordingHost host;
    host.source = source;
    host.backup = backup;
    host.runOptions = options;
    engine::BackupEngine engine(host);
    engine.inBatch = true;
    engine.singleRun();
    return {engine.stats(), engine.errors().text(), host.captions, host.messages};
}

// One error entry: the label line and the path line, each ended by CR LF.
inline std::string errorEntry(std::string_view label, std::string_view path) {
    return std::string(label) + "\r\n" + std::string(path) + "\r\n";
}

// The names inside a folder, sorted by bytes and joined by single spaces.
inline std::string namesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(folder)) {
        names.push_back(item.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    std::string joined;
    for (const std::string& name : names) {
        joined += (joined.empty() ? "" : " ") + name;
    }
    return joined;
}

}  // namespace sorvik::test
