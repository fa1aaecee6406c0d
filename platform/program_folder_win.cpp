#include "platform/program_folder.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shlobj.h>

#include <string>

#include "platform/separator.h"
#include "platform/temporary_name.h"
#include "platform/windows/system_error.h"
#include "platform/windows/unique_handle.h"
#include "platform/windows/wide_text.h"

namespace sorvik::platform {
namespace {

constexpr std::string_view kFolderName = "Sorvik";
// Far above the 32767 characters a Win32 path can have.
constexpr std::size_t kLongestModulePath = 65536;

Result<std::wstring> executablePath() {
    std::wstring path(MAX_PATH, L'\0');
    while (path.size() <= kLongestModulePath) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return lastWin32Error();
        }
        // A path that fills the buffer has been cut short.
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
    return std::make_error_code(std::errc::filename_too_long);
}

// The folder part of `path`, without the separator, except for a drive's root ("E:\"), which
// without it would name the working folder on that drive.
std::wstring folderOf(std::wstring path) {
    const std::size_t separator = path.find_last_of(L"\\/");
    if (separator == std::wstring::npos) {
        return path;
    }
    // No name holds ':', so one before the separator ends a drive ("E:", "\\?\E:").
    const bool isDriveRoot = separator > 0 && path[separator - 1] == L':';
    path.resize(isDriveRoot ? separator + 1 : separator);
    return path;
}

std::string inFolder(const std::string& folder, std::string_view name) {
    const bool endsWithSeparator = folder.ends_with('\\') || folder.ends_with('/');
    return folder + (endsWithSeparator ? "" : "\\") + std::string(name);
}

// The probe is made under a temporary name, which runs clear away should it ever stay behind,
// and the system deletes it as its handle closes. Creating a file is what the folder is needed
// for; the folder's read-only attribute says nothing about that on Windows, and its access list
// is too involved to read by hand.
bool canCreateFilesIn(const std::string& folder) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        const Result<std::wstring> probe = toSystemPath(inFolder(folder, newTemporaryName()));
        if (!probe) {
            return false;
        }
        const UniqueHandle file(::CreateFileW(
            probe->c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
            FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        if (file) {
            return true;
        }
        if (::GetLastError() != ERROR_FILE_EXISTS) {
            return false;
        }
    }
    return false;
}

// Empty when unset.
std::wstring environmentVariable(const wchar_t* name) {
    std::wstring value(MAX_PATH, L'\0');
    while (true) {
        const DWORD length =
            ::GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
        if (length < value.size()) {
            value.resize(length);
            return value;
        }
        value.resize(length);  // too small: the length asked for counts the terminating null
    }
}

// APPDATA when it holds an absolute path, so that a user (or a test) may point it elsewhere; the
// profile's roaming folder otherwise.
Result<std::string> roamingFolder() {
    if (std::string fromEnvironment = toUtf8(environmentVariable(L"APPDATA"));
        isAbsolutePath(fromEnvironment)) {
        return fromEnvironment;
    }
    wchar_t* known = nullptr;
    const HRESULT result =
        ::SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_CREATE, nullptr, &known);
    std::string path = SUCCEEDED(result) && known != nullptr ? toUtf8(known) : std::string();
    ::CoTaskMemFree(known);
    if (path.empty()) {
        return std::make_error_code(std::errc::no_such_file_or_directory);
    }
    return path;
}

// Whether `path` leads to a folder, through links and junctions as the later opens will.
bool isFolder(const std::wstring& systemPath) {
    const UniqueHandle entry(::CreateFileW(systemPath.c_str(), FILE_READ_ATTRIBUTES,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                           nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    return entry && ::GetFileInformationByHandle(entry.get(), &information) &&
           (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// `systemPath` holds the "\\?\" prefix. A new folder takes the access list of its parent, which in
// the user's profile is the user's alone.
std::error_code ensureFolder(const std::wstring& systemPath) {
    // Asked first: creating an existing folder where the user may not create one (C:\Users)
    // could be refused before the name is seen to exist.
    if (isFolder(systemPath) || ::CreateDirectoryW(systemPath.c_str(), nullptr)) {
        return {};
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_ALREADY_EXISTS) {
        // Made by someone else meanwhile, or a file or a link that leads nowhere stands there.
        return isFolder(systemPath) ? std::error_code()
                                    : std::make_error_code(std::errc::not_a_directory);
    }
    return win32Error(error);
}

// Where the first level below the root starts: after "\\?\C:\", or after the share's name in
// "\\?\UNC\server\share\".
std::size_t belowRoot(const std::wstring& systemPath) {
    constexpr std::wstring_view kUncPrefix = L"\\\\?\\UNC\\";
    if (!systemPath.starts_with(kUncPrefix)) {
        return std::wstring_view(L"\\\\?\\C:\\").size();
    }
    const std::size_t server = systemPath.find(L'\\', kUncPrefix.size());
    const std::size_t share =
        server == std::wstring::npos ? server : systemPath.find(L'\\', server + 1);
    return share == std::wstring::npos ? systemPath.size() : share + 1;
}

std::error_code ensureFolderWithParents(const std::string& path) {
    const Result<std::wstring> systemPath = toSystemPath(path);
    if (!systemPath) {
        return systemPath.error();
    }
    for (std::size_t separator = systemPath->find(L'\\', belowRoot(*systemPath));
         separator != std::wstring::npos; separator = systemPath->find(L'\\', separator + 1)) {
        if (const std::error_code error = ensureFolder(systemPath->substr(0, separator))) {
            return error;
        }
    }
    return ensureFolder(*systemPath);
}

}  // namespace

Result<std::string> programFolder() {
    const Result<std::wstring> executable = executablePath();
    if (!executable) {
        return executable.error();
    }
    const std::string besideExecutable = toUtf8(folderOf(*executable));
    if (canCreateFilesIn(besideExecutable)) {
        return besideExecutable;
    }
    const Result<std::string> roaming = roamingFolder();
    if (!roaming) {
        return roaming.error();
    }
    const std::string folder = inFolder(*roaming, kFolderName);
    if (const std::error_code error = ensureFolderWithParents(folder)) {
        return error;
    }
    return folder;
}

}  // namespace sorvik::platform
