#pragma once

#include <string>
#include <vector>

#include "platform/result.h"

namespace sorvik::platform {

// A drive the user can move a column of paths to.
struct Drive {
    std::string designation;  // Windows: "D:"; POSIX: the mount point
    std::string label;        // what the drive picker shows
};

// The machine's drives. POSIX: the mount points of mounted real file systems, the root folder
// always first, each mount point once; kernel and memory file systems (proc, sysfs, cgroup, tmpfs,
// squashfs, overlay and the like) are left out, as no backup belongs there. When the mounts cannot
// be read, the root folder alone.
std::vector<Drive> mountedDrives();

#ifndef _WIN32
// The drives named in a mount table in the format of /proc/self/mounts.
Result<std::vector<Drive>> drivesInMountTable(const std::string& mountTable);
#endif

}  // namespace sorvik::platform
