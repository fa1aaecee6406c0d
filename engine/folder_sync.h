#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "engine/background_worker.h"
#include "engine/error_text.h"
#include "engine/run_host.h"
#include "engine/run_stats.h"
#include "platform/file_copy.h"
#include "platform/folder.h"

namespace sorvik::engine {

// What `MFldr` found or did: 0 / -1 in the original flags, plus whether the folder is new (a new
// folder holds no leftovers to clear).
enum class MFldrResult { existing, created, failed };

// Whether a destination folder is the backup folder itself (a link to a folder is accepted there,
// since the user chose it) or a folder below it (where a link is refused: nothing is written
// through it).
enum class FolderRole { backupFolder, below };

// What `FileCheck` decided for one file.
enum class FileDecision { leave, copy, replace };

// Brings one backup folder up to date with one source folder, file by file, and holds the
// guarded file operations that turn every failure into an error entry.
class FolderSync {
  public:
    FolderSync(RunHost& host, ErrorText& errText, RunStats& stats)
        : host_(host), errText_(errText), stats_(stats) {}

    // `FileBackUP`: synchronises the files directly inside `FPA` into `FPb` (not subfolders).
    // Both strings end with the separator afterwards. `readErrorReported` says the scan already
    // recorded that `FPA` could not be listed, so a second entry is not added for it.
    void FileBackUP(std::string& FPA, std::string& FPb, MFldrResult backupFolderState,
                    bool readErrorReported = false);

    // `MFldr`: makes sure the destination folder exists, creating one level.
    MFldrResult MFldr(const std::string& FF, FolderRole role);

    // `FKILL`: deletes one file of an open folder; on failure records "削除エラー" + `FP`.
    void FKILL(const platform::Folder& folder, const std::string& name, std::string_view FP);

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

    // `FileCheck`: the decision table for one file, in order: extension rule, absent backup,
    // size rule, time rule, replace.
    FileDecision FileCheck(const FolderPair& pair, std::size_t index, const std::string& name);

    // `FCOPY`: copies (or, in placeholder mode, creates empty) one file as decided, recording
    // what failed.
    void FCOPY(const FolderPair& pair, const std::string& name, FileDecision decision);

    void removeLeftoverTemporaries(const platform::Folder& backup, const std::string& backupPath);

    RunHost& host_;
    ErrorText& errText_;
    RunStats& stats_;
    BackgroundWorker worker_;
};

}  // namespace sorvik::engine
