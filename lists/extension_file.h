#pragma once

#include <string>
#include <system_error>
#include <vector>

#include "platform/result.h"

namespace sorvik::lists {

// The excluded-extension file "sorvik02.ini": a text file of the program (platform/text_file.h)
// with one entry per line, exactly as it was typed.

// Reads the entries in order. Each line gives its fields (see field_reader.h), so a line "a,b"
// gives the two entries a and b; an empty line gives none. A file that cannot be read or decoded
// is an error.
platform::Result<std::vector<std::string>> readExtensionFile(const std::string& path);

// Replaces the file whole; no entries make an empty file.
[[nodiscard]] std::error_code writeExtensionFile(const std::string& path,
                                   const std::vector<std::string>& entries);

}  // namespace sorvik::lists
