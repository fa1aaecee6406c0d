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

bool FolderScan::isScannableSource(const std::string& Path) {
    if (!platform::isAbsolutePath(Path) || platform::hasImpossibleCharacter(Path)) {
        return false;
    }
    const auto kind = platform::lookUp(Path);
    return kind && *kind == platform::EntryKind::folder;
}

void FolderScan::fldsch(const std::string& Path, std::optional<platform::FileIdentity> excluded) {
    fldList2_.clear();
    unlisted_.clear();
    top_.reset();
    if (!isScannableSource(Path)) {
        host_.showMessage({std::string(text::kSourceNotFound), {}, Path});
        return;
    }
    excluded_ = excluded;
    topLength_ = withoutTrailingSeparators(Path).size();
    fldList1_.clear();
    if (auto top = platform::Folder::open(Path)) {
        top_.emplace(std::move(*top));
        collectSubfolders(Path, fldList1_);
    } else {
        unlisted_.push_back(Path);
    }
    fldList3_.assign({"a"});  // only makes the level loop start; the first step drops it
    host_.setCaption(text::kScanning);
    while (!fldList3_.empty()) {
        fldSch1();
    }
    // Collected first and sorted once: every folder sorts after its parent, whose entry is a
    // prefix of its own. The source text is put in front rather than sorted in: written with more
    // than one trailing separator ("src//") it is no prefix of its subfolders ("src/-x").
    std::sort(fldList2_.begin(), fldList2_.end(), platform::lessIgnoringCase);
    fldList2_.insert(fldList2_.begin(), Path);
}

void FolderScan::fldSch1() {
    fldList3_.clear();
    for (const std::string& folder : fldList1_) {
        collectSubfolders(folder, fldList3_);
    }
    fldList1_ = fldList3_;
}

void FolderScan::collectSubfolders(const std::string& folder, std::vector<std::string>& nextLevel) {
    // Found as real folders, never through a link: one swapped in since fails to open.
    auto opened = top_->openBelow(relativePart(folder, topLength_));
    auto subfolders =
        opened ? opened->subfolders() : platform::Result<std::vector<std::string>>(opened.error());
    if (!subfolders) {
        unlisted_.push_back(folder);
        return;
    }
    for (const std::string& name : *subfolders) {
        if (excluded_) {
            const auto identity = opened->identityOf(name);
            if (identity && *identity == *excluded_) {
                continue;
            }
        }
        std::string path = childPath(folder, name);
        nextLevel.push_back(path);
        fldList2_.push_back(std::move(path));
    }
}

}  // namespace sorvik::engine
