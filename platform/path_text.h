#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace sorvik::platform {

// True when `path` holds a character that no file name on this system can hold: NUL everywhere,
// and on Windows every control character too. The system would take such a path only up to that
// character, or refuse it, so it would name another file than the text Sorvik works with: a
// backup folder "/data/bk" + NUL + "x" would be written as "/data/bk".
constexpr bool hasImpossibleCharacter(std::string_view path) noexcept {
#ifdef _WIN32
    return std::ranges::any_of(path, [](char c) { return static_cast<unsigned char>(c) < 0x20; });
#else
    return path.find('\0') != std::string_view::npos;
#endif
}

// The path as the system takes it, or null when it holds a character the system cannot take.
inline const char* systemPath(const std::string& path) noexcept {
    return hasImpossibleCharacter(path) ? nullptr : path.c_str();
}

}  // namespace sorvik::platform
