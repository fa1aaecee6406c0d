#pragma once

#include <string>

#include "platform/result.h"

namespace sorvik::platform {

// The folder where the program keeps its backup lists, settings and error log.
//
// On Linux: `$XDG_DATA_HOME/Sorvik`, or `~/.local/share/Sorvik` when XDG_DATA_HOME is unset, empty
// or relative (the XDG base-directory rules say a relative value is ignored). The home folder is
// $HOME, or the user database's entry when HOME is unset or empty; with neither the call fails with
// std::errc::no_such_file_or_directory.
//
// On Windows: the executable's own folder, so that a copy carried on a USB drive keeps its lists
// with it, as long as a file can be created there; otherwise (under Program Files, say)
// `%APPDATA%\Sorvik`, with the profile's roaming folder standing in for APPDATA when that is unset,
// empty or relative.
//
// The folder is created when missing, parents included, each new level readable by the user
// alone (on Windows it takes its parent's access list, which in a profile is the user's alone);
// folders that already exist are left as they are. Something other than a folder in the way
// fails with std::errc::not_a_directory. The path never ends in a separator, except a Windows
// drive's root ("E:\"), which without it would name that drive's working folder.
Result<std::string> programFolder();

}  // namespace sorvik::platform
