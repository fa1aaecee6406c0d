#pragma once

#include <cstdint>
#include <string_view>
#include <system_error>

#include "platform/folder.h"

namespace sorvik::platform {

// Which step of a replacement failed. A failure before `replace` leaves whatever stood under the
// target name untouched; only the final rename puts the new file in its place.
enum class CopyStep { none, readSource, writeTarget, replace };

// How a copy ended: `error` is empty on success, and `step` then says nothing.
struct CopyResult {
    CopyStep step = CopyStep::none;
    std::error_code error;
    std::uint64_t bytesCopied = 0;
    bool failed() const noexcept { return static_cast<bool>(error); }
};

// Copies the ordinary file `sourceName` of `from` to `targetName` in `to`. The data goes to a fresh
// temporary file in `to`, which takes the source's permission bits and modification time and is
// renamed over the target only when every write and the close have succeeded. On failure the
// temporary is removed and an existing target is still there, byte for byte. The source is opened
// without blocking and must be a regular file, so a FIFO can never hang a run. The copy takes the
// source up to the size it had when it was opened, however it grows meanwhile, and keeps its
// holes.
[[nodiscard]] CopyResult copyFile(const Folder& from, std::string_view sourceName, const Folder& to,
                                  std::string_view targetName);

// Puts an empty file under `targetName` in `to` the same way: written as a temporary, then
// renamed over whatever stood there.
[[nodiscard]] CopyResult createEmptyFile(const Folder& to, std::string_view targetName);

}  // namespace sorvik::platform
