#pragma once

#include <cstdio>
#include <string_view>

namespace sorvik::platform {

// Writes `utf8` to `stream`, a standard stream of the process. A Windows console is handed the
// text as UTF-16, so Japanese shows right whatever code page the console is set to; a file, a
// pipe or a Linux terminal gets the UTF-8 bytes as they are. A stream that cannot take the text
// (a closed pipe) loses it, never the run.
void writeToConsole(std::FILE* stream, std::string_view utf8);

}  // namespace sorvik::platform
