#pragma once

#include <string>
#include <string_view>

#include "platform/result.h"

namespace sorvik::platform {

// Private to the Windows sources of platform/. Paths cross Sorvik's interfaces as UTF-8 and
// become UTF-16 only at the Win32 call.

// Fails with std::errc::illegal_byte_sequence for bytes that are not UTF-8: a name is never
// guessed at.
[[nodiscard]] Result<std::wstring> toWide(std::string_view utf8);
// A lone surrogate (which NTFS names may hold) becomes U+FFFD.
[[nodiscard]] std::string toUtf8(std::wstring_view wide);

// The form of `utf8Path` to hand to a Win32 call: separators made "\", made absolute against
// the working folder, and prefixed "\\?\" (or "\\?\UNC\" for a share) so that paths over 260
// characters work and no component is trimmed of its trailing dots or blanks.
[[nodiscard]] Result<std::wstring> toSystemPath(std::string_view utf8Path);

}  // namespace sorvik::platform
