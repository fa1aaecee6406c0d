#include "platform/file_copy.h"

#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>

#include "platform/temporary_name.h"
#include "platform/windows/native_file.h"
#include "platform/windows/system_error.h"
#include "platform/windows/wide_text.h"

namespace sorvik::platform {
namespace {

// Large requests keep the calls per megabyte few; the buffer is made once per thread.
constexpr DWORD kBufferSize = DWORD{1} << 20;
constexpr int kTemporaryAttempts = 16;

// The attributes a copy takes from its source. Read-only marks a file its owner meant to keep
// as it is, and the backup says so too; hidden and system describe the source folder's view
// and are left to it.
constexpr DWORD kCarriedAttributes = FILE_ATTRIBUTE_READONLY;
// The attributes a handle may set; the rest (folder, sparse, reparse point) belong to the file
// system.
constexpr DWORD kSettableAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                      FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                                      FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

CopyResult failure(CopyStep step, std::error_code error) {
    return {step, error, 0};
}

bool isWin32Error(const std::error_code& error, DWORD code) {
    return error.category() == win32Category() && static_cast<DWORD>(error.value()) == code;
}

// Sets the attributes (and nothing else) of an open file; 0 clears them all.
std::error_code setAttributes(HANDLE file, DWORD attributes) {
    FILE_BASIC_INFO basic{};
    const DWORD settable = attributes & kSettableAttributes;
    basic.FileAttributes = settable == 0 ? FILE_ATTRIBUTE_NORMAL : settable;
    if (!::SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic)) {
        return lastWin32Error();
    }
    return {};
}

struct Source {
    UniqueHandle handle;
    FILE_BASIC_INFO basic{};
    std::uint64_t size = 0;
};

// Opens an ordinary file of `folder` for reading. A reparse point is opened itself and refused:
// a link or junction swapped in for a file must not lead the copy elsewhere.
Result<Source> openOrdinarySource(HANDLE folder, std::string_view name) {
    NativeOpen how;
    how.access = GENERIC_READ | SYNCHRONIZE;
    how.options = FILE_NON_DIRECTORY_FILE | FILE_SEQUENTIAL_ONLY | FILE_SYNCHRONOUS_IO_NONALERT;
    Result<UniqueHandle> opened = openInFolder(folder, name, how);
    if (!opened) {
        return opened.error();
    }
    Source source{std::move(*opened)};
    FILE_STANDARD_INFO standard{};
    if (!::GetFileInformationByHandleEx(source.handle.get(), FileBasicInfo, &source.basic,
                                        sizeof source.basic) ||
        !::GetFileInformationByHandleEx(source.handle.get(), FileStandardInfo, &standard,
                                        sizeof standard)) {
        return lastWin32Error();
    }
    if ((source.basic.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return std::make_error_code(std::errc::too_many_symbolic_link_levels);
    }
    if (standard.Directory || ::GetFileType(source.handle.get()) != FILE_TYPE_DISK) {
        return std::make_error_code(std::errc::invalid_argument);
    }
    source.size = static_cast<std::uint64_t>(standard.EndOfFile.QuadPart);
    return source;
}

// Windows refuses to rename onto a read-only file, and an old backup is read-only whenever its
// source was, because the copy carries the attribute. So the old file's read-only attribute is
// cleared (through a handle of its own, never through a reparse point), the rename is tried
// again, and the attribute is put back when the rename still fails: the old backup then stays as
// it was. The handle is closed before the rename, which cannot replace an open file.
std::error_code renameOverReadOnly(HANDLE file, HANDLE folder, std::wstring_view name,
                                   std::error_code refused) {
    NativeOpen how;
    how.access = FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | SYNCHRONIZE;
    how.options = FILE_NON_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT;
    Result<UniqueHandle> old = openInFolder(folder, name, how);
    if (!old) {
        return refused;
    }
    const Result<DWORD> attributes = attributesOf(old->get());
    if (!attributes || (*attributes & FILE_ATTRIBUTE_READONLY) == 0 ||
        (*attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
        setAttributes(old->get(), *attributes & ~DWORD{FILE_ATTRIBUTE_READONLY})) {
        return refused;
    }
    old->reset();
    const std::error_code error = renameInFolder(file, folder, name, true);
    if (error) {
        Result<UniqueHandle> again = openInFolder(folder, name, how);
        const Result<DWORD> now = again ? attributesOf(again->get()) : again.error();
        if (now && (*now & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
            static_cast<void>(setAttributes(again->get(), *now | FILE_ATTRIBUTE_READONLY));
        }
    }
    return error;
}

// A fresh temporary file in a folder, deleted again unless it is committed under its real name.
class TemporaryTarget {
  public:
    static Result<TemporaryTarget> createIn(HANDLE folder) {
        NativeOpen how;
        how.access = GENERIC_WRITE | DELETE | FILE_WRITE_ATTRIBUTES | SYNCHRONIZE;
        how.disposition = FILE_CREATE;
        how.options = FILE_NON_DIRECTORY_FILE | FILE_SEQUENTIAL_ONLY | FILE_SYNCHRONOUS_IO_NONALERT;
        how.share = FILE_SHARE_READ;
        std::error_code error;
        for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
            Result<UniqueHandle> created = openInFolder(folder, newTemporaryName(), how);
            if (created) {
                return TemporaryTarget(std::move(*created));
            }
            error = created.error();
            if (error != std::errc::file_exists) {
                break;
            }
        }
        return error;
    }

    TemporaryTarget(TemporaryTarget&& other) noexcept
        : handle_(std::move(other.handle_)), committed_(other.committed_) {}
    TemporaryTarget& operator=(TemporaryTarget&&) = delete;
    ~TemporaryTarget() { close(); }

    HANDLE get() const noexcept { return handle_.get(); }

    // Gives the temporary the name `name` in `folder`, replacing what stood there; from then on
    // it is the real file, still open until close().
    std::error_code commitAs(HANDLE folder, std::wstring_view name) {
        std::error_code error = renameInFolder(handle_.get(), folder, name, true);
        if (isWin32Error(error, ERROR_ACCESS_DENIED)) {
            error = renameOverReadOnly(handle_.get(), folder, name, error);
        }
        committed_ = !error;
        return error;
    }

    // Closes the file, deleting it first unless it was committed.
    void close() noexcept {
        if (handle_ && !committed_) {
            static_cast<void>(deleteOnClose(handle_.get()));
        }
        handle_.reset();
    }

  private:
    explicit TemporaryTarget(UniqueHandle handle) noexcept : handle_(std::move(handle)) {}

    UniqueHandle handle_;
    bool committed_ = false;
};

// Copies the source up to the size it had when it was opened, so a file that grows meanwhile is
// not followed for ever; one that shrinks ends the copy where it ends.
CopyResult copyData(HANDLE in, HANDLE out, std::uint64_t size) {
    thread_local std::unique_ptr<char[]> buffer(new char[kBufferSize]);
    CopyResult result;
    if (size > kBufferSize) {
        // Reserving the whole length at once keeps a large file in few pieces on the disk.
        FILE_ALLOCATION_INFO allocation{};
        allocation.AllocationSize.QuadPart = static_cast<LONGLONG>(size);
        static_cast<void>(
            ::SetFileInformationByHandle(out, FileAllocationInfo, &allocation, sizeof allocation));
    }
    while (result.bytesCopied < size) {
        const auto request =
            static_cast<DWORD>(std::min<std::uint64_t>(size - result.bytesCopied, kBufferSize));
        DWORD got = 0;
        if (!::ReadFile(in, buffer.get(), request, &got, nullptr)) {
            return failure(CopyStep::readSource, lastWin32Error());
        }
        if (got == 0) {
            break;
        }
        DWORD written = 0;
        if (!::WriteFile(out, buffer.get(), got, &written, nullptr)) {
            return failure(CopyStep::writeTarget, lastWin32Error());
        }
        if (written != got) {
            return failure(CopyStep::writeTarget, win32Error(ERROR_DISK_FULL));
        }
        result.bytesCopied += got;
    }
    return result;
}

// The source's modification and access times, in the 100 ns steps NTFS keeps, set through the
// open temporary. A time set explicitly on a handle is no longer updated by that handle's writes
// or its close.
std::error_code takeTimes(HANDLE out, const FILE_BASIC_INFO& source) {
    FILE_BASIC_INFO basic{};
    basic.LastWriteTime = source.LastWriteTime;
    basic.LastAccessTime = source.LastAccessTime;
    if (!::SetFileInformationByHandle(out, FileBasicInfo, &basic, sizeof basic)) {
        return lastWin32Error();
    }
    return {};
}

// The carried attributes go on only once the copy has its name, so a temporary a killed run
// left behind is never read-only and the next run can remove it. A copy in place that could not
// take them is still a whole copy and does not fail.
void takeAttributesInPlace(HANDLE out, const FILE_BASIC_INFO& source) {
    const DWORD carried = source.FileAttributes & kCarriedAttributes;
    if (carried == 0) {
        return;
    }
    if (const Result<DWORD> current = attributesOf(out)) {
        static_cast<void>(setAttributes(out, *current | carried));
    }
}

// For a disk that replaces a time set on an open file: set once the copy is closed and in place.
// A time that cannot be set now only costs a copy next time.
void setTimeInPlace(HANDLE folder, std::wstring_view name, const FILE_BASIC_INFO& source) {
    NativeOpen how;
    how.access = FILE_WRITE_ATTRIBUTES | SYNCHRONIZE;
    how.options = FILE_NON_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT;
    Result<UniqueHandle> target = openInFolder(folder, name, how);
    if (!target) {
        return;
    }
    FILE_BASIC_INFO basic{};
    basic.LastWriteTime = source.LastWriteTime;
    basic.LastAccessTime = source.LastAccessTime;
    static_cast<void>(
        ::SetFileInformationByHandle(target->get(), FileBasicInfo, &basic, sizeof basic));
}

}  // namespace

// Data path: a read/write loop on handles opened relative to the folders. CopyFileExW could
// offload the copy (to an SMB server, say) but takes paths, and writing the temporary by its
// path text would let a junction swapped in for the target folder redirect it; under Wine it
// was no faster (bench/copy_methods_win.cpp).
//
// Durability: the temporary's data is flushed (FlushFileBuffers) before it is renamed into
// place. NTFS journals names and sizes but not data, so without the flush a power cut could
// leave a renamed-in backup of the right size and time holding zeros where the old backup was
// good, and the next run's rules would take it for current. A volume-wide flush at the end of a
// run, as Linux does with one syncfs, needs administrator rights on Windows; with every file's
// data flushed here, Folder::syncFileSystem only has to make the last renames durable. Under
// Wine the flush cost 0.7 to 1.9 ms for each small file, up to twice the copy's own time for
// 4 KiB files.
CopyResult copyFile(const Folder& from, std::string_view sourceName, const Folder& to,
                    std::string_view targetName, CopyOptions options) {
    const auto toFolder = static_cast<HANDLE>(to.nativeHandle());
    const Result<std::wstring> name = toWide(targetName);
    if (!name) {
        return failure(CopyStep::replace, name.error());
    }
    const Result<Source> source =
        openOrdinarySource(static_cast<HANDLE>(from.nativeHandle()), sourceName);
    if (!source) {
        return failure(CopyStep::readSource, source.error());
    }
    Result<TemporaryTarget> temporary = TemporaryTarget::createIn(toFolder);
    if (!temporary) {
        return failure(CopyStep::writeTarget, temporary.error());
    }
    const CopyResult data = copyData(source->handle.get(), temporary->get(), source->size);
    if (data.failed()) {
        return data;
    }
    if (!options.setTimeAfterClose) {
        if (const std::error_code error = takeTimes(temporary->get(), source->basic)) {
            return failure(CopyStep::writeTarget, error);
        }
    }
    if (!::FlushFileBuffers(temporary->get())) {
        return failure(CopyStep::writeTarget, lastWin32Error());
    }
    if (const std::error_code error = temporary->commitAs(toFolder, *name)) {
        return failure(CopyStep::replace, error);
    }
    takeAttributesInPlace(temporary->get(), source->basic);
    if (options.setTimeAfterClose) {
        temporary->close();
        setTimeInPlace(toFolder, *name, source->basic);
    }
    return data;
}

// An empty file has no data a power cut could lose, so it is not flushed.
CopyResult createEmptyFile(const Folder& to, std::string_view targetName) {
    const auto toFolder = static_cast<HANDLE>(to.nativeHandle());
    const Result<std::wstring> name = toWide(targetName);
    if (!name) {
        return failure(CopyStep::replace, name.error());
    }
    Result<TemporaryTarget> temporary = TemporaryTarget::createIn(toFolder);
    if (!temporary) {
        return failure(CopyStep::writeTarget, temporary.error());
    }
    if (const std::error_code error = temporary->commitAs(toFolder, *name)) {
        return failure(CopyStep::replace, error);
    }
    return {};
}

}  // namespace sorvik::platform
