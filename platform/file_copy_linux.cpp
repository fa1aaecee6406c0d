#include "platform/file_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sys/vfs.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <memory>
#include <string>
#include <utility>

#include "platform/linux/temporary_file.h"
#include "platform/linux/unique_fd.h"

namespace sorvik::platform {
namespace {

constexpr std::size_t kBufferSize = std::size_t{128} * 1024;

CopyResult failure(CopyStep step, int error) {
    return {step, lastSystemError(error), 0};
}

bool kernelCopyUnsupported(int error) {
    return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP ||
           error == EBADF || error == ETXTBSY;
}

// Copies one stretch of the source to the same place in the target. Explicit offsets let a copy
// leave holes between stretches and switch from the kernel call to read/write at any point.
class StretchCopier {
  public:
    StretchCopier(int in, int out) : in_(in), out_(out) {}

    // Copies bytes [begin, end); false once the source ended early (it shrank meanwhile), which
    // ends the copy too. Failures land in `result`.
    bool copy(off_t begin, off_t end, CopyResult& result) {
        off_t at = begin;
        while (at < end && !result.failed()) {
            const off_t got =
                kernelCopyWorks_ ? copyByKernel(at, end, result) : copyByBuffer(at, end, result);
            if (got == 0) {
                return false;
            }
            at += got;
        }
        return true;
    }

  private:
    // copy_file_range lets the kernel move the data without a trip through user space, and share
    // extents where the file system can. Where it cannot copy between these two files, or sees no
    // content in a file that has some (generated files on some kernels), read/write takes over.
    off_t copyByKernel(off_t at, off_t end, CopyResult& result) {
        constexpr std::uint64_t kLargestRequest = 1u << 30;
        const auto request = std::min(static_cast<std::uint64_t>(end - at), kLargestRequest);
        loff_t inAt = at;
        loff_t outAt = at;
        while (true) {
            const ssize_t copied = ::copy_file_range(in_, &inAt, out_, &outAt, request, 0);
            if (copied > 0) {
                result.bytesCopied += static_cast<std::uint64_t>(copied);
                return copied;
            }
            if (copied < 0 && errno == EINTR) {
                continue;
            }
            if ((copied == 0 && result.bytesCopied == 0) ||
                (copied < 0 && kernelCopyUnsupported(errno))) {
                kernelCopyWorks_ = false;
                return copyByBuffer(at, end, result);
            }
            if (copied < 0) {
                // The kernel call cannot tell which side failed; these are the target's.
                const int error = errno;
                const bool targetSide = error == ENOSPC || error == EFBIG || error == EDQUOT;
                result = failure(targetSide ? CopyStep::writeTarget : CopyStep::readSource, error);
            }
            return 0;
        }
    }

    off_t copyByBuffer(off_t at, off_t end, CopyResult& result) {
        thread_local std::unique_ptr<char[]> buffer(new char[kBufferSize]);
        const auto request = std::min(static_cast<std::size_t>(end - at), kBufferSize);
        while (true) {
            const ssize_t got = ::pread(in_, buffer.get(), request, at);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got < 0) {
                result = failure(CopyStep::readSource, errno);
                return 0;
            }
            if (got > 0 && !writeAllAt(out_, buffer.get(), static_cast<std::size_t>(got), at)) {
                result = failure(CopyStep::writeTarget, errno);
                return 0;
            }
            result.bytesCopied += static_cast<std::uint64_t>(got);
            return got;
        }
    }

