#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sorvik::lists {

// Splits one line of a settings or excluded-extension file into its fields. Leading blanks are
// skipped; a field that starts with a double quote runs to the next double quote (the quotes are
// not part of it, and anything between the closing quote and the next comma is dropped); any
// other field runs to the next comma or the line end. A line without a comma is one field, and an
// empty line is one empty field.
std::vector<std::string> readFields(std::string_view line);

}  // namespace sorvik::lists
