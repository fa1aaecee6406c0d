#pragma once

#include <string>
#include <vector>

#include "platform/result.h"

namespace sorvik::lists {

// The names of the backup lists in `folder`, without the folder: the ordinary files (links to
// files count) whose name ends in ".lst" in any letter case, ordered alphabetically without regard
// to case. Sorvik's own temporary files are never among them. A folder that cannot be opened is
// an error.
platform::Result<std::vector<std::string>> listFileNames(const std::string& folder);

}  // namespace sorvik::lists
