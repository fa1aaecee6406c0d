#include "engine/folder_sync.h"

#include <algorithm>
#include <unordered_set>

#include "engine/messages.h"
#include "engine/path_rules.h"
#include "platform/name_order.h"
#include "platform/path_lookup.h"

namespace sorvik::engine {

using platform::EntryKind;
using platform::Folder;

namespace {

// Handing a folder's look-ups to the second thread costs about as much as a few look-ups.
constexpr std::size_t kFilesWorthLookingUpAhead = 4;

}  // namespace

void FolderSync::syncFiles(const platform::Result<Folder>& source, const std::string& sourcePath,
                           const DestinationFolder& backupFolder, const std::string& backupPath,
                           bool readErrorReported) {
    const std::string sourcePrefix = withTrailingSeparator(sourcePath);
    const std::string backupPrefix = withTrailingSeparator(backupPath);

    auto files = source ? source->ordinaryFiles()
                        : platform::Result<std::vector<std::string>>(source.error());
    if (!files) {
        if (!readErrorReported) {
            errors_.add(text::kReadError, sourcePath);
        }
        return;
    }
    const Folder* backup = &*backupFolder.folder;
    const FolderState backupFolderState = backupFolder.state;
    if (backupFolderState == FolderState::existing) {
        removeLeftoverTemporaries(*backup, backupPrefix);
    }

    const RunOptions options = host_.options();
    const auto granularity = options.timeRule
                                 ? std::max(source->timeGranularity(), disk_.timePrecision)
                                 : std::chrono::nanoseconds(1);
    FolderPair pair{*source,
                    *backup,
                    sourcePrefix,
                    backupPrefix,
                    options,
                    granularity,
                    backupFolderState == FolderState::created,
                    {},
                    {}};
    if (!pair.backupIsNew && (options.sizeRule || options.timeRule) &&
        files->size() >= kFilesWorthLookingUpAhead) {
        lookUpBothSides(pair, *files);
    }
    // On a disk that ignores case, names that differ only in case would land on one file: the
    // first name the run may write claims it, even when it is up to date.
    std::unordered_set<std::string> namesOnDisk;
    for (std::size_t i = 0; i < files->size(); ++i) {
        const std::string& name = (*files)[i];
        const bool excluded =
            options.extensionRule && hasExcludedExtension(name, options.excludedExtensions);
        if (disk_.ignoresCase && !excluded &&
            !namesOnDisk.insert(platform::foldCase(name)).second) {
            errors_.add(text::kCopyError, sourcePrefix + name);
            continue;
        }
        const FileDecision decision = decide(pair, i, name);
        if (decision == FileDecision::leave) {
            ++stats_.filesSkipped;
            continue;
        }
        host_.setCaption(backupPrefix + name);
        copyOne(pair, name, decision);
    }
}

void FolderSync::lookUpBothSides(FolderPair& pair, const std::vector<std::string>& names) {
    worker_.start([&] { pair.sourceInfos = pair.source.fileInfos(names); });
    pair.backupInfos = pair.backup.fileInfos(names);
    worker_.wait();
}

FileDecision FolderSync::decide(const FolderPair& pair, std::size_t index,
                                const std::string& name) {
    const RunOptions& options = pair.options;
    if (options.extensionRule && hasExcludedExtension(name, options.excludedExtensions)) {
        return FileDecision::leave;
    }
    if (pair.backupIsNew) {
        return FileDecision::copy;  // a folder this run has just made holds no backup file
    }
    const auto backupInfo =
        pair.backupInfos.empty() ? pair.backup.fileInfo(name) : pair.backupInfos[index];
    if (!backupInfo) {
        errors_.add(text::kReadError, pair.backupPath + name);
        return FileDecision::leave;
    }
    if (backupInfo->kind != EntryKind::ordinaryFile) {
        return FileDecision::copy;
    }
    if (!options.sizeRule && !options.timeRule) {
        return FileDecision::replace;
    }
    const auto sourceInfo =
        pair.sourceInfos.empty() ? pair.source.fileInfo(name) : pair.sourceInfos[index];
    if (!sourceInfo || sourceInfo->kind != EntryKind::ordinaryFile) {
        errors_.add(text::kReadError, pair.sourcePath + name);
        return FileDecision::leave;
    }
    if (options.sizeRule && backupInfo->size >= sourceInfo->size) {
        return FileDecision::leave;
    }
    if (options.timeRule &&
        isSameOrNewer(backupInfo->modifiedNs, sourceInfo->modifiedNs, pair.timeGranularity)) {
        return FileDecision::leave;
    }
    return FileDecision::replace;
}

void FolderSync::copyOne(const FolderPair& pair, const std::string& name, FileDecision decision) {
    const bool placeholder = pair.options.placeholder;
    const platform::CopyResult result =
        placeholder ? platform::createEmptyFile(pair.backup, name)
                    : platform::copyFile(pair.source, name, pair.backup, name,
                                         {.setTimeAfterClose = disk_.setTimeAfterClose});
    if (!result.failed()) {
        if (placeholder) {
            ++stats_.filesCreatedEmpty;
        } else {
            ++stats_.filesCopied;
            stats_.bytesCopied += result.bytesCopied;
        }
        return;
    }
    // The new file only ever replaces the old one by a rename, so a failed copy leaves the old
    // backup as it was: it could not be replaced, which is what the delete entry reports.
    if (decision == FileDecision::replace) {
        errors_.add(text::kDeleteError, pair.backupPath + name);
    }
    errors_.add(text::kCopyError, pair.sourcePath + name);
}

void FolderSync::removeBackupFile(const Folder& folder, const std::string& name,
                                  std::string_view shownPath) {
    if (folder.removeFile(name)) {
        errors_.add(text::kDeleteError, shownPath);
    }
}

namespace {

// Makes sure a folder exists, given how to look it up and how to make it: found, made, or made by
// someone else between the look-up and the making (as good as found). Anything else standing
// there, a file or a link above all, fails: nothing is written through it.
template <class LookUp, class Create>
FolderState lookUpOrCreate(LookUp&& lookUp, Create&& create) {
    const platform::Result<EntryKind> kind = lookUp();
    if (kind && *kind == EntryKind::folder) {
        return FolderState::existing;
    }
    if (!kind || *kind != EntryKind::missing) {
        return FolderState::failed;
    }
    const std::error_code error = create();
    if (!error) {
        return FolderState::created;
    }
    const platform::Result<EntryKind> now =
        error == std::errc::file_exists ? lookUp() : platform::Result<EntryKind>(error);
    return now && *now == EntryKind::folder ? FolderState::existing : FolderState::failed;
}

}  // namespace

DestinationFolder FolderSync::ensureFolder(const std::string& shownPath) {
    const FolderState state = lookUpOrCreate([&] { return platform::lookUp(shownPath); },
                                             [&] { return platform::createFolder(shownPath); });
    DestinationFolder made;
    if (state != FolderState::failed) {
        if (auto opened = Folder::open(shownPath)) {
            made = {state, std::move(*opened)};
        }
    }
    if (made.state == FolderState::failed) {
        errors_.add(text::kFolderError, shownPath);
    }
    return made;
}

DestinationFolder FolderSync::ensureFolder(const Folder& backupFolder, std::string_view relative,
                                           const std::string& shownPath) {
    // On a re-run the folder is nearly always there: one open finds and opens it.
    auto existing = backupFolder.openBelow(relative);
    if (existing) {
        return {FolderState::existing, std::move(*existing)};
    }
    // Only a folder that is not there is made: a link (ELOOP), a file (ENOTDIR) or a look-up
    // that failed in the way fails.
    DestinationFolder made;
    auto parent = existing.error() == std::errc::no_such_file_or_directory
                      ? backupFolder.openBelow(parentFolder(relative))
                      : platform::Result<Folder>(existing.error());
    if (parent) {
        const std::string child(lastComponent(relative));
        const FolderState state = lookUpOrCreate([&] { return parent->kindOf(child); },
                                                 [&] { return parent->createSubfolder(child); });
        if (state != FolderState::failed) {
            if (auto opened = parent->openBelow(child)) {
                made = {state, std::move(*opened)};
            }
        }
    }
    if (made.state == FolderState::failed) {
        errors_.add(text::kFolderError, shownPath);
    }
    return made;
}

void FolderSync::removeLeftoverTemporaries(const Folder& backup, const std::string& backupPath) {
    // Best effort: a folder that cannot be listed here shows its trouble when files are written.
    const auto leftovers = backup.leftoverTemporaries();
    if (!leftovers) {
        return;
    }
    for (const std::string& name : *leftovers) {
        removeBackupFile(backup, name, backupPath + name);
    }
}

}  // namespace sorvik::engine
