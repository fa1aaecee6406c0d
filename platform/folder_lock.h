#pragma once

#include <cstdint>
#include <string>

#include "platform/result.h"

namespace sorvik::platform {

// An exclusive lock on a folder that every Sorvik process, the window and the command-line batch
// alike, takes around a run, so a scheduled run and the window never work at the same time. The
// lock is on the folder itself; no file appears in it. It is released when the object is destroyed
// or the process ends, however it ends.
//
// On POSIX this is flock() on a descriptor of the folder. Such a lock belongs to the open
// descriptor, not to the process: a second tryAcquire in the same process opens a descriptor of its
// own and fails too while the first lock is held. The descriptor is closed on exec, so programs
// started from Sorvik do not keep the lock.
class FolderLock {
  public:
    // Takes the lock without waiting. When another holder has it the call fails with
    // std::errc::resource_unavailable_try_again; any other failure (no such folder, no
    // permission) is reported as it is.
    static Result<FolderLock> tryAcquire(const std::string& folder);

    FolderLock(FolderLock&& other) noexcept;
    FolderLock& operator=(FolderLock&& other) noexcept;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    ~FolderLock();

  private:
    // A POSIX descriptor or a Windows handle; -1 (also INVALID_HANDLE_VALUE) when none is held.
    using NativeHandle = std::intptr_t;
    static constexpr NativeHandle kNone = -1;

    explicit FolderLock(NativeHandle handle) noexcept : handle_(handle) {}
    void release() noexcept;

    NativeHandle handle_ = kNone;
};

}  // namespace sorvik::platform
