#include "platform/windows/wide_text.h"

#include <windows.h>

#include <algorithm>

#include "platform/path_text.h"
#include "platform/windows/system_error.h"

namespace sorvik::platform {

Result<std::wstring> toWide(std::string_view utf8) {
    if (utf8.empty()) {
        return std::wstring();
    }
    const int length = static_cast<int>(utf8.size());
    const int needed =
        ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, nullptr, 0);
    if (needed <= 0) {
        return std::make_error_code(std::errc::illegal_byte_sequence);
    }
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, wide.data(), needed);
    return wide;
}

std::string toUtf8(std::wstring_view wide) {
    if (wide.empty()) {
        return {};
    }
    const int length = static_cast<int>(wide.size());
    const int needed =
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(std::max(needed, 0)), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, utf8.data(), needed, nullptr, nullptr);
    return utf8;
}

Result<std::wstring> toSystemPath(std::string_view utf8Path) {
    if (utf8Path.empty() || hasImpossibleCharacter(utf8Path)) {
        return std::make_error_code(std::errc::invalid_argument);
    }
    auto wide = toWide(utf8Path);
    if (!wide) {
        return wide.error();
    }
    std::ranges::replace(*wide, L'/', L'\\');
    if (wide->starts_with(L"\\\\?\\")) {
        return wide;
    }
    // GetFullPathNameW resolves "." and ".." and the working folder the way Win32 calls would
    // have, before the prefix turns that processing off.
    const DWORD needed = ::GetFullPathNameW(wide->c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return lastWin32Error();
    }
    std::wstring full(needed, L'\0');
    const DWORD written = ::GetFullPathNameW(wide->c_str(), needed, full.data(), nullptr);
    if (written == 0 || written >= needed) {
        return lastWin32Error();
    }
    full.resize(written);
    if (full.starts_with(L"\\\\")) {
        return L"\\\\?\\UNC\\" + full.substr(2);
    }
    return L"\\\\?\\" + full;
}

}  // namespace sorvik::platform
