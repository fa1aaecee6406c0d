#pragma once

#include <deque>
#include <memory>
#include <string>
#include <string_view>

#include "engine/background_worker.h"
#include "engine/error_text.h"
#include "engine/folder_job.h"
#include "engine/run_host.h"
#include "engine/run_stats.h"
#include "engine/work_queue.h"
#include "platform/disk_traits.h"
#include "platform/folder.h"

namespace sorvik::engine {

// What ensureFolder found or did. A folder it made is new and holds no leftovers to clear.
enum class FolderState { existing, created, failed };

// A destination folder as ensureFolder left it: what it found or did, and the folder, opened,
// unless that failed.
struct DestinationFolder {
    FolderState state = FolderState::failed;
    std::optional<platform::Folder> folder;
};

// Brings backup folders up to date with their source folders: makes each backup folder, hands
// its files to the run's workers, several folders at once, and reports captions and error entries
// in the order of the folders and files, whatever order the workers finish in.
class FolderSync {
  public:
    FolderSync(RunHost& host, ErrorText& errors, RunStats& stats) : report_{host, errors, stats} {}

    // The workers of the coming run; with none, the run does each step itself, in order.
    void useQueue(WorkQueue& queue);

    // What the backup disk of the run keeps: its time precision, whether times are set after the
    // close, whether it ignores case.
    void useDisk(const platform::DiskTraits& disk) { disk_ = disk; }

    // Synchronises the files directly inside the source folder `relative` below `sourceTop`
    // (null when it cannot be opened) into the backup folder (not subfolders). The paths are for
    // captions and entries; `readErrorReported` says the scan already recorded that the source
    // could not be listed, so a second entry is not added for it.
    void syncFiles(const platform::Folder* sourceTop, std::string_view relative,
                   const std::string& sourcePath, DestinationFolder backup,
                   const std::string& backupPath, bool readErrorReported);

    // A caption and an error entry, shown in their turn after the folders handed over so far.
    void showCaption(std::string_view caption);
    void addError(std::string_view label, std::string_view path);

    // Returns once every folder handed over is done and reported.
    void finish();

    // The backup folder itself, by its path `shownPath`: makes sure it exists, creating one
    // level, and opens it. A link to a folder is accepted there, since the user chose it.
    DestinationFolder ensureFolder(const std::string& shownPath);

    // The folder `relative` below the open backup folder, shown as `shownPath`: looked up,
    // made and opened from the backup folder's handle, never through a link at any depth.
    DestinationFolder ensureFolder(const platform::Folder& backupFolder, std::string_view relative,
                                   const std::string& shownPath);

  private:
    // Reports the finished start of the queue of folders; with `wait`, all of its first folder.
    void reportDone(bool wait);
    // With workers: reports folders until at most `keep` are left, waking now and then to show
    // the captions of the files being copied.
    void catchUp(std::size_t keep);

    RunReport report_;
    WorkQueue* queue_ = nullptr;
    BackgroundWorker lookAhead_;
    platform::DiskTraits disk_;
    std::deque<std::unique_ptr<FolderJob>> pending_;
};

}  // namespace sorvik::engine
