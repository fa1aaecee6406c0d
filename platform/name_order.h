#pragma once

#include <string>
#include <string_view>

namespace sorvik::platform {

// Orders names and paths alphabetically without regard to letter case, the way every list of the
// program is shown. Letters are folded in the ASCII range; other bytes (Japanese names among them)
// compare as they are, so the order is the same on every machine. Names that differ only in case
// are ordered by their bytes, so the order is total. A path sorts before every path it is a prefix
// of, which keeps each folder ahead of its subfolders.
bool lessIgnoringCase(std::string_view a, std::string_view b) noexcept;

// The text with ASCII letters folded to lower case.
std::string foldCase(std::string_view text);

// True when both texts are equal once ASCII letters are folded to lower case.
bool equalIgnoringCase(std::string_view a, std::string_view b) noexcept;

}  // namespace sorvik::platform
