#include "platform/windows/system_error.h"

#include <winternl.h>

#include <string>

#include "platform/windows/wide_text.h"

namespace sorvik::platform {
namespace {

// Not in mingw-w64's headers: a look-up that met a symbolic link it was told not to follow.
constexpr DWORD kErrorStoppedOnSymlink = 681;

class Win32Category final : public std::error_category {
  public:
    const char* name() const noexcept override { return "win32"; }

    std::string message(int code) const override {
        wchar_t* text = nullptr;
        const DWORD length = ::FormatMessageW(
            FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                FORMAT_MESSAGE_IGNORE_INSERTS,
            nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
        if (length == 0 || text == nullptr) {
            return "Windows error " + std::to_string(code);
        }
        std::wstring_view wide(text, length);
        while (!wide.empty() && (wide.back() == L'\r' || wide.back() == L'\n' || wide.back() == L' ')) {
            wide.remove_suffix(1);
        }
        std::string utf8 = toUtf8(wide);
        ::LocalFree(text);
        return utf8;
    }

    std::error_condition default_error_condition(int code) const noexcept override {
        switch (static_cast<DWORD>(code)) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
            return std::errc::no_such_file_or_directory;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            return std::errc::permission_denied;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return std::errc::file_exists;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return std::errc::no_space_on_device;
        case ERROR_DIRECTORY:
            return std::errc::not_a_directory;
        case ERROR_NO_UNICODE_TRANSLATION:
            return std::errc::illegal_byte_sequence;
        case kErrorStoppedOnSymlink:
        case ERROR_CANT_ACCESS_FILE:
        case ERROR_CANT_RESOLVE_FILENAME:
            return std::errc::too_many_symbolic_link_levels;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return std::errc::not_enough_memory;
        case ERROR_INVALID_NAME:
        case ERROR_INVALID_PARAMETER:
            return std::errc::invalid_argument;
        case ERROR_DIR_NOT_EMPTY:
            return std::errc::directory_not_empty;
        case ERROR_WRITE_PROTECT:
            return std::errc::read_only_file_system;
        case ERROR_NOT_SAME_DEVICE:
            return std::errc::cross_device_link;
        case ERROR_FILENAME_EXCED_RANGE:
            return std::errc::filename_too_long;
        case ERROR_LOCK_VIOLATION:
            return std::errc::resource_unavailable_try_again;
        case ERROR_NOT_SUPPORTED:
        case ERROR_INVALID_FUNCTION:
            return std::errc::not_supported;
        default:
            return {code, *this};
        }
    }
};

}  // namespace

const std::error_category& win32Category() noexcept {
    static const Win32Category category;
    return category;
}

std::error_code ntStatusError(long status) {
    return win32Error(::RtlNtStatusToDosError(static_cast<NTSTATUS>(status)));
}

}  // namespace sorvik::platform
