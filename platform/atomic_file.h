#pragma once

#include <string>
#include <string_view>
#include <system_error>

namespace sorvik::platform {

// Replaces the file at `path` with `contents` as a whole: the bytes go to a temporary file beside
// it, are flushed to disk, and the temporary is renamed over the old file. A full disk or a crash
// leaves either the old file or the new one, never a mixture. An existing file keeps its
// permission bits.
[[nodiscard]] std::error_code replaceFileContents(const std::string& path,
                                                  std::string_view contents);

}  // namespace sorvik::platform
