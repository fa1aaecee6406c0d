#pragma once

#include <string>

namespace sorvik::platform {

// The kind of storage a folder lives on, as far as it decides how many files are worth copying at
// once: a solid-state disk takes many requests together, a rotating disk seeks between them, and
// a network share answers each request late (and its server may be a rotating disk).
enum class StorageKind { solidState, rotating, network, unknown };

// The storage that holds `path`, or would hold it once made: a path that does not exist yet is
// answered for its nearest existing parent. `unknown` where the system does not say (memory file
// systems, storage pools, most FUSE file systems, Wine).
StorageKind storageKindOf(const std::string& path);

}  // namespace sorvik::platform
