#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "platform/entry_kind.h"
#include "platform/result.h"
#include "platform/windows/system_error.h"

namespace sorvik::platform {

// Private to the Windows sources of platform/: facts about an open entry that the folder and the
// path look-ups must read the same way, so an identity taken through one compares equal to the
// same entry's identity taken through the other.

// Volume and file number. FILE_ID_INFO holds ReFS's 128-bit numbers; NTFS and FAT numbers fit
// in its low half, and a high half (ReFS only) is folded in. File systems without it (and older
// Wine) give the 64-bit number of GetFileInformationByHandle; a volume answers one way always.
inline Result<FileIdentity> identityOfHandle(HANDLE entry) {
    FILE_ID_INFO id{};
    if (::GetFileInformationByHandleEx(entry, FileIdInfo, &id, sizeof id)) {
        std::uint64_t low = 0;
        std::uint64_t high = 0;
        std::memcpy(&low, id.FileId.Identifier, sizeof low);
        std::memcpy(&high, id.FileId.Identifier + sizeof low, sizeof high);
        return FileIdentity{id.VolumeSerialNumber, low ^ (high * 0x9E3779B97F4A7C15ULL)};
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(entry, &info)) {
        return lastWin32Error();
    }
    return FileIdentity{
        info.dwVolumeSerialNumber,
        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

// The path of an open entry with every link and junction resolved, in the volume form asked
// for (VOLUME_NAME_DOS: "\\?\C:\…" or "\\?\UNC\server\share\…"; VOLUME_NAME_GUID:
// "\\?\Volume{…}\…").
inline Result<std::wstring> finalPathOf(HANDLE entry, DWORD volumeForm) {
    std::wstring path(MAX_PATH, L'\0');
    DWORD length = ::GetFinalPathNameByHandleW(entry, path.data(), MAX_PATH + 1,
                                               FILE_NAME_NORMALIZED | volumeForm);
    if (length > MAX_PATH) {
        path.resize(length);
        length = ::GetFinalPathNameByHandleW(entry, path.data(), length + 1,
                                             FILE_NAME_NORMALIZED | volumeForm);
    }
    if (length == 0 || length > path.size()) {
        return lastWin32Error();
    }
    path.resize(length);
    return path;
}

// A time in Windows' 100 ns units since 1601 as nanoseconds since 1970.
constexpr std::int64_t kTicksFrom1601To1970 = 116'444'736'000'000'000;
constexpr std::int64_t nanosecondsSince1970(std::int64_t ticksSince1601) noexcept {
    return (ticksSince1601 - kTicksFrom1601To1970) * 100;
}
inline std::int64_t nanosecondsSince1970(const FILETIME& time) noexcept {
    return nanosecondsSince1970(static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime));
}

// Junctions, symbolic links, and every other entry a file-system filter stands in front of.
constexpr bool isReparsePoint(DWORD attributes) noexcept {
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}
constexpr bool isFolder(DWORD attributes) noexcept {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace sorvik::platform
