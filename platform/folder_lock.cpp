#include "platform/folder_lock.h"

#include <utility>

namespace sorvik::platform {

// Moving and ending a lock are the same on every system; only release() closes a system's
// handle (folder_lock_linux.cpp, folder_lock_win.cpp).

FolderLock::FolderLock(FolderLock&& other) noexcept
    : handle_(std::exchange(other.handle_, kNone)) {}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept {
    if (this != &other) {
        release();
        handle_ = std::exchange(other.handle_, kNone);
    }
    return *this;
}

FolderLock::~FolderLock() {
    release();
}

}  // namespace sorvik::platform
