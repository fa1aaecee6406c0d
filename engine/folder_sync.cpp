#include "engine/folder_sync.h"

#include <algorithm>

#include "engine/messages.h"
#include "engine/path_rules.h"
#include "platform/path_lookup.h"

namespace sorvik::engine {

using platform::EntryKind;
using platform::Folder;

namespace {

// Handing a folder's look-ups to the second thread costs about as much as a few look-ups.
constexpr std::size_t kFilesWorthLookingUpAhead = 4;

}  // namespace

void FolderSync::FileBackUP(std::string& FPA, std::string& FPb, MFldrResult backupFolderState,
                            bool readErrorReported) {
    const std::string sourceFolder = FPA;
    const std::string backupFolder = FPb;
    DirP(FPA);
    DirP(FPb);

    auto source = Folder::open(FPA);
    auto files = source ? source->ordinaryFiles()
                        : platform::Result<std::vector<std::string>>(source.error());
    if (!files) {
        if (!readErrorReported) {
            errText_.add(text::kReadError, sourceFolder);
        }
        return;
    }
    auto backup = Folder::open(FPb);
    if (!backup) {
        errText_.add(text::kReadError, backupFolder);
        return;
    }
    if (backupFolderState == MFldrResult::existing) {
        removeLeftoverTemporaries(*backup, FPb);
    }

    const RunOptions options = host_.options();
    const auto granularity = options.timeRule
                                 ? std::max(source->timeGranularity(), backup->timeGranularity())
                                 : std::chrono::nanoseconds(1);
    FolderPair pair{
        *source, *backup, FPA, FPb, options, granularity, backupFolderState == MFldrResult::created,
        {},      {}};
    if (!pair.backupIsNew && (options.sizeRule || options.timeRule) &&
        files->size() >= kFilesWorthLookingUpAhead) {
        lookUpBothSides(pair, *files);
    }
    for (std::size_t i = 0; i < files->size(); ++i) {
        const std::string& name = (*files)[i];
        const FileDecision decision = FileCheck(pair, i, name);
        if (decision == FileDecision::leave) {
            ++stats_.filesSkipped;
            continue;
        }
        host_.setCaption(FPb + name);
        FCOPY(pair, name, decision);
    }
}

void FolderSync::lookUpBothSides(FolderPair& pair, const std::vector<std::string>& names) {
    pair.sourceInfos.reserve(names.size());
    pair.backupInfos.reserve(names.size());
    worker_.start([&] {
        for (const std::string& name : names) {
            pair.sourceInfos.push_back(pair.source.fileInfo(name));
        }
    });
    for (const std::string& name : names) {
        pair.backupInfos.push_back(pair.backup.fileInfo(name));
    }
    worker_.wait();
}

FileDecision FolderSync::FileCheck(const FolderPair& pair, std::size_t index,
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
        errText_.add(text::kReadError, pair.backupPath + name);
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
        errText_.add(text::kReadError, pair.sourcePath + name);
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

void FolderSync::FCOPY(const FolderPair& pair, const std::string& name, FileDecision decision) {
    const bool placeholder = pair.options.placeholder;
    const platform::CopyResult result =
        placeholder ? platform::createEmptyFile(pair.backup, name)
                    : platform::copyFile(pair.source, name, pair.backup, name);
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
        errText_.add(text::kDeleteError, pair.backupPath + name);
    }
    errText_.add(text::kCopyError, pair.sourcePath + name);
}

void FolderSync::FKILL(const Folder& folder, const std::string& name, std::string_view FP) {
    if (folder.removeFile(name)) {
        errText_.add(text::kDeleteError, FP);
    }
}

MFldrResult FolderSync::MFldr(const std::string& FF, FolderRole role) {
    const auto lookUp = [&] {
        return role == FolderRole::backupFolder ? platform::lookUp(FF)
                                                : platform::lookUpNoFollow(FF);
    };
    const auto kind = lookUp();
    if (kind && *kind == EntryKind::folder) {
        return MFldrResult::existing;
    }
    if (kind && *kind == EntryKind::missing) {
        const std::error_code error = platform::createFolder(FF);
        if (!error) {
            return MFldrResult::created;
        }
        // Made by someone else since the look-up: as good as found.
        const auto now = error == std::errc::file_exists ? lookUp() : kind;
        if (now && *now == EntryKind::folder) {
            return MFldrResult::existing;
        }
    }
    // The look-up failed, the creation failed, or a file or a link stands where the folder
    // should be: nothing is written through it.
    errText_.add(text::kFolderError, FF);
    return MFldrResult::failed;
}

void FolderSync::removeLeftoverTemporaries(const Folder& backup, const std::string& backupPath) {
    // Best effort: a folder that cannot be listed here shows its trouble when files are written.
    const auto leftovers = backup.leftoverTemporaries();
    if (!leftovers) {
        return;
    }
    for (const std::string& name : *leftovers) {
        FKILL(backup, name, backupPath + name);
    }
}

}  // namespace sorvik::engine
