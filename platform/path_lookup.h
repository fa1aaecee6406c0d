#pragma once

#include <string>
#include <system_error>

#include "platform/entry_kind.h"
#include "platform/result.h"

namespace sorvik::platform {

// Every function here refuses a path holding a character the system cannot take (see
// path_text.h) with std::errc::invalid_argument, rather than letting the system read a shorter one.

// Looks a path up following links, so a link to a file is that file and a link to a folder is
// that folder; a link that leads nowhere is `other`. A path that does not exist is `missing`, not
// an error; an error means the look-up itself failed (permission, I/O).
[[nodiscard]] Result<EntryKind> lookUp(const std::string& path);

// The identity of what the path names, following links.
[[nodiscard]] Result<FileIdentity> identityOf(const std::string& path);

// True when the folder `path` is the folder `folder` or lies somewhere below it, however it is
// written. An error means some folder on the way up could not be looked up.
[[nodiscard]] Result<bool> isSameOrInside(const std::string& path, const FileIdentity& folder);

// Creates one folder level; its parent must exist.
[[nodiscard]] std::error_code createFolder(const std::string& path);

// Removes one file (a link itself, never what it leads to).
[[nodiscard]] std::error_code removeFile(const std::string& path);

}  // namespace sorvik::platform
