#include "platform/mounted_drives.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "platform/windows/wide_text.h"

namespace sorvik::platform {
namespace {

// The volume's label, or nothing. A drive without a disk in it (a card reader, an optical drive)
// answers with an error, not a "no disk" box.
std::wstring volumeLabel(const std::wstring& root) {
    DWORD previousMode = 0;
    ::SetThreadErrorMode(SEM_FAILCRITICALERRORS, &previousMode);
    wchar_t label[MAX_PATH + 1] = {};
    const BOOL known = ::GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, nullptr, nullptr,
                                               nullptr, nullptr, 0);
    ::SetThreadErrorMode(previousMode, nullptr);
    return known ? std::wstring(label) : std::wstring();
}

// Designated as "D:", which the path list puts in place of a path's own drive; shown as "D:\"
// with the volume's label, "D:\ (Backup)".
Drive driveAt(std::wstring_view root) {
    std::string shown = toUtf8(root);
    const std::wstring label = volumeLabel(std::wstring(root));
    if (!label.empty()) {
        shown.append(" (").append(toUtf8(label)).append(")");
    }
    return {toUtf8(root.substr(0, 2)), std::move(shown)};
}

// The drive Windows runs from, for when the drives cannot be listed.
Drive systemDrive() {
    wchar_t windows[MAX_PATH + 1] = {};
    const UINT length = ::GetSystemWindowsDirectoryW(windows, MAX_PATH + 1);
    return driveAt(length >= 3 && length <= MAX_PATH ? std::wstring_view(windows, 3) : L"C:\\");
}

}  // namespace

// The drive letters in use, in letter order, as "A:\", "C:\", … from GetLogicalDriveStringsW.
std::vector<Drive> mountedDrives() {
    std::wstring roots(128, L'\0');
    DWORD length = ::GetLogicalDriveStringsW(static_cast<DWORD>(roots.size()), roots.data());
    if (length > roots.size()) {
        roots.resize(length);
        length = ::GetLogicalDriveStringsW(static_cast<DWORD>(roots.size()), roots.data());
    }
    std::vector<Drive> drives;
    if (length == 0 || length > roots.size()) {
        return {systemDrive()};
    }
    for (std::wstring_view rest(roots.data(), length); !rest.empty();) {
        const std::wstring_view root = rest.substr(0, rest.find(L'\0'));
        rest.remove_prefix(std::min(rest.size(), root.size() + 1));
        if (root.size() >= 2 && root[1] == L':') {
            drives.push_back(driveAt(root));
        }
    }
    return drives;
}

}  // namespace sorvik::platform
