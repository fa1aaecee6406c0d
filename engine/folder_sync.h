#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/background_worker.h"
#include "engine/error_text.h"
#include "engine/run_host.h"
#include "engine/run_stats.h"
#include "platform/disk_traits.h"
#include "platform/file_copy.h"
#include "platform/folder.h"

namespace sorvik::engine {

// What ensureFolder found or did. A folder it made is new and holds no leftovers to clear.
enum class FolderState { existing, created, failed };

// A destination folder as ensureFolder left it: what it found or did, and the folder, opened, unless
// that failed.
struct DestinationFolder {
    FolderState state = FolderState::failed;
    std::optional<platform::Folder> folder;
};

// What decide() chose for one file.
enum class FileDecision { leave, copy, replace };

// Brings one backup folder up to date with one source folder, file by file, and holds the
// guarded file operations that turn every failure into an error entry.
class FolderSync {
  public:
    FolderSync(RunHost& host, ErrorText& errors, RunStats& stats)
        : host_(host), errors_(errors), stats_(stats) {}

    // What the backup disk of the run keeps: its time precision, whether times are set after the
    // close, whether it ignores case.
    void useDisk(const platform::DiskTraits& disk) { disk_ = disk; }

    // Synchronises the files directly inside the source folder into the backup
    // folder (not subfolders). `source` failed to open when the folder was swapped for a link or
    // cannot be read; `readErrorReported` says the scan already recorded that it could not be
    // listed, so a second entry is not added for it. The paths are for captions and entries.
    void syncFiles(const platform::Result<platform::Folder>& source, const std::string& sourcePath,
                    const DestinationFolder& backup, const std::string& backupPath,
                    bool readErrorReported = false);

    // The backup folder itself, by its path `shownPath`: makes sure it exists, creating one
    // level, and opens it. A link to a folder is accepted there, since the user chose it.
    DestinationFolder ensureFolder(const std::string& shownPath);

    // The folder `relative` below the open backup folder, shown as `shownPath`: looked up,
    // made and opened from the backup folder's handle, never through a link at any depth.
    DestinationFolder ensureFolder(const platform::Folder& backupFolder, std::string_view relative,
                            const std::string& shownPath);

    // Deletes one file of an open folder; on failure records "削除エラー" + `shownPath`.
    void removeBackupFile(const platform::Folder& folder, const std::string& name, std::string_view shownPath);

  private:
    struct FolderPair {
        const platform::Folder& source;
        const platform::Folder& backup;
        const std::string& sourcePath;  // ends with the separator
        const std::string& backupPath;  // ends with the separator
        const RunOptions& options;
        std::chrono::nanoseconds timeGranularity;
        bool backupIsNew;  // created by this run, so it holds no file yet
        // Looked up ahead, in the order of the files, when the rules need both sides; empty
        // otherwise, and each file is then looked up when it is decided.
        std::vector<platform::Result<platform::FileInfo>> sourceInfos;
        std::vector<platform::Result<platform::FileInfo>> backupInfos;
    };

    // Looks up every file on both sides at once, the source side on the background worker.
    void lookUpBothSides(FolderPair& pair, const std::vector<std::string>& names);

    // The decision table for one file, in order: extension rule, absent backup,
    // size rule, time rule, replace.
    FileDecision decide(const FolderPair& pair, std::size_t index, const std::string& name);

    // Copies (or, in placeholder mode, creates empty) one file as decided, recording
    // what failed.
    void copyOne(const FolderPair& pair, const std::string& name, FileDecision decision);

    void removeLeftoverTemporaries(const platform::Folder& backup, const std::string& backupPath);

    RunHost& host_;
    ErrorText& errors_;
    RunStats& stats_;
    BackgroundWorker worker_;
    platform::DiskTraits disk_;
};

}  // namespace sorvik::engine
