#include "platform/whole_file.h"

#include <windows.h>

#include <algorithm>

#include "platform/windows/system_error.h"
#include "platform/windows/unique_handle.h"
#include "platform/windows/wide_text.h"

namespace sorvik::platform {
namespace {

constexpr DWORD kChunk = 64 * 1024;

bool isFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

// These are the program's own files and lists the user named, so the path is followed as given,
// links included. A folder, a pipe or a device is refused: only a file on a disk is read.
Result<std::string> readWholeFile(const std::string& path) {
    const Result<std::wstring> system = toSystemPath(path);
    if (!system) {
        return system.error();
    }
    UniqueHandle in(::CreateFileW(system->c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!in) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_ACCESS_DENIED && isFolder(*system)) {
            return std::make_error_code(std::errc::invalid_argument);
        }
        return win32Error(error);
    }
    if (::GetFileType(in.get()) != FILE_TYPE_DISK) {
        return std::make_error_code(std::errc::invalid_argument);
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(in.get(), &size)) {
        return lastWin32Error();
    }
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(size.QuadPart));
    std::string chunk(kChunk, '\0');
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(in.get(), chunk.data(), kChunk, &got, nullptr)) {
            return lastWin32Error();
        }
        if (got == 0) {
            return bytes;
        }
        bytes.append(chunk.data(), got);
    }
}

}  // namespace sorvik::platform
