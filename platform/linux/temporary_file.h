#pragma once

#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <string_view>

#include "platform/temporary_name.h"
#include "platform/linux/unique_fd.h"

namespace sorvik::platform {

inline constexpr int kTemporaryAttempts = 100;

// Private to the Linux sources of platform/: a temporary file created exclusively in the target
// folder, removed again unless committed.
class TemporaryFile {
  public:
    TemporaryFile(int folderFd, mode_t mode) : folderFd_(folderFd) {
        for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
            name_ = newTemporaryName();
            fd_.reset(::openat(folderFd_, name_.c_str(),
                               O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode));
            if (fd_ || errno != EEXIST) {
                break;
            }
        }
        if (!fd_) {
            error_ = errno;
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        fd_.reset();
        if (!committed_ && error_ == 0) {
            ::unlinkat(folderFd_, name_.c_str(), 0);
        }
    }

    int creationError() const { return error_; }
    int fd() const { return fd_.get(); }
    const std::string& name() const { return name_; }

    // Closing is where a full disk may show first (network and some local file systems report
    // deferred write errors only here), so its result counts.
    int close() {
        if (::close(fd_.release()) != 0) {
            return errno;
        }
        return 0;
    }

    int commitAs(std::string_view targetName) {
        const std::string target(targetName);
        if (::renameat(folderFd_, name_.c_str(), folderFd_, target.c_str()) != 0) {
            return errno;
        }
        committed_ = true;
        return 0;
    }

  private:
    int folderFd_;
    UniqueFd fd_;
    std::string name_;
    int error_ = 0;
    bool committed_ = false;
};

// Writes every byte at `offset`, going on after short writes and interruptions; false with errno
// set otherwise.
inline bool writeAllAt(int fd, const char* data, std::size_t size, off_t offset) {
    while (size > 0) {
        const ssize_t written = ::pwrite(fd, data, size, offset);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
        offset += written;
    }
    return true;
}

}  // namespace sorvik::platform
