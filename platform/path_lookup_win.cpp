#include "platform/path_lookup.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <string_view>

#include "platform/windows/entry_facts.h"
#include "platform/windows/system_error.h"
#include "platform/windows/unique_handle.h"
#include "platform/windows/wide_text.h"

namespace sorvik::platform {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Opens what `systemPath` names for reading its facts, following links unless told not to.
// Backup semantics open folders as well as files.
UniqueHandle openForFacts(const std::wstring& systemPath, bool followLinks = true) {
    const DWORD flags =
        FILE_FLAG_BACKUP_SEMANTICS | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    return UniqueHandle(::CreateFileW(systemPath.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                      OPEN_EXISTING, flags, nullptr));
}

// Nothing by that name: not there, a file in the way ("f.txt\x"), or a name no file can have
// (as on POSIX, where such a name simply names nothing).
bool meansMissing(DWORD error) {
    const std::error_code code = win32Error(error);
    return code == std::errc::no_such_file_or_directory || error == ERROR_DIRECTORY ||
           error == ERROR_INVALID_NAME;
}

Result<EntryKind> kindOfHandle(HANDLE entry) {
    BY_HANDLE_FILE_INFORMATION facts{};
    if (!::GetFileInformationByHandle(entry, &facts)) {
        return lastWin32Error();
    }
    if (isFolder(facts.dwFileAttributes)) {
        return EntryKind::folder;
    }
    // A device ("NUL", "COM1") opens like a file but is none.
    return ::GetFileType(entry) == FILE_TYPE_DISK ? EntryKind::ordinaryFile : EntryKind::other;
}

// The path of the open folder with every link and junction resolved, "\\?\C:\…",
// "\\?\UNC\server\share\…", or for a volume without a drive letter "\\?\Volume{…}\…".
Result<std::wstring> resolvedPathOf(HANDLE folder) {
    auto path = finalPathOf(folder, VOLUME_NAME_DOS);
    return path ? path : finalPathOf(folder, VOLUME_NAME_GUID);
}

// The parent of a final path, or nothing at the root of its volume or share. The root keeps its
// trailing "\", which is how a volume's root folder is opened.
std::optional<std::wstring> parentOf(std::wstring_view path) {
    constexpr std::wstring_view kPrefix = L"\\\\?\\";
    constexpr std::wstring_view kShare = L"UNC\\";
    while (path.size() > kPrefix.size() && path.back() == L'\\') {
        path.remove_suffix(1);
    }
    // The components that make up the root: "C:" or "Volume{…}", or a share's server and name.
    std::wstring_view rest = path.substr(std::min(path.size(), kPrefix.size()));
    std::size_t rootComponents = 1;
    if (rest.starts_with(kShare)) {
        rest.remove_prefix(kShare.size());
        rootComponents = 2;
    }
    std::size_t separators = 0;
    for (const wchar_t c : rest) {
        separators += c == L'\\' ? 1 : 0;
    }
    if (separators < rootComponents) {
        return std::nullopt;
    }
    const std::size_t last = path.rfind(L'\\');
    return std::wstring(path.substr(0, separators == rootComponents ? last + 1 : last));
}

}  // namespace

Result<EntryKind> lookUp(const std::string& path) {
    if (path.empty()) {
        return EntryKind::missing;
    }
    auto system = toSystemPath(path);
    if (!system) {
        return system.error();
    }
    const UniqueHandle entry = openForFacts(*system);
    if (entry) {
        return kindOfHandle(entry.get());
    }
    const DWORD error = ::GetLastError();
    if (meansMissing(error) || error == ERROR_CANT_RESOLVE_FILENAME) {
        // A link that leads nowhere (or in a circle) is there, as something no run takes.
        if (openForFacts(*system, false)) {
            return EntryKind::other;
        }
        return EntryKind::missing;
    }
    return win32Error(error);
}

Result<FileIdentity> identityOf(const std::string& path) {
    auto system = toSystemPath(path);
    if (!system) {
        return system.error();
    }
    const UniqueHandle entry = openForFacts(*system);
    if (!entry) {
        return lastWin32Error();
    }
    return identityOfHandle(entry.get());
}

// Climbs the folder's real path, with every link resolved, comparing the identity of each
// folder on the way: the text the user wrote (short names, links, another letter case) does not
// matter.
Result<bool> isSameOrInside(const std::string& path, const FileIdentity& folder) {
    auto system = toSystemPath(path);
    if (!system) {
        return system.error();
    }
    UniqueHandle current = openForFacts(*system);
    if (!current) {
        return lastWin32Error();
    }
    auto climbed = resolvedPathOf(current.get());
    if (!climbed) {
        return climbed.error();
    }
    while (true) {
        const Result<FileIdentity> id = identityOfHandle(current.get());
        if (!id) {
            return id.error();
        }
        if (*id == folder) {
            return true;
        }
        std::optional<std::wstring> parent = parentOf(*climbed);
        if (!parent) {
            return false;
        }
        current = openForFacts(*parent);
        if (!current) {
            return lastWin32Error();
        }
        *climbed = std::move(*parent);
    }
}

std::error_code createFolder(const std::string& path) {
    auto system = toSystemPath(path);
    if (!system) {
        return system.error();
    }
    if (!::CreateDirectoryW(system->c_str(), nullptr)) {
        return lastWin32Error();
    }
    return {};
}

// DeleteFileW removes a symbolic link itself, never what it leads to.
std::error_code removeFile(const std::string& path) {
    auto system = toSystemPath(path);
    if (!system) {
        return system.error();
    }
    if (!::DeleteFileW(system->c_str())) {
        return lastWin32Error();
    }
    return {};
}

}  // namespace sorvik::platform
