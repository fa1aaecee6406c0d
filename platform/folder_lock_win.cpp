#include "platform/folder_lock.h"

#include <windows.h>

#include <utility>

#include "platform/windows/system_error.h"
#include "platform/windows/unique_handle.h"
#include "platform/windows/wide_text.h"

namespace sorvik::platform {
namespace {

// The lock is a handle of the folder itself holding the right to add files to it
// (FILE_ADD_FILE) while sharing that right with nobody. A second holder asks for the same and
// meets a sharing violation, whatever path or link led it to the folder, in this process or
// another, and on a network share too, where the server checks the sharing. Everyone else may
// still list, read, change, rename and delete: Sorvik's own folder handles, Explorer and other
// programs create files without opening the folder for writing. No file appears, and the
// system closes the handle when the process ends however it ends, so nothing is left to block
// the next start.
//
// The price: while the lock is held, no handle of the folder itself may ask for a right of the
// write kind (FILE_ADD_FILE, FILE_ADD_SUBDIRECTORY) or refuse to share writing, Sorvik's own
// Folder handles included; they only list and traverse. Asking for DELETE instead would spare
// them, but would also ask for the right to delete the folder, which a drive's top folder (a
// common backup folder) or a folder the user may only fill can refuse.
constexpr DWORD kLockAccess = FILE_ADD_FILE | SYNCHRONIZE;
constexpr DWORD kLockSharing = FILE_SHARE_READ | FILE_SHARE_DELETE;

bool isFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

Result<FolderLock> FolderLock::tryAcquire(const std::string& folder) {
    const Result<std::wstring> path = toSystemPath(folder);
    if (!path) {
        return path.error();
    }
    // The handle is not inherited, so programs started from Sorvik do not keep the lock.
    UniqueHandle handle(::CreateFileW(path->c_str(), kLockAccess, kLockSharing, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_SHARING_VIOLATION && isFolder(*path)) {
            return std::make_error_code(std::errc::resource_unavailable_try_again);
        }
        return win32Error(error);
    }
    BY_HANDLE_FILE_INFORMATION information{};
    if (!::GetFileInformationByHandle(handle.get(), &information)) {
        return lastWin32Error();
    }
    if ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return win32Error(ERROR_DIRECTORY);
    }
    return FolderLock(reinterpret_cast<NativeHandle>(handle.release()));
}

// Closing the only handle of the lock releases it.
void FolderLock::release() noexcept {
    if (handle_ != kNone) {
        ::CloseHandle(reinterpret_cast<HANDLE>(std::exchange(handle_, kNone)));
    }
}

}  // namespace sorvik::platform
