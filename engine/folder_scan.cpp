#include "engine/folder_scan.h"

#include <algorithm>

#include "engine/messages.h"
#include "engine/path_rules.h"
#include "platform/folder.h"
#include "platform/name_order.h"
#include "platform/path_lookup.h"
#include "platform/path_text.h"
#include "platform/separator.h"

namespace sorvik::engine {

bool FolderScan::isScannableSource(const std::string& top) {
    if (!platform::isAbsolutePath(top) || platform::hasImpossibleCharacter(top)) {
        return false;
    }
    const auto kind = platform::lookUp(top);
    return kind && *kind == platform::EntryKind::folder;
}

void FolderScan::scan(const std::string& top, std::optional<platform::FileIdentity> excluded,
                      WorkQueue* queue) {
    folders_.clear();
    unlisted_.clear();
    top_.reset();
    if (!isScannableSource(top)) {
        host_.showMessage({std::string(text::kSourceNotFound), {}, top});
        return;
    }
    excluded_ = excluded;
    topLength_ = withoutTrailingSeparators(top).size();
    currentLevel_.clear();
    if (auto opened = platform::Folder::open(top)) {
        top_.emplace(std::move(*opened));
        Listing listing;
        list(top, listing);
        collect(top, listing, currentLevel_);
    } else {
        unlisted_.push_back(top);
    }
    host_.setCaption(text::kScanning);
    while (!currentLevel_.empty()) {
        scanNextLevel(queue != nullptr && queue->workers() > 0 ? queue : nullptr);
    }
    // Collected first and sorted once: every folder sorts after its parent, whose entry is a
    // prefix of its own. The source text is put in front rather than sorted in: written with more
    // than one trailing separator ("src//") it is no prefix of its subfolders ("src/-x").
    std::sort(folders_.begin(), folders_.end(), platform::lessIgnoringCase);
    folders_.insert(folders_.begin(), top);
}

void FolderScan::scanNextLevel(WorkQueue* queue) {
    std::vector<Listing> listings(currentLevel_.size());
    // A few stretches of the level per worker: enough to share it out evenly, few enough that the
    // hand-overs cost little against the listings.
    const std::size_t stretch =
        queue == nullptr
            ? listings.size()
            : std::max<std::size_t>(1, listings.size() / (std::size_t{4} * queue->workers()));
    if (queue != nullptr) {
        for (std::size_t begin = 0; begin < listings.size(); begin += stretch) {
            const std::size_t end = std::min(begin + stretch, listings.size());
            queue->submit([this, &listings, begin, end, queue] {
                for (std::size_t i = begin; i < end; ++i) {
                    list(currentLevel_[i], listings[i]);
                }
                queue->markDone(listings[end - 1].done);
            });
        }
    }
    std::vector<std::string> nextLevel;
    for (std::size_t i = 0; i < listings.size(); ++i) {
        if (queue == nullptr) {
            list(currentLevel_[i], listings[i]);
        } else if ((i + 1) % stretch == 0 || i + 1 == listings.size()) {
            queue->waitFor(listings[i].done);
        }
    }
    for (std::size_t i = 0; i < listings.size(); ++i) {
        collect(currentLevel_[i], listings[i], nextLevel);
    }
    currentLevel_ = std::move(nextLevel);
}

void FolderScan::list(const std::string& folder, Listing& listing) const {
    // Found as real folders, never through a link: one swapped in since fails to open.
    auto opened = top_->openBelow(relativePart(folder, topLength_));
    auto subfolders =
        opened ? opened->subfolders() : platform::Result<std::vector<std::string>>(opened.error());
    if (!subfolders) {
        listing.failed = true;
        return;
    }
    for (const std::string& name : *subfolders) {
        if (excluded_) {
            const auto identity = opened->identityOf(name);
            if (identity && *identity == *excluded_) {
                continue;
            }
        }
        listing.subfolders.push_back(childPath(folder, name));
    }
}

void FolderScan::collect(const std::string& folder, Listing& listing,
                         std::vector<std::string>& nextLevel) {
    if (listing.failed) {
        unlisted_.push_back(folder);
        return;
    }
    for (std::string& path : listing.subfolders) {
        nextLevel.push_back(path);
        folders_.push_back(std::move(path));
    }
}

}  // namespace sorvik::engine
