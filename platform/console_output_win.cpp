#include "platform/console_output.h"

#include <io.h>
#include <windows.h>

#include <algorithm>
#include <climits>
#include <string>

namespace sorvik::platform {
namespace {

// Old consoles refuse a single write much over 64 KiB; a path shown whole can be longer.
constexpr std::size_t kLongestWrite = 8192;

// The console behind `stream`, or null when the stream goes to a file or a pipe.
HANDLE consoleOf(std::FILE* stream) {
    const int descriptor = ::_fileno(stream);
    if (descriptor < 0) {
        return nullptr;
    }
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(descriptor));
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode) ? handle : nullptr;
}

// Bytes that are not UTF-8 show as U+FFFD rather than cost the whole line: what is shown is only
// ever shown, never used as a name.
std::wstring shownAsWide(std::string_view utf8) {
    if (utf8.empty()) {
        return {};
    }
    const int length = static_cast<int>(std::min<std::size_t>(utf8.size(), INT_MAX));
    const int needed = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(needed, 0)), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, wide.data(), needed);
    return wide;
}

bool isLeadSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

void writeWide(HANDLE console, std::wstring_view text) {
    while (!text.empty()) {
        std::size_t chunk = std::min(text.size(), kLongestWrite);
        // A character outside the basic plane is two UTF-16 units: never split them.
        if (chunk < text.size() && isLeadSurrogate(text[chunk - 1])) {
            --chunk;
        }
        DWORD written = 0;
        if (!::WriteConsoleW(console, text.data(), static_cast<DWORD>(chunk), &written, nullptr) ||
            written == 0) {
            return;
        }
        text.remove_prefix(std::min<std::size_t>(written, chunk));
    }
}

}  // namespace

void writeToConsole(std::FILE* stream, std::string_view utf8) {
    const HANDLE console = consoleOf(stream);
    if (console == nullptr) {
        // In text mode, as the C library opens them, the standard streams end lines with CR LF
        // in a file or pipe, as other Windows tools do.
        std::fwrite(utf8.data(), 1, utf8.size(), stream);
        return;
    }
    // Whatever the stream still holds goes first, to keep the order of the text.
    std::fflush(stream);
    writeWide(console, shownAsWide(utf8));
}

}  // namespace sorvik::platform
