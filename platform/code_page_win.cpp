#include "platform/code_page.h"

#include <windows.h>

#include <algorithm>
#include <climits>

#include "platform/windows/wide_text.h"

namespace sorvik::platform {
namespace {

constexpr UINT kCodePage932 = 932;

std::error_code notText() {
    return std::make_error_code(std::errc::illegal_byte_sequence);
}

// Windows reads the single bytes 0x80, 0xA0 and 0xFD to 0xFF, which stand for no character in
// code page 932, as U+0080 and U+F8F0 to U+F8F3 (Wine only the first). Linux refuses them, and a
// list read on one system must read the same on the other.
bool isStrayByteCharacter(wchar_t c) {
    return c == 0x0080 || (c >= 0xF8F0 && c <= 0xF8F3);
}

}  // namespace

Result<std::string> toCodePage932(std::string_view utf8) {
    if (utf8.empty()) {
        return std::string();
    }
    const Result<std::wstring> wide = toWide(utf8);
    if (!wide) {
        return wide.error();
    }
    if (wide->size() > INT_MAX / 2) {
        return std::make_error_code(std::errc::value_too_large);
    }
    // Without WC_NO_BEST_FIT_CHARS Windows would write "¥" as 0x5C, a backslash, and a path
    // separator; with it, every character without a place of its own becomes the default
    // character, which we refuse.
    const int length = static_cast<int>(wide->size());
    BOOL usedDefaultChar = FALSE;
    const int needed = ::WideCharToMultiByte(kCodePage932, WC_NO_BEST_FIT_CHARS, wide->data(),
                                             length, nullptr, 0, nullptr, &usedDefaultChar);
    if (needed <= 0 || usedDefaultChar) {
        return notText();
    }
    std::string bytes(static_cast<std::size_t>(needed), '\0');
    ::WideCharToMultiByte(kCodePage932, WC_NO_BEST_FIT_CHARS, wide->data(), length, bytes.data(),
                          needed, nullptr, nullptr);
    // The table may still hold one-way entries (Wine's writes U+F8F0 as 0xA0, which reads back
    // as nothing): only text that reads back exactly as it was may be written, as on Linux.
    const Result<std::string> back = fromCodePage932(bytes);
    if (!back || *back != utf8) {
        return notText();
    }
    return bytes;
}

Result<std::string> fromCodePage932(std::string_view bytes) {
    if (bytes.empty()) {
        return std::string();
    }
    if (bytes.size() > INT_MAX) {
        return std::make_error_code(std::errc::value_too_large);
    }
    const int length = static_cast<int>(bytes.size());
    const int needed =
        ::MultiByteToWideChar(kCodePage932, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
    if (needed <= 0) {
        return notText();
    }
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    ::MultiByteToWideChar(kCodePage932, MB_ERR_INVALID_CHARS, bytes.data(), length, wide.data(),
                          needed);
    if (std::ranges::any_of(wide, isStrayByteCharacter)) {
        return notText();
    }
    return toUtf8(wide);
}

}  // namespace sorvik::platform
