#include "platform/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/linux/unique_fd.h"
#include "platform/path_text.h"

namespace sorvik::platform {

Result<FolderLock> FolderLock::tryAcquire(const std::string& folder) {
    const char* system = systemPath(folder);
    if (system == nullptr) {
        return std::make_error_code(std::errc::invalid_argument);
    }
    UniqueFd fd(::open(system, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd) {
        return lastSystemError(errno);
    }
    while (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) {
            continue;
        }
        if (errno == EWOULDBLOCK) {
            return std::make_error_code(std::errc::resource_unavailable_try_again);
        }
        return lastSystemError(errno);
    }
    return FolderLock(fd.release());
}

// Closing the only descriptor of the open file releases the lock.
void FolderLock::release() noexcept {
    if (handle_ != kNone) {
        ::close(static_cast<int>(std::exchange(handle_, kNone)));
    }
}

}  // namespace sorvik::platform
