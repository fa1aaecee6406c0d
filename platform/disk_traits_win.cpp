#include "platform/disk_traits.h"

#include <windows.h>
#include <winternl.h>

#include <cwctype>
#include <optional>
#include <string>

#include "platform/temporary_name.h"
#include "platform/time_precision.h"
#include "platform/windows/entry_facts.h"
#include "platform/windows/native_file.h"
#include "platform/windows/unique_handle.h"
#include "platform/windows/wide_text.h"

namespace sorvik::platform {
namespace {

using namespace std::chrono_literals;

constexpr int kTemporaryAttempts = 100;

// An odd second with every sub-second digit Windows keeps (100 ns units since 1601), so each way
// of losing precision shows.
constexpr std::int64_t kProbeTicks = kTicksFrom1601To1970 + 16'000'000'011'234'567;

// 100 ns is Windows' own unit: a time kept whole is kept to it.
std::optional<std::chrono::nanoseconds> precisionKeeping(std::optional<std::int64_t> kept) {
    return kept ? platform::precisionKeeping(nanosecondsSince1970(kProbeTicks),
                                             nanosecondsSince1970(*kept), 100ns)
                : std::nullopt;
}

// The probe file, made exclusively under a fresh temporary name and removed at the end.
struct ProbeFile {
    std::wstring name;
    UniqueHandle handle;
};

std::optional<ProbeFile> createProbe(HANDLE folder) {
    NativeOpen how;
    how.access = FILE_WRITE_DATA | FILE_WRITE_ATTRIBUTES | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
    how.disposition = FILE_CREATE;
    how.options = FILE_SYNCHRONOUS_IO_NONALERT | FILE_NON_DIRECTORY_FILE;
    for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
        auto name = toWide(newTemporaryName());
        if (!name) {
            return std::nullopt;
        }
        auto created = openInFolder(folder, std::wstring_view(*name), how);
        if (created) {
            return ProbeFile{std::move(*name), std::move(*created)};
        }
        if (created.error() != std::errc::file_exists) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

UniqueHandle openByName(HANDLE folder, std::wstring_view name, ACCESS_MASK access) {
    NativeOpen how;
    how.access = access | SYNCHRONIZE;
    how.options = FILE_SYNCHRONOUS_IO_NONALERT | FILE_NON_DIRECTORY_FILE;
    auto opened = openInFolder(folder, name, how);
    return opened ? std::move(*opened) : UniqueHandle();
}

// Zero in a FILE_BASIC_INFO field leaves that time as it is.
bool setModifiedTicks(HANDLE file, std::int64_t ticks) {
    FILE_BASIC_INFO basic{};
    basic.LastWriteTime.QuadPart = ticks;
    return ::SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic) != 0;
}

std::optional<std::int64_t> modifiedTicksOf(HANDLE folder, std::wstring_view name) {
    const UniqueHandle file = openByName(folder, name, FILE_READ_ATTRIBUTES);
    FILE_BASIC_INFO basic{};
    if (!file || !::GetFileInformationByHandleEx(file.get(), FileBasicInfo, &basic, sizeof basic)) {
        return std::nullopt;
    }
    return basic.LastWriteTime.QuadPart;
}

std::wstring inUpperCase(std::wstring name) {
    for (wchar_t& c : name) {
        c = static_cast<wchar_t>(std::towupper(c));
    }
    return name;
}

void removeProbe(HANDLE folder, std::wstring_view name) {
    const UniqueHandle file = openByName(folder, name, DELETE);
    if (file) {
        static_cast<void>(deleteOnClose(file.get()));
    }
}

}  // namespace

// Tried on the disk rather than read off the file-system name: a Samba share calls itself NTFS
// whatever disk stands behind it, and a NAS may keep whole seconds only.
DiskTraits probeDisk(const Folder& folder) {
    DiskTraits traits;
    const HANDLE handle = folder.nativeHandle();
    std::optional<ProbeFile> probe = createProbe(handle);
    if (!probe) {
        // Windows looks names up without regard to case unless a folder was made case-sensitive.
        traits.ignoresCase = true;
        traits.timePrecision = folder.timeGranularity();
        return traits;
    }
    // Written to as a copy is, in case a disk stamps the time of the write when it is closed.
    DWORD written = 0;
    bool set = ::WriteFile(probe->handle.get(), "x", 1, &written, nullptr) && written == 1 &&
               setModifiedTicks(probe->handle.get(), kProbeTicks);
    probe->handle.reset();
    auto precision = set ? precisionKeeping(modifiedTicksOf(handle, probe->name)) : std::nullopt;
    if (!precision) {
        // The close's own update replaced the time (some network shares): set it again by name.
        traits.setTimeAfterClose = true;
        UniqueHandle again = openByName(handle, probe->name, FILE_WRITE_ATTRIBUTES);
        set = again && setModifiedTicks(again.get(), kProbeTicks);
        again.reset();
        precision = set ? precisionKeeping(modifiedTicksOf(handle, probe->name)) : std::nullopt;
    }
    traits.timesStick = precision.has_value();
    traits.timePrecision = precision.value_or(folder.timeGranularity());
    // The probe's name is random, so its other letter case names nothing unless the folder
    // ignores case, as every folder does that was not made case-sensitive.
    traits.ignoresCase =
        static_cast<bool>(openByName(handle, inUpperCase(probe->name), FILE_READ_ATTRIBUTES));
    removeProbe(handle, probe->name);
    return traits;
}

}  // namespace sorvik::platform
