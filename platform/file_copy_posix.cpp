#include "platform/file_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <string>

#include "platform/temporary_file_posix.h"
#include "platform/unique_fd.h"

namespace sorvik::platform {
namespace {

constexpr std::size_t kBufferSize = 128 * 1024;

CopyResult failure(CopyStep step, int error) {
    return {step, lastSystemError(error), 0};
}

// Plain read/write, for file systems where the kernel cannot copy between the two files.
CopyResult copyByBuffer(int in, int out) {
    thread_local std::unique_ptr<char[]> buffer(new char[kBufferSize]);
    CopyResult result;
    while (true) {
        const ssize_t got = ::read(in, buffer.get(), kBufferSize);
        if (got == 0) {
            return result;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return failure(CopyStep::readSource, errno);
        }
        if (!writeAll(out, buffer.get(), static_cast<std::size_t>(got))) {
            return failure(CopyStep::writeTarget, errno);
        }
        result.bytesCopied += static_cast<std::uint64_t>(got);
    }
}

bool kernelCopyUnsupported(int error) {
    return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP ||
           error == EBADF || error == ETXTBSY;
}

// copy_file_range lets the kernel move the data without a trip through user space (and share
// extents where the file system can); it falls back to read/write where it is not supported.
// The copy stops at the size the source had when it was opened, which saves a last call per file;
// a file that grows meanwhile keeps its newer time and is copied whole by the next run.
// Files that report no size (empty ones, and generated ones such as those under /proc, which
// some kernels' copy_file_range reads as empty) go through read/write, which sees their content.
CopyResult copyData(int in, int out, off_t reportedSize) {
    constexpr std::uint64_t kLargestRequest = 1u << 30;
    const auto size = static_cast<std::uint64_t>(reportedSize);
    if (size == 0) {
        return copyByBuffer(in, out);
    }
    CopyResult result;
    while (result.bytesCopied < size) {
        const std::size_t request = std::min(size - result.bytesCopied, kLargestRequest);
        const ssize_t copied = ::copy_file_range(in, nullptr, out, nullptr, request, 0);
        if (copied > 0) {
            result.bytesCopied += static_cast<std::uint64_t>(copied);
            continue;
        }
        if (copied == 0) {
            // The file shrank, or the kernel cannot see its content this way.
            return result.bytesCopied == 0 ? copyByBuffer(in, out) : result;
        }
        if (errno == EINTR) {
            continue;
        }
        if (result.bytesCopied == 0 && kernelCopyUnsupported(errno)) {
            return copyByBuffer(in, out);
        }
        // The kernel call cannot tell which side failed; EFBIG and ENOSPC are the target's.
        const int error = errno;
        const bool targetSide = error == ENOSPC || error == EFBIG || error == EDQUOT;
        return failure(targetSide ? CopyStep::writeTarget : CopyStep::readSource, error);
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

}  // namespace

CopyResult copyFile(const Folder& from, std::string_view sourceName, const Folder& to,
                    std::string_view targetName) {
    struct stat st {};
    Result<UniqueFd> in = openRegularSource(from.nativeHandle(), std::string(sourceName), st);
    if (!in) {
        return {CopyStep::readSource, in.error(), 0};
    }
    TemporaryFile temporary(to.nativeHandle(), 0600);
    if (temporary.creationError() != 0) {
        return failure(CopyStep::writeTarget, temporary.creationError());
    }
    const CopyResult data = copyData(in->get(), temporary.fd(), st.st_size);
    if (data.failed()) {
        return data;
    }
    if (::fchmod(temporary.fd(), st.st_mode & 07777) != 0) {
        return failure(CopyStep::writeTarget, errno);
    }
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (::futimens(temporary.fd(), times) != 0) {
        return failure(CopyStep::writeTarget, errno);
    }
    if (const int error = temporary.close()) {
        return failure(CopyStep::writeTarget, error);
    }
    if (const int error = temporary.commitAs(targetName)) {
        return failure(CopyStep::replace, error);
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
