#pragma once

#include <windows.h>

#include <system_error>

namespace sorvik::platform {

// Private to the Windows sources of platform/. Win32 error codes as std::error_code: message()
// is the system's own text in the user's language (as UTF-8), and the codes the rest of Sorvik
// tests for compare equal to their std::errc conditions (ERROR_FILE_NOT_FOUND to
// no_such_file_or_directory, ERROR_ALREADY_EXISTS to file_exists, and so on).
const std::error_category& win32Category() noexcept;

inline std::error_code win32Error(DWORD code) {
    return {static_cast<int>(code), win32Category()};
}
inline std::error_code lastWin32Error() {
    return win32Error(::GetLastError());
}
// An NTSTATUS from the native calls, as the Win32 error the documented calls would give.
std::error_code ntStatusError(long status);

}  // namespace sorvik::platform
