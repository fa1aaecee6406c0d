#pragma once

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/background_worker.h"
#include "engine/error_text.h"
#include "engine/run_host.h"
#include "engine/run_stats.h"
#include "engine/work_queue.h"
#include "platform/disk_traits.h"
#include "platform/file_copy.h"
#include "platform/folder.h"

namespace sorvik::engine {

// What decide() chose for one file.
enum class FileDecision { leave, copy, replace };

// A caption (no label) or an error entry, kept until the run reports it in its turn.
struct RunNote {
    std::string_view label;
    std::string path;
};

// Where a run reports what its folders did, on the run's own thread.
struct RunReport {
    RunHost& host;
    ErrorText& errors;
    RunStats& stats;
};

// One folder's files brought up to date: listed, looked up, decided and copied on the workers of
// a run, while every caption and error entry waits for the run to report it in the order of the
// files, so the user sees exactly what a run of one file at a time shows.
class FolderJob {
  public:
    struct Setup {
        const platform::Folder* sourceTop;  // null when the source could not be opened
        std::string relative;               // of the source folder below sourceTop
        platform::Folder backup;
        bool backupIsNew = false;  // made by this run, so it holds no file yet
        std::string sourcePath;    // the source folder as the scan wrote it
        std::string backupPath;    // the backup folder as the entries show it
        RunOptions options;
        platform::DiskTraits disk;
        bool readErrorReported = false;         // the scan already said the source cannot be listed
        BackgroundWorker* lookAhead = nullptr;  // looks up the source side meanwhile, if given
    };

    FolderJob(Setup setup, WorkQueue& queue);
    FolderJob(const FolderJob&) = delete;
    FolderJob& operator=(const FolderJob&) = delete;

    // Lists the source folder, clears leftover temporaries, looks up and decides every file and
    // hands each copy to the queue. Runs on a worker.
    void plan();

    // Reports what is done, in order: the folder's own entries, then each file's. Stops at the
    // first file still being copied (after showing its caption) unless `wait`, which only a queue
    // without workers may ask; true once all is reported, the notes added meanwhile included, and
    // no task of the folder runs any more.
    bool report(const RunReport& to, bool wait);

    // Set once every task of the folder has ended.
    const std::atomic<bool>& finished() const { return finished_; }

    // Reports `note` after everything of this folder: what the run met after handing it over.
    void addNote(RunNote note) { after_.push_back(std::move(note)); }

  private:
    struct FileStep {
        FileDecision decision = FileDecision::leave;
        bool nameTaken = false;       // its name folds onto an earlier one on a disk ignoring case
        std::string_view errorLabel;  // an entry the decision made
        bool errorOnBackup = false;
        platform::CopyResult result;
        std::atomic<bool> done{false};
    };

    void removeLeftoverTemporaries();
    void lookUpBothSides();
    void decideAll();
    // The decision table for one file, in order: extension rule, absent backup, size rule, time
    // rule, replace.
    FileDecision decide(std::size_t index);
    void copy(std::size_t index);
    // Ends one task of the folder; the last one sets finished_.
    void endTask();
    void reportStep(const RunReport& to, std::size_t index);

    Setup setup_;
    WorkQueue& queue_;
    const std::string sourcePrefix_;  // the two paths ending with the separator
    const std::string backupPrefix_;
    std::chrono::nanoseconds timeGranularity_{1};
    std::optional<platform::Folder> source_;
    std::vector<std::string> names_;
    std::vector<platform::Result<platform::FileInfo>> sourceInfos_;
    std::vector<platform::Result<platform::FileInfo>> backupInfos_;
    std::vector<FileStep> steps_;
    std::vector<RunNote> head_;  // the folder's own entries, before its files'
    std::atomic<bool> planned_{false};
    std::atomic<std::size_t> unfinishedTasks_{1};  // the plan, then each copy
    std::atomic<bool> finished_{false};

    // Touched only on the run's own thread.
    std::vector<RunNote> after_;
    bool headReported_ = false;
    std::size_t reported_ = 0;
    bool captionShown_ = false;
};

}  // namespace sorvik::engine
