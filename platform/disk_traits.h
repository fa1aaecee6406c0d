#pragma once

#include <chrono>

#include "platform/folder.h"

namespace sorvik::platform {

// What a backup disk really keeps of a file, learned by trying it on the disk: a table of
// file-system types alone would be wrong for NTFS through ntfs-3g, exFAT through FUSE or a NAS
// share, and an unchanged run must copy nothing from its first comparison on.
struct DiskTraits {
    // The finest difference in modification time the disk keeps: 1 ns on ext4, 100 ns on NTFS,
    // 10 ms or 1 s on exFAT, 2 s on FAT.
    std::chrono::nanoseconds timePrecision{1};
    // A time set on a file still open is replaced by the close's own update (some network
    // shares): the time must be set by name once the file is closed and in place.
    bool setTimeAfterClose = false;
    // No way of setting a time survives on this disk: the time rule cannot work there.
    bool timesStick = true;
    // "A.txt" and "a.txt" name one file (FAT, exFAT, NTFS as Windows uses it, SMB shares).
    bool ignoresCase = false;
};

// Learns the traits of the disk that holds `folder` by making a temporary of Sorvik's own form
// there, setting its time to an odd second with sub-second digits, closing it, reading the time
// back, looking it up in the other letter case, and removing it. Where no temporary can be made
// (a read-only disk), the precision comes from the file-system type and the rest stays as on a
// POSIX disk.
[[nodiscard]] DiskTraits probeDisk(const Folder& folder);

}  // namespace sorvik::platform
