#include "platform/atomic_file.h"

#include <windows.h>

#include <algorithm>

#include "platform/temporary_name.h"
#include "platform/windows/system_error.h"
#include "platform/windows/unique_handle.h"
#include "platform/windows/wide_text.h"

namespace sorvik::platform {
namespace {

constexpr int kTemporaryAttempts = 16;
constexpr DWORD kLargestWrite = DWORD{1} << 30;
// What an existing file's attributes say about it survives its replacement, as its permission
// bits do on POSIX: a hidden settings file stays hidden, a read-only one read-only.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// A temporary file beside the target, removed unless it has been moved into place.
struct TemporaryBeside {
    std::wstring path;
    UniqueHandle handle;
    TemporaryBeside() = default;
    TemporaryBeside(const TemporaryBeside&) = delete;
    TemporaryBeside& operator=(const TemporaryBeside&) = delete;
    ~TemporaryBeside() {
        if (!path.empty()) {
            handle.reset();
            ::DeleteFileW(path.c_str());
        }
    }
};

std::error_code createTemporary(const std::wstring& folder, TemporaryBeside& temporary) {
    for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
        const Result<std::wstring> name = toWide(newTemporaryName());
        if (!name) {
            return name.error();
        }
        std::wstring path = folder + *name;
        temporary.handle.reset(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
        if (temporary.handle) {
            temporary.path = std::move(path);
            return {};
        }
        if (::GetLastError() != ERROR_FILE_EXISTS) {
            break;
        }
    }
    return lastWin32Error();
}

std::error_code writeAll(HANDLE file, std::string_view contents) {
    while (!contents.empty()) {
        const auto request =
            static_cast<DWORD>(std::min<std::size_t>(contents.size(), kLargestWrite));
        DWORD written = 0;
        if (!::WriteFile(file, contents.data(), request, &written, nullptr)) {
            return lastWin32Error();
        }
        if (written == 0) {
            return win32Error(ERROR_DISK_FULL);
        }
        contents.remove_prefix(written);
    }
    return {};
}

// Hidden and system go on the temporary before it takes the name; read-only only once it has
// it, so that a temporary that failed to move can still be deleted.
std::error_code setHiddenAndSystem(HANDLE file, DWORD kept) {
    const DWORD attributes = kept & ~DWORD{FILE_ATTRIBUTE_READONLY};
    if (attributes == 0) {
        return {};
    }
    FILE_BASIC_INFO basic{};
    basic.FileAttributes = attributes;
    if (!::SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic)) {
        return lastWin32Error();
    }
    return {};
}

}  // namespace

// The program's own files (settings, lists) at the top of the folders the user named, so the
// temporary is made and moved by path. Windows refuses to move onto a read-only file: its
// attribute is cleared for the move, put back on the new file after it, and on the old one if
// the move fails.
std::error_code replaceFileContents(const std::string& path, std::string_view contents) {
    const Result<std::wstring> target = toSystemPath(path);
    if (!target) {
        return target.error();
    }
    const std::size_t slash = target->find_last_of(L'\\');
    const DWORD existing = ::GetFileAttributesW(target->c_str());
    const bool exists = existing != INVALID_FILE_ATTRIBUTES;
    if (slash == std::wstring::npos || slash + 1 == target->size() ||
        (exists && (existing & FILE_ATTRIBUTE_DIRECTORY) != 0)) {
        return std::make_error_code(std::errc::is_a_directory);
    }
    const DWORD kept = exists ? existing & kKeptAttributes : 0;
    TemporaryBeside temporary;
    if (const std::error_code error = createTemporary(target->substr(0, slash + 1), temporary)) {
        return error;
    }
    if (const std::error_code error = writeAll(temporary.handle.get(), contents)) {
        return error;
    }
    if (const std::error_code error = setHiddenAndSystem(temporary.handle.get(), kept)) {
        return error;
    }
    if (!::FlushFileBuffers(temporary.handle.get())) {
        return lastWin32Error();
    }
    temporary.handle.reset();
    const bool readOnly = (kept & FILE_ATTRIBUTE_READONLY) != 0;
    if (readOnly &&
        !::SetFileAttributesW(target->c_str(), existing & ~DWORD{FILE_ATTRIBUTE_READONLY})) {
        return lastWin32Error();
    }
    if (!::MoveFileExW(temporary.path.c_str(), target->c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const std::error_code error = lastWin32Error();
        if (readOnly) {
            ::SetFileAttributesW(target->c_str(), existing);
        }
        return error;
    }
    temporary.path.clear();
    if (readOnly) {
        ::SetFileAttributesW(target->c_str(), kept);
    }
    return {};
}

}  // namespace sorvik::platform
