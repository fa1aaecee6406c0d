#include "platform/storage_kind.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <fstream>
#include <string_view>

namespace sorvik::platform {
namespace {

// NFS, SMB (old and new), CIFS, 9P, Ceph, AFS, Coda and NCP.
constexpr std::array<long, 9> kNetworkFileSystems{
    0x6969, 0x517B, 0xFF534D42, 0xFE534D42, 0x01021997, 0x00C36400, 0x5346414F, 0x73757245, 0x564C};

// The name of the driver of a disk or of the disk a partition lies on, empty when it has none.
std::string driverOf(const std::string& device) {
    for (const char* link : {"/device/driver", "/../device/driver"}) {
        char target[PATH_MAX];
        const ssize_t length = ::readlink((device + link).c_str(), target, sizeof target - 1);
        if (length > 0) {
            const std::string_view path(target, static_cast<std::size_t>(length));
            return std::string(path.substr(path.find_last_of('/') + 1));
        }
    }
    return {};
}

// The block device's own "rotational" flag; a partition has none and takes its disk's. A virtual
// machine's disk says "rotational" by default, whatever stores it, so its flag tells nothing.
StorageKind kindOfBlockDevice(dev_t device) {
    const std::string base =
        "/sys/dev/block/" + std::to_string(major(device)) + ":" + std::to_string(minor(device));
    const std::string driver = driverOf(base);
    if (driver == "virtio_blk" || driver == "vbd" || driver == "xen_blkfront") {
        return StorageKind::unknown;
    }
    for (const char* flag : {"/queue/rotational", "/../queue/rotational"}) {
        std::ifstream file(base + flag);
        char value = 0;
        if (file >> value) {
            return value == '1' ? StorageKind::rotating : StorageKind::solidState;
        }
    }
    return StorageKind::unknown;
}

}  // namespace

StorageKind storageKindOf(const std::string& path) {
    std::string existing = path;
    struct statfs fs {};
    struct stat st {};
    while (::statfs(existing.c_str(), &fs) != 0 || ::stat(existing.c_str(), &st) != 0) {
        const std::size_t slash = existing.find_last_of('/', existing.size() - 2);
        if ((errno != ENOENT && errno != ENOTDIR) || existing.size() < 2 ||
            slash == std::string::npos) {
            return StorageKind::unknown;
        }
        existing.resize(slash + 1);
    }
    if (std::find(kNetworkFileSystems.begin(), kNetworkFileSystems.end(),
                  static_cast<long>(fs.f_type)) != kNetworkFileSystems.end()) {
        return StorageKind::network;
    }
    // Device 0:N is no block device: tmpfs, overlay, btrfs subvolumes and the like.
    return major(st.st_dev) == 0 ? StorageKind::unknown : kindOfBlockDevice(st.st_dev);
}

}  // namespace sorvik::platform
