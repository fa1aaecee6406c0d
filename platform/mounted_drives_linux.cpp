#include <mntent.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <string_view>
#include <unordered_set>

#include "platform/mounted_drives.h"
#include "platform/name_order.h"

namespace sorvik::platform {

namespace {

// File systems that hold no user data: the kernel's views, memory file systems that vanish at
// shutdown, read-only images and container layers.
bool isPseudoFileSystem(std::string_view type) {
    static const std::unordered_set<std::string_view> kPseudo{
        "autofs",
        "binfmt_misc",
        "bpf",
        "cgroup",
        "cgroup2",
        "configfs",
        "debugfs",
        "devpts",
        "devtmpfs",
        "efivarfs",
        "fuse.lxcfs",
        "fuse.portal",
        "fuse.gvfsd-fuse",
        "fusectl",
        "hugetlbfs",
        "mqueue",
        "nsfs",
        "overlay",
        "proc",
        "pstore",
        "ramfs",
        "rpc_pipefs",
        "securityfs",
        "selinuxfs",
        "squashfs",
        "sysfs",
        "tmpfs",
        "tracefs",
        "nfsd",
        "rootfs",
    };
    return kPseudo.contains(type);
}

Drive driveAt(std::string mountPoint, std::string_view type) {
    std::string label = mountPoint;
    if (!type.empty()) {
        label.append(" (").append(type).append(")");
    }
    return {std::move(mountPoint), std::move(label)};
}

}  // namespace

Result<std::vector<Drive>> drivesInMountTable(const std::string& mountTable) {
    const std::unique_ptr<FILE, int (*)(FILE*)> table(::setmntent(mountTable.c_str(), "re"),
                                                      &::endmntent);
    if (!table) {
        return lastSystemError(errno);
    }
    std::vector<Drive> drives{driveAt("/", "")};
    std::unordered_set<std::string> seen{"/"};
    mntent entry{};
    char buffer[4096];
    while (::getmntent_r(table.get(), &entry, buffer, sizeof buffer) != nullptr) {
        const std::string_view type = entry.mnt_type;
        std::string mountPoint = entry.mnt_dir;
        if (isPseudoFileSystem(type) || !mountPoint.starts_with('/')) {
            continue;
        }
        if (mountPoint == "/") {
            drives.front() = driveAt("/", type);
            continue;
        }
        if (seen.insert(mountPoint).second) {
            drives.push_back(driveAt(std::move(mountPoint), type));
        }
    }
    std::sort(drives.begin() + 1, drives.end(), [](const Drive& a, const Drive& b) {
        return lessIgnoringCase(a.designation, b.designation);
    });
    return drives;
}

std::vector<Drive> mountedDrives() {
    auto drives = drivesInMountTable("/proc/self/mounts");
    return drives ? std::move(*drives) : std::vector<Drive>{driveAt("/", "")};
}

}  // namespace sorvik::platform
