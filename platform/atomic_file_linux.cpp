#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/linux/temporary_file.h"
#include "platform/linux/unique_fd.h"
#include "platform/path_text.h"
#include "platform/result.h"

namespace sorvik::platform {
namespace {

struct SplitPath {
    std::string folder;
    std::string name;
};

SplitPath splitPath(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return {".", path};
    }
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

}  // namespace

std::error_code replaceFileContents(const std::string& path, std::string_view contents) {
    const SplitPath parts = splitPath(path);
    if (parts.name.empty()) {
        return std::make_error_code(std::errc::is_a_directory);
    }
    if (hasImpossibleCharacter(path)) {
        return std::make_error_code(std::errc::invalid_argument);
    }
    UniqueFd folder(::open(parts.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder) {
        return lastSystemError(errno);
    }
    TemporaryFile temporary(folder.get(), 0666);
    if (temporary.creationError() != 0) {
        return lastSystemError(temporary.creationError());
    }
    if (!writeAllAt(temporary.fd(), contents.data(), contents.size(), 0)) {
        return lastSystemError(errno);
    }
    struct stat existing {};
    if (::fstatat(folder.get(), parts.name.c_str(), &existing, 0) == 0 &&
        S_ISREG(existing.st_mode) && ::fchmod(temporary.fd(), existing.st_mode & 07777) != 0) {
        return lastSystemError(errno);
    }
    if (::fsync(temporary.fd()) != 0) {
        return lastSystemError(errno);
    }
    if (const int error = temporary.close()) {
        return lastSystemError(error);
    }
    if (const int error = temporary.commitAs(parts.name)) {
        return lastSystemError(error);
    }
    return {};
}

}  // namespace sorvik::platform
