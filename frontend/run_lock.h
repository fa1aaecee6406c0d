#pragma once

#include <optional>
#include <string>

#include "platform/folder_lock.h"

namespace sorvik::frontend {

// The program folder's lock, held for as long as a run of the window or of the command-line batch
// lasts, so a scheduled batch and the window never run at the same time.
class RunLock {
  public:
    // Takes the lock of `programFolder` without waiting. A folder that cannot be locked at all
    // (none, or a file system without locks) cannot be locked by another run either, so the run
    // goes ahead without the lock then.
    static RunLock take(const std::string& programFolder);

    // True when another run holds the lock: this run must not start.
    bool heldByAnotherRun() const { return heldByAnotherRun_; }

  private:
    std::optional<platform::FolderLock> lock_;
    bool heldByAnotherRun_ = false;
};

}  // namespace sorvik::frontend
