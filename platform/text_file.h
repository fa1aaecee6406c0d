#pragma once

#include <string>
#include <system_error>
#include <vector>

#include "platform/result.h"

namespace sorvik::platform {

// The program's text files: code page 932 without a byte-order mark, every line ended by CR LF.
// When a line holds a character code page 932 cannot represent, the whole file is written as UTF-8
// with a byte-order mark instead, so no path is ever lost or mangled.

// Reads every line. A file that starts with the UTF-8 byte-order mark is UTF-8, any other is code
// page 932. In a file that holds a CR LF only CR LF ends a line, so a lone LF or CR inside a name
// stays in it; in a file without any (written by hand elsewhere) a lone LF or a lone CR ends a
// line. Text after the last line end is a last line of its own. A file that does not decode fails
// with std::errc::illegal_byte_sequence.
[[nodiscard]] Result<std::vector<std::string>> readTextLines(const std::string& path);

// The bytes `writeTextLines` would write. A line that holds CR LF itself cannot be written, as it
// would read back as two: std::errc::invalid_argument.
[[nodiscard]] Result<std::string> encodeTextLines(const std::vector<std::string>& lines);

// Writes the lines, each followed by CR LF, replacing the file whole (see atomic_file.h).
[[nodiscard]] std::error_code writeTextLines(const std::string& path,
                                             const std::vector<std::string>& lines);

}  // namespace sorvik::platform
