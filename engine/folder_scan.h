#pragma once

#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "engine/run_host.h"
#include "engine/work_queue.h"
#include "platform/entry_kind.h"
#include "platform/folder.h"

namespace sorvik::engine {

// The folder tree scan: every folder under a source folder, each after its parent.
class FolderScan {
  public:
    explicit FolderScan(RunHost& host) : host_(host) {}

    // True when `top` can be scanned: an absolute path naming a folder (or a link to one), and
    // holding no character the system would cut it at.
    [[nodiscard]] static bool isScannableSource(const std::string& top);

    // Rebuilds folders() from `top`. Entry 0 is `top` exactly as given; the others
    // are the full paths of the folders below it, ordered without regard to case, so each stands
    // after its parent. A source that cannot be scanned shows the not-found message and leaves the
    // list empty. The folder `excluded` (the backup folder, when it lies inside the source) is
    // left out together with everything below it, so backups never nest. The workers of `queue`,
    // if any, list the folders of each level at once.
    void scan(const std::string& top, std::optional<platform::FileIdentity> excluded = {},
              WorkQueue* queue = nullptr);

    const std::vector<std::string>& folders() const { return folders_; }

    // Folders of the last scan whose subfolders could not be listed, in the order met.
    const std::vector<std::string>& unlistedFolders() const { return unlisted_; }

    // The source folder of the last scan, opened by its path; every folder below it is opened
    // from this handle, never through a link (see platform::Folder::openBelow).
    const platform::Folder* sourceFolder() const { return top_ ? &*top_ : nullptr; }

  private:
    // The subfolders of one folder, or that it could not be listed.
    struct Listing {
        std::vector<std::string> subfolders;  // full paths
        bool failed = false;
        std::atomic<bool> done{false};  // set on the last listing of each stretch
    };

    // One level step: lists every folder of currentLevel_, collecting the next level (also in
    // folders_) in the order of the level, then makes that level the current one.
    void scanNextLevel(WorkQueue* queue);
    void list(const std::string& folder, Listing& listing) const;
    void collect(const std::string& folder, Listing& listing, std::vector<std::string>& nextLevel);

    RunHost& host_;
    std::optional<platform::FileIdentity> excluded_;
    std::optional<platform::Folder> top_;
    std::size_t topLength_ = 0;  // the length of the source text without trailing separators
    std::vector<std::string> currentLevel_;
    std::vector<std::string> folders_;
    std::vector<std::string> unlisted_;
};

}  // namespace sorvik::engine
