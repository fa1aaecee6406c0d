#pragma once

#include <string_view>

namespace sorvik::platform {

// The separator Sorvik puts between folder names when it builds a path.
#ifdef _WIN32
inline constexpr char kSeparator = '\\';
#else
inline constexpr char kSeparator = '/';
#endif

constexpr bool endsWithSeparator(std::string_view path) noexcept {
    return !path.empty() && path.back() == kSeparator;
}

// A path that does not depend on the working folder (POSIX: starts with "/"; Windows: a drive
// and a separator, or a UNC name).
constexpr bool isAbsolutePath(std::string_view path) noexcept {
#ifdef _WIN32
    return (path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) ||
           path.starts_with("\\\\");
#else
    return path.starts_with('/');
#endif
}

}  // namespace sorvik::platform
