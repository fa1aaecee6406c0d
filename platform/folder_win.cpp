#include "platform/folder.h"

#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <string>
#include <unordered_map>
#include <utility>

#include "platform/name_order.h"
#include "platform/temporary_name.h"
#include "platform/windows/entry_facts.h"
#include "platform/windows/native_file.h"
#include "platform/windows/system_error.h"
#include "platform/windows/unique_handle.h"
#include "platform/windows/wide_text.h"

namespace sorvik::platform {
namespace {

using namespace std::chrono_literals;

constexpr ACCESS_MASK kFolderAccess =
    FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// ERROR_STOPPED_ON_SYMLINK, missing from mingw-w64's headers; it compares equal to ELOOP's
// condition, as a link met below a top folder does on Linux.
constexpr DWORD kErrorStoppedOnSymlink = 681;

// Not both: Windows itself hides entries that are hidden and system at once ("protected
// operating system files") even from users who show hidden ones, and a drive's root holds two
// of them ("System Volume Information", "$RECYCLE.BIN") that no user can read.
constexpr bool isProtectedSystemEntry(DWORD attributes) noexcept {
    constexpr DWORD kBoth = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    return (attributes & kBoth) == kBoth;
}

constexpr bool isHiddenOrSystem(DWORD attributes) noexcept {
    return (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
}

bool isSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// A reparse point anywhere on the way fails the walk, so nothing below a top folder is read or
// written through a junction or link swapped in meanwhile (see folder.h).
Result<UniqueHandle> openFolderIn(HANDLE parent, std::wstring_view name) {
    NativeOpen how;
    how.access = kFolderAccess;
    how.options = FILE_SYNCHRONOUS_IO_NONALERT | FILE_DIRECTORY_FILE;
    auto opened = openInFolder(parent, name, how);
    if (!opened) {
        return opened.error();
    }
    const Result<DWORD> attributes = attributesOf(opened->get());
    if (!attributes) {
        return attributes.error();
    }
    if (isReparsePoint(*attributes)) {
        return win32Error(kErrorStoppedOnSymlink);
    }
    return opened;
}

// A second handle of its own to the folder itself, so two Folder objects never share a listing's
// position.
Result<UniqueHandle> reopenFolder(HANDLE folder) {
    UniqueHandle again(::ReOpenFile(folder, kFolderAccess, kShareAll, FILE_FLAG_BACKUP_SEMANTICS));
    if (!again) {
        return lastWin32Error();
    }
    return again;
}

// The folder `relative` below `top`, one level at a time from the last, so only two handles are
// open at once. "\" and "/" both separate; ".." would leave the folder and is refused as Linux
// refuses it (EXDEV).
Result<UniqueHandle> openFolderBelow(HANDLE top, std::wstring_view relative) {
    UniqueHandle current;
    while (!relative.empty()) {
        const auto end = std::find_if(relative.begin(), relative.end(), isSeparator);
        const std::wstring_view name(relative.begin(), end);
        relative.remove_prefix(static_cast<std::size_t>(end - relative.begin()) +
                               (end == relative.end() ? 0 : 1));
        if (name.empty() || name == L".") {
            continue;
        }
        if (name == L"..") {
            return win32Error(ERROR_NOT_SAME_DEVICE);
        }
        auto next = openFolderIn(current ? current.get() : top, name);
        if (!next) {
            return next.error();
        }
        current = std::move(*next);
    }
    if (!current) {
        return reopenFolder(top);
    }
    return current;
}

// Opens the entry `name` of `folder`, itself and not what it may lead to. A name with separators
// is reached through real folders only, as openBelow does.
Result<UniqueHandle> openEntry(HANDLE folder, const std::string& name, const NativeOpen& how) {
    auto wide = toWide(name);
    if (!wide) {
        return wide.error();
    }
    const std::wstring_view whole(*wide);
    const auto last = std::find_if(whole.rbegin(), whole.rend(), isSeparator);
    if (last == whole.rend()) {
        return openInFolder(folder, whole, how);
    }
    const auto parentLength = static_cast<std::size_t>(whole.rend() - last) - 1;
    auto parent = openFolderBelow(folder, whole.substr(0, parentLength));
    if (!parent) {
        return parent.error();
    }
    return openInFolder(parent->get(), whole.substr(parentLength + 1), how);
}

// Attributes, size and times in one call. GetFileInformationByHandle would also ask the volume
// for its serial number, which fileInfo does not need and which costs Wine a millisecond a file.
Result<FILE_NETWORK_OPEN_INFORMATION> factsOfEntry(HANDLE folder, const std::string& name) {
    auto entry = openEntry(folder, name, NativeOpen{});
    if (!entry) {
        return entry.error();
    }
    FILE_NETWORK_OPEN_INFORMATION facts{};
    IO_STATUS_BLOCK status{};
    const NTSTATUS result = ::NtQueryInformationFile(entry->get(), &status, &facts, sizeof facts,
                                                     FileNetworkOpenInformation);
    if (!NT_SUCCESS(result)) {
        return ntStatusError(result);
    }
    return facts;
}

bool meansMissing(std::error_code error) {
    return error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory;
}

// FILE_FULL_DIR_INFO carries the name and attributes and nothing a listing does not need (no
// short 8.3 name, which NTFS may have to look up separately).
constexpr FILE_INFO_BY_HANDLE_CLASS kFirstBatch = FileFullDirectoryRestartInfo;
constexpr FILE_INFO_BY_HANDLE_CLASS kNextBatch = FileFullDirectoryInfo;

// Reads every entry of the folder once, handing each name and its facts to `visit`: one
// call per 64 KiB of entries on the folder's own handle, restarted from the first entry each
// time, with no second handle and no look-up per entry.
template <class Visit>
std::error_code forEachEntry(HANDLE folder, Visit&& visit) {
    alignas(LONGLONG) static thread_local unsigned char buffer[64 * 1024];
    for (FILE_INFO_BY_HANDLE_CLASS batch = kFirstBatch;; batch = kNextBatch) {
        if (!::GetFileInformationByHandleEx(folder, batch, buffer, sizeof buffer)) {
            const DWORD error = ::GetLastError();
            // A FAT root has no "." and "..", so an empty one has nothing at all to show.
            if (error == ERROR_NO_MORE_FILES ||
                (error == ERROR_FILE_NOT_FOUND && batch == kFirstBatch)) {
                return {};
            }
            return win32Error(error);
        }
        for (std::size_t offset = 0;;) {
            const auto* entry = reinterpret_cast<const FILE_FULL_DIR_INFO*>(buffer + offset);
            const std::wstring_view name(entry->FileName, entry->FileNameLength / sizeof(wchar_t));
            if (name != L"." && name != L"..") {
                visit(toUtf8(name), *entry);
            }
            if (entry->NextEntryOffset == 0) {
                break;
            }
            offset += entry->NextEntryOffset;
        }
    }
}

std::wstring fileSystemName(HANDLE folder) {
    wchar_t name[MAX_PATH + 1] = {};
    if (!::GetVolumeInformationByHandleW(folder, nullptr, 0, nullptr, nullptr, nullptr, name,
                                         MAX_PATH + 1)) {
        return {};
    }
    return name;
}

// Opens the volume itself (not a drive letter: a folder may lie on a volume mounted in a
// folder) from the folder's final path "\\?\Volume{guid}\...".
UniqueHandle openVolumeOf(HANDLE folder) {
    Result<std::wstring> path = finalPathOf(folder, VOLUME_NAME_GUID);
    const std::size_t volumeEnd = path ? path->find(L'}') : std::wstring::npos;
    if (volumeEnd == std::wstring::npos) {
        return {};
    }
    path->resize(volumeEnd + 1);
    return UniqueHandle(::CreateFileW(path->c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                      nullptr));
}

// What fileInfo reports for an entry with these facts (see there).
FileInfo infoFromFacts(DWORD attributes, std::int64_t size, std::int64_t lastWriteTicks) {
    FileInfo info;
    if (isReparsePoint(attributes)) {
        info.kind = EntryKind::other;
    } else if (isFolder(attributes)) {
        info.kind = EntryKind::folder;
    } else if (!isHiddenOrSystem(attributes)) {
        info.kind = EntryKind::ordinaryFile;
        info.size = static_cast<std::uint64_t>(size);
        info.modifiedNs = nanosecondsSince1970(lastWriteTicks);
    }
    return info;
}

}  // namespace

Result<Folder> Folder::open(const std::string& path) {
    auto system = toSystemPath(path);
    if (!system) {
        return system.error();
    }
    UniqueHandle folder(::CreateFileW(system->c_str(), kFolderAccess, kShareAll, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!folder) {
        return lastWin32Error();
    }
    const Result<DWORD> attributes = attributesOf(folder.get());
    if (!attributes) {
        return attributes.error();
    }
    if (!isFolder(*attributes)) {
        return win32Error(ERROR_DIRECTORY);
    }
    return Folder(folder.release());
}

Result<Folder> Folder::openBelow(std::string_view relative) const {
    auto wide = toWide(relative);
    if (!wide) {
        return wide.error();
    }
    auto opened = openFolderBelow(handle_, *wide);
    if (!opened) {
        return opened.error();
    }
    return Folder(opened->release());
}

Result<EntryKind> Folder::kindOf(const std::string& name) const {
    const auto facts = factsOfEntry(handle_, name);
    if (!facts) {
        if (facts.error() == std::errc::no_such_file_or_directory) {
            return EntryKind::missing;
        }
        return facts.error();
    }
    const DWORD attributes = facts->FileAttributes;
    if (isReparsePoint(attributes)) {
        return EntryKind::link;
    }
    return isFolder(attributes) ? EntryKind::folder : EntryKind::ordinaryFile;
}

std::error_code Folder::createSubfolder(const std::string& name) const {
    NativeOpen how;
    how.access = FILE_LIST_DIRECTORY | SYNCHRONIZE;
    how.disposition = FILE_CREATE;
    how.options = FILE_SYNCHRONOUS_IO_NONALERT | FILE_DIRECTORY_FILE;
    return openEntry(handle_, name, how).error();
}

// Windows flushes a whole volume only for administrators (FlushFileBuffers on the volume needs
// write access to it), and a network share has no volume to open at all. Where the volume opens,
// it is flushed. Elsewhere every copy has flushed its own data before its rename
// (file_copy_win.cpp), and what is left are the renames themselves: flushing one new file of
// this folder's own makes NTFS write its journal, which holds them.
std::error_code Folder::syncFileSystem() const {
    const UniqueHandle volume = openVolumeOf(handle_);
    if (volume && ::FlushFileBuffers(volume.get())) {
        return {};
    }
    NativeOpen how;
    how.access = GENERIC_WRITE | DELETE | SYNCHRONIZE;
    how.disposition = FILE_CREATE;
    how.options = FILE_NON_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT | FILE_DELETE_ON_CLOSE;
    how.share = 0;
    const Result<UniqueHandle> marker = openInFolder(handle_, newTemporaryName(), how);
    if (!marker) {
        // A backup folder this user may not write to received nothing to flush.
        return marker.error() == std::errc::permission_denied ? std::error_code() : marker.error();
    }
    return ::FlushFileBuffers(marker->get()) ? std::error_code() : lastWin32Error();
}

Folder::Folder(Folder&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}

Folder& Folder::operator=(Folder&& other) noexcept {
    if (this != &other) {
        if (handle_ != nullptr) {
            ::CloseHandle(handle_);
        }
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

Folder::~Folder() {
    if (handle_ != nullptr) {
        ::CloseHandle(handle_);
    }
}

// Hidden and system files are left out, as Windows' own tools leave them out. A reparse point is
// left out too: a symbolic link to a file would have to be read through, and every other kind
// (a WSL FIFO or socket, a deduplicated or cloud placeholder file) is the filter's business;
// none is read from behind its reparse point.
Result<std::vector<std::string>> Folder::ordinaryFiles() const {
    std::vector<std::string> names;
    const std::error_code error =
        forEachEntry(handle_, [&](std::string name, const FILE_FULL_DIR_INFO& entry) {
            const DWORD attributes = entry.FileAttributes;
            if (!isFolder(attributes) && !isReparsePoint(attributes) &&
                !isHiddenOrSystem(attributes) && !isTemporaryName(name)) {
                names.push_back(std::move(name));
            }
        });
    if (error) {
        return error;
    }
    std::sort(names.begin(), names.end(), lessIgnoringCase);
    return names;
}

// Every real folder, hidden ones too (a user's AppData is hidden), as on Linux; junctions and
// folder links are never descended, and neither are the protected system folders no user reads.
Result<std::vector<std::string>> Folder::subfolders() const {
    std::vector<std::string> names;
    const std::error_code error =
        forEachEntry(handle_, [&](std::string name, const FILE_FULL_DIR_INFO& entry) {
            const DWORD attributes = entry.FileAttributes;
            if (isFolder(attributes) && !isReparsePoint(attributes) &&
                !isProtectedSystemEntry(attributes)) {
                names.push_back(std::move(name));
            }
        });
    if (error) {
        return error;
    }
    return names;
}

Result<FileIdentity> Folder::identityOf(const std::string& name) const {
    auto entry = openEntry(handle_, name, NativeOpen{});
    if (!entry) {
        return entry.error();
    }
    return identityOfHandle(entry->get());
}

// Hidden or not: Wine shows every name that starts with a dot, a temporary's among them, as
// hidden, and a run of Sorvik's own may have left one behind whatever its attributes.
Result<std::vector<std::string>> Folder::leftoverTemporaries() const {
    std::vector<std::string> names;
    const std::error_code error =
        forEachEntry(handle_, [&](std::string name, const FILE_FULL_DIR_INFO& entry) {
            const DWORD attributes = entry.FileAttributes;
            if (!isFolder(attributes) && !isReparsePoint(attributes) && isTemporaryName(name)) {
                names.push_back(std::move(name));
            }
        });
    if (error) {
        return error;
    }
    return names;
}

// A hidden or system file counts as missing: in the backup folder that makes the run copy the
// file again and rename the copy over it, so a backup file someone hid (or an attribute a tool
// set) never stands in for an up-to-date copy. A reparse point is never read through: whatever
// it is, it is `other`, which the run replaces by a real file.
Result<FileInfo> Folder::fileInfo(const std::string& name) const {
    const auto facts = factsOfEntry(handle_, name);
    if (!facts) {
        if (meansMissing(facts.error())) {
            return FileInfo{};
        }
        return facts.error();
    }
    return infoFromFacts(facts->FileAttributes, facts->EndOfFile.QuadPart,
                         facts->LastWriteTime.QuadPart);
}

// One listing answers for every name the listing holds under that very name; a name it holds
// only in another case (a backup made on a disk that keeps case), or more than once in one
// case, is looked up by itself, so the answer is always the one fileInfo would give.
std::vector<Result<FileInfo>> Folder::fileInfos(const std::vector<std::string>& names) const {
    std::unordered_map<std::string, FileInfo> listed;
    const std::error_code error =
        forEachEntry(handle_, [&](std::string name, const FILE_FULL_DIR_INFO& entry) {
            listed.emplace(std::move(name),
                           infoFromFacts(entry.FileAttributes, entry.EndOfFile.QuadPart,
                                         entry.LastWriteTime.QuadPart));
        });
    std::vector<Result<FileInfo>> infos;
    infos.reserve(names.size());
    for (const std::string& name : names) {
        const auto found = error ? listed.end() : listed.find(name);
        infos.push_back(found != listed.end() ? Result<FileInfo>(found->second) : fileInfo(name));
    }
    return infos;
}

// The entry itself goes, a link and never what it leads to; a folder is refused. Linux removes a
// file whatever its mode, so a read-only attribute (a killed run's temporary may carry its
// source's) is cleared first.
std::error_code Folder::removeFile(const std::string& name) const {
    NativeOpen how;
    how.access = DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | SYNCHRONIZE;
    how.options = FILE_SYNCHRONOUS_IO_NONALERT | FILE_NON_DIRECTORY_FILE;
    auto entry = openEntry(handle_, name, how);
    if (!entry) {
        return entry.error();
    }
    FILE_BASIC_INFO basic{};
    if (::GetFileInformationByHandleEx(entry->get(), FileBasicInfo, &basic, sizeof basic) &&
        (basic.FileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
        basic.FileAttributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
        if (basic.FileAttributes == 0) {
            basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        }
        basic.CreationTime.QuadPart = basic.LastAccessTime.QuadPart = 0;  // 0: left as they are
        basic.LastWriteTime.QuadPart = basic.ChangeTime.QuadPart = 0;
        if (!::SetFileInformationByHandle(entry->get(), FileBasicInfo, &basic, sizeof basic)) {
            return lastWin32Error();
        }
    }
    return deleteOnClose(entry->get());
}

// Windows keeps times in 100 ns units, so no file system shows a finer difference than that.
std::chrono::nanoseconds Folder::timeGranularity() const {
    const std::wstring name = fileSystemName(handle_);
    if (name == L"FAT" || name == L"FAT12" || name == L"FAT16" || name == L"FAT32") {
        return 2s;
    }
    if (name == L"exFAT") {
        return 10ms;
    }
    return 100ns;
}

}  // namespace sorvik::platform
