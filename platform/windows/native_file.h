#pragma once

#include <windows.h>
#include <winternl.h>

#include <string_view>
#include <system_error>

#include "platform/result.h"
#include "platform/windows/unique_handle.h"

namespace sorvik::platform {

// Private to the Windows sources of platform/. Opens, renames and deletes entries relative to
// an open folder handle through the native calls Win32 itself is built on: Win32 has no
// "openat", and a path's text could lead through a junction swapped in while a run is on.

struct NativeOpen {
    ACCESS_MASK access = FILE_READ_ATTRIBUTES | SYNCHRONIZE;
    ULONG disposition = FILE_OPEN;  // FILE_CREATE makes a new entry and fails if one exists
    ULONG options = FILE_SYNCHRONOUS_IO_NONALERT;
    ULONG attributes = FILE_ATTRIBUTE_NORMAL;  // for a new entry
    ULONG share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
};

// Opens `name`, a single component, inside `folder`. A reparse point (junction, symbolic link)
// is opened itself, never followed; the name is looked up without regard to case, as Win32
// does. A name that is empty, "." or "..", or holds "\", "/" or ":" (a stream) fails with
// std::errc::invalid_argument.
[[nodiscard]] Result<UniqueHandle> openInFolder(HANDLE folder, std::wstring_view name,
                                                const NativeOpen& how);
[[nodiscard]] Result<UniqueHandle> openInFolder(HANDLE folder, std::string_view utf8Name,
                                                const NativeOpen& how);

// Gives `file` (opened with DELETE access) the name `newName` inside `folder`, replacing an
// entry of that name when `replaceExisting`; a rename within one volume is atomic.
[[nodiscard]] std::error_code renameInFolder(HANDLE file, HANDLE folder, std::wstring_view newName,
                                             bool replaceExisting);

// Deletes the entry `file` (opened with DELETE access) once its last handle closes.
[[nodiscard]] std::error_code deleteOnClose(HANDLE file);

// Whether the open entry is a reparse point, a folder, hidden or system, and so on.
[[nodiscard]] Result<DWORD> attributesOf(HANDLE file);

}  // namespace sorvik::platform
