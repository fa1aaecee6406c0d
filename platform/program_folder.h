#pragma once

#include <string>

#include "platform/result.h"

namespace sorvik::platform {

// The folder where the program keeps its backup lists, settings and error log:
// `$XDG_DATA_HOME/Sorvik`, or `~/.local/share/Sorvik` when XDG_DATA_HOME is unset, empty or
// relative (the XDG base-directory rules say a relative value is ignored). The home folder is
// $HOME, or the user database's entry when HOME is unset or empty; with neither the call fails with
// std::errc::no_such_file_or_directory.
//
// The folder is created when missing, parents included, each new level readable by the user
// alone; folders that already exist are left as they are. Something other than a folder in the
// way fails with std::errc::not_a_directory. The path never ends in a separator.
Result<std::string> programFolder();

}  // namespace sorvik::platform
