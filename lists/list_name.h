#pragma once

#include <string>
#include <string_view>

namespace sorvik::lists {

// The file name a list name gives: the name followed by ".lst", exactly as typed.
std::string listFileName(std::string_view name);

// Whether a typed list name can name a list file in the program folder. An empty name is proper
// (it gives ".lst"). A name that is only blanks, holds a path separator, a control character or
// one of \ / : * ? " < > |, or whose file name would be longer than 250 bytes is not: it would
// leave the folder, fail to create, or be unusable on a Windows disk.
bool isProperListName(std::string_view name);

}  // namespace sorvik::lists
