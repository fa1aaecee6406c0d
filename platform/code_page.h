#pragma once

#include <string>
#include <string_view>

#include "platform/result.h"

namespace sorvik::platform {

// Conversions between the program's UTF-8 text and code page 932, the encoding of its files.
// Both fail with std::errc::illegal_byte_sequence rather than guess: a character code page 932
// cannot hold (or bytes that are not valid UTF-8) on the way out, bytes that are not valid code
// page 932 on the way in. Best-fit substitutions are never made, so no character ever turns into
// a path separator.
Result<std::string> toCodePage932(std::string_view utf8);
Result<std::string> fromCodePage932(std::string_view bytes);

}  // namespace sorvik::platform
