#pragma once

#include <filesystem>
#include <map>
#include <string>

namespace sorvik::test {

// Everything a run could change under `root`, by relative path: each entry's kind and permission
// bits, for a file also its inode, bytes and modification time (a file replaced by a copy of
// itself differs only in its inode), for a link its target. Links are not followed. The subtree
// `skipped`, when given, is left out.
std::map<std::string, std::string> snapshotTree(const std::filesystem::path& root,
                                                const std::filesystem::path& skipped = {});

}  // namespace sorvik::test
