#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sorvik::engine {

// The folder path ending with the separator, ready for a name to be appended. An empty path
// becomes the separator.
std::string withTrailingSeparator(std::string path);

// The path without its trailing separators; the root keeps its one separator.
std::string_view withoutTrailingSeparators(std::string_view path);

// The path up to its last separator (empty when it holds none).
std::string_view parentFolder(std::string_view path);

// The path after its last separator (the whole path when it holds none).
std::string_view lastComponent(std::string_view path);

// The full path of `name` inside `folder`: the folder without its trailing separators, one
// separator, the name. Below the root the root is followed directly by the name.
std::string childPath(std::string_view folder, std::string_view name);

// The part of a scanned folder's path below the source: what follows the first `sourceLength`
// characters, without leading separators; empty for the source itself.
std::string_view relativePart(std::string_view entry, std::size_t sourceLength);

// The destination of a scanned folder: the backup folder followed by the part of `entry` after
// the first `sourceLength` characters of the source text, joined by exactly one separator. The
// source text itself (an empty remainder) maps to the backup folder text unchanged. However the
// two folders are written, the destination always lies inside the backup folder.
std::string destinationFolder(std::string_view backupFolder, std::string_view entry,
                              std::size_t sourceLength);

// Whether a backup copy modified at `backupNs` counts as the same age as or newer than a source
// modified at `sourceNs`, compared at `granularity`: FAT keeps times to two seconds, so an
// unchanged file whose time was rounded on the stick must not look older than its source.
bool isSameOrNewer(std::int64_t backupNs, std::int64_t sourceNs,
                   std::chrono::nanoseconds granularity);

// The extension test of a file name: the text after the last ".", if there is a "." at all.
// Compared without regard to letter case; an entry written with its dot never matches.
bool hasExcludedExtension(std::string_view name, const std::vector<std::string>& excluded);

}  // namespace sorvik::engine
