#pragma once

#include <string>

#include "platform/result.h"

namespace sorvik::platform {

// The whole contents of an ordinary file (a link to one counts). Anything else at the path, a
// FIFO above all, is refused with std::errc::invalid_argument without waiting on it.
[[nodiscard]] Result<std::string> readWholeFile(const std::string& path);

}  // namespace sorvik::platform
