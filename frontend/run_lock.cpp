#include "frontend/run_lock.h"

namespace sorvik::frontend {

RunLock RunLock::take(const std::string& programFolder) {
    RunLock taken;
    if (programFolder.empty()) {
        return taken;
    }
    auto lock = platform::FolderLock::tryAcquire(programFolder);
    if (lock) {
        taken.lock_.emplace(std::move(*lock));
    } else {
        taken.heldByAnotherRun_ = lock.error() == std::errc::resource_unavailable_try_again;
    }
    return taken;
}

}  // namespace sorvik::frontend
