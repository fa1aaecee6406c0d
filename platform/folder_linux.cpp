#include "platform/folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/linux/unique_fd.h"
#include "platform/name_order.h"
#include "platform/path_text.h"
#include "platform/temporary_name.h"

namespace sorvik::platform {
namespace {

constexpr long kMsdosMagic = 0x4d44;
constexpr long kExfatMagic = 0x2011BAB0;
constexpr long kNtfs3Magic = 0x7366746e;

bool isDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

std::int64_t toNanoseconds(const struct timespec& ts) {
    return static_cast<std::int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

FileIdentity identityOfStat(const struct stat& st) {
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

// Reads every entry of the folder once, handing each to `visit`. getdents64 on the folder's own
// descriptor (rewound first) needs no second descriptor and no directory stream per listing; on
// large trees that is a good part of the cost of a run that finds nothing to copy.
template <class Visit>
std::error_code forEachEntry(int folderFd, Visit&& visit) {
    if (::lseek(folderFd, 0, SEEK_SET) < 0) {
        return lastSystemError(errno);
    }
    alignas(struct dirent64) static thread_local char buffer[32 * 1024];
    while (true) {
        const ssize_t got = ::getdents64(folderFd, buffer, sizeof buffer);
        if (got == 0) {
            return {};
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return lastSystemError(errno);
        }
        for (ssize_t offset = 0; offset < got;) {
            const auto* entry = reinterpret_cast<const struct dirent64*>(buffer + offset);
            offset += entry->d_reclen;
            if (!isDotOrDotDot(entry->d_name)) {
                visit(*entry);
            }
        }
    }
}

// openat2 resolves the whole relative path in the kernel from one handle and refuses every link
// on the way (Linux 5.6 and later; glibc has no wrapper). It may answer EAGAIN when a rename
// races the look-up, and ENOSYS (or EPERM under some sandboxes) where it does not exist.
int openBelowInKernel(int top, const char* relative) {
    struct open_how how {};
    how.flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
    for (int attempt = 0; attempt < 8; ++attempt) {
        const long fd = ::syscall(SYS_openat2, top, relative, &how, sizeof how);
        if (fd >= 0 || errno != EAGAIN) {
            return static_cast<int>(fd);
        }
    }
    return -1;
}

// The same one level at a time, for kernels without openat2: each level opened from the last
// with O_NOFOLLOW, so only two handles are open at once.
int openBelowStepByStep(int top, std::string_view relative) {
    UniqueFd current(::fcntl(top, F_DUPFD_CLOEXEC, 0));
    while (current && !relative.empty()) {
        const std::size_t end = relative.find('/');
        const std::string name(relative.substr(0, end));
        relative = end == std::string_view::npos ? std::string_view() : relative.substr(end + 1);
        if (name.empty() || name == ".") {
            continue;
        }
        if (name == "..") {
            errno = EXDEV;  // as openat2 refuses to leave the folder
            return -1;
        }
        current.reset(
            ::openat(current.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    }
    return current.release();
}

}  // namespace

Result<Folder> Folder::open(const std::string& path) {
    const char* system = systemPath(path);
    if (system == nullptr) {
        return std::make_error_code(std::errc::invalid_argument);
    }
    const int fd = ::open(system, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return lastSystemError(errno);
    }
    return Folder(fd);
}

Result<Folder> Folder::openBelow(std::string_view relative) const {
    const std::string path = relative.empty() ? std::string(".") : std::string(relative);
    const char* system = systemPath(path);
    if (system == nullptr) {
        return std::make_error_code(std::errc::invalid_argument);
    }
    int fd = openBelowInKernel(handle_, system);
    if (fd < 0 && (errno == ENOSYS || errno == EPERM)) {
        fd = openBelowStepByStep(handle_, path);
    }
    if (fd < 0) {
        return lastSystemError(errno);
    }
    return Folder(fd);
}

Result<EntryKind> Folder::kindOf(const std::string& name) const {
    struct stat st {};
    if (::fstatat(handle_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT) {
            return EntryKind::missing;
        }
        return lastSystemError(errno);
    }
    if (S_ISREG(st.st_mode)) {
        return EntryKind::ordinaryFile;
    }
    if (S_ISDIR(st.st_mode)) {
        return EntryKind::folder;
    }
    return S_ISLNK(st.st_mode) ? EntryKind::link : EntryKind::other;
}

std::error_code Folder::createSubfolder(const std::string& name) const {
    if (::mkdirat(handle_, name.c_str(), 0777) != 0) {
        return lastSystemError(errno);
    }
    return {};
}

std::error_code Folder::syncFileSystem() const {
    if (::syncfs(handle_) != 0) {
        return lastSystemError(errno);
    }
    return {};
}

Folder::Folder(Folder&& other) noexcept : handle_(std::exchange(other.handle_, -1)) {}

Folder& Folder::operator=(Folder&& other) noexcept {
    if (this != &other) {
        if (handle_ >= 0) {
            ::close(handle_);
        }
        handle_ = std::exchange(other.handle_, -1);
    }
    return *this;
}

Folder::~Folder() {
    if (handle_ >= 0) {
        ::close(handle_);
    }
}

Result<std::vector<std::string>> Folder::ordinaryFiles() const {
    std::vector<std::string> names;
    const std::error_code error = forEachEntry(handle_, [&](const struct dirent64& entry) {
        if (isTemporaryName(entry.d_name)) {
            return;
        }
        bool isFile = entry.d_type == DT_REG;
        if (entry.d_type == DT_LNK || entry.d_type == DT_UNKNOWN) {
            // A link counts as what it leads to; only then is a look-up needed.
            struct stat st {};
            isFile = ::fstatat(handle_, entry.d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
        }
        if (isFile) {
            names.emplace_back(entry.d_name);
        }
    });
    if (error) {
        return error;
    }
    std::sort(names.begin(), names.end(), lessIgnoringCase);
    return names;
}

Result<std::vector<std::string>> Folder::subfolders() const {
    std::vector<std::string> names;
    const std::error_code error = forEachEntry(handle_, [&](const struct dirent64& entry) {
        bool isFolder = entry.d_type == DT_DIR;
        if (entry.d_type == DT_UNKNOWN) {
            // Not following links: a link to a folder is never descended.
            struct stat st {};
            isFolder = ::fstatat(handle_, entry.d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                       S_ISDIR(st.st_mode);
        }
        if (isFolder) {
            names.emplace_back(entry.d_name);
        }
    });
    if (error) {
        return error;
    }
    return names;
}

Result<FileIdentity> Folder::identityOf(const std::string& name) const {
    struct stat st {};
    if (::fstatat(handle_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        return lastSystemError(errno);
    }
    return identityOfStat(st);
}

Result<std::vector<std::string>> Folder::leftoverTemporaries() const {
    std::vector<std::string> names;
    const std::error_code error = forEachEntry(handle_, [&](const struct dirent64& entry) {
        if ((entry.d_type == DT_REG || entry.d_type == DT_UNKNOWN) &&
            isTemporaryName(entry.d_name)) {
            names.emplace_back(entry.d_name);
        }
    });
    if (error) {
        return error;
    }
    return names;
}

Result<FileInfo> Folder::fileInfo(const std::string& name) const {
    struct stat st {};
    if (::fstatat(handle_, name.c_str(), &st, 0) != 0) {
        // Nothing there, or a link that leads nowhere: for a backup both mean "no file yet".
        if (errno == ENOENT || errno == ENOTDIR) {
            return FileInfo{};
        }
        return lastSystemError(errno);
    }
    FileInfo info;
    info.kind = S_ISREG(st.st_mode)   ? EntryKind::ordinaryFile
                : S_ISDIR(st.st_mode) ? EntryKind::folder
                                      : EntryKind::other;
    info.size = static_cast<std::uint64_t>(st.st_size);
    info.modifiedNs = toNanoseconds(st.st_mtim);
    return info;
}

// fstatat per name costs less here than reading the whole folder with every entry's facts.
std::vector<Result<FileInfo>> Folder::fileInfos(const std::vector<std::string>& names) const {
    std::vector<Result<FileInfo>> infos;
    infos.reserve(names.size());
    for (const std::string& name : names) {
        infos.push_back(fileInfo(name));
    }
    return infos;
}

std::error_code Folder::removeFile(const std::string& name) const {
    if (::unlinkat(handle_, name.c_str(), 0) != 0) {
        return lastSystemError(errno);
    }
    return {};
}

std::chrono::nanoseconds Folder::timeGranularity() const {
    using namespace std::chrono_literals;
    struct statfs fs {};
    if (::fstatfs(handle_, &fs) != 0) {
        return 1ns;
    }
    switch (static_cast<long>(fs.f_type)) {
        case kMsdosMagic:
            return 2s;
        case kExfatMagic:
            return 10ms;
        case kNtfs3Magic:
            return 100ns;
        default:
            return 1ns;
    }
}

}  // namespace sorvik::platform
