#include "platform/path_lookup.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/linux/unique_fd.h"
#include "platform/path_text.h"

namespace sorvik::platform {
namespace {

EntryKind kindOfMode(mode_t mode) {
    if (S_ISREG(mode)) {
        return EntryKind::ordinaryFile;
    }
    if (S_ISDIR(mode)) {
        return EntryKind::folder;
    }
    if (S_ISLNK(mode)) {
        return EntryKind::link;
    }
    return EntryKind::other;
}

bool meansMissing(int error) {
    return error == ENOENT || error == ENOTDIR;
}

std::error_code impossiblePath() {
    return std::make_error_code(std::errc::invalid_argument);
}

Result<FileIdentity> identityOfDescriptor(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        return lastSystemError(errno);
    }
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev),
                        static_cast<std::uint64_t>(st.st_ino)};
}

}  // namespace

Result<EntryKind> lookUp(const std::string& path) {
    if (path.empty()) {
        return EntryKind::missing;
    }
    const char* system = systemPath(path);
    if (system == nullptr) {
        return impossiblePath();
    }
    struct stat st {};
    if (::stat(system, &st) == 0) {
        return kindOfMode(st.st_mode);
    }
    const int error = errno;
    if (error == ENOENT && ::lstat(system, &st) == 0) {
        return EntryKind::other;  // a link that leads nowhere
    }
    if (meansMissing(error)) {
        return EntryKind::missing;
    }
    return lastSystemError(error);
}

Result<FileIdentity> identityOf(const std::string& path) {
    const char* system = systemPath(path);
    struct stat st {};
    if (system == nullptr) {
        return impossiblePath();
    }
    if (::stat(system, &st) != 0) {
        return lastSystemError(errno);
    }
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev),
                        static_cast<std::uint64_t>(st.st_ino)};
}

Result<bool> isSameOrInside(const std::string& path, const FileIdentity& folder) {
    const char* system = systemPath(path);
    if (system == nullptr) {
        return impossiblePath();
    }
    // Climbs through ".." from the folder itself rather than cutting a resolved path's text: no
    // length limit, and every step is the real parent, however links and mounts were passed.
    UniqueFd current(::open(system, O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!current) {
        return lastSystemError(errno);
    }
    while (true) {
        const Result<FileIdentity> id = identityOfDescriptor(current.get());
        if (!id) {
            return id.error();
        }
        if (*id == folder) {
            return true;
        }
        UniqueFd parent(::openat(current.get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (!parent) {
            return lastSystemError(errno);
        }
        const Result<FileIdentity> parentId = identityOfDescriptor(parent.get());
        if (!parentId) {
            return parentId.error();
        }
        if (*parentId == *id) {
            return false;  // the root is its own parent
        }
        current = std::move(parent);
    }
}

std::error_code createFolder(const std::string& path) {
    const char* system = systemPath(path);
    if (system == nullptr) {
        return impossiblePath();
    }
    if (::mkdir(system, 0777) != 0) {
        return lastSystemError(errno);
    }
    return {};
}

std::error_code removeFile(const std::string& path) {
    const char* system = systemPath(path);
    if (system == nullptr) {
        return impossiblePath();
    }
    if (::unlink(system) != 0) {
        return lastSystemError(errno);
    }
    return {};
}

}  // namespace sorvik::platform
