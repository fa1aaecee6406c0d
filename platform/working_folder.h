#pragma once

#include <string>

#include "platform/result.h"

namespace sorvik::platform {

// The process's working folder, as a path in the program's own encoding.
[[nodiscard]] Result<std::string> workingFolder();

}  // namespace sorvik::platform
