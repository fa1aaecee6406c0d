#include "platform/storage_kind.h"

#include <windows.h>
#include <winioctl.h>

#include <string>

#include "platform/windows/unique_handle.h"
#include "platform/windows/wide_text.h"

namespace sorvik::platform {
namespace {

// Whether the volume's disk pays a seek between requests, as Windows' own defragmenter asks it.
// Opening a volume with no access rights needs no administrator.
StorageKind kindOfVolume(const std::wstring& volumeRoot) {
    wchar_t volumeName[MAX_PATH + 1] = {};
    if (!::GetVolumeNameForVolumeMountPointW(volumeRoot.c_str(), volumeName, MAX_PATH + 1)) {
        return StorageKind::unknown;
    }
    std::wstring device(volumeName);
    if (!device.empty() && device.back() == L'\\') {
        device.pop_back();  // the volume itself, not its root folder
    }
    const UniqueHandle volume(::CreateFileW(device.c_str(), 0,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, 0, nullptr));
    if (!volume) {
        return StorageKind::unknown;
    }
    STORAGE_PROPERTY_QUERY query{};
    query.PropertyId = StorageDeviceSeekPenaltyProperty;
    query.QueryType = PropertyStandardQuery;
    DEVICE_SEEK_PENALTY_DESCRIPTOR penalty{};
    DWORD returned = 0;
    if (!::DeviceIoControl(volume.get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query,
                           &penalty, sizeof penalty, &returned, nullptr) ||
        returned < sizeof penalty) {
        return StorageKind::unknown;
    }
    return penalty.IncursSeekPenalty ? StorageKind::rotating : StorageKind::solidState;
}

}  // namespace

StorageKind storageKindOf(const std::string& path) {
    const auto wide = toWide(path);
    if (!wide) {
        return StorageKind::unknown;
    }
    // Answers for paths that do not exist yet too: it only reads the path's text and mount points.
    wchar_t root[MAX_PATH + 1] = {};
    if (!::GetVolumePathNameW(wide->c_str(), root, MAX_PATH + 1)) {
        return StorageKind::unknown;
    }
    if (::GetDriveTypeW(root) == DRIVE_REMOTE || (root[0] == L'\\' && root[1] == L'\\')) {
        return StorageKind::network;
    }
    return kindOfVolume(root);
}

}  // namespace sorvik::platform
