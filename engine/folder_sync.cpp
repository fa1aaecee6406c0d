#include "engine/folder_sync.h"

#include <algorithm>

#include "engine/messages.h"
#include "engine/path_rules.h"
#include "platform/path_lookup.h"

namespace sorvik::engine {

using platform::EntryKind;
using platform::Folder;

namespace {

// Folders listed, looked up or copied ahead of the one being reported, per worker: enough to keep
// every worker busy while the run waits for a large file, few enough to hold little memory.
constexpr std::size_t kFoldersAheadPerWorker = 8;
// Each folder ahead holds its backup folder open: with many jobs, the open files would otherwise
// run into the system's limit of 1,024 per process.
constexpr std::size_t kMostFoldersAhead = 64;

}  // namespace

void FolderSync::useQueue(WorkQueue& queue) {
    queue_ = &queue;
}

void FolderSync::syncFiles(const Folder* sourceTop, std::string_view relative,
                           const std::string& sourcePath, DestinationFolder backup,
                           const std::string& backupPath, bool readErrorReported) {
    const bool backupIsNew = backup.state == FolderState::created;
    FolderJob::Setup setup{sourceTop,
                           std::string(relative),
                           std::move(*backup.folder),
                           backupIsNew,
                           sourcePath,
                           backupPath,
                           report_.host.options(),
                           disk_,
                           readErrorReported,
                           queue_->workers() == 0 ? &lookAhead_ : nullptr};
    FolderJob& job = *pending_.emplace_back(std::make_unique<FolderJob>(std::move(setup), *queue_));
    queue_->submit([&job] { job.plan(); });
    // With no workers nothing may run ahead: each folder is done before the next one is made.
    // Otherwise, once too far ahead, the run catches up by half before it goes on, rather than
    // waking for every folder the workers finish.
    if (queue_->workers() == 0) {
        finish();
        return;
    }
    const std::size_t ahead =
        std::min(kFoldersAheadPerWorker * queue_->workers(), kMostFoldersAhead);
    reportDone(false);
    if (pending_.size() > ahead) {
        catchUp(ahead / 2);
    }
}

void FolderSync::showCaption(std::string_view caption) {
    if (pending_.empty()) {
        report_.host.setCaption(caption);
    } else {
        pending_.back()->addNote({{}, std::string(caption)});
    }
}

void FolderSync::addError(std::string_view label, std::string_view path) {
    if (pending_.empty()) {
        report_.errors.add(label, path);
    } else {
        pending_.back()->addNote({label, std::string(path)});
    }
}

void FolderSync::finish() {
    if (queue_ != nullptr && queue_->workers() > 0) {
        catchUp(0);
    }
    while (!pending_.empty()) {
        reportDone(true);
    }
}

void FolderSync::catchUp(std::size_t keep) {
    // Often enough for the window to repaint between the captions it is given.
    constexpr std::chrono::milliseconds kCaptionInterval{50};
    while (pending_.size() > keep) {
        // Waiting for the last folder that must go wakes the run once for many folders; the
        // folders before it are mostly done by then.
        const FolderJob& last = *pending_[pending_.size() - keep - 1];
        const FolderJob& awaited = last.finished().load() ? *pending_.front() : last;
        queue_->waitFor(awaited.finished(), kCaptionInterval);
        reportDone(false);
    }
}

void FolderSync::reportDone(bool wait) {
    while (!pending_.empty() && pending_.front()->report(report_, wait)) {
        pending_.pop_front();
        wait = false;
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
        addError(text::kFolderError, shownPath);
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
        addError(text::kFolderError, shownPath);
    }
    return made;
}

}  // namespace sorvik::engine
