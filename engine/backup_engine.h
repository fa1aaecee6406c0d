#pragma once

#include <optional>
#include <string>

#include "engine/error_text.h"
#include "engine/folder_scan.h"
#include "engine/folder_sync.h"
#include "engine/run_host.h"
#include "engine/run_stats.h"
#include "platform/folder_lock.h"

namespace sorvik::engine {

// How a single run ended. `refused` and `sourceMissing` wrote nothing and showed their message
// (a run refused because another run fills its backup folder may have made that folder).
enum class RunOutcome { completed, sourceMissing, refused };

// The backup engine of one front end: the single run of the pair the host shows, its error text
// and the batch flag that keeps the report for the end of a batch.
class BackupEngine {
  public:
    explicit BackupEngine(RunHost& host);

    // The single run (what the backup button does): checks the pair, scans the source, creates
    // every destination folder parents first and brings each folder's files up to date, then
    // flushes the backup file system. Outside a batch it ends with the error report.
    RunOutcome singleRun();

    // Closes a run or a batch with the error report over this engine's errors.
    void reportErrors();

    // While set, single runs leave the report to the batch they are part of.
    bool inBatch = false;

    // How many files a run works on at once: 1 is one at a time, 0 lets the run choose from the
    // machine's cores and the kinds of disk of the pair.
    void requestJobs(unsigned jobs) { requestedJobs_ = jobs; }

    const ErrorText& errors() const { return errors_; }
    const RunStats& stats() const { return stats_; }
    const FolderScan& scan() const { return scan_; }

  private:
    // Refuses, with its message, a pair that would write outside its backup folder or into its
    // own source; on success gives the backup folder's identity when it exists.
    std::optional<RunOutcome> refusePair(const std::string& source, const std::string& backup,
                                         std::optional<platform::FileIdentity>& backupIdentity);
    // Creates the destination folders and brings their files up to date; refused when another run
    // is filling the same backup folder.
    [[nodiscard]] RunOutcome backUpScannedFolders();
    // Takes the backup folder's lock for this run; false, once the user is told, when another run
    // holds it.
    [[nodiscard]] bool lockBackupFolder(const std::string& backup);
    // Learns what the backup folder's disk keeps, for the comparisons and copies of the run.
    void learnDisk(const std::string& backup);
    void flushBackup(const std::string& backup);

    RunHost& host_;
    unsigned requestedJobs_ = 0;
    RunStats stats_;
    ErrorText errors_;
    FolderScan scan_;
    FolderSync sync_;
    std::optional<platform::FolderLock> backupLock_;
    // The backup folder of the run, opened once it exists; every folder below it is made and
    // opened from this handle.
    std::optional<platform::Folder> backupFolder_;
};

}  // namespace sorvik::engine
