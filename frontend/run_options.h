#pragma once

#include <string>
#include <vector>

#include "engine/run_host.h"
#include "lists/settings_file.h"

namespace sorvik::frontend {

// The rules a run applies, from the stored settings and the excluded extensions.
engine::RunOptions runOptionsFrom(const lists::Settings& settings,
                                  std::vector<std::string> excludedExtensions);

}  // namespace sorvik::frontend
