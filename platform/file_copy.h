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

// What the disk of the target needs of a copy (see disk_traits.h).
struct CopyOptions {
    // Set the modification time by name once the copy is closed and in place, because this disk
    // replaces a time set on an open file by the close's own update.
    bool setTimeAfterClose = false;
};

// Copies the ordinary file `sourceName` of `from` to `targetName` in `to`. The data goes to a fresh
// temporary file in `to`, which takes the source's permission bits and modification time and is
// renamed over the target only when every write and the close have succeeded. On failure the
// temporary is removed and an existing target is still there, byte for byte. The source is opened
// without blocking and must be a regular file, so a FIFO can never hang a run. The copy takes the
// source up to the size it had when it was opened, however it grows meanwhile, and keeps its
// holes. On a disk that keeps no POSIX modes (FAT, exFAT, NTFS, FUSE, SMB) a mode it refuses to
// take does not fail the copy.
[[nodiscard]] CopyResult copyFile(const Folder& from, std::string_view sourceName, const Folder& to,
                                  std::string_view targetName, CopyOptions options = {});

// Puts an empty file under `targetName` in `to` the same way: written as a temporary, then
// renamed over whatever stood there.
[[nodiscard]] CopyResult createEmptyFile(const Folder& to, std::string_view targetName);

}  // namespace sorvik::platform
