#pragma once

#include <string>
#include <system_error>

#include "platform/entry_kind.h"
#include "platform/result.h"

namespace sorvik::platform {

// Looks a path up following links, so a link to a file is that file and a link to a folder is
// that folder; a link that leads nowhere is `other`. A path that does not exist is `missing`, not
// an error; an error means the look-up itself failed (permission, I/O).
Result<EntryKind> lookUp(const std::string& path);

// Looks a path up without following a final link, which is reported as `link`.
Result<EntryKind> lookUpNoFollow(const std::string& path);

// The identity of what the path names, following links.
Result<FileIdentity> identityOf(const std::string& path);

// True when `path` names `folder` itself or lies somewhere below it, however either is written.
Result<bool> isSameOrInside(const std::string& path, const std::string& folder);

// Creates one folder level; its parent must exist.
std::error_code createFolder(const std::string& path);

// Removes one file (a link itself, never what it leads to).
std::error_code removeFile(const std::string& path);

// Flushes everything written to the file system that holds `path`.
std::error_code syncFileSystem(const std::string& path);

}  // namespace sorvik::platform