    int in_;
    int out_;
    bool kernelCopyWorks_ = true;
};

// The stretch of data at or after `at`: [begin, end), or begin == end when only a hole is left.
// Where the file system cannot tell holes, all that is left counts as data.
std::pair<off_t, off_t> nextData(int in, off_t at, off_t size) {
    const off_t data = ::lseek(in, at, SEEK_DATA);
    if (data < 0) {
        return errno == ENXIO ? std::pair{size, size} : std::pair{at, size};
    }
    const off_t hole = ::lseek(in, data, SEEK_HOLE);
    return {std::min(data, size), hole < 0 ? size : std::min(hole, size)};
}

// Copies the source up to the size it had when it was opened, so a file that grows meanwhile is
// not followed for ever; it keeps its newer time and the next run copies it again. A source with
// fewer blocks than its size holds holes: only its data is copied and the holes stay holes, so a
// sparse disk image does not fill the backup disk.
CopyResult copyData(int in, int out, const struct stat& source) {
    CopyResult result;
    const off_t size = source.st_size;
    StretchCopier copier(in, out);
    const bool mayHaveHoles =
        static_cast<std::uint64_t>(source.st_blocks) * 512 < static_cast<std::uint64_t>(size);
    if (!mayHaveHoles) {
        copier.copy(0, size, result);
        return result;
    }
    for (off_t at = 0; at < size && !result.failed();) {
        const auto [begin, end] = nextData(in, at, size);
        if (begin == end) {
            break;
        }
        if (!copier.copy(begin, end, result)) {
            return result;
        }
        at = end;
    }
    // A hole at the end has no data to write; the length says it is there.
    if (!result.failed() && ::ftruncate(out, size) != 0) {
        result = failure(CopyStep::writeTarget, errno);
    }
    return result;
}

Result<UniqueFd> openRegularSource(int folderFd, const std::string& name, struct stat& st) {
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer for ever.
    UniqueFd in(::openat(folderFd, name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!in) {
        return lastSystemError(errno);
    }
    if (::fstat(in.get(), &st) != 0) {
        return lastSystemError(errno);
    }
    if (!S_ISREG(st.st_mode)) {
        return std::make_error_code(std::errc::invalid_argument);
    }
    // O_NONBLOCK stays: it does not change reading a regular file, and clearing it would cost
    // two more calls for every file.
    return in;
}

// True when setting the mode failed because the disk keeps no POSIX modes at all (FAT, exFAT,
// NTFS without user mapping, FUSE file systems, SMB shares): the copy stands without them. On a
// disk that holds modes the failure is a real one.
bool cannotHoldModes(int fd) {
    const int error = errno;
    if (error != EPERM && error != ENOSYS && error != EOPNOTSUPP) {
        return false;
    }
    constexpr std::array<long, 7> kModeless{0x4d44, 0x2011BAB0, 0x7366746e, 0x65735546,
                                            0x517B, 0xFF534D42, 0xFE534D42};
    struct statfs fs {};
    const bool modeless =
        ::fstatfs(fd, &fs) == 0 && std::find(kModeless.begin(), kModeless.end(),
                                             static_cast<long>(fs.f_type)) != kModeless.end();
    errno = error;
    return modeless;
}

}  // namespace

CopyResult copyFile(const Folder& from, std::string_view sourceName, const Folder& to,
                    std::string_view targetName, CopyOptions options) {
    struct stat st {};
    Result<UniqueFd> in = openRegularSource(from.nativeHandle(), std::string(sourceName), st);
    if (!in) {
        return {CopyStep::readSource, in.error(), 0};
    }
    TemporaryFile temporary(to.nativeHandle(), 0600);
    if (temporary.creationError() != 0) {
        return failure(CopyStep::writeTarget, temporary.creationError());
    }
    const CopyResult data = copyData(in->get(), temporary.fd(), st);
    if (data.failed()) {
        return data;
    }
    if (::fchmod(temporary.fd(), st.st_mode & 07777) != 0 && !cannotHoldModes(temporary.fd())) {
        return failure(CopyStep::writeTarget, errno);
    }
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (!options.setTimeAfterClose && ::futimens(temporary.fd(), times) != 0) {
        return failure(CopyStep::writeTarget, errno);
    }
    if (const int error = temporary.close()) {
        return failure(CopyStep::writeTarget, error);
    }
    if (const int error = temporary.commitAs(targetName)) {
        return failure(CopyStep::replace, error);
    }
    // The copy is whole and in place; a time that cannot be set now only costs a copy next time.
    if (options.setTimeAfterClose) {
        static_cast<void>(::utimensat(to.nativeHandle(), std::string(targetName).c_str(), times,
                                      AT_SYMLINK_NOFOLLOW));
    }
    return data;
}

CopyResult createEmptyFile(const Folder& to, std::string_view targetName) {
    TemporaryFile temporary(to.nativeHandle(), 0666);
    if (temporary.creationError() != 0) {
        return failure(CopyStep::writeTarget, temporary.creationError());
    }
    if (const int error = temporary.close()) {
        return failure(CopyStep::writeTarget, error);
    }
    if (const int error = temporary.commitAs(targetName)) {
        return failure(CopyStep::replace, error);
    }
    return {};
}

}  // namespace sorvik::platform
