#include "engine/backup_engine.h"

#include <algorithm>
#include <functional>
#include <set>
#include <thread>

#include "engine/error_report.h"
#include "engine/messages.h"
#include "engine/path_rules.h"
#include "engine/work_queue.h"
#include "engine/worker_count.h"
#include "platform/disk_traits.h"
#include "platform/path_lookup.h"
#include "platform/path_text.h"
#include "platform/separator.h"
#include "platform/storage_kind.h"

namespace sorvik::engine {

using platform::EntryKind;
using platform::Folder;

BackupEngine::BackupEngine(RunHost& host)
    : host_(host), errors_(host, stats_), scan_(host), sync_(host, errors_, stats_) {}

RunOutcome BackupEngine::singleRun() {
    const std::string source = host_.sourceFolder();
    RunOutcome outcome = RunOutcome::completed;
    if (!FolderScan::isScannableSource(source)) {
        scan_.scan(source);  // shows the not-found message and leaves the list empty
        outcome = RunOutcome::sourceMissing;
    } else {
        const std::string backup = host_.backupFolder();
        std::optional<platform::FileIdentity> backupIdentity;
        if (auto refused = refusePair(source, backup, backupIdentity)) {
            outcome = *refused;
        } else {
            WorkQueue queue(workerCount(requestedJobs_, std::thread::hardware_concurrency(),
                                        platform::storageKindOf(source),
                                        platform::storageKindOf(backup)));
            scan_.scan(source, backupIdentity, &queue);
            sync_.useQueue(queue);
            outcome = backUpScannedFolders();
            if (outcome == RunOutcome::completed) {
                flushBackup(backup);
            }
            backupFolder_.reset();
            backupLock_.reset();
        }
    }
    if (!inBatch) {
        reportErrors();
    }
    return outcome;
}

void BackupEngine::reportErrors() {
    engine::reportErrors(host_, errors_);
}

std::optional<RunOutcome> BackupEngine::refusePair(
    const std::string& source, const std::string& backup,
    std::optional<platform::FileIdentity>& backupIdentity) {
    const auto refuse = [&](UserMessage message) {
        host_.showMessage(message);
        return std::optional<RunOutcome>(RunOutcome::refused);
    };
    // A look-up that fails is a read problem, not an overlap: it says which path and why.
    const auto unreadable = [&](const std::string& path, std::error_code error) {
        return refuse({std::string(text::kFileUnreadable), {path, error.message()}, path});
    };
    const UserMessage badBackup{std::string(text::kBadBackupFolder), {backup}, backup};
    if (!platform::isAbsolutePath(backup) || platform::hasImpossibleCharacter(backup)) {
        return refuse(badBackup);
    }
    const auto kind = platform::lookUp(backup);
    if (kind && (*kind == EntryKind::ordinaryFile || *kind == EntryKind::other)) {
        return refuse(badBackup);
    }
    if (!kind || *kind != EntryKind::folder) {
        return std::nullopt;  // created by the run, or reported when it cannot be
    }
    // The source exists, so it can only be the backup folder or lie inside it when the backup
    // folder exists too.
    const auto backupId = platform::identityOf(backup);
    if (!backupId) {
        return unreadable(backup, backupId.error());
    }
    const auto inside = platform::isSameOrInside(source, *backupId);
    if (!inside) {
        return unreadable(source, inside.error());
    }
    if (*inside) {
        return refuse({std::string(text::kPairOverlaps), {source, backup}, source});
    }
    // Only a backup folder inside the source needs leaving out of the scan; knowing that up front
    // spares the scan a look-up of every folder.
    const auto sourceId = platform::identityOf(source);
    if (!sourceId) {
        return unreadable(source, sourceId.error());
    }
    const auto backupInside = platform::isSameOrInside(backup, *sourceId);
    if (!backupInside) {
        return unreadable(backup, backupInside.error());
    }
    if (*backupInside) {
        backupIdentity = *backupId;
    }
    return std::nullopt;
}

bool BackupEngine::lockBackupFolder(const std::string& backup) {
    auto lock = platform::FolderLock::tryAcquire(backup);
    if (lock) {
        backupLock_.emplace(std::move(*lock));
        return true;
    }
    // Only a lock held by another run stops this one: a folder that cannot be locked at all (some
    // network shares) cannot be locked by another run either.
    if (lock.error() != std::errc::resource_unavailable_try_again) {
        return true;
    }
    host_.showMessage({std::string(text::kAnotherRunInProgress), {backup}, backup});
    return false;
}

RunOutcome BackupEngine::backUpScannedFolders() {
    const std::vector<std::string>& folders = scan_.folders();
    const std::vector<std::string>& unlisted = scan_.unlistedFolders();
    for (const std::string& folder : unlisted) {
        errors_.add(text::kReadError, folder);
    }
    if (folders.empty()) {
        return RunOutcome::completed;
    }
    // The entries below the source begin with its text less its trailing separators ("src//"
    // has the subfolder "src/a"), so only that much is cut off to find their relative paths.
    const std::size_t sourceLength = withoutTrailingSeparators(folders.front()).size();
    // Destinations that could not be made. Every folder below one fails in turn with its own
    // entry, without being looked up: a link that stood in the way must not receive them.
    std::set<std::string, std::less<>> failed;
    for (std::size_t i = 0; i < folders.size(); ++i) {
        const std::string destination =
            destinationFolder(host_.backupFolder(), folders[i], sourceLength);
        const std::string_view relative = relativePart(folders[i], sourceLength);
        sync_.showCaption(destination);
        ++stats_.folders;
        DestinationFolder made;
        if (i == 0) {
            made = sync_.ensureFolder(destination);
        } else if (failed.contains(parentFolder(destination)) || !backupFolder_) {
            sync_.addError(text::kFolderError, destination);
        } else {
            made = sync_.ensureFolder(*backupFolder_, relative, destination);
        }
        if (made.state == FolderState::failed) {
            failed.emplace(withoutTrailingSeparators(destination));
            continue;
        }
        if (i == 0) {
            // Two runs filling one backup folder would take each other's temporaries and folders
            // for failures of their own; the second one leaves the folder to the first.
            if (!lockBackupFolder(destination)) {
                return RunOutcome::refused;
            }
            if (auto again = made.folder->openBelow({})) {
                backupFolder_.emplace(std::move(*again));
                learnDisk(destination);
            }
        }
        const bool reported =
            std::find(unlisted.begin(), unlisted.end(), folders[i]) != unlisted.end();
        // The source folder is opened from its top folder's handle, never through a link swapped
        // in since the scan.
        sync_.syncFiles(scan_.sourceFolder(), relative, folders[i], std::move(made), destination,
                        reported);
    }
    sync_.finish();
    return RunOutcome::completed;
}

void BackupEngine::learnDisk(const std::string& backup) {
    const platform::DiskTraits disk = platform::probeDisk(*backupFolder_);
    sync_.useDisk(disk);
    // Said once for the backup folder, not for every file it makes copy again.
    if (!disk.timesStick && host_.options().timeRule) {
        host_.showMessage({std::string(text::kTimesDoNotStick), {backup}, backup});
    }
}

void BackupEngine::flushBackup(const std::string& backup) {
    // Everything written so far reaches the disk before the run says it is complete; a write-back
    // failure reported here means some copy did not land.
    if (backupFolder_ && backupFolder_->syncFileSystem()) {
        errors_.add(text::kCopyError, backup);
    }
}

}  // namespace sorvik::engine
