#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/entry_kind.h"
#include "platform/result.h"

namespace sorvik::platform {

// An open folder. Everything a run does inside one folder goes through it by name, so each folder
// is resolved once and a link swapped in while the run works cannot redirect it.
//
// Other people may change a backup folder while a run is on. Below the two top folders of a pair
// (opened by path: they are the user's own words, and may be links) every folder is opened from
// its top folder's handle, never from a path's text, and never through a link at any depth: a
// folder swapped for a link (or, on Windows, a junction or any other reparse point) fails to open
// instead of redirecting what is read or written. The Windows implementation keeps this rule by
// opening each level relative to its parent handle and refusing reparse points.
class Folder {
  public:
#ifdef _WIN32
    using NativeHandle = void*;
#else
    using NativeHandle = int;
#endif

    // Opens a top folder by its path, following links: the user chose it.
    static Result<Folder> open(const std::string& path);

    // The folder at `relative` below this one, reached without following a link anywhere on the
    // way and without leaving this folder; a link in the way fails with ELOOP or ENOTDIR. Only
    // this folder's handle is needed, so a walk holds no chain of handles and any depth works
    // within the system's path length. An empty `relative` opens this folder again.
    Result<Folder> openBelow(std::string_view relative) const;

    // What the entry `name` is, not following a link (a link is `link`).
    Result<EntryKind> kindOf(const std::string& name) const;

    // Makes the folder `name` directly inside this one.
    [[nodiscard]] std::error_code createSubfolder(const std::string& name) const;

    // Flushes everything written to the file system that holds this folder.
    [[nodiscard]] std::error_code syncFileSystem() const;

    Folder(Folder&& other) noexcept;
    Folder& operator=(Folder&& other) noexcept;
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    ~Folder();

    // The names of the ordinary files directly inside, ordered alphabetically without regard to
    // case. A link to a file counts as that file; FIFOs, sockets, devices, links that lead nowhere
    // and Sorvik's own temporary files are left out.
    Result<std::vector<std::string>> ordinaryFiles() const;

    // The names of the direct subfolders, in no particular order. Links to folders are left out,
    // so a walk built on this never loops.
    Result<std::vector<std::string>> subfolders() const;

    // The identity of one entry, not following a link.
    Result<FileIdentity> identityOf(const std::string& name) const;

    // Names of Sorvik temporary files left here by a run that was killed.
    Result<std::vector<std::string>> leftoverTemporaries() const;

    // Kind, size and modification time of one entry, following links. A missing entry, or a
    // link that leads nowhere, is not an error: its kind is `missing`.
    Result<FileInfo> fileInfo(const std::string& name) const;
    // fileInfo of each of `names`, in their order. Windows answers from one listing of the
    // folder, where a look-up per file would cost a handle per file.
    std::vector<Result<FileInfo>> fileInfos(const std::vector<std::string>& names) const;

    [[nodiscard]] std::error_code removeFile(const std::string& name) const;

    // The finest difference in modification time this file system can keep: two seconds on FAT,
    // ten milliseconds on exFAT, one nanosecond where it keeps them all.
    std::chrono::nanoseconds timeGranularity() const;

    NativeHandle nativeHandle() const noexcept {
        return handle_;
    }

  private:
    explicit Folder(NativeHandle handle) noexcept : handle_(handle) {}

#ifdef _WIN32
    NativeHandle handle_ = nullptr;
#else
    NativeHandle handle_ = -1;
#endif
};

}  // namespace sorvik::platform
