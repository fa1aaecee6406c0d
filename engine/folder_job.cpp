#include "engine/folder_job.h"

#include <algorithm>
#include <unordered_set>

#include "engine/messages.h"
#include "engine/path_rules.h"
#include "platform/name_order.h"

namespace sorvik::engine {

using platform::EntryKind;

namespace {

// Handing a folder's look-ups to a second thread costs about as much as a few look-ups.
constexpr std::size_t kFilesWorthLookingUpAhead = 4;

}  // namespace

FolderJob::FolderJob(Setup setup, WorkQueue& queue)
    : setup_(std::move(setup)),
      queue_(queue),
      sourcePrefix_(withTrailingSeparator(setup_.sourcePath)),
      backupPrefix_(withTrailingSeparator(setup_.backupPath)) {}

void FolderJob::plan() {
    auto source = setup_.sourceTop != nullptr
                      ? setup_.sourceTop->openBelow(setup_.relative)
                      : platform::Result<platform::Folder>(
                            std::make_error_code(std::errc::no_such_file_or_directory));
    auto files = source ? source->ordinaryFiles()
                        : platform::Result<std::vector<std::string>>(source.error());
    if (!files) {
        if (!setup_.readErrorReported) {
            head_.push_back({text::kReadError, setup_.sourcePath});
        }
        planned_.store(true, std::memory_order_release);
        endTask();
        return;
    }
    source_.emplace(std::move(*source));
    names_ = std::move(*files);
    if (!setup_.backupIsNew) {
        removeLeftoverTemporaries();
    }
    const RunOptions& options = setup_.options;
    if (options.timeRule) {
        timeGranularity_ = std::max(source_->timeGranularity(), setup_.disk.timePrecision);
    }
    if (!setup_.backupIsNew && (options.sizeRule || options.timeRule) &&
        names_.size() >= kFilesWorthLookingUpAhead) {
        lookUpBothSides();
    }
    decideAll();
    const auto copies = static_cast<std::size_t>(
        std::count_if(steps_.begin(), steps_.end(),
                      [](const FileStep& step) { return step.decision != FileDecision::leave; }));
    unfinishedTasks_.fetch_add(copies, std::memory_order_relaxed);
    for (std::size_t i = 0; i < steps_.size(); ++i) {
        if (steps_[i].decision != FileDecision::leave) {
            queue_.submit([this, i] { copy(i); });
        }
    }
    planned_.store(true, std::memory_order_release);
    endTask();
}

void FolderJob::endTask() {
    // Only the run's own thread waits for the whole folder, so only that flag needs a wake-up.
    if (unfinishedTasks_.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        queue_.markDone(finished_);
    }
}

void FolderJob::removeLeftoverTemporaries() {
    // Best effort: a folder that cannot be listed here shows its trouble when files are written.
    const auto leftovers = setup_.backup.leftoverTemporaries();
    if (!leftovers) {
        return;
    }
    for (const std::string& name : *leftovers) {
        if (setup_.backup.removeFile(name)) {
            head_.push_back({text::kDeleteError, backupPrefix_ + name});
        }
    }
}

void FolderJob::lookUpBothSides() {
    if (setup_.lookAhead == nullptr) {
        sourceInfos_ = source_->fileInfos(names_);
        backupInfos_ = setup_.backup.fileInfos(names_);
        return;
    }
    setup_.lookAhead->start([this] { sourceInfos_ = source_->fileInfos(names_); });
    backupInfos_ = setup_.backup.fileInfos(names_);
    setup_.lookAhead->wait();
}

void FolderJob::decideAll() {
    const RunOptions& options = setup_.options;
    steps_ = std::vector<FileStep>(names_.size());
    // On a disk that ignores case, names that differ only in case would land on one file: the
    // first name the run may write claims it, even when it is up to date.
    std::unordered_set<std::string> namesOnDisk;
    for (std::size_t i = 0; i < names_.size(); ++i) {
        const bool excluded =
            options.extensionRule && hasExcludedExtension(names_[i], options.excludedExtensions);
        if (setup_.disk.ignoresCase && !excluded &&
            !namesOnDisk.insert(platform::foldCase(names_[i])).second) {
            steps_[i].nameTaken = true;
            continue;
        }
        steps_[i].decision = decide(i);
    }
}

FileDecision FolderJob::decide(std::size_t index) {
    const RunOptions& options = setup_.options;
    const std::string& name = names_[index];
    FileStep& step = steps_[index];
    if (options.extensionRule && hasExcludedExtension(name, options.excludedExtensions)) {
        return FileDecision::leave;
    }
    if (setup_.backupIsNew) {
        return FileDecision::copy;  // a folder this run has just made holds no backup file
    }
    const auto backupInfo =
        backupInfos_.empty() ? setup_.backup.fileInfo(name) : backupInfos_[index];
    if (!backupInfo) {
        step.errorLabel = text::kReadError;
        step.errorOnBackup = true;
        return FileDecision::leave;
    }
    if (backupInfo->kind != EntryKind::ordinaryFile) {
        return FileDecision::copy;
    }
    if (!options.sizeRule && !options.timeRule) {
        return FileDecision::replace;
    }
    const auto sourceInfo = sourceInfos_.empty() ? source_->fileInfo(name) : sourceInfos_[index];
    if (!sourceInfo || sourceInfo->kind != EntryKind::ordinaryFile) {
        step.errorLabel = text::kReadError;
        return FileDecision::leave;
    }
    if (options.sizeRule && backupInfo->size >= sourceInfo->size) {
        return FileDecision::leave;
    }
    if (options.timeRule &&
        isSameOrNewer(backupInfo->modifiedNs, sourceInfo->modifiedNs, timeGranularity_)) {
        return FileDecision::leave;
    }
    return FileDecision::replace;
}

void FolderJob::copy(std::size_t index) {
    FileStep& step = steps_[index];
    const std::string& name = names_[index];
    step.result = setup_.options.placeholder
                      ? platform::createEmptyFile(setup_.backup, name)
                      : platform::copyFile(*source_, name, setup_.backup, name,
                                           {.setTimeAfterClose = setup_.disk.setTimeAfterClose});
    step.done.store(true, std::memory_order_release);
    endTask();
}

bool FolderJob::report(const RunReport& to, bool wait) {
    if (!planned_.load(std::memory_order_acquire)) {
        if (!wait) {
            return false;
        }
        queue_.waitFor(planned_);
    }
    if (!headReported_) {
        for (const RunNote& note : head_) {
            to.errors.add(note.label, note.path);
        }
        headReported_ = true;
    }
    for (; reported_ < steps_.size(); ++reported_) {
        FileStep& step = steps_[reported_];
        if (step.decision != FileDecision::leave && !step.nameTaken) {
            // The caption names the file while it is being copied, as a run of one file at a time
            // shows it.
            if (!captionShown_) {
                to.host.setCaption(backupPrefix_ + names_[reported_]);
                captionShown_ = true;
            }
            if (!step.done.load(std::memory_order_acquire)) {
                if (!wait) {
                    return false;
                }
                queue_.waitFor(step.done);
            }
            captionShown_ = false;
        }
        reportStep(to, reported_);
    }
    if (!finished_.load(std::memory_order_acquire)) {
        return false;  // a worker is still ending its task; it has nothing left to report
    }
    for (const RunNote& note : after_) {
        if (note.label.empty()) {
            to.host.setCaption(note.path);
        } else {
            to.errors.add(note.label, note.path);
        }
    }
    after_.clear();
    return true;
}

void FolderJob::reportStep(const RunReport& to, std::size_t index) {
    const FileStep& step = steps_[index];
    const std::string& name = names_[index];
    if (step.nameTaken) {
        to.errors.add(text::kCopyError, sourcePrefix_ + name);
        return;
    }
    if (step.decision == FileDecision::leave) {
        if (!step.errorLabel.empty()) {
            to.errors.add(step.errorLabel,
                          (step.errorOnBackup ? backupPrefix_ : sourcePrefix_) + name);
        }
        ++to.stats.filesSkipped;
        return;
    }
    if (!step.result.failed()) {
        if (setup_.options.placeholder) {
            ++to.stats.filesCreatedEmpty;
        } else {
            ++to.stats.filesCopied;
            to.stats.bytesCopied += step.result.bytesCopied;
        }
        return;
    }
    // The new file only ever replaces the old one by a rename, so a failed copy leaves the old
    // backup as it was: it could not be replaced, which is what the delete entry reports.
    if (step.decision == FileDecision::replace) {
        to.errors.add(text::kDeleteError, backupPrefix_ + name);
    }
    to.errors.add(text::kCopyError, sourcePrefix_ + name);
}

}  // namespace sorvik::engine
