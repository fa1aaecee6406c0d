#include "platform/path_lookup.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>

#include "platform/unique_fd.h"

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

Result<EntryKind> lookUpWith(const std::string& path, bool follow) {
    if (path.empty()) {
        return EntryKind::missing;
    }
    struct stat st {};
    const int rc = follow ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st);
    if (rc == 0) {
        return kindOfMode(st.st_mode);
    }
    const int error = errno;
    if (follow && error == ENOENT && ::lstat(path.c_str(), &st) == 0) {
        return EntryKind::other;  // a link that leads nowhere
    }
    if (meansMissing(error)) {
        return EntryKind::missing;
    }
    return lastSystemError(error);
}

}  // namespace

Result<EntryKind> lookUp(const std::string& path) {
    return lookUpWith(path, true);
}

Result<EntryKind> lookUpNoFollow(const std::string& path) {
    return lookUpWith(path, false);
}

Result<FileIdentity> identityOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return lastSystemError(errno);
    }
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev),
                        static_cast<std::uint64_t>(st.st_ino)};
}

Result<bool> isSameOrInside(const std::string& path, const std::string& folder) {
    const Result<FileIdentity> folderId = identityOf(folder);
    if (!folderId) {
        return folderId.error();
    }
    std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                         &std::free);
    if (!resolved) {
        return lastSystemError(errno);
    }
    // Walk from the resolved path up to the root; links are already resolved, so every step is a
    // real parent folder.
    std::string current = resolved.get();
    while (true) {
        const Result<FileIdentity> id = identityOf(current);
        if (!id) {
            return id.error();
        }
        if (*id == *folderId) {
            return true;
        }
        if (current == "/") {
            return false;
        }
        const std::size_t slash = current.find_last_of('/');
        current.resize(slash == 0 ? 1 : slash);
    }
}

std::error_code createFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0777) != 0) {
        return lastSystemError(errno);
    }
    return {};
}

std::error_code removeFile(const std::string& path) {
    if (::unlink(path.c_str()) != 0) {
        return lastSystemError(errno);
    }
    return {};
}

std::error_code syncFileSystem(const std::string& path) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_DIRECTORY));
    if (!fd) {
        return lastSystemError(errno);
    }
    if (::syncfs(fd.get()) != 0) {
        return lastSystemError(errno);
    }
    return {};
}

}  // namespace sorvik::platform
